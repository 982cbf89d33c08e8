// token_stream.cpp - the parser's side of the scanner: fetch with one-token pushback and the end-of-input
// checks, and the readers that swallow a run of tokens into a token list so SQL text travels verbatim.
// The readers are called from the grammar's empty-rule actions; afterwards the parser has no lookahead.
#include "lexer/lexer.h"

#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "lexer/scan_state.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

ScanState* stateOf(const ParseContext* ctx) { return scannerState(ctx->scanner); }

int nextToken(TokenValue* value, ParseContext* ctx);

bool isCursorAttribute(int code) { return code >= T_CURSOR_NOTFOUND && code <= T_CURSOR_ISOPEN; }

// The text a reader keeps for a token: the value text where the scanner's own text is not the token
// (a string literal's closing quote, a cursor attribute's whole match), else what the scanner matched.
const char* readerText(const ParseContext* ctx, const TokenValue* value, int code) {
  if (code == T_COMPARISON || code == T_STRING) {
    if (value->text != nullptr && value->text[0] != '\0') return value->text;
    return scannerText(ctx->scanner);
  }
  if (isCursorAttribute(code)) return value->text;
  return scannerText(ctx->scanner);
}

TokenNode* readerNode(const ParseContext* ctx, const TokenValue* value, int code) {
  return newTokenNode(static_cast<uint32_t>(code), readerText(ctx, value, code), stateOf(ctx)->line);
}

bool isStop(int code, const int* stops) {
  for (int i = 0; i < 6; ++i)
    if (stops[i] != 0 && stops[i] == code) return true;
  return false;
}

AstList* collect(ParseContext* ctx, TokenValue* value, ReaderStop mode, int firstToken, int* endToken,
                 const int* stops) {
  AstList* list = nullptr;
  int depth = 0;
  // Whether every token taken is one the prescan of diagnostics names passes by: the list is marked so,
  // and the prescan need not read it.
  bool plain = true;
  int code = firstToken == T_no_lookahead ? nextToken(value, ctx) : firstToken;
  for (;; code = nextToken(value, ctx)) {
    plain = plain && !isDiagnosticsCode(code);
    if (code == 0 || code == T_TERMINATOR) break;
    if (code == ';' || isStop(code, stops)) {
      if (depth == 0) {
        if (mode == stopIncluded) list = listAppend(list, readerNode(ctx, value, code));
        if (mode == stopPushedBack) pushBackToken(ctx, code);
        break;
      }
      // A semicolon inside open parentheses is a statement the text never closed: the run ends there
      // rather than swallowing the rest of the program.
      if (code == ';') {
        list = listAppend(list, readerNode(ctx, value, code));
        break;
      }
    }
    if (code == '(') {
      ++depth;
    } else if (code == ')') {
      // A ')' at depth 0 is not ours: push it back so the rule that opened the parenthesis can close it.
      if (depth == 0) {
        pushBackToken(ctx, code);
        break;
      }
      --depth;
    }
    ScanState* state = stateOf(ctx);
    if (code == T_WORD && state->transientValue) {
      // A name straight from the scanner: its node, as the parser's list would hold it, and no list.
      TokenNode* node = newTokenNode(state->transientNode, value->text, state->transientLine);
      node->dotted = state->transientDotted ? 1 : 0;
      state->transientValue = false;
      list = listAppend(list, node);
    } else if (code == T_WORD && value->list != nullptr) {
      // The parser's lookahead, already made into its list.
      list = listConcat(list, value->list);
      value->list = nullptr;  // its cells now belong to the result
    } else {
      list = listAppend(list, readerNode(ctx, value, code));
    }
  }
  if (endToken != nullptr) *endToken = code;
  if (list != nullptr && plain) list->plainTokens = 1;
  return list;
}

// What may follow a datatype at parenthesis depth 0: a NOT NULL, a default, or the next clause.
bool endsDatatype(int code) {
  switch (code) {
    case T_NOT:
    case T_ASSIGN:
    case T_DEFAULT:
    case T_COMPARISON:
    case T_RANGE:
    case ')':
    case T_COMMA:
    case T_AUTHID:
    case T_DETERMINISTIC:
    case T_PIPELINED:
    case T_INDEX:
    case T_IS:
    case T_AS: return true;
    default: return false;
  }
}

}  // namespace

