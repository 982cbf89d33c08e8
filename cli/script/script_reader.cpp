// script_reader.cpp - SQL*Plus's reading of a script. Between items it skips blank lines, comments,
// REM lines and lone "/" or "." lines, and takes SQL*Plus commands whole; a PL/SQL unit runs to a line
// holding only "/" or "."; any other statement ends at a ';' that ends a line, at such a line, or at a
// blank line. "&" substitution applies to the lines of units and statements.
#include "script_reader.h"

#include <algorithm>

#include "sql_text.h"

namespace {

struct CommandName {
  std::string_view name;
  size_t shortest;  // the shortest abbreviation SQL*Plus accepts
};

// The commands a script line may start with. Editing commands (LIST, CHANGE, INPUT, ...) are left out:
// install scripts do not use them, and their one-letter forms would take lines that are SQL.
constexpr CommandName commandNames[] = {
    {"ACCEPT", 3},     {"ARCHIVE", 7}, {"ATTRIBUTE", 4}, {"BREAK", 3},    {"BTITLE", 3},   {"CLEAR", 2},
    {"COLUMN", 3},     {"COMPUTE", 4}, {"CONNECT", 4},   {"COPY", 4},     {"DEFINE", 3},   {"DESCRIBE", 4},
    {"DISCONNECT", 4}, {"EXECUTE", 4}, {"EXIT", 4},      {"HELP", 4},     {"HOST", 2},     {"PASSWORD", 5},
    {"PAUSE", 3},      {"PRINT", 3},   {"PROMPT", 3},    {"QUIT", 4},     {"RECOVER", 7},  {"REPFOOTER", 4},
    {"REPHEADER", 4},  {"SET", 3},     {"SHOW", 3},      {"SHUTDOWN", 8}, {"SPOOL", 3},    {"START", 3},
    {"STARTUP", 7},    {"STORE", 3},   {"TIMING", 4},    {"TTITLE", 3},   {"UNDEFINE", 5}, {"VARIABLE", 3},
    {"WHENEVER", 8},   {"XQUERY", 6},
};

bool isNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
}

bool isBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f'; }

// The leading run of letters of a trimmed line, when a blank, a ';' or the line end follows it.
std::string_view firstWord(std::string_view line) {
  size_t end = 0;
  while (end < line.size() && ((line[end] >= 'A' && line[end] <= 'Z') || (line[end] >= 'a' && line[end] <= 'z'))) ++end;
  if (end < line.size() && !isBlankChar(line[end]) && line[end] != ';') return {};
  return line.substr(0, end);
}

// Whether `word` is `full` or one of its abbreviations of at least `shortest` letters.
bool abbreviates(std::string_view word, std::string_view full, size_t shortest) {
  if (word.size() < shortest || word.size() > full.size()) return false;
  return upperAscii(word) == full.substr(0, word.size());
}

bool isRemark(std::string_view trimmed) { return abbreviates(firstWord(trimmed), "REMARK", 3); }

bool isLoneChar(std::string_view trimmed, char c) { return c != 0 && trimmed.size() == 1 && trimmed[0] == c; }

// The words of a command line; a quoted word keeps its quotes.
std::vector<std::string_view> commandWords(std::string_view text) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (isBlankChar(text[pos]) || text[pos] == '\n')) ++pos;
    if (pos >= text.size()) break;
    size_t end = pos;
    if (text[pos] == '\'' || text[pos] == '"') {
      end = text.find(text[pos], pos + 1);
      end = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      while (end < text.size() && !isBlankChar(text[end]) && text[end] != '\n') ++end;
    }
    words.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

std::string_view unquote(std::string_view word) {
  if (word.size() >= 2 && (word.front() == '\'' || word.front() == '"') && word.back() == word.front())
    return word.substr(1, word.size() - 2);
  return word;
}

// ON gives `onValue`, OFF gives 0, anything else its first character.
char switchValue(std::string_view word, char onValue) {
  const std::string value = upperAscii(unquote(word));
  if (value == "ON") return onValue;
  if (value == "OFF") return 0;
  return value.empty() ? onValue : unquote(word)[0];
}

