// lexer.h - PL/SQL text to tokens: the parser's only source of tokens, with one-token pushback and the
// readers that hand SQL over verbatim as token lists.
// Owns ScanState and the scanner object. May use diag/, ast/, pool/ and host/; knows nothing of the
// grammar's productions (token codes come from lexer/token_codes.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "ast/ast.h"
#include "diag/errors.h"
#include "diag/session.h"

// The value of one token, filled by the scanner in a slot the parser owns (the `tok` of its semantic value).
// Which pointer is meaningful depends on the token: keywords, operators, literals and T_ARGNAME carry a
// string in `text`; T_WORD, T_TRIG_VAR, the `$` names, T_DTYPE and the SQL attributes carry a token list
// in `list`; T_PERCENT_TYPE and T_PERCENT_ROWTYPE carry one token node in `node`. Only tokens with a string
// value set `code` and `line`; the others leave what the previous token left, so take their line from the
// node. Keyword and punctuation texts point into the scanner's buffer and last only until the next token.
struct TokenValue {
  union {
    const char* text;
    AstList* list;
    TokenNode* node;
  };
  int32_t code;
  int32_t line;  // zero-based
};
static_assert(std::is_trivially_copyable_v<TokenValue>);

// The scanner's per-compilation record, reached through the scanner object. Pool memory.
struct ScanState {
  // Accumulates string literals and comments; made by the first of them, grows by doubling, the old
  // block released.
  char* textBuffer;
  size_t textCapacity;
  size_t textLength;
  int32_t pushedToken;
  bool hasPushback;
  // Set by the parser around cursor queries and embedded SQL: a comment closed right before a ';' is
  // then handed over as T_COMMENT_SEMI instead of being dropped.
  bool commentBeforeSemicolon;
  const char* lineStart;  // first character of the current line, inside lineCopy
  CompileError** errors;
  int32_t commentLine;   // line of the outermost open comment, -1 when none
  int32_t commentDepth;  // how many comments are open: comments nest
  int32_t stringLine;    // line where the open string literal began, -1 when none
  int32_t line;          // zero-based line counter
  int32_t tokenLine;     // line of the first character of the token matched last
  // The last token handed to the parser, inside the scanner's buffer, and its text as a pool string once
  // end of input is reached: error records made there still name the token the scanner read last.
  const char* lastToken;
  size_t lastTokenLength;
  const char* endText;  // null until end of input has been returned
  // The last token's value is still the scanner's own text (the match, or a literal in the text
  // buffer), valid only until the next token: fetchToken turns it into what the parser keeps, a pool
  // copy or, for a name (transientNode not 0), the one-token list with that node code.
  bool transientValue;
  bool transientDotted;
  uint32_t transientNode;
  int32_t transientLine;  // the name's line: where it began
  size_t transientLength;
  // Owned copies of the text: the one the scanner reads (it writes into it) and the one lineStart
  // walks, which stays intact for error records.
  char* scanCopy;
  char* lineCopy;
  // Consecutive lexical errors on one line share one copy of that line, so a long line full of bad
  // tokens costs linear memory.
  const char* nearLineStart;
  const char* nearText;
  CompileError* ownErrors;  // the chain used when the parse context brings none
  uint32_t extensions;      // the settings' Extension bits the scanner acts on
  // Where the token stream is in the head of CREATE [OR REPLACE] TYPE name, for the options the type-force
  // and authid extensions drop there: 0 elsewhere, 1 after CREATE, 2 after TYPE, 3 after the name.
  uint8_t typeHead;
  CompileError** notes;  // the parse context's notes, or null
};
static_assert(std::is_trivially_destructible_v<ScanState>);

struct ParseContext;

// The parser's expected-token list for its current state (a pool string, at most ten names), or null.
using ExpectedTokensHook = const char* (*)(ParseContext* ctx);

// One per compilation, on the caller's stack. Zero-initialise it, then fill settings, text and errors.
struct ParseContext {
  const SessionSettings* settings;  // parserTrace turns the scanner's and the readers' traces on
  const char* text;                 // the statement, NUL-terminated; scanning stops at the first NUL
  CompileError** errors;
  CompileError** notes;  // what the settings' extensions accepted; null keeps none
  // Filled by the parser before parsing; the datatype reader uses them for its error record.
  ExpectedTokensHook expectedTokens;
  const void* parserState;
  void* scanner;  // set by scannerCreate, cleared by scannerDestroy
  AstList* root;  // the program list
  // Whether a datatype may end at end of input: false at the start, granted by CREATE TYPE.
  bool allowEofInDatatype;
  int blockDepth;  // current BEGIN nesting depth
  // Programs read so far, DROP FUNCTION and DROP PROCEDURE included: the second one is a syntax error
  // unless the settings allow several.
  int programCount;
  // Set when DROP FUNCTION or DROP PROCEDURE was just read: the program it ends has no node but counts.
  bool droppedRoutine;
};

// ---- scanner lifetime ----