namespace {

// The next token, its text value left where the scanner put it: the readers copy what they keep.
// CREATE TYPE name FORCE and CREATE TYPE name AUTHID ...: options the accepted language has no place for,
// dropped before the grammar sees them when their extension is on (the grammar, and with it every
// message it writes, stays as it is). True when the token just scanned was dropped so.
bool dropsTypeOption(ParseContext* ctx, ScanState* state, TokenValue* value, int code) {
  switch (code) {
    case T_CREATE: state->typeHead = 1; return false;
    case T_OR:
    case T_REPLACE: return false;
    case T_TYPE: state->typeHead = state->typeHead == 1 ? 2 : 0; return false;
    default: break;
  }
  if (state->typeHead == 1) {
    state->typeHead = 0;
    return false;
  }
  if (state->typeHead == 2) {
    state->typeHead = code == T_WORD ? 3 : 0;
    return false;
  }
  if (state->typeHead != 3) return false;
  const char* text = scannerText(ctx->scanner);
  if (code == T_WORD && (state->extensions & extendTypeForce) != 0 && asciiEqualIgnoringCase(text, "FORCE")) {
    recordScanNote(state, "FORCE dropped: the type is created as written, without replacing one that has dependents",
                   text, 5, extendTypeForce);
    return true;
  }
  if (code == T_AUTHID && (state->extensions & extendAuthid) != 0) {
    recordNote(state->notes, noteWarning,
               "AUTHID dropped from a type: its methods run with their definer's rights, not the caller's",
               state->line + 1, "AUTHID", extendAuthid);
    const int option = xxlex(value, ctx->scanner);
    if (option == T_CURRENT_USER || option == T_DEFINER) return true;
    // Not an option after all: the word after AUTHID is read in its place, and the grammar reports it.
    pushBackToken(ctx, option);
    return true;
  }
  state->typeHead = 0;
  return false;
}

int nextToken(TokenValue* value, ParseContext* ctx) {
  ScanState* state = stateOf(ctx);
  const bool tracing = scannerTracing(ctx->scanner);
  if (state->hasPushback) {
    state->hasPushback = false;
    if (tracing) debugPrint("** returning pushback %d\n", state->pushedToken);
    return state->pushedToken;
  }
  int code = xxlex(value, ctx->scanner);
  if ((state->extensions & (extendTypeForce | extendAuthid)) != 0) {
    while (dropsTypeOption(ctx, state, value, code)) {
      if (state->hasPushback) {
        state->hasPushback = false;
        code = state->pushedToken;
        break;
      }
      code = xxlex(value, ctx->scanner);
    }
  }
  if (tracing) debugPrint("** returning %d - %s\n", code, scannerText(ctx->scanner));
  if (code == 0) {
    // Both can be open at once only in theory (a quote inside a comment is comment text), but each is
    // checked on its own: the comment first.
    if (state->commentLine != -1)
      recordScanError(state, "Unterminated comment", lexical, state->commentLine + 1, scannerText(ctx->scanner),
                      nullptr);
    if (state->stringLine != -1)
      recordScanError(state, "Unterminated quoted string", lexical, state->stringLine + 1, scannerText(ctx->scanner),
                      nullptr);
  }
  return code;
}

}  // namespace

int fetchToken(TokenValue* value, ParseContext* ctx) {
  const int code = nextToken(value, ctx);
  // Also a token a reader pushed back: the scanner has not moved since, so its text is still there.
  keepTokenValue(value, stateOf(ctx));
  return code;
}

void pushBackToken(ParseContext* ctx, int code) {
  ScanState* state = stateOf(ctx);
  if (state->hasPushback) std::fputs("cannot push back multiple tokens\n", stderr);
  state->pushedToken = code;
  state->hasPushback = true;
  if (scannerTracing(ctx->scanner)) debugPrint("** pushed back %d - %s\n", code, scannerText(ctx->scanner));
}

