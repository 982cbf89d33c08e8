// diagnostics.cpp - the text form of diagnostics and the grammar's token names in the user's words.
// Only xcomp's rendering uses these names: JSON and the library's records keep the grammar's.
#include "diagnostics.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

struct NameRow {
  std::string_view grammar;  // without the T_ prefix
  std::string_view user;
};

// Tokens whose grammar name is not the word a user writes. Every other T_ name is a keyword and is
// written as the keyword.
constexpr NameRow tokenNames[] = {
    {"WORD", "identifier"},
    {"STRING", "string literal"},
    {"DIGITS", "number"},
    {"NUMERICNO", "number"},
    {"HEXLIT", "hexadecimal literal"},
    {"COMPARISON", "comparison operator"},
    {"ARGNAME", "named argument"},
    {"TRIG_VAR", "bind variable"},
    {"DTYPE", "datatype"},
    {"PERCENT_TYPE", "%TYPE"},
    {"PERCENT_ROWTYPE", "%ROWTYPE"},
    {"SQL_FOUND", "SQL%FOUND"},
    {"SQL_NOTFOUND", "SQL%NOTFOUND"},
    {"SQL_ROWCOUNT", "SQL%ROWCOUNT"},
    {"CURSOR_FOUND", "cursor%FOUND"},
    {"CURSOR_NOTFOUND", "cursor%NOTFOUND"},
    {"CURSOR_ROWCOUNT", "cursor%ROWCOUNT"},
    {"CURSOR_ISOPEN", "cursor%ISOPEN"},
    {"SQLERRMFUNC", "SQLERRM"},
    {"AUTONOMOUS_XACT", "AUTONOMOUS_TRANSACTION"},
    {"READS_SQL_DATA", "READS SQL DATA"},
    {"REFCURSOR", "REF CURSOR"},
    {"LABEL_BEG", "'<<'"},
    {"LABEL_END", "'>>'"},
    {"ASSIGN", "':='"},
    {"DOTDOT", "'..'"},
    {"DCOLON", "'::'"},
    {"CONCAT", "'||'"},
    {"EXPO", "'**'"},
    {"PLUS", "'+'"},
    {"MINUS", "'-'"},
    {"COMMA", "','"},
    {"TERMINATOR", "'/' line"},
    {"COMMENT_SEMI", "comment"},
};

// Names whose text is worth quoting after them: "identifier 'x'", "number '12'".
bool showsText(std::string_view user) { return user == "identifier" || user == "number"; }

std::string_view stripPrefix(std::string_view name) {
  if (name.starts_with("T_")) name.remove_prefix(2);
  return name;
}

void append(std::string& out, std::string_view text) { out.append(text.data(), text.size()); }

// Splits "A or B or C" and "A, B, C".
std::vector<std::string_view> splitNames(std::string_view list, std::string_view separator) {
  std::vector<std::string_view> names;
  size_t pos = 0;
  while (pos <= list.size()) {
    const size_t end = list.find(separator, pos);
    names.push_back(list.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
    if (end == std::string_view::npos) break;
    pos = end + separator.size();
  }
  return names;
}

// "A", "A or B", "A, B or C".
std::string joinAlternatives(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += i + 1 == names.size() ? " or " : ", ";
    out += names[i];
  }
  return out;
}

// The expected-token list holds at most this many names; a full one may have been cut.
constexpr size_t expectedListLimit = 10;

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A long line is shown as the part around the marked column, with "..." where it was cut; `column`
// is moved to the same place in the excerpt.
std::string excerpt(const std::string& line, int* column) {
  constexpr size_t longest = 160;
  if (line.size() <= longest) return line;
  const size_t at = *column > 0 ? static_cast<size_t>(*column - 1) : 0;
  size_t start = at > longest / 2 ? at - longest / 2 : 0;
  while (start > 0 && start < line.size() && isContinuation(line[start])) --start;
  size_t end = std::min(start + longest, line.size());
  while (end < line.size() && isContinuation(line[end])) ++end;
  std::string out = start > 0 ? "..." : "";
  out += line.substr(start, end - start);
  if (end < line.size()) out += "...";
  if (*column > 0) *column = static_cast<int>(at - start + (start > 0 ? 3 : 0)) + 1;
  return out;
}

const char* const colorReset = "\033[0m";
const char* const colorBold = "\033[1m";
const char* const colorError = "\033[1;31m";
const char* const colorWarning = "\033[1;35m";
const char* const colorNote = "\033[1;36m";
const char* const colorMarker = "\033[1;32m";

}  // namespace

std::string friendlyTokenName(std::string_view name, const char* detail) {
  if (name == "$end" || name == "<$end>") return "end of input";
  if (name == "$undefined" || name == "<$undefined>") {
    if (detail != nullptr && detail[0] != '\0') return "invalid character '" + std::string(detail) + "'";
    return "invalid character";
  }
  if (name.starts_with("'")) return std::string(name);
  const std::string_view bare = stripPrefix(name);
  for (const NameRow& row : tokenNames) {
    if (row.grammar != bare) continue;
    std::string out(row.user);
    if (showsText(row.user) && detail != nullptr && detail[0] != '\0') out += " '" + std::string(detail) + "'";
    return out;
  }
  return std::string(bare);
}

