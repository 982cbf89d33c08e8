// request_report.cpp - placing the compiler's records in the file and the END-name warning. The
// compiler gives a request line and, for most syntax errors, the column of the offending token; what
// it cannot give (where an open comment began, what ends a block) is found by a light reading of the
// request's text.
#include "request_report.h"

#include <algorithm>
#include <cstring>

#include "constructs.h"
#include "script/sql_text.h"

namespace {

std::string_view lineOf(const std::vector<std::string_view>& lines, int requestLine) {
  if (requestLine < 1 || requestLine > static_cast<int>(lines.size())) return {};
  return lines[static_cast<size_t>(requestLine) - 1];
}

// The last request line holding something, 1 for a request of blank lines.
int lastContentLine(const std::vector<std::string_view>& lines) {
  for (size_t i = lines.size(); i > 0; --i) {
    if (!trimBlanks(lines[i - 1]).empty()) return static_cast<int>(i);
  }
  return 1;
}

bool sameLetters(char a, char b) {
  if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
  if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
  return a == b;
}

bool isWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
         c == '#' || (static_cast<unsigned char>(c) & 0x80) != 0;
}

// Where `word` stands in `text` as a whole word, in any letter case; npos when it does not.
size_t findWord(std::string_view text, std::string_view word) {
  if (word.empty()) return std::string_view::npos;
  for (size_t at = 0; at + word.size() <= text.size(); ++at) {
    if (at > 0 && isWordByte(text[at - 1]) && isWordByte(word.front())) continue;
    if (at + word.size() < text.size() && isWordByte(text[at + word.size()]) && isWordByte(word.back())) continue;
    if (std::equal(word.begin(), word.end(), text.begin() + static_cast<std::ptrdiff_t>(at), sameLetters)) return at;
  }
  return std::string_view::npos;
}

// The first word of an unsupported feature's description ("FOR ... IN" gives FOR).
std::string_view leadingWord(std::string_view text) {
  size_t end = 0;
  while (end < text.size() && isWordByte(text[end])) ++end;
  return text.substr(0, end);
}

// Marks where `construct` stands on the source line, or failing that its first word; nothing when
// neither does.
void markConstruct(std::string_view source, std::string_view construct, Diagnostic& d) {
  std::string_view word = construct;
  size_t at = findWord(source, word);
  if (at == std::string_view::npos) {
    word = leadingWord(construct);
    at = findWord(source, word);
  }
  if (at == std::string_view::npos) return;
  d.column = static_cast<int>(at) + 1;
  d.length = static_cast<int>(word.size());
}

}  // namespace

int fileLineOf(const ScriptItem& item, int requestLine) {
  if (requestLine <= 0) return 0;
  return item.firstLine + std::min(requestLine, std::max(item.lastLine - item.firstLine + 1, 1)) - 1;
}

std::vector<Diagnostic> describeCompileErrors(const ScriptItem& item, const Outcome& outcome) {
  std::vector<Diagnostic> out;
  if (outcome.errors.empty()) {
    Diagnostic d;
    d.line = item.firstLine;
    d.message.assign(outcome.sqlca.sqlerrmc, static_cast<size_t>(std::max<int16_t>(outcome.sqlca.sqlerrml, 0)));
    out.push_back(std::move(d));
    return out;
  }
  const std::vector<std::string_view>& lines = item.lines();
  const int last = lastContentLine(lines);
  // What the request leaves open at its end, read as the compiler reads it.
  ScanCarry open;
  for (size_t i = 0; i < lines.size(); ++i) scanLine(lines[i], static_cast<int>(i) + 1, Dialect::plsql, open, nullptr);

  for (const ErrorCopy& e : outcome.errors) {
    Diagnostic d;
    const char* detail = e.detail ? e.detail->c_str() : nullptr;
    d.message = friendlyMessage(e.message ? *e.message : "error", detail, e.extra ? e.extra->c_str() : nullptr);
    int line = e.line;
    // The parser met the end of the input, or the record lies past the request's last line.
    bool atEnd = e.message && e.message->find("unexpected $end") != std::string::npos;
    if (atEnd || line > last) {
      line = last;
      atEnd = true;
    }
    if (line <= 0) {
      d.line = item.firstLine;
    } else {
      d.line = item.firstLine + line - 1;
      const std::string_view source = lineOf(lines, line);
      d.source = std::string(source);
      const bool openConstruct =
          e.message && (*e.message == "Unterminated comment" || *e.message == "Unterminated quoted string");
      if (atEnd) {
        // Where more input was expected: just after the last thing written.
        d.column = static_cast<int>(source.find_last_not_of(" \t\r")) + 2;
      } else if (openConstruct && open.isOpen() && open.openLine == line) {
        d.column = open.openColumn;
        d.length = open.commentDepth > 0 ? 2 : 1;
      } else if (e.column > 0 && !openConstruct) {
        d.column = e.column;
        d.length = detail != nullptr ? static_cast<int>(std::max<size_t>(std::strlen(detail), 1)) : 1;
      } else if (detail != nullptr && !openConstruct) {
        // Records made away from the scanner name their construct: mark it, or its first word.
        markConstruct(source, detail, d);
      }
    }
    // A record made away from the scanner may carry its reason as its near text rather than the line.
    if (e.nearText && !e.nearText->empty() && item.text.find(*e.nearText) == std::string::npos) {
      if (*e.message == "syntax error" && (!e.extra || e.extra->empty())) {
        d.message += ": " + *e.nearText;
      } else {
        d.notes.push_back("near " + *e.nearText);
      }
    }
    // The parser's token rarely says which construct it stopped at; a rule that recognises one says so.
    bool known = false;
    const std::string construct = constructOf(e, item.text, &known);
    if (known && d.message.find(construct) == std::string::npos) d.notes.push_back("construct: " + construct);
    const bool repeated = std::any_of(out.begin(), out.end(), [&](const Diagnostic& seen) {
      return seen.line == d.line && seen.column == d.column && seen.message == d.message;
    });
    if (!repeated) out.push_back(std::move(d));
  }
  return out;
}