AstList* collectTokens(ParseContext* ctx, TokenValue* value, ReaderStop mode, int firstToken, int stop1, int stop2,
                       int stop3, int stop4, int stop5, int stop6) {
  const int stops[6] = {stop1, stop2, stop3, stop4, stop5, stop6};
  return collect(ctx, value, mode, firstToken, nullptr, stops);
}

AstList* collectTokensUntil(ParseContext* ctx, TokenValue* value, ReaderStop mode, int firstToken, int* endToken,
                            int stop1, int stop2, int stop3, int stop4, int stop5, int stop6) {
  const int stops[6] = {stop1, stop2, stop3, stop4, stop5, stop6};
  return collect(ctx, value, mode, firstToken, endToken, stops);
}

AstList* readDatatype(ParseContext* ctx, TokenValue* value, AstList* typeList) {
  if (scannerTracing(ctx->scanner)) debugPrint("** read_datatype...\n");
  int code = nextToken(value, ctx);
  if (code == T_DTYPE) return typeList;
  AstList* list = typeList;
  bool plain = typeList == nullptr || typeList->plainTokens != 0;
  for (int depth = 0;; code = nextToken(value, ctx)) {
    if (code == 0) {
      if (depth == 0) return ctx->allowEofInDatatype ? list : nullptr;
      const char* expected = ctx->expectedTokens != nullptr ? ctx->expectedTokens(ctx) : nullptr;
      ScanState* state = stateOf(ctx);
      recordScanError(state, "Mismatched parentheses in datatype", syntax, state->line + 1, scannerText(ctx->scanner),
                      expected);
      return nullptr;
    }
    // Inside parentheses commas and words belong to the type (NUMBER(9, 2), VARCHAR2(10 CHAR)); a ';'
    // never does, so an unclosed parenthesis cannot swallow the statements after it.
    if (code == ';' || (depth == 0 && endsDatatype(code))) {
      pushBackToken(ctx, code);
      if (list != nullptr && plain) list->plainTokens = 1;
      return list;
    }
    plain = plain && !isDiagnosticsCode(code);
    list = listAppend(list, readerNode(ctx, value, code));
    if (code == '(') ++depth;
    if (code == ')') --depth;
  }
}

const char* joinNameParts(const AstList* tokens) {
  size_t length = 0;
  for (AstListCell* cell = listHeadCell(tokens); cell != nullptr; cell = cell->next) {
    const auto* token = static_cast<const TokenNode*>(cell->item);
    length += (token->text != nullptr ? std::strlen(token->text) : 0) + 1;
  }
  char* joined = static_cast<char*>(ctxAlloc(length + 1));
  char* out = joined;
  for (AstListCell* cell = listHeadCell(tokens); cell != nullptr; cell = cell->next) {
    const auto* token = static_cast<const TokenNode*>(cell->item);
    if (cell != listHeadCell(tokens)) *out++ = '.';
    if (token->text == nullptr) continue;
    const size_t n = std::strlen(token->text);
    std::memcpy(out, token->text, n);
    out += n;
  }
  *out = '\0';
  return joined;
}

void setCommentBeforeSemicolon(ParseContext* ctx, bool on) { stateOf(ctx)->commentBeforeSemicolon = on; }

int currentLine(const ParseContext* ctx) { return ctx->scanner == nullptr ? 0 : stateOf(ctx)->line; }

const char* currentTokenText(const ParseContext* ctx) {
  return ctx->scanner == nullptr ? "" : scannerText(ctx->scanner);
}

const char* currentSourceLine(const ParseContext* ctx) {
  return ctx->scanner == nullptr ? ctxStrdup("") : copySourceLine(stateOf(ctx));
}

void recordAtScanPosition(ParseContext* ctx, const char* message, uint32_t domain, int32_t line, const char* extra) {
  if (ctx->scanner == nullptr) {
    recordError(ctx->errors, message, domain, line + 1, "", "", extra);
    return;
  }
  recordScanError(stateOf(ctx), message, domain, line + 1, scannerText(ctx->scanner), extra);
}
