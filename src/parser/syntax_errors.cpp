// syntax_errors.cpp - the records the parser puts on the error chain: its position in the text, the
// token it stopped at, and the tokens the grammar would have accepted there.
// Recording never ends the parse; the generated parser decides that on its own.
#include "parser/actions.h"

#include <cstring>

#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

// The list names at most this many tokens; longer ones are cut without a marker.
constexpr int maxExpectedTokens = 10;

constexpr const char* endOfFileName = "end of file";
constexpr const char* invalidTokenName = "invalid token";

// T_IS is written IS, ';' keeps its quotes, anything else goes in angle brackets: <$end>.
size_t writeListName(char* out, const char* name) {
  if (std::strncmp(name, "T_", 2) == 0) {
    const size_t length = std::strlen(name) - 2;
    if (out != nullptr) std::memcpy(out, name + 2, length);
    return length;
  }
  if (name[0] == '\'') {
    const size_t length = std::strlen(name);
    if (out != nullptr) std::memcpy(out, name, length);
    return length;
  }
  const auto inner = static_cast<size_t>(grammarNameForMessage(nullptr, name));
  if (out != nullptr) {
    out[0] = '<';
    grammarNameForMessage(out + 1, name);
    out[inner + 1] = '>';
  }
  return inner + 2;
}

void record(ParseContext* ctx, const char* message, int32_t line, uint32_t domain, const char* extra) {
  recordAtScanPosition(ctx, message, domain, line, extra);
}

// The list for one state, or null when there is no state (-1).
const char* expectedTokensOf(int state) {
  if (state < 0) return nullptr;
  const char* names[maxExpectedTokens];
  const int count = expectedTerminalNames(state, names, maxExpectedTokens);
  size_t length = 1;
  for (int i = 0; i < count; ++i) length += writeListName(nullptr, names[i]) + 2;
  char* list = static_cast<char*>(ctxAlloc(length));
  size_t used = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      std::memcpy(list + used, ", ", 2);
      used += 2;
    }
    used += writeListName(list + used, names[i]);
  }
  list[used] = '\0';
  return list;
}

// The state the parser read its lookahead in; its current state when it has read none yet.
int lookaheadState(const ParseContext* ctx) {
  if (ctx->parserState == nullptr) return -1;
  const auto* position = static_cast<const ParserPosition*>(ctx->parserState);
  return position->lookaheadState >= 0 ? position->lookaheadState : *position->state;
}

}  // namespace

std::ptrdiff_t grammarNameForMessage(char* out, const char* name) {
  const char* shown = name;
  if (std::strcmp(name, endOfFileName) == 0) shown = "$end";
  if (std::strcmp(name, invalidTokenName) == 0) shown = "$undefined";
  const size_t length = std::strlen(shown);
  if (out != nullptr) std::memcpy(out, shown, length + 1);
  return static_cast<std::ptrdiff_t>(length);
}

const char* expectedTokenList(ParseContext* ctx) {
  if (ctx->parserState == nullptr) return nullptr;
  return expectedTokensOf(*static_cast<const ParserPosition*>(ctx->parserState)->state);
}

void reportSyntaxError(ParseContext* ctx, const char* message) {
  record(ctx, message, currentLine(ctx), syntax, expectedTokenList(ctx));
}

ParserPosition* newParserPosition(const int* state) {
  auto* position = static_cast<ParserPosition*>(ctxAlloc(sizeof(ParserPosition)));
  position->state = state;
  position->lookaheadState = -1;
  return position;
}

int readLookahead(YYSTYPE* value, ParseContext* ctx) {
  if (ctx->parserState == nullptr) return fetchToken(&value->tok, ctx);
  // The record is the pool's, made writable by newParserPosition; the context only hands it on.
  auto* position = static_cast<ParserPosition*>(const_cast<void*>(ctx->parserState));
  position->lookaheadState = *position->state;
  const int code = fetchToken(&value->tok, ctx);
  // A package body reads FUNCTION as a member of its own; only where FUNCTION has no place but a
  // declaration may start is it a function nested in a declaration section.
  if (code == T_FUNCTION && ctx->settings != nullptr && (ctx->settings->extensions & extendNestedFunctions) != 0 &&
      !grammarStateReads(position->lookaheadState, T_FUNCTION) &&
      grammarStateReads(position->lookaheadState, T_NESTED_FUNCTION)) {
    return T_NESTED_FUNCTION;
  }
  return code;
}

void reportParserSyntaxError(ParseContext* ctx, const char* unexpectedName) {
  const int state = lookaheadState(ctx);
  if (unexpectedName == nullptr) {
    record(ctx, syntaxErrorMessage, currentLine(ctx), syntax, expectedTokensOf(state));
    return;
  }
  // Asking for one more name than the message may hold tells a state with five or more apart.
  constexpr int maxNamedInMessage = 4;
  const char* expected[maxNamedInMessage + 1];
  int count = expectedTerminalNames(state, expected, maxNamedInMessage + 1);
  if (count > maxNamedInMessage) count = 0;
  const char* const unexpectedPart = "syntax error, unexpected ";
  const char* const expectingPart = ", expecting ";
  const char* const orPart = " or ";
  size_t length = std::strlen(unexpectedPart) + static_cast<size_t>(grammarNameForMessage(nullptr, unexpectedName));
  for (int i = 0; i < count; ++i) {
    length += std::strlen(i == 0 ? expectingPart : orPart);
    length += static_cast<size_t>(grammarNameForMessage(nullptr, expected[i]));
  }
  char* message = static_cast<char*>(ctxAlloc(length + 1));
  size_t used = 0;
  const auto append = [&](const char* text) {
    const size_t n = std::strlen(text);
    std::memcpy(message + used, text, n);
    used += n;
  };
  append(unexpectedPart);
  used += static_cast<size_t>(grammarNameForMessage(message + used, unexpectedName));
  for (int i = 0; i < count; ++i) {
    append(i == 0 ? expectingPart : orPart);
    used += static_cast<size_t>(grammarNameForMessage(message + used, expected[i]));
  }
  message[used] = '\0';
  record(ctx, message, currentLine(ctx), syntax, expectedTokensOf(state));
  ctxFree(message);
}

void reportSyntaxErrorWithText(ParseContext* ctx, const char* message, const char* extraText) {
  record(ctx, message, currentLine(ctx), syntax, extraText != nullptr ? extraText : expectedTokenList(ctx));
}

void reportSyntaxErrorAtLine(ParseContext* ctx, const char* message, int32_t line) {
  record(ctx, message, line, syntax, expectedTokenList(ctx));
}

void reportErrorInDomain(ParseContext* ctx, const char* message, int32_t line, uint32_t domain, const char* extraText) {
  record(ctx, message, line, domain, extraText != nullptr ? extraText : expectedTokenList(ctx));
}