// The SET options that change how the rest of the script is read; the others are skipped. False when
// some option was not one of those.
bool applySet(const std::vector<std::string_view>& words, ScriptSettings& settings) {
  bool allFollowed = true;
  for (size_t k = 1; k < words.size(); ++k) {
    if (k + 1 >= words.size()) return false;
    const std::string_view option = words[k];
    const std::string_view value = words[k + 1];
    if (abbreviates(option, "SQLBLANKLINES", 5)) {
      settings.blankLinesEndSql = upperAscii(value) != "ON";
    } else if (abbreviates(option, "SQLTERMINATOR", 4)) {
      settings.sqlTerminator = switchValue(value, ';');
    } else if (abbreviates(option, "BLOCKTERMINATOR", 3)) {
      settings.blockTerminator = switchValue(value, '.');
    } else if (abbreviates(option, "DEFINE", 3)) {
      settings.defineChar = switchValue(value, '&');
    } else if (abbreviates(option, "SCAN", 4)) {
      settings.defineChar = upperAscii(value) == "OFF" ? 0 : '&';
    } else {
      allFollowed = false;
      continue;
    }
    ++k;
  }
  return allFollowed;
}

// ACCEPT name ... DEFAULT value gives `name` the value when it has none: a script run without a prompt
// takes the default its author wrote.
void applyAcceptDefault(const std::vector<std::string_view>& words, ScriptSettings& settings) {
  if (words.size() < 2) return;
  for (size_t k = 2; k + 1 < words.size(); ++k) {
    if (!abbreviates(words[k], "DEFAULT", 3)) continue;
    settings.defines.try_emplace(upperAscii(words[1]), std::string(unquote(words[k + 1])));
    return;
  }
}

// WITH FUNCTION or WITH PROCEDURE opens a query whose PL/SQL declarations hold ';': SQL*Plus reads it
// to its '/' line, as it reads a unit.
bool opensPlsqlQuery(const std::vector<std::string_view>& lines, size_t first, size_t column) {
  std::vector<SqlToken> tokens;
  ScanCarry carry;
  for (size_t j = first; j < lines.size() && j < first + 8 && tokens.size() < 2; ++j)
    scanLine(j == first ? lines[j].substr(column) : lines[j], static_cast<int>(j) + 1, Dialect::sql, carry, &tokens);
  return tokens.size() >= 2 && isWord(tokens[0], "WITH") &&
         (isWord(tokens[1], "FUNCTION") || isWord(tokens[1], "PROCEDURE"));
}

std::string classifyTokens(const std::vector<SqlToken>& tokens) {
  size_t k = 0;
  bool pragma = false;
  // PRAGMA ALIAS type := 'text' [;] may stand before a unit: the unit after it names the request.
  while (k < tokens.size() && isWord(tokens[k], "PRAGMA")) {
    pragma = true;
    while (k < tokens.size() && tokens[k].kind != SqlToken::literal) ++k;
    if (k < tokens.size()) ++k;
    if (k < tokens.size() && isSymbol(tokens[k], ";")) ++k;
  }
  const std::string other = pragma ? "pragma" : "sql";
  auto at = [&](size_t i, std::string_view word) { return i < tokens.size() && isWord(tokens[i], word); };
  if (k >= tokens.size()) return other;
  if (isSymbol(tokens[k], "<<") || at(k, "DECLARE") || at(k, "BEGIN")) return "block";
  if (at(k, "DROP") && at(k + 1, "PACKAGE")) return at(k + 2, "BODY") ? "drop package body" : "drop package";
  if (!at(k, "CREATE")) return other;
  ++k;
  if (at(k, "OR") && at(k + 1, "REPLACE")) k += 2;
  if (at(k, "EDITIONABLE") || at(k, "NONEDITIONABLE")) ++k;
  if (at(k, "PROCEDURE")) return "procedure";
  if (at(k, "FUNCTION")) return "function";
  if (at(k, "TRIGGER")) return "trigger";
  if (at(k, "PACKAGE")) return at(k + 1, "BODY") ? "package body" : "package head";
  if (at(k, "TYPE")) return at(k + 1, "BODY") ? "type body" : "type";
  return other;
}