bool holdsQQuotedLiteral(std::string_view line) {
  for (size_t at = 0; at + 2 < line.size(); ++at) {
    if ((line[at] != 'q' && line[at] != 'Q') || line[at + 1] != '\'') continue;
    size_t start = at;
    if (start > 0 && (line[start - 1] == 'n' || line[start - 1] == 'N')) --start;
    if (start > 0 && isWordByte(line[start - 1])) continue;
    const char open = line[at + 2];
    if (open != ' ' && open != '\t' && open != '\r') return true;
  }
  return false;
}

std::vector<Diagnostic> describeExtensionNotes(const ScriptItem& item, const Outcome& outcome) {
  std::vector<Diagnostic> out;
  const std::vector<std::string_view>& lines = item.lines();
  for (const ErrorCopy& n : outcome.notes) {
    Diagnostic d;
    d.severity = n.domain == 0 ? Severity::warning : Severity::note;
    d.message = n.message ? *n.message : "extension";
    if (n.extra) d.message += " [--extend " + *n.extra + "]";
    d.line = n.line > 0 ? fileLineOf(item, n.line) : item.firstLine;
    const std::string_view source = n.line > 0 ? lineOf(lines, n.line) : std::string_view{};
    if (!source.empty()) {
      d.source = std::string(source);
      if (n.column > 0) {
        d.column = n.column;
        d.length = n.detail ? static_cast<int>(std::max<size_t>(n.detail->size(), 1)) : 1;
      } else if (n.detail && !n.detail->empty()) {
        markConstruct(source, *n.detail, d);
      }
    }
    out.push_back(std::move(d));
  }
  return out;
}

namespace {

// Whether the text may hold an END followed by a name that is not the unit's own closing END: a look at
// the bytes alone, blind to comments and literals, so it may say yes in vain but never no in vain. Most
// units close only themselves with a name, and are then spared the token reading below.
bool mayEndNestedWithName(std::string_view text) {
  int candidates = 0;
  size_t lastEnd = std::string_view::npos;
  size_t lastCandidate = std::string_view::npos;
  for (size_t pos = 0; pos + 3 <= text.size(); ++pos) {
    if ((text[pos] | 0x20) != 'e' || (text[pos + 1] | 0x20) != 'n' || (text[pos + 2] | 0x20) != 'd') continue;
    if ((pos > 0 && isWordByte(text[pos - 1])) || (pos + 3 < text.size() && isWordByte(text[pos + 3]))) continue;
    lastEnd = pos;
    size_t next = pos + 3;
    while (next < text.size() && (text[next] == ' ' || text[next] == '\t' || text[next] == '\r' || text[next] == '\n'))
      ++next;
    if (next >= text.size() || text[next] == ';') continue;
    size_t wordEnd = next;
    while (wordEnd < text.size() && isWordByte(text[wordEnd])) ++wordEnd;
    const std::string word = upperAscii(text.substr(next, wordEnd - next));
    if (word == "IF" || word == "LOOP" || word == "CASE") continue;
    ++candidates;
    lastCandidate = pos;
  }
  return candidates > 1 || (candidates == 1 && lastCandidate != lastEnd);
}

}  // namespace