// Creates the scanner over a pool copy of ctx->text (the text, a newline and two NULs) and stores it in
// ctx->scanner. Line 0, INITIAL condition, no pushback; traces on when settings ask for the parser trace.
// Throws PoolExhausted when memory runs out (the half-made scanner is then pool memory and goes with it).
void scannerCreate(ParseContext* ctx);
// Frees the scanner's buffers, its condition stack and the object; null scanner: nothing. Never throws.
void scannerDestroy(ParseContext* ctx);

// Destroys the scanner when the scope ends, also when pool exhaustion unwinds through the parse.
class ScannerGuard {
 public:
  explicit ScannerGuard(ParseContext* ctx) : ctx_(ctx) {}
  ~ScannerGuard() { scannerDestroy(ctx_); }
  ScannerGuard(const ScannerGuard&) = delete;
  ScannerGuard& operator=(const ScannerGuard&) = delete;

 private:
  ParseContext* ctx_;
};

// ---- the token stream ----

// The next token: the pushed-back one if any, else the scanner's next. At end of input (0) it records
// "Unterminated comment" and then "Unterminated quoted string" in the lexical domain for whatever is
// still open. With tracing on, writes "** returning ..." lines to standard error.
int fetchToken(TokenValue* value, ParseContext* ctx);

// Puts one token code back for the next fetchToken (its value is not kept). A second pushback while one
// is pending writes "cannot push back multiple tokens" and replaces the first.
void pushBackToken(ParseContext* ctx, int code);

// What a reader does with the stop token that ended its run.
enum ReaderStop : int {
  stopIncluded = 0,    // appended to the list and consumed
  stopDropped = 1,     // consumed and left out
  stopPushedBack = 2,  // given back to the stream for the grammar to read
};

// The general reader: collects tokens verbatim into a token list (null when none) until end of input,
// a "/" line, a closing parenthesis at depth 0 (pushed back), one of the stops (0 marks an unused stop)
// or ';' at depth 0, or a ';' inside parentheses (which is included). A stop at depth 0 is handled as
// `mode` says. `firstToken` is the
// parser's lookahead, or T_no_lookahead when it has none (see readerFirstToken in token_codes.h); `value`
// is the parser's token slot, which must still hold the lookahead's value. The parser must forget its
// lookahead afterwards.
AstList* collectTokens(ParseContext* ctx, TokenValue* value, ReaderStop mode, int firstToken, int stop1, int stop2 = 0,
                       int stop3 = 0, int stop4 = 0, int stop5 = 0, int stop6 = 0);
// collectTokens that also writes the token that ended the run (a stop, 0 or T_TERMINATOR, or ')' or
// ';' when those ended it) to *endToken when endToken is not null.
AstList* collectTokensUntil(ParseContext* ctx, TokenValue* value, ReaderStop mode, int firstToken, int* endToken,
                            int stop1, int stop2 = 0, int stop3 = 0, int stop4 = 0, int stop5 = 0, int stop6 = 0);

// Extends a datatype whose first word is `typeList` with its parenthesised and trailing parts, stopping
// before NOT, :=, DEFAULT, IS, AS, a comparison, RANGE, AUTHID, DETERMINISTIC, PIPELINED, INDEX, a comma,
// ';' or ')' at depth 0 (all pushed back). A following T_DTYPE is swallowed and typeList returned as it
// is. End of input returns the list when ctx->allowEofInDatatype, else null; inside open parentheses it
// records "Mismatched parentheses in datatype" (syntax domain, with the expected-token list) and returns
// null.
AstList* readDatatype(ParseContext* ctx, TokenValue* value, AstList* typeList);

// The texts of a token list joined with "." (a pool string); "" for a null list.
const char* joinNameParts(const AstList* tokens);

// Sets or clears whether a comment closed right before ';' becomes a T_COMMENT_SEMI token.
void setCommentBeforeSemicolon(ParseContext* ctx, bool on);

// ---- the scanner's position, for error records ----

// The scanner's zero-based line counter (0 without a scanner).
int currentLine(const ParseContext* ctx);
// The text of the token the scanner matched last, inside its buffer: copy it to keep it. At end of input
// this is still the last token's text (the text's final token, "" for a text without one); "" without
// a scanner.
const char* currentTokenText(const ParseContext* ctx);
// A pool copy of the current source line, up to the first newline or carriage return.
const char* currentSourceLine(const ParseContext* ctx);
// Appends a record made at the scanner's position: `line` zero-based, detail = a copy of the current
// token text, nearText = the current source line, extra copied or null. Records made on one line share
// one copy of it, so many errors on a long line cost linear memory. Without a scanner detail and
// nearText are "".
void recordAtScanPosition(ParseContext* ctx, const char* message, uint32_t domain, int32_t line, const char* extra);

// ---- debug view ----

// Scans ctx->text from the start with a scanner of its own (ctx->scanner must be null) and lists every
// token until end of input, one line each: LINE<TAB>CODE_NAME<TAB>TEXT, with LINE 1-based and newlines,
// carriage returns and tabs in TEXT written as \n, \r and \t. A pool string. Lexical errors are appended
// to ctx->errors as during a parse.
const char* formatTokenListing(ParseContext* ctx);
