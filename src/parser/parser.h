// parser.h - PL/SQL tokens to a syntax tree: the grammar, its actions and the syntax-error records.
// Owns nothing past a parse: the tree is pool memory, left in ParseContext::root.
// May use lexer/, diag/, ast/, pool/ and host/.
#pragma once

#include "lexer/lexer.h"

// Parses ctx->text: creates the scanner, runs the parser and destroys the scanner again, also when pool
// exhaustion unwinds through it. Fills the context's expected-token hook for the readers. Returns 0
// when the input was accepted, 1 after a syntax error, 2 when the parser's stacks would pass 10000
// entries; any error found along the way is on ctx->errors. ctx->root is the program list (null when
// the input held no program with a value).
int parseRequest(ParseContext* ctx);

// Switches the generator's process-wide debug trace (standard error) on or off.
void setParserTrace(bool on);