std::vector<Diagnostic> endNameCallWarnings(const ScriptItem& item, const Outcome& outcome) {
  std::vector<Diagnostic> out;
  if (!outcome.ok || !mayEndNestedWithName(item.text)) return out;
  const std::vector<std::string_view>& lines = item.lines();
  std::vector<SqlToken> tokens;
  ScanCarry carry;
  for (size_t i = 0; i < lines.size(); ++i) scanLine(lines[i], static_cast<int>(i) + 1, Dialect::plsql, carry, &tokens);

  // What each open END will close. A declaration section (of a DECLARE, a routine, a package) becomes
  // a body at its BEGIN; a body is nested when it is a statement of another body.
  enum class Frame { declarations, body, nestedBody, caseEnd };
  std::vector<Frame> frames;
  auto inBody = [&](size_t fromTop) {
    if (frames.size() <= fromTop) return false;
    const Frame f = frames[frames.size() - 1 - fromTop];
    return f == Frame::body || f == Frame::nestedBody;
  };
  bool routineHead = false;  // after PROCEDURE, FUNCTION, PACKAGE or TYPE BODY, until IS/AS or ';'
  int depth = 0;
  const auto at = [&](size_t k, std::string_view word) { return k < tokens.size() && isWord(tokens[k], word); };
  for (size_t k = 0; k < tokens.size(); ++k) {
    const SqlToken& t = tokens[k];
    if (isSymbol(t, "(")) ++depth;
    if (isSymbol(t, ")")) depth = std::max(depth - 1, 0);
    if (isSymbol(t, ";") && depth == 0) routineHead = false;
    if (t.kind != SqlToken::word) continue;
    if (at(k, "PROCEDURE") || at(k, "FUNCTION") || at(k, "PACKAGE") || (at(k, "TYPE") && at(k + 1, "BODY"))) {
      routineHead = true;
    } else if ((at(k, "IS") || at(k, "AS")) && routineHead && depth == 0) {
      frames.push_back(Frame::declarations);
      routineHead = false;
    } else if (at(k, "DECLARE")) {
      frames.push_back(Frame::declarations);
    } else if (at(k, "BEGIN")) {
      if (!frames.empty() && frames.back() == Frame::declarations) {
        frames.back() = inBody(1) ? Frame::nestedBody : Frame::body;
      } else {
        frames.push_back(inBody(0) ? Frame::nestedBody : Frame::body);
      }
    } else if (at(k, "CASE") && !(k > 0 && isWord(tokens[k - 1], "END"))) {
      frames.push_back(Frame::caseEnd);
    } else if (at(k, "END") && !at(k + 1, "IF") && !at(k + 1, "LOOP")) {
      if (frames.empty()) continue;
      const Frame closed = frames.back();
      frames.pop_back();
      if (closed != Frame::nestedBody || k + 2 >= tokens.size()) continue;
      const SqlToken& name = tokens[k + 1];
      if (name.kind != SqlToken::word || !isSymbol(tokens[k + 2], ";")) continue;
      // The grammar made a call of it only if the statements call it.
      const std::string call = "CALL " + upperAscii(name.text);
      const bool called = std::any_of(outcome.results.begin(), outcome.results.end(), [&](const auto& result) {
        const std::string text = upperAscii(result.second);
        for (size_t pos = text.find(call); pos != std::string::npos; pos = text.find(call, pos + 1)) {
          const size_t after = pos + call.size();
          if (after >= text.size() || !isWordByte(text[after])) return true;
        }
        return false;
      });
      if (!called) continue;
      Diagnostic d;
      d.severity = Severity::warning;
      d.line = item.firstLine + name.line - 1;
      d.column = name.column;
      d.length = static_cast<int>(name.text.size());
      d.message = "'" + std::string(name.text) + "' after END is compiled as a call";
      d.source = std::string(lineOf(lines, name.line));
      d.notes.push_back("a nested block ends at END; write 'END;' if '" + std::string(name.text) +
                        "' names the block, or 'END; " + std::string(name.text) + ";' if the call is meant");
      out.push_back(std::move(d));
    }
  }
  return out;
}