// Enough tokens to classify a request that begins at `lines[first]` (from byte `column`).
std::string classifyAt(const std::vector<std::string_view>& lines, size_t first, size_t column) {
  std::vector<SqlToken> tokens;
  ScanCarry carry;
  for (size_t j = first; j < lines.size() && j < first + 64 && tokens.size() < 32; ++j) {
    scanLine(j == first ? lines[j].substr(column) : lines[j], static_cast<int>(j) + 1, Dialect::sql, carry, &tokens);
  }
  return classifyTokens(tokens);
}

constexpr const char* quotedStringEnd = "this line ends the unit inside the quoted string";

bool readsAsUnit(const std::string& name) {
  return name != "sql" && name != "drop package" && name != "drop package body";
}

class Reader {
 public:
  Reader(std::string_view text, ScriptSettings& settings, ScriptRunner* runner)
      : lines_(splitLines(text)),
        endsWithNewline_(!text.empty() && text.back() == '\n'),
        settings_(settings),
        runner_(runner) {}

  ScriptReading read() {
    while (line_ < lines_.size()) step();
    return std::move(reading_);
  }

 private:
  void nextLine() {
    ++line_;
    column_ = 0;
  }

  // One thing between items: something skipped, a command, a unit or a statement.
  void step() {
    const std::string_view rest = lines_[line_].substr(column_);
    const std::string_view trimmed = trimBlanks(rest);
    if (trimmed.empty() || trimmed.starts_with("--") || isRemark(trimmed)) return nextLine();
    if (trimmed.starts_with("/*")) return skipComment(column_ + rest.find("/*"));
    if (isLoneChar(trimmed, '/') || isLoneChar(trimmed, settings_.blockTerminator)) {
      nextLine();
      gapStart_ = line_;
      return;
    }
    if (column_ == 0) {
      const std::string command = sqlPlusCommand(trimmed);
      if (command == "EXECUTE") return readExec();
      if (!command.empty()) return readCommand(command);
    }
    const std::string name = classifyAt(lines_, line_, column_);
    if (readsAsUnit(name)) return readUnit(name);
    readStatement(name);
  }

  // A comment between items, SQL*Plus's way: it ends at the first "*/".
  void skipComment(size_t open) {
    size_t j = line_;
    size_t from = open + 2;
    for (; j < lines_.size(); ++j, from = 0) {
      const size_t close = lines_[j].find("*/", from);
      if (close == std::string_view::npos) continue;
      line_ = j;
      column_ = close + 2;
      if (trimBlanks(lines_[line_].substr(column_)).empty()) nextLine();
      return;
    }
    Diagnostic d;
    d.line = static_cast<int>(line_) + 1;
    d.column = static_cast<int>(open) + 1;
    d.length = 2;
    d.message = "Unterminated comment";
    d.source = std::string(lines_[line_]);
    reading_.diagnostics.push_back(std::move(d));
    line_ = lines_.size();
  }

  void readCommand(const std::string& command) {
    const size_t first = line_;
    std::string text(lines_[line_]);
    std::string joined(trimBlanks(lines_[line_]));
    // A trailing '-' continues a command on the next line.
    while (!joined.empty() && joined.back() == '-' && line_ + 1 < lines_.size()) {
      joined.pop_back();
      ++line_;
      text += '\n';
      text += lines_[line_];
      joined += ' ';
      joined += trimBlanks(lines_[line_]);
    }
    const std::vector<std::string_view> words = commandWords(joined);
    if (command == "SET") {
      applySet(words, settings_);
    } else if (command == "DEFINE") {
      const size_t start = joined.find_first_of(" \t");
      if (start != std::string::npos && joined.find('=') != std::string::npos)
        defineVariable(substituteKnown(std::string_view(joined).substr(start)), settings_);
    } else if (command == "ACCEPT") {
      applyAcceptDefault(words, settings_);
    } else if (command == "UNDEFINE") {
      for (size_t k = 1; k < words.size(); ++k) settings_.defines.erase(upperAscii(words[k]));
    }
    ScriptItem item;
    item.kind = ItemKind::sqlplus;
    item.name = "sqlplus";
    item.text = std::move(text);
    item.firstLine = static_cast<int>(first) + 1;
    item.lastLine = static_cast<int>(line_) + 1;
    std::vector<ScriptItem> ran;
    if (runner_ != nullptr && (command == "@" || command == "@@" || command == "START"))
      ran = runScript(item, command, substituteKnown(joined));
    reading_.items.push_back(std::move(item));
    for (ScriptItem& included : ran) reading_.items.push_back(std::move(included));
    nextLine();
    gapStart_ = line_;
  }

