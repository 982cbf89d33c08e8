// scan_state.cpp - the bookkeeping the scanner's rules share: the literal and comment accumulator, the
// line counter with the start of the current line, and the records of lexical errors.
// Everything here is pool memory; a failed allocation unwinds (PoolExhausted) with the state consistent.
#include "lexer/scan_state.h"

#include <cstring>
#include <type_traits>

#include "lexer/token_codes.h"
#include "pool/pool.h"

void appendText(ScanState* state, const char* text, size_t n) {
  const size_t needed = state->textLength + n + 1;  // room for the NUL takeText and peekText add
  if (needed > state->textCapacity) {
    size_t capacity = state->textCapacity == 0 ? 80 : state->textCapacity;
    while (capacity < needed) capacity *= 2;
    char* grown = static_cast<char*>(ctxAlloc(capacity));
    if (state->textLength > 0) std::memcpy(grown, state->textBuffer, state->textLength);
    ctxFree(state->textBuffer);
    state->textBuffer = grown;
    state->textCapacity = capacity;
  }
  std::memcpy(state->textBuffer + state->textLength, text, n);
  state->textLength += n;
}

char* takeText(ScanState* state) {
  char* copy = ctxStrndup(state->textBuffer == nullptr ? "" : state->textBuffer, state->textLength);
  state->textLength = 0;
  return copy;
}

const char* peekText(ScanState* state) {
  if (state->textBuffer == nullptr) return "";
  state->textBuffer[state->textLength] = '\0';
  state->textLength = 0;
  return state->textBuffer;
}

namespace {

// A reader that moves the cell into a longer list abandons the header, which then costs nothing extra.
struct WordBlock {
  AstList list;
  TokenNode token;
};
static_assert(std::is_trivially_destructible_v<WordBlock>);

}  // namespace

AstList* newTokenList(uint32_t nodeCode, const char* text, size_t n, int32_t line, bool dotted) {
  auto* block = static_cast<WordBlock*>(static_cast<void*>(newNode(sizeof(WordBlock) + n + 1, astNodeList, -1)));
  TokenNode* token = &block->token;
  token->kind = astNodeToken;
  token->line = line;
  token->code = nodeCode;
  token->dotted = dotted ? 1 : 0;
  char* copy = reinterpret_cast<char*>(block + 1);
  std::memcpy(copy, text, n);
  copy[n] = '\0';
  token->text = copy;
  AstList* list = listAppend(&block->list, token);
  list->plainTokens = isDiagnosticsCode(static_cast<int>(nodeCode)) ? 0 : 1;
  return list;
}

void keepTokenValue(TokenValue* value, ScanState* state) {
  if (!state->transientValue) return;
  state->transientValue = false;
  if (state->transientNode != 0) {
    value->list = newTokenList(state->transientNode, value->text, state->transientLength, state->transientLine,
                               state->transientDotted);
  } else {
    value->text = ctxStrndup(value->text, state->transientLength);
  }
}

void advanceLine(ScanState* state) {
  ++state->line;
  const char* next = std::strchr(state->lineStart, '\n');
  // Past the last newline there is no further line: an empty one stands in.
  state->lineStart = next == nullptr ? state->lineStart + std::strlen(state->lineStart) : next + 1;
}

void advanceLineAt(ScanState* state, const char* newline) {
  ++state->line;
  state->lineStart = state->lineCopy + (newline - state->scanCopy) + 1;
}

void countNewlines(ScanState* state, const char* text, size_t n) {
  const char* end = text + n;
  for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p)
    advanceLine(state);
}

const char* copySourceLine(const ScanState* state) {
  return ctxStrndup(state->lineStart, std::strcspn(state->lineStart, "\n\r"));
}

namespace {

// Where `token` begins on the current line (1-based), when it is the scanner's text there. The scanner
// reads scanCopy and lineStart walks lineCopy, a byte-for-byte twin, so offsets carry over. Addresses
// are compared as integers: `token` may be a pool copy that lies anywhere.
int32_t columnOf(const ScanState* state, const char* token, int32_t line) {
  if (token == nullptr || line != state->line + 1) return 0;
  if (token == state->endText) token = state->lastToken;
  if (token == nullptr || state->scanCopy == nullptr) return 0;
  const uintptr_t offset = reinterpret_cast<uintptr_t>(token) - reinterpret_cast<uintptr_t>(state->scanCopy);
  const uintptr_t lineOffset =
      reinterpret_cast<uintptr_t>(state->lineStart) - reinterpret_cast<uintptr_t>(state->lineCopy);
  const size_t lineLength = std::strcspn(state->lineStart, "\n");
  if (offset < lineOffset || offset >= lineOffset + lineLength) return 0;
  return static_cast<int32_t>(offset - lineOffset + 1);
}

}  // namespace

void recordScanError(ScanState* state, const char* message, uint32_t domain, int32_t line, const char* detail,
                     const char* extra) {
  const int32_t column = columnOf(state, detail, line);
  if (state->nearText == nullptr || state->nearLineStart != state->lineStart) {
    state->nearText = copySourceLine(state);
    state->nearLineStart = state->lineStart;
  }
  auto* error = static_cast<CompileError*>(ctxAlloc(sizeof(CompileError)));
  error->next = nullptr;
  error->message = ctxStrdup(message);
  error->domain = domain;
  error->line = line;
  error->nearText = state->nearText;
  error->detail = detail == nullptr ? nullptr : ctxStrdup(detail);
  error->extra = extra == nullptr ? nullptr : ctxStrdup(extra);
  error->column = column;
  appendError(state->errors, error);
}

void recordScanNote(ScanState* state, const char* message, const char* token, size_t length, uint32_t extension) {
  const int32_t line = state->line + 1;
  CompileError* note = recordNote(state->notes, noteRemark, message, line, ctxStrndup(token, length), extension);
  if (note != nullptr) note->column = columnOf(state, token, line);
}
