// dynamic_sql.cpp - EXECUTE IMMEDIATE with bind lists, and assignments from the package functions the
// host offers only as procedures.
// TODO: these rewrites are not built yet: EXECUTE IMMEDIATE with binds records an unsupported feature.
#include "transform/rewrites.h"

#include "lexer/token_codes.h"

namespace {

void visit(AstNode* child, AstNode* parent, TransformContext* ctx) { transformNode(child, parent, ctx); }

}  // namespace

AstNode* rewriteDynamic(DynamicNode* dynamic, TransformContext* ctx) {
  visit(dynamic->statement, dynamic, ctx);
  visit(dynamic->into, dynamic, ctx);
  visit(dynamic->using_, dynamic, ctx);
  visit(dynamic->returning, dynamic, ctx);
  // Without binds the statement is the host's EXECUTE IMMEDIATE as written.
  const bool hasBinds = listCount(dynamic->into) != 0 || listCount(dynamic->using_) != 0 ||
                        listCount(dynamic->returning) != 0 || dynamic->bulkCollect != 0;
  if (hasBinds) {
    raiseUnsupported("EXECUTE IMMEDIATE with INTO, USING or RETURNING not supported", "EXECUTE IMMEDIATE", dynamic,
                     ctx->errors);
  }
  return nullptr;
}

AstNode* rewriteRestrictedCall(AssignNode* /*assign*/, TransformContext* /*ctx*/) { return nullptr; }