  // @name, @@name and START name run a script, the words after the name being its &1, &2, ...
  std::vector<ScriptItem> runScript(ScriptItem& item, const std::string& command, std::string_view joined) {
    std::string_view rest = trimBlanks(joined);
    rest.remove_prefix(command == "START" ? firstWord(rest).size() : command.size());
    const std::vector<std::string_view> words = commandWords(rest);
    if (words.empty()) return {};
    for (size_t k = 1; k < words.size(); ++k) settings_.defines[std::to_string(k)] = std::string(unquote(words[k]));
    return runner_->run(item, std::string(unquote(words[0])), command == "@@", settings_);
  }

  // EXEC[UTE] text, continued by a trailing '-', is the block BEGIN text END; as SQL*Plus sends it. The
  // command word becomes BEGIN and each continued line keeps its own line, so the compiler's lines are
  // the file's; END goes after the last token, before any comment that ends the line.
  void readExec() {
    ScriptItem item = startCompiled("exec");
    const size_t requestStart = item.text.size();
    size_t j = line_;
    for (;; ++j) {
      const std::string_view line = lines_[j];
      size_t from = 0;
      if (j == line_) {
        const size_t start = line.find_first_not_of(" \t");
        from = start + firstWord(line.substr(start)).size();
        item.text.append(line.substr(0, start));
        item.text += "BEGIN";
      }
      std::string_view rest = line.substr(from);
      const std::string_view trimmed = trimBlanks(rest);
      const bool continued = !trimmed.empty() && trimmed.back() == '-' && j + 1 < lines_.size();
      if (continued) rest = rest.substr(0, rest.rfind('-'));
      substitute(item, rest, j, from);
      if (!continued) break;
      item.text += '\n';
    }
    std::vector<SqlToken> tokens;
    ScanCarry carry;
    const std::string_view request = std::string_view(item.text).substr(requestStart);
    for (std::string_view line : splitLines(request)) scanLine(line, 0, Dialect::plsql, carry, &tokens);
    const SqlToken& last = tokens.back();  // BEGIN at least
    const size_t end = static_cast<size_t>(last.text.data() + last.text.size() - item.text.data());
    item.text.insert(end, isSymbol(last, ";") ? " END;" : "; END;");
    if (tokens.size() == 1) {
      // SQL*Plus answers a bare EXECUTE with its usage; there is no block to compile.
      Diagnostic d;
      d.line = item.firstLine;
      d.source = std::string(lines_[line_]);
      d.message = "EXECUTE without a statement to run; the line is not translated";
      item.diagnostics.push_back(std::move(d));
    }
    if (j + 1 < lines_.size() || endsWithNewline_) item.text += '\n';
    item.lastLine = static_cast<int>(j) + 1;
    refuseQQuotes(item);
    reading_.items.push_back(std::move(item));
    line_ = j;
    nextLine();
    gapStart_ = line_;
  }

  // The lines the script skipped since the last item stay in a unit's text as empty lines, so the
  // compiler counts lines from the end of the last item, as it would without the skipping.
  ScriptItem startCompiled(const std::string& name) {
    ScriptItem item;
    item.kind = ItemKind::unit;
    item.name = name;
    item.text.assign(line_ - gapStart_, '\n');
    item.firstLine = static_cast<int>(gapStart_) + 1;
    return item;
  }