std::string friendlyMessage(std::string_view message, const char* detail, const char* extra) {
  static constexpr std::string_view unexpected = "syntax error, unexpected ";
  static constexpr std::string_view expecting = ", expecting ";
  if (message == "syntax error" && extra != nullptr && std::strcmp(extra, "<END-OF-STATEMENT>") == 0)
    return "syntax error: a second program begins here; end each one with a '/' line";
  // A bare "syntax error" from a later stage says why in its extra text.
  if (message == "syntax error" && extra != nullptr && extra[0] != '\0') return "syntax error: " + std::string(extra);
  if (!message.starts_with(unexpected)) return std::string(message);
  std::string_view rest = message.substr(unexpected.size());
  const size_t cut = rest.find(expecting);
  const std::string_view token = rest.substr(0, cut);
  std::string out = "syntax error, unexpected " + friendlyTokenName(token, detail);
  if (cut != std::string_view::npos) {
    std::vector<std::string> names;
    for (std::string_view name : splitNames(rest.substr(cut + expecting.size()), " or ")) {
      std::string shown = friendlyTokenName(name, nullptr);
      if (std::find(names.begin(), names.end(), shown) == names.end()) names.push_back(std::move(shown));
    }
    out += ", expecting " + joinAlternatives(names);
    return out;
  }
  if (extra == nullptr || extra[0] == '\0') return out;
  std::vector<std::string> names;
  const std::vector<std::string_view> listed = splitNames(extra, ", ");
  for (std::string_view name : listed) {
    // Two grammar tokens may share a name (DIGITS and NUMERICNO are both numbers).
    std::string shown = friendlyTokenName(name, nullptr);
    if (std::find(names.begin(), names.end(), shown) == names.end()) names.push_back(std::move(shown));
  }
  out += ", expecting one of ";
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += ", ";
    out += names[i];
  }
  if (listed.size() >= expectedListLimit) out += ", ...";
  return out;
}

std::string renderDiagnostic(std::string_view file, const Diagnostic& diagnostic, bool color) {
  auto paint = [&](std::string& out, const char* code, std::string_view text) {
    if (color) out += code;
    append(out, text);
    if (color) out += colorReset;
  };
  std::string out;
  std::string where(file);
  if (diagnostic.line > 0) where += ":" + std::to_string(diagnostic.line);
  if (diagnostic.line > 0 && diagnostic.column > 0) where += ":" + std::to_string(diagnostic.column);
  paint(out, colorBold, where + ":");
  out += ' ';
  switch (diagnostic.severity) {
    case Severity::error: paint(out, colorError, "error:"); break;
    case Severity::warning: paint(out, colorWarning, "warning:"); break;
    case Severity::note: paint(out, colorNote, "note:"); break;
  }
  out += ' ';
  paint(out, colorBold, diagnostic.message);
  out += '\n';
  if (!diagnostic.source.empty() && diagnostic.line > 0) {
    std::string number = std::to_string(diagnostic.line);
    if (number.size() < 4) number.insert(0, 4 - number.size(), ' ');
    const std::string gutter(number.size(), ' ');
    int column = diagnostic.column;
    const std::string source = excerpt(diagnostic.source, &column);
    out += ' ' + number + " | " + source + '\n';
    if (column > 0) {
      // Tabs are kept so the marker lines up whatever the tab width; a UTF-8 character is one column.
      std::string pad;
      const size_t stop = std::min(static_cast<size_t>(column - 1), source.size());
      for (size_t i = 0; i < stop; ++i) {
        const char c = source[i];
        if (c == '\t') {
          pad += '\t';
        } else if (!isContinuation(c)) {
          pad += ' ';
        }
      }
      std::string marker = "^";
      const size_t end = std::min(stop + static_cast<size_t>(std::max(diagnostic.length, 1)), source.size());
      for (size_t i = stop + 1; i < end; ++i) {
        if (!isContinuation(source[i])) marker += '~';
      }
      out += ' ' + gutter + " | " + pad;
      paint(out, colorMarker, marker);
      out += '\n';
    }
  }
  for (const std::string& note : diagnostic.notes) {
    out += "      ";
    paint(out, colorNote, "note:");
    out += ' ' + note + '\n';
  }
  return out;
}

bool colorWanted(ColorChoice choice, int fd) {
  if (choice != ColorChoice::automatic) return choice == ColorChoice::always;
  const char* noColor = std::getenv("NO_COLOR");
  if (noColor != nullptr && noColor[0] != '\0') return false;
  const char* term = std::getenv("TERM");
  if (term != nullptr && std::strcmp(term, "dumb") == 0) return false;
  return isatty(fd) != 0;
}
