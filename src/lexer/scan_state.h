// scan_state.h - private to the lexer: the scanner's entry points as the token stream sees them, and
// the ScanState operations the scanner's rules share (text accumulation, line counting, error records).
// Nothing outside src/lexer/ includes this.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lexer/lexer.h"

// ---- the generated scanner, wrapped (defined in scanner.l) ----

// The next token code; fills `value` as the rule that matched says. 0 at end of input, every time.
int xxlex(TokenValue* value, void* scanner);
ScanState* scannerState(void* scanner);
// The text of the token matched last, NUL-terminated; at end of input the last real token's text.
const char* scannerText(void* scanner);
// Whether the scanner's debug flag (the trace switch) is on.
bool scannerTracing(void* scanner);

// ---- ScanState operations ----

// Appends n bytes to the text buffer, doubling its pool block as often as needed.
void appendText(ScanState* state, const char* text, size_t n);
// A pool copy of the text buffer (NUL-terminated); the buffer is emptied.
char* takeText(ScanState* state);
// The text buffer's contents, NUL-terminated in place; the buffer is emptied, and the text stays intact
// only until the next append.
const char* peekText(ScanState* state);
// One newline consumed: the counter goes up and lineStart moves past the next newline of the line copy.
void advanceLine(ScanState* state);
// advanceLine for the newline at `newline` in the scanner's buffer (scanCopy): that is the next newline
// of the line copy, so lineStart moves to its twin's successor without searching for it.
void advanceLineAt(ScanState* state, const char* newline);
// A one-element token list of a node with code `nodeCode` and a copy of the n bytes of `text`; header,
// node and text share one pool block (neither is ever freed on its own; the cell, which may be, has its
// own block).
AstList* newTokenList(uint32_t nodeCode, const char* text, size_t n, int32_t line, bool dotted);
// The value of the token scanned last as what it stands for, where it is still the scanner's own text:
// a pool copy of a literal, the one-token list of a name. Nothing for any other token.
void keepTokenValue(TokenValue* value, ScanState* state);
// advanceLine once for every newline among the n bytes of text.
void countNewlines(ScanState* state, const char* text, size_t n);
// A pool copy of the current source line, up to the first newline or carriage return.
const char* copySourceLine(const ScanState* state);
// Appends a lexical or syntax record: `line` is 1-based, `detail` is copied, nearText is the current
// source line (shared with the previous record when that was made on the same line), extra copied or null.
void recordScanError(ScanState* state, const char* message, uint32_t domain, int32_t line, const char* detail,
                     const char* extra);
// A note that an extension accepted the token the scanner matched at `token` (inside its buffer) on the
// current line: the first `length` bytes name it, and the column is where it begins.
void recordScanNote(ScanState* state, const char* message, const char* token, size_t length, uint32_t extension);