  // Appends line `j` (from the item's first column on its first line), substituted, and returns it
  // as it now stands in the item's text, without its line end.
  std::string_view appendLine(ScriptItem& item, size_t j) {
    const size_t from = j == line_ ? column_ : 0;
    const size_t before = item.text.size();
    substitute(item, lines_[j].substr(from), j, from);
    const size_t length = item.text.size() - before;
    // The last line of a file without a final line end has none in the request either.
    if (j + 1 < lines_.size() || endsWithNewline_) item.text += '\n';
    return std::string_view(item.text).substr(before, length);
  }

  void readUnit(const std::string& name) {
    ScriptItem item = startCompiled(name);
    ScanCarry carry;
    carry.plsqlQQuotes = settings_.plsqlQQuotes;
    carry.plsqlFlatComments = settings_.plsqlFlatComments;
    size_t j = line_;
    bool terminated = false;
    for (; j < lines_.size(); ++j) {
      const std::string_view trimmed = trimBlanks(lines_[j]);
      if (j > line_ && (isLoneChar(trimmed, '/') || isLoneChar(trimmed, settings_.blockTerminator))) {
        // SQL*Plus ends the unit here even inside a comment or literal. A comment that closes further
        // on was meant to hold the line: it is read as comment text instead, and a warning says so.
        const bool heldByComment = carry.commentDepth > 0 && commentClosesAfter(carry, j);
        // An identifier quote left open is the compiler's own report; nothing more to explain.
        if (carry.commentDepth > 0 || (carry.closeQuote != 0 && carry.openKind != SqlToken::quotedName))
          item.diagnostics.push_back(terminatorInside(carry, j, heldByComment));
        if (!heldByComment) {
          terminated = true;
          break;
        }
      }
      scanLine(appendLine(item, j), static_cast<int>(j) + 1, Dialect::plsql, carry, nullptr);
    }
    item.lastLine = static_cast<int>(j);
    item.terminated = terminated;
    item.keptUnrun = terminated && !isLoneChar(trimBlanks(lines_[j]), '/') && !slashFollows(j + 1);
    blankEditionWord(item);
    refuseQQuotes(item);
    reading_.items.push_back(std::move(item));
    line_ = terminated ? j + 1 : j;
    column_ = 0;
    gapStart_ = line_;
  }

  // The compiler reads q'[a ]' as the name q and the string '[a ]', which would change the text without
  // a word: unless --extend q-quotes reads such literals, the first one keeps the unit from being sent.
  void refuseQQuotes(ScriptItem& item) const {
    if (settings_.plsqlQQuotes) return;
    std::vector<SqlToken> tokens;
    ScanCarry carry;
    const std::vector<std::string_view> lines = splitLines(item.text);
    for (size_t i = 0; i < lines.size(); ++i) {
      tokens.clear();
      scanLine(lines[i], static_cast<int>(i) + 1, Dialect::plsql, carry, &tokens);
      for (size_t k = 0; k + 1 < tokens.size(); ++k) {
        const SqlToken& name = tokens[k];
        const SqlToken& literal = tokens[k + 1];
        if (name.kind != SqlToken::word || !(isWord(name, "Q") || isWord(name, "NQ"))) continue;
        if (literal.kind != SqlToken::literal || literal.line != name.line ||
            literal.column != name.column + static_cast<int>(name.text.size()))
          continue;
        Diagnostic d;
        d.line = item.firstLine + static_cast<int>(i);
        d.column = name.column;
        d.length = static_cast<int>(name.text.size()) + 2;
        d.source = std::string(lines[i]);
        d.message = "q-quoted literal: the compiler would read it as the name '" + std::string(name.text) +
                    "' and a string, changing the text, so the unit is not translated";
        d.notes.push_back("--extend q-quotes reads it as one literal");
        // A '/' line after the literal's quote is no longer worth a warning: the literal is the cause.
        std::erase_if(item.diagnostics, [](const Diagnostic& w) { return w.message.find(quotedStringEnd) == 0; });
        item.diagnostics.push_back(std::move(d));
        return;
      }
    }
  }

  // Whether the next line that is not blank or a comment, from line `j` on, holds only '/'.
  bool slashFollows(size_t j) const {
    for (; j < lines_.size(); ++j) {
      const std::string_view trimmed = trimBlanks(lines_[j]);
      if (trimmed.empty() || trimmed.starts_with("--") || isRemark(trimmed)) continue;
      return isLoneChar(trimmed, '/');
    }
    return false;
  }

