// word_match.cpp - keyword lookup and the forms a name can begin, read on from the scanner's buffer.
// The keywords are found through a small open-addressing table built at compile time: the automaton then
// needs no state per keyword letter, and its tables stay small enough to be read from the nearest cache.
#include "lexer/word_match.h"

#include <array>
#include <cstring>

#include "lexer/token_codes.h"

namespace {

struct Keyword {
  const char* text;  // upper case
  int code;
};

constexpr Keyword keywords[] = {
    {"AFTER", T_AFTER},
    {"ALIAS", T_ALIAS},
    {"AND", T_AND},
    {"ANY", T_ANY},
    {"AS", T_AS},
    {"AUTHID", T_AUTHID},
    {"AUTONOMOUS_TRANSACTION", T_AUTONOMOUS_XACT},
    {"BEFORE", T_BEFORE},
    {"BEGIN", T_BEGIN},
    {"BETWEEN", T_BETWEEN},
    {"BODY", T_BODY},
    {"BULK", T_BULK},
    {"BY", T_BY},
    {"CASE", T_CASE},
    {"CAST", T_CAST},
    {"CLOSE", T_CLOSE},
    {"CLUSTER", T_CLUSTER},
    {"COLLECT", T_COLLECT},
    {"COMMIT", T_COMMIT},
    {"COMPOUND", T_COMPOUND},
    {"CONSTANT", T_CONSTANT},
    {"CONTINUE", T_CONTINUE},
    {"CREATE", T_CREATE},
    {"CURRENT", T_CURRENT},
    {"CURRENT_USER", T_CURRENT_USER},
    {"CURSOR", T_CURSOR},
    {"DATE", T_DATE},
    {"NUV_EXCEPTION_INIT", T_NUV_EXCEPTION_INIT},
    {"DECLARE", T_DECLARE},
    {"DEFAULT", T_DEFAULT},
    {"DEFINER", T_DEFINER},
    {"DELETE", T_DELETE},
    {"DELETING", T_DELETING},
    {"DETERMINISTIC", T_DETERMINISTIC},
    {"DISABLE", T_DISABLE},
    {"DROP", T_DROP},
    {"EACH", T_EACH},
    {"ELSE", T_ELSE},
    {"ELSIF", T_ELSIF},
    {"END", T_END},
    {"ESCAPE", T_ESCAPE},
    {"EXCEPTION", T_EXCEPTION},
    {"EXCEPTION_INIT", T_EXCEPTION_INIT},
    {"EXECUTE", T_EXECUTE},
    {"EXISTS", T_EXISTS},
    {"EXIT", T_EXIT},
    {"FETCH", T_FETCH},
    {"FOLLOWS", T_FOLLOWS},
    {"FOR", T_FOR},
    {"FORALL", T_FORALL},
    {"FROM", T_FROM},
    {"FUNCTION", T_FUNCTION},
    {"GOTO", T_GOTO},
    {"HASH", T_HASH},
    {"IF", T_IF},
    {"IMMEDIATE", T_IMMEDIATE},
    {"IN", T_IN},
    {"INDICES", T_INDICES},
    {"INDEX", T_INDEX},
    {"INSERT", T_INSERT},
    {"INSERTING", T_INSERTING},
    {"INSTEAD", T_INSTEAD},
    {"INTO", T_INTO},
    {"IS", T_IS},
    {"LIMIT", T_LIMIT},
    {"LIKE", T_LIKE},
    {"LOCK", T_LOCK},
    {"LOOP", T_LOOP},
    {"MERGE", T_MERGE},
    {"NEW", T_NEW},
    {"NOCOPY", T_NOCOPY},
    {"NOT", T_NOT},
    {"NULL", T_NULL},
    {"OBJECT", T_OBJECT},
    {"OF", T_OF},
    {"OLD", T_OLD},
    {"ON", T_ON},
    {"OPEN", T_OPEN},
    {"OR", T_OR},
    {"ORDER", T_ORDER},
    {"OUT", T_OUT},
    {"PACKAGE", T_PACKAGE},
    {"PARALLEL_ENABLE", T_PARALLEL_ENABLE},
    {"PARTITION", T_PARTITION},
    {"PARENT", T_PARENT},
    {"PIPE", T_PIPE},
    {"PIPELINED", T_PIPELINED},
    {"PRAGMA", T_PRAGMA},
    {"PROCEDURE", T_PROCEDURE},
    {"RAISE", T_RAISE},
    {"RANGE", T_RANGE},
    {"RECORD", T_RECORD},
    {"REFERENCING", T_REFERENCING},
    {"REFCURSOR", T_REFCURSOR},
    {"REPLACE", T_REPLACE},
    {"RETURN", T_RETURN},
    {"RETURNING", T_RETURNING},
    {"REVERSE", T_REVERSE},
    {"ROLLBACK", T_ROLLBACK},
    {"ROW", T_ROW},
    {"SAVEPOINT", T_SAVEPOINT},
    {"SELECT", T_SELECT},
    {"SQLCODE", T_SQLCODE},
    {"SQLSTATE", T_SQLSTATE},
    {"START", T_START},
    {"STATEMENT", T_STATEMENT},
    {"SUBTYPE", T_SUBTYPE},
    {"TABLE", T_TABLE},
    {"THEN", T_THEN},
    {"TIMESTAMP", T_TIMESTAMP},
    {"TRANSACTION", T_TRANSACTION},
    {"TRIGGER", T_TRIGGER},
    {"TRUNCATE", T_TRUNCATE},
    {"TYPE", T_TYPE},
    {"UPDATE", T_UPDATE},
    {"UPDATING", T_UPDATING},
    {"USING", T_USING},
    {"VALUES", T_VALUES},
    {"VARRAY", T_VARRAY},
    {"WHEN", T_WHEN},
    {"WHERE", T_WHERE},
    {"WHILE", T_WHILE},
    {"WITH", T_WITH},
    {"XMLCAST", T_XMLCAST},
    {"XMLPARSE", T_XMLPARSE},
};

// Letters compare in either case and nothing else folds: OR-ing 0x20 maps an upper-case letter to its
// lower-case one and maps no other byte of a name onto a letter.
constexpr unsigned char folded(char c) { return static_cast<unsigned char>(c) | 0x20; }

// Built up a character at a time while the scanner finds where a name ends, then finished with the
// length, so that a name is read once.
constexpr uint32_t hashStep(uint32_t hash, char c) { return (hash * 33) ^ folded(c); }
constexpr uint32_t hashFinish(uint32_t hash, size_t length) { return hash + static_cast<uint32_t>(length) * 7; }

constexpr uint32_t hashOf(const char* text, size_t length) {
  uint32_t hash = 0;
  for (size_t i = 0; i < length; ++i) hash = hashStep(hash, text[i]);
  return hashFinish(hash, length);
}

constexpr size_t lengthOf(const char* text) {
  size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

constexpr size_t slotCount = 512;
constexpr size_t longestKeyword = 22;

struct Slot {
  const char* text;
  size_t length;
  int code;
};

constexpr std::array<Slot, slotCount> buildTable() {
  std::array<Slot, slotCount> table{};
  for (const Keyword& keyword : keywords) {
    const size_t length = lengthOf(keyword.text);
    size_t slot = hashOf(keyword.text, length) % slotCount;
    while (table[slot].text != nullptr) slot = (slot + 1) % slotCount;
    table[slot] = Slot{keyword.text, length, keyword.code};
  }
  return table;
}

constexpr std::array<Slot, slotCount> table = buildTable();

constexpr bool longestKeywordIsRight() {
  size_t longest = 0;
  for (const Keyword& keyword : keywords) {
    if (lengthOf(keyword.text) > longest) longest = lengthOf(keyword.text);
  }
  return longest == longestKeyword;
}
static_assert(longestKeywordIsRight());

// `text` begins with `word` (upper-case letters), in any letter case.
bool startsWithWord(const char* text, const char* word) {
  for (; *word != '\0'; ++text, ++word) {
    if (folded(*text) != folded(*word)) return false;
  }
  return true;
}

bool equalsWord(const char* text, size_t length, const char* word) {
  return std::strlen(word) == length && startsWithWord(text, word);
}

bool isGap(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

const char* skipGap(const char* text) {
  while (isGap(*text)) ++text;
  return text;
}

constexpr bool isNameStartByte(unsigned c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

// What may follow the first character of a name, by byte: a table, so that the loop over a name carries
// nothing from one character to the next but the position.
constexpr std::array<bool, 256> namePartBytes = [] {
  std::array<bool, 256> parts{};
  for (unsigned c = 0; c < 256; ++c) {
    parts[c] = isNameStartByte(c) || (c >= '0' && c <= '9') || c == '$' || c == '#' || c == '@';
  }
  return parts;
}();

bool isNameStart(char c) { return isNameStartByte(static_cast<unsigned char>(c)); }

bool isNamePart(char c) { return namePartBytes[static_cast<unsigned char>(c)]; }

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (folded(c) >= 'a' && folded(c) <= 'f'); }

// READS SQL DATA, REF CURSOR, VARYING ARRAY, after the first word; `after` is past a gap of at least one
// character. The length of the whole keyword and its code, or 0.
size_t multiWordKeywordLength(const char* text, size_t length, const char* after, int* code) {
  if (equalsWord(text, length, "REF") && startsWithWord(after, "CURSOR")) {
    *code = T_REFCURSOR;
    return static_cast<size_t>(after + 6 - text);
  }
  if (equalsWord(text, length, "VARYING") && startsWithWord(after, "ARRAY")) {
    *code = T_VARRAY;
    return static_cast<size_t>(after + 5 - text);
  }
  if (equalsWord(text, length, "READS") && startsWithWord(after, "SQL") && isGap(after[3])) {
    const char* data = skipGap(after + 3);
    if (!startsWithWord(data, "DATA")) return 0;
    *code = T_READS_SQL_DATA;
    return static_cast<size_t>(data + 4 - text);
  }
  return 0;
}

struct Attribute {
  const char* word;
  int cursorCode;
  int sqlCode;  // 0: SQL%ISOPEN is the attribute of a cursor named SQL
};

constexpr Attribute attributes[] = {
    {"NOTFOUND", T_CURSOR_NOTFOUND, T_SQL_NOTFOUND},
    {"FOUND", T_CURSOR_FOUND, T_SQL_FOUND},
    {"ROWCOUNT", T_CURSOR_ROWCOUNT, T_SQL_ROWCOUNT},
    {"ISOPEN", T_CURSOR_ISOPEN, 0},
};

int keywordCodeHashed(const char* text, size_t length, uint32_t hash) {
  for (size_t slot = hash % slotCount;; slot = (slot + 1) % slotCount) {
    const Slot& candidate = table[slot];
    if (candidate.text == nullptr) return 0;
    if (candidate.length == length && startsWithWord(text, candidate.text)) return candidate.code;
  }
}

}  // namespace

const char* quotedNameEnd(const char* text) {
  // Every quote may close the name; a doubled one may also stand for a quote inside it. The longest
  // reading wins: a doubled quote is read as one inside the name as long as a later quote can close it.
  const char* closed = nullptr;
  for (const char* at = text + 1;; ++at) {
    if (*at == '\0') return closed;
    if (*at != '"') continue;
    closed = at + 1;
    if (at[1] != '"') return closed;
    ++at;
  }
}

const char* nameEnd(const char* text) {
  if (*text == '"') return quotedNameEnd(text);
  if (!isNameStart(*text)) return nullptr;
  do {
    ++text;
  } while (isNamePart(*text));
  return text;
}

const char* dottedNamesEnd(const char* end, int most) {
  for (int taken = 0; taken < most; ++taken) {
    const char* dot = skipGap(end);
    if (*dot != '.') break;
    const char* next = nameEnd(skipGap(dot + 1));
    if (next == nullptr) break;
    end = next;
  }
  return end;
}

namespace {

// What can only follow a name that begins a longer token: a gap, and the characters that begin the rest
// of one (=>, a dot, a percent sign, SQLERRM's parenthesis, a hexadecimal literal's quote).
constexpr std::array<bool, 256> mayLengthenName = [] {
  std::array<bool, 256> bytes{};
  for (const unsigned char c : {' ', '\t', '\n', '\f', '\r', '=', '.', '%', '(', '\''}) bytes[c] = true;
  return bytes;
}();

// The longer forms that a name of `nameLength` bytes at `text` may begin; `word` is what the name alone
// is.
WordMatch lengthenName(const char* text, size_t nameLength, WordMatch word, bool quoted) {
  const char* const end = text + nameLength;
  const char* const after = skipGap(end);
  // Most names are followed by a blank and a token of their own: no longer form can begin there unless
  // the name may begin a keyword of several words (REF, READS, VARYING).
  const bool mayBeginKeyword = !quoted && (folded(*text) == 'r' || folded(*text) == 'v');
  if (*after != '=' && *after != '.' && *after != '%' && *after != '(' && *end != '\'' && !mayBeginKeyword) return word;
  if (!quoted) {
    if (word.rule == WordRule::sqlerrm && *after == '(') {
      // The parenthesis tells the function from the variable but is not part of the token.
      return WordMatch{WordRule::sqlerrmCall, T_SQLERRMFUNC, nameLength};
    }
    if (nameLength == 1 && folded(*text) == 'x' && *end == '\'' && isHexDigit(end[1])) {
      const char* digit = end + 1;
      while (isHexDigit(*digit)) ++digit;
      if (*digit == '\'') return WordMatch{WordRule::hexLiteral, T_HEXLIT, static_cast<size_t>(digit + 1 - text)};
    }
    if (after > end) {
      int code = 0;
      if (const size_t length = multiWordKeywordLength(text, nameLength, after, &code); length != 0) {
        return WordMatch{WordRule::multiWordKeyword, code, length};
      }
    }
  }
  // Each longer form is told apart by the first character after the name and its gap, so at most one of
  // them applies, and it is longer than the name alone.
  if (after[0] == '=' && after[1] == '>') {
    return WordMatch{WordRule::argumentName, T_ARGNAME, static_cast<size_t>(after + 2 - text)};
  }
  const char* const namesEnd = after[0] == '.' ? dottedNamesEnd(end, 3) : end;
  const char* const percent = namesEnd == end ? after : skipGap(namesEnd);
  if (*percent == '%') {
    const char* attributeWord = skipGap(percent + 1);
    for (const Attribute& attribute : attributes) {
      if (!startsWithWord(attributeWord, attribute.word)) continue;
      const auto length = static_cast<size_t>(attributeWord + std::strlen(attribute.word) - text);
      if (attribute.sqlCode != 0 && namesEnd == end && !quoted && equalsWord(text, nameLength, "SQL")) {
        return WordMatch{WordRule::sqlAttribute, attribute.sqlCode, length};
      }
      return WordMatch{WordRule::cursorAttribute, attribute.cursorCode, length};
    }
  }
  if (namesEnd != end) return WordMatch{WordRule::qualifiedName, T_WORD, static_cast<size_t>(namesEnd - text)};
  return word;
}

}  // namespace

WordMatch matchName(const char* text) {
  uint32_t hash = hashStep(0, *text);
  const char* end = text + 1;
  for (; isNamePart(*end); ++end) hash = hashStep(hash, *end);
  const auto length = static_cast<size_t>(end - text);
  WordMatch word{WordRule::name, T_WORD, length};
  if (length >= 2 && length <= longestKeyword) {
    if (const int code = keywordCodeHashed(text, length, hashFinish(hash, length)); code != 0) {
      word = WordMatch{WordRule::keyword, code, length};
    } else if (equalsWord(text, length, "SQLERRM")) {
      word = WordMatch{WordRule::sqlerrm, T_SQLERRM, length};
    }
  }
  if (!mayLengthenName[static_cast<unsigned char>(*end)]) return word;
  return lengthenName(text, length, word, false);
}

WordMatch matchQuotedName(const char* text, size_t nameLength) {
  return lengthenName(text, nameLength, WordMatch{WordRule::name, T_WORD, nameLength}, true);
}

size_t percentTokenLength(const char* text) {
  if (startsWithWord(text + 1, "TYPE")) return 5;
  if (startsWithWord(text + 1, "ROWTYPE")) return 8;
  return 1;
}

const char* stringLiteralEnd(const char* text) {
  for (const char* at = text + 1;;) {
    const char* quote = std::strchr(at, '\'');
    if (quote == nullptr) return nullptr;
    if (quote[1] != '\'') return quote + 1;
    at = quote + 2;
  }
}

const char* qQuotedLiteralEnd(const char* text, const char** content) {
  const char* at = text;
  if (*at == 'n' || *at == 'N') ++at;
  if ((*at != 'q' && *at != 'Q') || at[1] != '\'') return nullptr;
  const char open = at[2];
  if (open == '\0' || open == ' ' || open == '\t' || open == '\n' || open == '\r' || open == '\f') return nullptr;
  const char close = open == '(' ? ')' : open == '[' ? ']' : open == '{' ? '}' : open == '<' ? '>' : open;
  for (const char* look = at + 3; *look != '\0'; ++look) {
    if (*look == close && look[1] == '\'') {
      *content = at + 3;
      return look + 2;
    }
  }
  return nullptr;
}

bool gapThenSemicolon(const char* text) { return *skipGap(text) == ';'; }
