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

constexpr const char* endOfFileName = "\"end of file\"";
constexpr const char* invalidTokenName = "\"invalid token\"";

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
  recordError(ctx->errors, message, domain, line + 1, currentSourceLine(ctx), currentTokenText(ctx), extra);
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
  const int state = *static_cast<const int*>(ctx->parserState);
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

void reportSyntaxError(ParseContext* ctx, const char* message) {
  record(ctx, message, currentLine(ctx), syntax, expectedTokenList(ctx));
}

void reportSyntaxErrorWithText(ParseContext* ctx, const char* message, const char* extraText) {
  record(ctx, message, currentLine(ctx), syntax, extraText);
}

void reportSyntaxErrorAtLine(ParseContext* ctx, const char* message, int32_t line) {
  record(ctx, message, line, syntax, expectedTokenList(ctx));
}

void reportErrorInDomain(ParseContext* ctx, const char* message, int32_t line, uint32_t domain,
                         const char* extraText) {
  record(ctx, message, line, domain, extraText != nullptr ? extraText : expectedTokenList(ctx));
}