  // The target has no editions, and the compiler's grammar no place for the word: a unit created
  // EDITIONABLE or NONEDITIONABLE is compiled without it. The word is blanked out rather than cut, so
  // that every line and column of the unit stays where the script has it.
  static void blankEditionWord(ScriptItem& item) {
    std::vector<SqlToken> tokens;
    ScanCarry carry;
    const std::string_view text = item.text;
    for (size_t start = 0; start < text.size() && tokens.size() < 4;) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      scanLine(text.substr(start, end - start), 0, Dialect::plsql, carry, &tokens);
      start = end + 1;
    }
    auto at = [&](size_t i, std::string_view word) { return i < tokens.size() && isWord(tokens[i], word); };
    if (!at(0, "CREATE")) return;
    const size_t k = at(1, "OR") && at(2, "REPLACE") ? 3 : 1;
    if (!at(k, "EDITIONABLE") && !at(k, "NONEDITIONABLE")) return;
    const std::string_view word = tokens[k].text;
    item.text.replace(static_cast<size_t>(word.data() - text.data()), word.size(), word.size(), ' ');
  }

  // Whether the comment open before line `j` closes at or after it, read as the compiler reads it.
  // The answer holds for every later line of the same comment, so it is kept.
  bool commentClosesAfter(const ScanCarry& carry, size_t j) {
    if (commentOpenedAt_ == carry.openLine && commentColumn_ == carry.openColumn) return commentCloses_;
    commentOpenedAt_ = carry.openLine;
    commentColumn_ = carry.openColumn;
    ScanCarry ahead = carry;
    for (size_t k = j; k < lines_.size() && ahead.commentDepth > 0; ++k)
      scanLine(lines_[k], static_cast<int>(k) + 1, Dialect::plsql, ahead, nullptr);
    commentCloses_ = ahead.commentDepth == 0;
    return commentCloses_;
  }

  // A line that would end the unit stands inside a comment or literal: say what became of it.
  Diagnostic terminatorInside(const ScanCarry& carry, size_t j, bool heldByComment) const {
    Diagnostic d;
    d.severity = Severity::warning;
    d.line = static_cast<int>(j) + 1;
    const std::string_view line = lines_[j];
    d.column = static_cast<int>(line.find_first_not_of(" \t")) + 1;
    d.source = std::string(line);
    const std::string opened = std::to_string(carry.openLine);
    if (heldByComment) {
      d.message = "this line is inside the comment opened on line " + opened +
                  " and is read as comment text; SQL*Plus would end the unit here";
    } else {
      d.message = std::string(carry.commentDepth > 0 ? "this line ends the unit inside the comment" : quotedStringEnd) +
                  " opened on line " + opened + ", as SQL*Plus reads it";
    }
    return d;
  }

  void readStatement(const std::string& name) {
    const bool compiled = name != "sql";
    const bool toSlash = !compiled && opensPlsqlQuery(lines_, line_, column_);
    ScriptItem item;
    if (compiled) {
      item = startCompiled(name);
    } else {
      item.kind = ItemKind::sql;
      item.name = name;
      item.firstLine = static_cast<int>(line_) + 1;
    }
    ScanCarry carry;
    std::vector<SqlToken> tokens;
    size_t j = line_;
    bool consumedTerminatorLine = false;
    size_t statementEnd = 0;  // in the text: the end of the statement's last token, its terminator left out
    while (j < lines_.size()) {
      if (j > line_) {
        const std::string_view trimmed = trimBlanks(lines_[j]);
        if (trimmed.empty() && settings_.blankLinesEndSql && !toSlash) break;
        if (isLoneChar(trimmed, '/') || isLoneChar(trimmed, settings_.blockTerminator)) {
          consumedTerminatorLine = true;
          break;
        }
      }
      tokens.clear();
      scanLine(appendLine(item, j), static_cast<int>(j) + 1, Dialect::sql, carry, &tokens);
      ++j;
      // The terminator may end a word ("COMMIT#" with SET SQLTERMINATOR #), never a literal.
      const bool ends = settings_.sqlTerminator != 0 && !carry.isOpen() && !tokens.empty() &&
                        tokens.back().kind != SqlToken::literal && tokens.back().kind != SqlToken::quotedName &&
                        tokens.back().text.back() == settings_.sqlTerminator;
      if (!tokens.empty()) {
        const SqlToken& last = tokens.back();
        statementEnd = static_cast<size_t>(last.text.data() + last.text.size() - item.text.data()) - (ends ? 1 : 0);
      }
      if (ends && !toSlash) break;
    }
    item.lastLine = static_cast<int>(j);
    if (!item.text.empty() && item.text.back() != '\n') item.text += '\n';
    // What SQL*Plus sends: no terminator, nor the comments after the statement's last token.
    while (statementEnd > 0 && (isBlankChar(item.text[statementEnd - 1]) || item.text[statementEnd - 1] == '\n'))
      --statementEnd;
    item.statementLength = statementEnd;
    line_ = consumedTerminatorLine ? j + 1 : j;
    column_ = 0;
    gapStart_ = line_;
    if (!compiled && statementEnd == 0 && item.diagnostics.empty()) return;  // a lone terminator
    if (compiled) refuseQQuotes(item);
    reading_.items.push_back(std::move(item));
  }

  // Copies `line` to `out` with &name and &&name (a '.' right after the name ends it and goes) replaced
  // by the variable's value. A variable without a value keeps its text and goes to `missing` with its
  // name, column and length.
  template <typename Missing>
  void expandVariables(std::string_view line, std::string& out, Missing missing) const {
    const char mark = settings_.defineChar;
    if (mark == 0 || line.find(mark) == std::string_view::npos) {
      out += line;
      return;
    }
    size_t pos = 0;
    while (pos < line.size()) {
      if (line[pos] != mark) {
        out += line[pos++];
        continue;
      }
      size_t nameStart = pos + 1;
      if (nameStart < line.size() && line[nameStart] == mark) ++nameStart;
      size_t end = nameStart;
      while (end < line.size() && isNameChar(line[end])) ++end;
      if (end == nameStart) {
        out.append(line.substr(pos, end - pos));
        pos = end;
        continue;
      }
      const std::string_view name = line.substr(nameStart, end - nameStart);
      if (end < line.size() && line[end] == '.') ++end;
      const auto value = settings_.defines.find(upperAscii(name));
      if (value != settings_.defines.end()) {
        out += value->second;
      } else {
        out.append(line.substr(pos, end - pos));
        missing(name, pos, end - pos);
      }
      pos = end;
    }
  }

  // A variable without a value is an error on the item, and its text stays as written.
  void substitute(ScriptItem& item, std::string_view line, size_t j, size_t offset) {
    expandVariables(line, item.text, [&](std::string_view name, size_t column, size_t length) {
      reportUndefined(item, name, j, offset + column, length);
    });
  }

  // A DEFINE's value takes the variables that have one, as SQL*Plus substitutes on the command line
  // (DEFINE run_date = &1 in a job script): the rest stay as written, to be reported where a unit or
  // statement uses them.
  std::string substituteKnown(std::string_view text) const {
    std::string out;
    expandVariables(text, out, [](std::string_view, size_t, size_t) {});
    return out;
  }

  void reportUndefined(ScriptItem& item, std::string_view name, size_t j, size_t column, size_t length) {
    const std::string message =
        "substitution variable '" + std::string(1, settings_.defineChar) + std::string(name) + "' has no value";
    for (const Diagnostic& d : item.diagnostics) {
      if (d.message == message) return;
    }
    Diagnostic d;
    d.line = static_cast<int>(j) + 1;
    d.column = static_cast<int>(column) + 1;
    d.length = static_cast<int>(length);
    d.message = message;
    d.source = std::string(lines_[j]);
    d.notes.push_back("give it one with --define " + std::string(name) +
                      "=VALUE, or put SET DEFINE OFF before it if '" + std::string(1, settings_.defineChar) +
                      "' is meant as written");
    item.diagnostics.push_back(std::move(d));
  }

  std::vector<std::string_view> lines_;
  bool endsWithNewline_;
  ScriptSettings& settings_;
  ScriptRunner* runner_;
  ScriptReading reading_;
  size_t line_ = 0;    // the line being read
  size_t column_ = 0;  // where reading resumes on it (after a comment that closed mid-line)
  size_t gapStart_ = 0;
  // Where the comment last looked ahead for began, and whether it closes.
  int commentOpenedAt_ = 0;
  int commentColumn_ = 0;
  bool commentCloses_ = false;
};

}  // namespace

