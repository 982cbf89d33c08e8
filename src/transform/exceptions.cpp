// exceptions.cpp - exception declarations, handlers, RAISE, SELECT INTO and the diagnostics a handler
// captures on entry.
// TODO: the exception rewrites are not built yet: each construct records an unsupported feature, so a
// request either translates faithfully or fails with a reason.
#include "transform/rewrites.h"

#include "lexer/token_codes.h"

namespace {

void visit(AstNode* child, AstNode* parent, TransformContext* ctx) { transformNode(child, parent, ctx); }

}  // namespace

void rewriteExceptionDecl(ExceptionDeclNode* exception, TransformContext* ctx) {
  visit(exception->name, exception, ctx);
  // Nothing declares the condition yet, and handlers could not name it anyway.
  raiseUnsupported("Exception declarations not supported", "EXCEPTION", exception, ctx->errors);
}

void rewriteHandler(HandlerNode* handler, TransformContext* ctx) {
  // The conditions are PL/SQL exception names; the host needs SQLSTATE lists in their place.
  raiseUnsupported("Exception handlers not supported", "EXCEPTION WHEN", handler, ctx->errors);
}

void rewriteRaise(RaiseNode* raise, TransformContext* ctx) {
  visit(raise->exceptionName, raise, ctx);
  // With no SQLSTATE a named RAISE would be written as RESIGNAL: a different statement.
  if (raise->exceptionName != nullptr && raise->sqlstate == nullptr) {
    raiseUnsupported("RAISE of a named exception not supported", "RAISE", raise, ctx->errors);
  }
}

AstNode* rewriteSelect(SelectNode* select, TransformContext* ctx) {
  visit(select->cte, select, ctx);
  visit(select->selectList, select, ctx);
  visit(select->into, select, ctx);
  visit(select->fromClause, select, ctx);
  if (select->bulkCollect) return rewriteBulkSelect(select, ctx);
  return nullptr;
}

void captureDiagnostics(BlockNode* /*body*/, TransformContext* /*ctx*/) {
  // Reading SQLCODE, SQLSTATE or SQLERRM inside a handler needs the diagnostics captured at its
  // start; until handlers are rewritten they are recorded as unsupported, so there is nothing to do.
}
