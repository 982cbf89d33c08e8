// sql_text.h - a light reading of SQL and PL/SQL text, one line at a time: words, literals, comments
// and punctuation, with what a line leaves open (a comment, a literal) carried to the next. Enough to
// split scripts, classify requests and find constructs for diagnostics; never a parser.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Plain SQL as SQL*Plus passes it on: comments do not nest and q'[...]' literals exist. PL/SQL as the
// compiler reads it: comments nest and there are no q-quoted literals.
enum class Dialect { sql, plsql };

struct SqlToken {
  enum Kind { word, number, literal, quotedName, symbol };
  Kind kind;
  std::string_view text;  // the token inside its line; a literal or name over several lines: its last line's part
  int line;               // where the token begins
  int column;             // 1-based byte column where it begins
};

// What one line leaves open for the next.
struct ScanCarry {
  int commentDepth = 0;  // open /* */ comments
  char closeQuote = 0;   // the character that ends the open literal or quoted name, 0 when none
  bool qQuote = false;   // the open literal is q'X...X': it ends at closeQuote followed by '
  SqlToken::Kind openKind = SqlToken::literal;
  int openLine = 0;    // where the outermost open comment, or the open literal, began
  int openColumn = 0;  // (1-based), 0 when nothing is open
  // PL/SQL as the compiler reads it under --extend: q'[...]' literals (q-quotes), comments that end
  // at their first */ (comments).
  bool plsqlQQuotes = false;
  bool plsqlFlatComments = false;
  bool isOpen() const { return commentDepth > 0 || closeQuote != 0; }
};

// Reads one line (without its line end) numbered `lineNumber`, going on from `carry` and leaving in it
// what stays open. Appends the line's tokens to `tokens` when it is not null; comments give none. A
// literal that spans lines is one token, appended on the line where it closes.
void scanLine(std::string_view line, int lineNumber, Dialect dialect, ScanCarry& carry, std::vector<SqlToken>* tokens);

// Whether the token is the word `upper` (an upper-case ASCII word), in any letter case.
bool isWord(const SqlToken& token, std::string_view upper);
bool isSymbol(const SqlToken& token, std::string_view text);

// The text's lines without their line ends; a CR before a newline is dropped, as is one at the very end.
std::vector<std::string_view> splitLines(std::string_view text);

// The line with the blanks (spaces, tabs, CR, form feeds) at both ends removed.
std::string_view trimBlanks(std::string_view line);

// ASCII upper case of a word.
std::string upperAscii(std::string_view text);

// Where, in `text` read as the compiler reads it (comments nest), the first '/*' opened inside the
// comment that is still open at the end stands: {request line, column}, both 1-based; {0, 0} when no
// comment is left open or the one left open holds no inner '/*'.
std::pair<int, int> innerCommentOpening(std::string_view text);
