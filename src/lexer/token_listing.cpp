// token_listing.cpp - the token listing behind `xcomp --print-tokens`: every token of a text with its
// line, code name and text, scanned exactly as the parser would see it (lexical errors included).
#include "lexer/lexer.h"

#include <cstdio>
#include <cstring>

#include "lexer/scan_state.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

// The text a token carries for the listing: its value where the scanner's own text is not the token.
const char* listingText(void* scanner, const TokenValue& value, int code) {
  switch (code) {
    case T_WORD:
    case T_TRIG_VAR:
    case T_DTYPE:
      if (value.list != nullptr) return tokenText(listFirst(value.list));
      break;
    case T_STRING:
    case T_COMPARISON:
    case T_COMMENT_SEMI:
    case T_CURSOR_NOTFOUND:
    case T_CURSOR_FOUND:
    case T_CURSOR_ROWCOUNT:
    case T_CURSOR_ISOPEN:
      if (value.text != nullptr) return value.text;
      break;
    default: break;
  }
  return scannerText(scanner);
}

// A growing pool string; the old block is released at each doubling.
struct Listing {
  char* data = nullptr;
  size_t length = 0;
  size_t capacity = 0;

  void append(const char* text, size_t n) {
    if (length + n + 1 > capacity) {
      size_t grown = capacity == 0 ? 256 : capacity;
      while (grown < length + n + 1) grown *= 2;
      char* bigger = static_cast<char*>(ctxAlloc(grown));
      if (length > 0) std::memcpy(bigger, data, length);
      ctxFree(data);
      data = bigger;
      capacity = grown;
    }
    std::memcpy(data + length, text, n);
    length += n;
    data[length] = '\0';
  }
  void append(const char* text) { append(text, std::strlen(text)); }

  // One line per token, so the characters that would break the line are written as escapes.
  void appendEscaped(const char* text) {
    for (const char* p = text; *p != '\0';) {
      const size_t plain = std::strcspn(p, "\n\r\t");
      append(p, plain);
      p += plain;
      if (*p == '\0') break;
      append(*p == '\n' ? "\\n" : *p == '\r' ? "\\r" : "\\t", 2);
      ++p;
    }
  }
};

}  // namespace

const char* formatTokenListing(ParseContext* ctx) {
  ScannerGuard guard(ctx);
  scannerCreate(ctx);
  Listing listing;
  listing.append("", 0);
  TokenValue value{};
  for (int code = fetchToken(&value, ctx); code != 0; code = fetchToken(&value, ctx)) {
    char line[16];
    std::snprintf(line, sizeof line, "%d\t", scannerState(ctx->scanner)->tokenLine + 1);
    listing.append(line);
    listing.append(tokenCodeName(code));
    listing.append("\t", 1);
    listing.appendEscaped(listingText(ctx->scanner, value, code));
    listing.append("\n", 1);
  }
  return listing.data;
}
