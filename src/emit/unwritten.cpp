// unwritten.cpp - the constructs the emitter has no writer for yet. Each is recorded as an unsupported
// feature instead of being skipped, so a request never succeeds with part of its text missing.
// TODO: the package, type and trigger writers replace these records as they are built.
#include "emit/emit_context.h"

namespace {

struct UnwrittenText {
  const char* message;
  const char* detail;
};

UnwrittenText unwrittenText(const AstNode* node) {
  switch (node->kind) {
    case astNodeCreatePkgHead: return {"CREATE PACKAGE not supported", "CREATE [OR REPLACE] PACKAGE..."};
    case astNodeCreatePkgBody: return {"CREATE PACKAGE BODY not supported", "CREATE [OR REPLACE] PACKAGE BODY..."};
    case astNodeCreateType: return {"CREATE TYPE not supported", "CREATE [OR REPLACE] TYPE..."};
    case astNodeCreateTrigger: return {"CREATE TRIGGER not supported", "CREATE [OR REPLACE] TRIGGER..."};
    case astNodeSubtype: return {"SUBTYPE declarations not supported", "SUBTYPE"};
    default: return {"TYPE declarations not supported", "TYPE ... IS"};
  }
}

}  // namespace

void recordUnwritten(const AstNode* node, EmitContext* ctx) {
  const UnwrittenText text = unwrittenText(node);
  raiseUnsupported(text.message, text.detail, node, ctx->errors);
}
