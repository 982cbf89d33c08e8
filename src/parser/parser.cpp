// parser.cpp - one parse of one request: the scanner around the generated parser.
// The parser state hook points into yyparse's frame, so it is cleared however the parse ends.
#include "parser/parser.h"

#include "lexer/token_codes.h"
#include "parser/actions.h"

namespace {

class ParserStateGuard {
 public:
  explicit ParserStateGuard(ParseContext* ctx) : ctx_(ctx) {}
  ~ParserStateGuard() { ctx_->parserState = nullptr; }
  ParserStateGuard(const ParserStateGuard&) = delete;
  ParserStateGuard& operator=(const ParserStateGuard&) = delete;

 private:
  ParseContext* ctx_;
};

}  // namespace

int parseRequest(ParseContext* ctx) {
  ctx->expectedTokens = expectedTokenList;
  ctx->parserState = nullptr;
  ctx->root = nullptr;
  ctx->blockDepth = 0;
  if (ctx->settings != nullptr && ctx->settings->parserTrace != 0) setParserTrace(true);
  scannerCreate(ctx);
  ScannerGuard scanner(ctx);
  ParserStateGuard state(ctx);
  return yyparse(ctx);
}

void setParserTrace(bool on) { yydebug = on ? 1 : 0; }
