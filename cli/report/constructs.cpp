// constructs.cpp - the rules that name a rejection's construct. A rule looks at what the parser met,
// the unit's head and the source line; it never compiles anything, so classifying costs a reading of
// the few lines around the error. A new construct is a new row in constructRules, above any row whose
// test it would also pass.
#include "constructs.h"

#include <algorithm>
#include <cstdlib>

#include "request_report.h"
#include "script/sql_text.h"

namespace {

bool isWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
         c == '#' || (static_cast<unsigned char>(c) & 0x80) != 0;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

// Whether `word` stands in `text` as a whole word, in any letter case.
bool hasWord(std::string_view text, std::string_view word) {
  for (size_t at = 0; at + word.size() <= text.size(); ++at) {
    if (at > 0 && isWordByte(text[at - 1])) continue;
    if (at + word.size() < text.size() && isWordByte(text[at + word.size()])) continue;
    if (sameWord(text.substr(at, word.size()), word)) return true;
  }
  return false;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The unit's first words in upper case, past comments, labels and blank lines: enough to tell its kind
// and what stands in its head.
std::string headWords(std::string_view text) {
  std::vector<SqlToken> tokens;
  ScanCarry carry;
  const std::vector<std::string_view> lines = splitLines(text);
  for (size_t i = 0; i < lines.size() && i < 16 && tokens.size() < 12; ++i)
    scanLine(lines[i], static_cast<int>(i) + 1, Dialect::plsql, carry, &tokens);
  std::string out;
  for (size_t i = 0; i < tokens.size() && i < 12; ++i) {
    if (tokens[i].kind != SqlToken::word) break;
    if (!out.empty()) out += ' ';
    for (const char c : tokens[i].text) out += upper(c);
  }
  return out;
}

// "CREATE OR REPLACE TYPE x" and "CREATE TYPE x" alike: the words after CREATE [OR REPLACE].
std::string_view afterCreate(std::string_view head) {
  if (!startsWith(head, "CREATE ")) return {};
  head.remove_prefix(7);
  if (startsWith(head, "OR REPLACE ")) head.remove_prefix(11);
  return head;
}

// What the parser met, as friendlyMessage words it: "BODY", "identifier 'UNDER'", "'('"; empty for a
// message of another form.
std::string tokenMet(const ErrorCopy& error) {
  if (!error.message || !startsWith(*error.message, "syntax error, unexpected ")) return {};
  std::string text = friendlyMessage(*error.message, error.detail ? error.detail->c_str() : nullptr, nullptr);
  const size_t at = text.find("unexpected ");
  if (at == std::string::npos) return {};
  text.erase(0, at + 11);
  const size_t expecting = text.find(", expecting");
  if (expecting != std::string::npos) text.erase(expecting);
  return text;
}

bool metWord(const ConstructClue& c, std::string_view word) {
  return sameWord(c.met, word) || (startsWith(c.met, "identifier") && sameWord(c.detail, word));
}

// The source line up to the record's column, or the whole line when the column is unknown.
std::string_view lineBefore(const ConstructClue& c) {
  if (c.column <= 0) return c.line;
  return c.line.substr(0, std::min(c.line.size(), static_cast<size_t>(c.column - 1)));
}

std::string createTypeBody(const ConstructClue& c) {
  return startsWith(afterCreate(c.head), "TYPE BODY") ? "CREATE TYPE BODY" : "";
}

std::string typeInheritance(const ConstructClue& c) {
  return startsWith(afterCreate(c.head), "TYPE") && metWord(c, "UNDER") ? "object type inheritance (UNDER)" : "";
}

std::string typeOid(const ConstructClue& c) {
  return startsWith(afterCreate(c.head), "TYPE") && metWord(c, "OID") ? "object type with a fixed OID" : "";
}

std::string objectTypeMethod(const ConstructClue& c) {
  if (!startsWith(afterCreate(c.head), "TYPE")) return {};
  for (const char* word : {"MEMBER", "STATIC", "CONSTRUCTOR", "MAP", "ORDER", "OVERRIDING"}) {
    if (metWord(c, word)) return "method in an object type (" + std::string(word) + ")";
  }
  for (const char* word : {"FINAL", "INSTANTIABLE"}) {
    if (metWord(c, word) || (metWord(c, "NOT") && hasWord(c.line, word)))
      return "object type modifier (FINAL, INSTANTIABLE)";
  }
  return {};
}

// The parser stops at the ';' after AGGREGATE USING impl, or at AGGREGATE itself.
std::string userAggregate(const ConstructClue& c) {
  return metWord(c, "AGGREGATE") || (hasWord(c.line, "AGGREGATE") && hasWord(c.line, "USING"))
             ? "user-defined aggregate function (AGGREGATE USING)"
             : "";
}

std::string compoundTrigger(const ConstructClue& c) {
  const bool compound = c.message == "Compound triggers not supported" ||
                        (startsWith(afterCreate(c.head), "TRIGGER") && hasWord(c.text.substr(0, 2000), "COMPOUND"));
  return compound ? "compound trigger (COMPOUND TRIGGER)" : "";
}

std::string exceptionInit(const ConstructClue& c) {
  if (c.nearText != "pragma exception_init") return {};
  if (c.extra == "<sqlstate>") return "EXCEPTION_INIT with a SQLSTATE that is not five characters";
  char* end = nullptr;
  const std::string number(c.detail);
  const long n = std::strtol(number.c_str(), &end, 10);
  if (number.empty() || *end != '\0') return "EXCEPTION_INIT of an exception not declared in the same section";
  if (n == -1403) return "EXCEPTION_INIT with error number -1403 (use NO_DATA_FOUND or 100)";
  if (n > 0 && n != 100) return "EXCEPTION_INIT with a positive error number";
  if (n < -1000000) return "EXCEPTION_INIT with error number " + number + " (out of range)";
  return "EXCEPTION_INIT with error number " + number + " (not in the error map)";
}

std::string conditionalCompilation(const ConstructClue& c) {
  const bool marked = startsWith(c.detail, "$") || c.line.find("$IF") != std::string_view::npos ||
                      c.line.find("$if") != std::string_view::npos || c.line.find("$$") != std::string_view::npos ||
                      c.line.find("$END") != std::string_view::npos || c.line.find("$ELS") != std::string_view::npos;
  return marked ? "conditional compilation ($IF)" : "";
}

std::string qQuotedLiteral(const ConstructClue& c) { return holdsQQuotedLiteral(c.line) ? "q-quoted literal" : ""; }

// get_acct(1).post(100); as a statement: the grammar takes a call's ')' followed by '.' and a name for
// the start of an assignment, and stops at the method's '('.
std::string methodOnResult(const ConstructClue& c) {
  if (c.met != "'('") return {};
  const std::string_view before = lineBefore(c);
  size_t end = before.find_last_not_of(" \t");
  if (end == std::string_view::npos || !isWordByte(before[end])) return {};
  while (end > 0 && isWordByte(before[end])) --end;
  end = before.find_last_not_of(" \t", end);
  if (end == std::string_view::npos || before[end] != '.' || end == 0) return {};
  end = before.find_last_not_of(" \t", end - 1);
  return end != std::string_view::npos && before[end] == ')' ? "method call on a function result" : "";
}

size_t occurrences(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// /* ... /* ... */: comments nest here, so a '/*' inside a comment leaves it open, and the parser then
// meets the end of the input too. A comment that is simply never closed has no '*/' at all.
std::string nestedComment(const ConstructClue& c) {
  if (c.message != "Unterminated comment" && c.met != "end of input") return {};
  const size_t closes = occurrences(c.text, "*/");
  return closes > 0 && occurrences(c.text, "/*") > closes ? "comment holding '/*' (comments nest)" : "";
}

std::string typeForce(const ConstructClue& c) {
  return startsWith(afterCreate(c.head), "TYPE") && metWord(c, "FORCE") ? "CREATE TYPE ... FORCE" : "";
}

// A routine inside a routine's declarations: FUNCTION or PROCEDURE met after the head.
std::string nestedRoutine(const ConstructClue& c) {
  for (const char* word : {"FUNCTION", "PROCEDURE"}) {
    if (c.met != word) continue;
    if (startsWith(afterCreate(c.head), "PACKAGE")) return {};
    return "nested " + std::string(word) + " in a declaration section";
  }
  return {};
}

// A clause of a routine's head; PARALLEL_ENABLE is only taken with its PARTITION clause, so the parser
// stops at the word after it.
std::string routineClause(const ConstructClue& c) {
  const std::string_view before = lineBefore(c);
  for (const char* word : {"RESULT_CACHE", "PARALLEL_ENABLE", "ACCESSIBLE", "SHARING"}) {
    if (metWord(c, word) || (c.domain == 0 && hasWord(before, word))) return "routine clause " + std::string(word);
  }
  return {};
}

std::string authid(const ConstructClue& c) {
  if (c.domain != 0 && startsWith(c.message, "AUTHID")) return std::string(c.message.substr(0, 19));
  if (!metWord(c, "AUTHID")) return {};
  return hasWord(c.line, "DEFINER") ? "AUTHID DEFINER" : "AUTHID CURRENT_USER";
}

// Messages that already name their construct: "X not supported" gives X.
std::string notSupportedMessage(const ConstructClue& c) {
  constexpr std::string_view suffix = " not supported";
  if (c.message.size() <= suffix.size() || c.message.substr(c.message.size() - suffix.size()) != suffix) return {};
  return std::string(c.message.substr(0, c.message.size() - suffix.size()));
}

// Quoted names ('&name', 'x') left out of a message, so messages that differ only in them group.
std::string withoutQuotedNames(const std::string& message) {
  std::string out;
  size_t pos = 0;
  for (;;) {
    const size_t open = message.find('\'', pos);
    const size_t close = open == std::string::npos ? std::string::npos : message.find('\'', open + 1);
    if (close == std::string::npos) break;
    out.append(message, pos, open - pos);
    out += "'...'";
    pos = close + 1;
  }
  out.append(message, pos, std::string::npos);
  return out;
}

// The parser's or the stage's own words when no rule names the construct.
std::string fallback(const ErrorCopy& error, std::string_view text) {
  const std::string message = error.message ? *error.message : "error";
  if (error.domain != 0) return message;
  std::string key = friendlyMessage(message, nullptr, error.extra ? error.extra->c_str() : nullptr);
  const size_t expecting = key.find(", expecting");
  if (expecting != std::string::npos) key.erase(expecting);
  // A later stage's bare record gives its reason as near text when that is not the source line.
  if (key == "syntax error" && error.nearText && !error.nearText->empty() &&
      text.find(*error.nearText) == std::string_view::npos)
    key += ": " + *error.nearText;
  return key;
}

std::string classify(const ErrorCopy& error, std::string_view text, bool* known) {
  const std::vector<std::string_view> lines = splitLines(text);
  const std::string met = tokenMet(error);
  const std::string head = headWords(text);
  ConstructClue clue;
  clue.message = error.message ? std::string_view(*error.message) : std::string_view();
  clue.detail = error.detail ? std::string_view(*error.detail) : std::string_view();
  clue.nearText = error.nearText ? std::string_view(*error.nearText) : std::string_view();
  clue.extra = error.extra ? std::string_view(*error.extra) : std::string_view();
  clue.domain = error.domain;
  clue.met = met;
  clue.head = head;
  if (error.line >= 1 && error.line <= static_cast<int>(lines.size())) {
    clue.line = lines[static_cast<size_t>(error.line) - 1];
    clue.column = error.column;
  }
  clue.text = text;
  for (const ConstructRule* rule = constructRules; rule->name != nullptr; ++rule) {
    std::string construct = rule->match(clue);
    if (construct.empty()) continue;
    *known = true;
    return construct;
  }
  *known = false;
  return fallback(error, text);
}

}  // namespace

const ConstructRule constructRules[] = {
    {"CREATE TYPE BODY", createTypeBody},
    {"object type inheritance", typeInheritance},
    {"object type OID", typeOid},
    {"object type methods", objectTypeMethod},
    {"user-defined aggregate", userAggregate},
    {"compound trigger", compoundTrigger},
    {"EXCEPTION_INIT", exceptionInit},
    {"conditional compilation", conditionalCompilation},
    {"AUTHID", authid},
    {"q-quoted literal", qQuotedLiteral},
    {"nested comment", nestedComment},
    {"CREATE TYPE FORCE", typeForce},
    {"method call on a function result", methodOnResult},
    {"nested routine", nestedRoutine},
    {"routine clause", routineClause},
    {"unsupported feature", notSupportedMessage},
    {nullptr, nullptr},
};

std::string constructOf(const ErrorCopy& error, std::string_view requestText) {
  bool known = false;
  return classify(error, requestText, &known);
}

std::string constructOf(const Diagnostic& scriptError) { return withoutQuotedNames(scriptError.message); }

std::string constructOf(const ErrorCopy& error, std::string_view requestText, bool* known) {
  return classify(error, requestText, known);
}
