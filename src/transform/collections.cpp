// collections.cpp - collection methods called as statements, BULK COLLECT fetches and selects, and
// FORALL over the indices or values of a collection.
// TODO: these rewrites are not built yet: each construct records an unsupported feature, so a request
// either translates faithfully or fails with a reason.
#include "transform/rewrites.h"

AstNode* rewriteForallOverCollection(ForNode* loop, TransformContext* ctx) {
  raiseUnsupported("FORALL over INDICES OF or VALUES OF not supported", "FORALL", loop, ctx->errors);
  return nullptr;
}

AstNode* rewriteCollectionCall(CallNode* /*call*/, TransformContext* /*ctx*/) { return nullptr; }

AstNode* rewriteBulkFetch(FetchNode* fetch, TransformContext* ctx) {
  raiseUnsupported("BULK COLLECT not supported", "BULK COLLECT", fetch, ctx->errors);
  return nullptr;
}

AstNode* rewriteBulkSelect(SelectNode* select, TransformContext* ctx) {
  raiseUnsupported("BULK COLLECT not supported", "BULK COLLECT", select, ctx->errors);
  return nullptr;
}