bool ScriptItem::hasErrors() const {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.severity == Severity::error; });
}

const std::vector<std::string_view>& ScriptItem::lines() const {
  if (linesOf_ != text.data() || linesSize_ != text.size()) {
    lines_ = splitLines(text);
    linesOf_ = text.data();
    linesSize_ = text.size();
  }
  return lines_;
}

std::string sqlPlusCommand(std::string_view line) {
  const std::string_view trimmed = trimBlanks(line);
  if (trimmed.starts_with("@@")) return "@@";
  if (trimmed.starts_with("@")) return "@";
  if (trimmed.starts_with("!")) return "HOST";
  const std::string_view word = firstWord(trimmed);
  if (word.empty()) return {};
  for (const CommandName& command : commandNames) {
    if (!abbreviates(word, command.name, command.shortest)) continue;
    if (command.name == "SET") {
      const std::string_view next = firstWord(trimBlanks(trimmed.substr(word.size())));
      for (std::string_view sql : {"TRANSACTION", "ROLE", "CONSTRAINT", "CONSTRAINTS"}) {
        if (upperAscii(next) == sql) return {};
      }
    }
    return std::string(command.name);
  }
  return {};
}

std::string classifyRequest(std::string_view text) { return classifyAt(splitLines(text), 0, 0); }

