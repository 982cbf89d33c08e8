// unwritten.cpp - the constructs the emitter has no writer for yet. Each is recorded as an unsupported
// feature instead of being skipped, so a request never succeeds with part of its text missing.
// TODO: the package, type and trigger writers replace these records as they are built.
#include "emit/emit_context.h"

#include <cassert>

namespace {

struct UnwrittenText {
  const char* message;
  const char* detail;
};

UnwrittenText unwrittenText(const AstNode* node) {
  const uint32_t kind = node->kind;
  if (kind == astNodeCreatePkgHead) return {"CREATE PACKAGE not supported", "CREATE [OR REPLACE] PACKAGE..."};
  if (kind == astNodeCreatePkgBody) return {"CREATE PACKAGE BODY not supported", "CREATE [OR REPLACE] PACKAGE BODY..."};
  if (kind == astNodeCreateType) return {"CREATE TYPE not supported", "CREATE [OR REPLACE] TYPE..."};
  if (kind == astNodeCreateTrigger) return {"CREATE TRIGGER not supported", "CREATE [OR REPLACE] TRIGGER..."};
  if (kind == astNodeSubtype) return {"SUBTYPE declarations not supported", "SUBTYPE"};
  // What is left comes from the declaration writer: the RECORD, TABLE OF and VARRAY forms of TYPE ... IS.
  assert((kind == astNodeRecordDecl || kind == astNodeTableDecl || kind == astNodeVarrayDecl) &&
         "a kind without an unsupported message reached the emitter's fallback");
  return {"TYPE declarations not supported", "TYPE ... IS"};
}

}  // namespace

void recordUnwritten(const AstNode* node, EmitContext* ctx) {
  const UnwrittenText text = unwrittenText(node);
  raiseUnsupported(text.message, text.detail, node, ctx->errors);
}
