// token_codes.h - the token codes every stage shares (T_... from 258, single characters as their own
// code, 0 for end of input) and their printable names. The codes are declared once, in the grammar; the
// build copies bison's token enumeration alone into token_enum.h, so this header brings the codes to the
// lexer, the transformer and the emitter without the parser's value type or the scanner's state.
#pragma once

#include "token_enum.h"

// "T_WORD" for a named token, "';'" for a character token (printable characters in quotes, others as
// '\xNN'), "end of input" for 0, "<error>" and "<undefined>" for the parser's two internal codes, and
// "<unknown>" for anything else. A static string.
const char* tokenCodeName(int code);

// The first-token argument of a reader, from the parser's lookahead: no lookahead yet (a negative code)
// and end of input both mean that nothing has been read ahead.
inline int readerFirstToken(int lookahead) { return lookahead <= 0 ? T_no_lookahead : lookahead; }

// SQLCODE, SQLSTATE, SQLERRM and the three SQL% attributes: the tokens the transformer's prescan gives
// the names of generated variables.
constexpr bool isDiagnosticsCode(int code) {
  return code == T_SQLCODE || code == T_SQLSTATE || code == T_SQLERRM || code == T_SQL_ROWCOUNT ||
         code == T_SQL_FOUND || code == T_SQL_NOTFOUND;
}
