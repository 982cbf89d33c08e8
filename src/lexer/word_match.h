// word_match.h - private to the lexer: what a token that begins with a name turns out to be once the text
// after the name is read. The scanner's automaton matches the bare name and stops there; the longer forms
// that a name can begin (a keyword of several words, name => , a qualified name, a cursor or SQL
// attribute, SQLERRM before a parenthesis, a hexadecimal literal) are recognised here, by reading on in
// the scanner's buffer, with the longest-match and first-rule-wins choice the scanner's rules make.
// All text given here is the scanner's buffer as it stands: it ends in NUL bytes and holds none before.
#pragma once

#include <cstddef>
#include <cstdint>

// The rule that wins for a token that begins with a name.
enum class WordRule : uint8_t {
  keyword,           // a one-word keyword
  sqlerrm,           // SQLERRM
  sqlerrmCall,       // SQLERRM before a gap and "(": only the name is taken
  multiWordKeyword,  // READS SQL DATA, REF CURSOR, VARYING ARRAY
  hexLiteral,        // x'0A'
  argumentName,      // name, gap, =>
  name,              // a word or quoted identifier
  qualifiedName,     // two to four names joined by dots, gaps allowed around each dot
  sqlAttribute,      // SQL % FOUND, NOTFOUND or ROWCOUNT
  cursorAttribute,   // a name or qualified name, % and NOTFOUND, FOUND, ROWCOUNT or ISOPEN
};

struct WordMatch {
  WordRule rule;
  int code;       // the token code
  size_t length;  // how much of the text the token takes
};

// `text` starts with an unquoted name (its first character is a letter, '_' or a byte above 0x7F).
WordMatch matchName(const char* text);
// `text` starts with a complete quoted identifier of `nameLength` bytes.
WordMatch matchQuotedName(const char* text, size_t nameLength);

// The end of the quoted identifier that begins at `text` (a double quote): just past its closing quote,
// a doubled quote inside standing for one (unless no later quote closes the name: then its first quote
// does). Null when it is never closed.
const char* quotedNameEnd(const char* text);

// The end of the name at `text` (an unquoted word or a complete quoted identifier), or null.
const char* nameEnd(const char* text);

// `end` is just past a name. Up to `most` times, a gap, ".", a gap and a further name; the end of the
// last name taken (`end` itself when none follows).
const char* dottedNamesEnd(const char* end, int most);

// How much of `text`, which begins with '%', a %TYPE or %ROWTYPE token takes (letters in any case):
// 5, 8, or 1 for a bare '%'.
size_t percentTokenLength(const char* text);

// The end of the string literal that begins at `text` (a single quote): just past its closing quote, a
// doubled quote inside standing for one. Null when it is never closed.
const char* stringLiteralEnd(const char* text);

// The alternative-quoting literal that begins at `text`: q'X...X', Q'...' or nq'...' (any letter case),
// where X is any character but a blank or newline, and the four opening brackets ( [ { < close with
// their partners. Just past its closing quote, or null when `text` is no such literal or it is never
// closed. *delimiter gets the closing delimiter, *content the first byte of the text inside.
const char* qQuotedLiteralEnd(const char* text, const char** content);

// Whether a gap (possibly empty) and ';' come next.
bool gapThenSemicolon(const char* text);