bool presetSetting(std::string_view text, ScriptSettings& settings) {
  const std::string command = "SET " + std::string(text);
  const std::vector<std::string_view> words = commandWords(command);
  return words.size() > 1 && applySet(words, settings);
}

bool defineVariable(std::string_view assignment, ScriptSettings& settings) {
  const std::string_view text = trimBlanks(assignment);
  size_t end = 0;
  while (end < text.size() && isNameChar(text[end])) ++end;
  if (end == 0) return false;
  const std::string name = upperAscii(text.substr(0, end));
  std::string_view rest = trimBlanks(text.substr(end));
  if (rest.empty() || rest[0] != '=') return false;
  rest = trimBlanks(rest.substr(1));
  if (!rest.empty() && (rest[0] == '\'' || rest[0] == '"')) {
    const size_t close = rest.find(rest[0], 1);
    rest = close == std::string_view::npos ? rest.substr(1) : rest.substr(1, close - 1);
  }
  settings.defines[name] = std::string(rest);
  return true;
}

ScriptReading readScript(std::string_view text, ScriptSettings& settings, ScriptRunner* runner) {
  return Reader(text, settings, runner).read();
}

ScriptReading readRequestsRaw(std::string_view script) {
  ScriptReading reading;
  std::string current;
  int currentFirst = 1;
  int lastContent = 0;
  int lineNumber = 0;
  size_t pos = 0;
  auto flush = [&] {
    if (current.find_first_not_of(" \t\r\n") != std::string::npos) {
      ScriptItem item;
      item.name = classifyRequest(current);
      item.text = current;
      item.firstLine = currentFirst;
      item.lastLine = lastContent;
      reading.items.push_back(std::move(item));
    }
    current.clear();
  };
  while (pos < script.size()) {
    size_t end = script.find('\n', pos);
    const bool lastLine = end == std::string_view::npos;
    if (lastLine) end = script.size();
    const std::string_view line = script.substr(pos, end - pos);
    ++lineNumber;
    if (trimBlanks(line) == "/") {
      flush();
      currentFirst = lineNumber + 1;
    } else {
      current += line;
      if (!lastLine) current += '\n';
      if (!trimBlanks(line).empty()) lastContent = lineNumber;
    }
    pos = end + 1;
  }
  flush();
  return reading;
}
