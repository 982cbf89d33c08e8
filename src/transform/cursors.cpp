// cursors.cpp - cursor attributes, the ROW_COUNT capture after SQL statements, cursor FOR loops,
// OPEN ... FOR, RETURNING, and the trigger pseudo-records.
// TODO: the cursor rewrites are not built yet: each construct records an unsupported feature, so a
// request either translates faithfully or fails with a reason.
#include "transform/rewrites.h"

#include "lexer/token_codes.h"

namespace {

void visit(AstNode* child, AstNode* parent, TransformContext* ctx) { transformNode(child, parent, ctx); }

}  // namespace

void rewriteOpen(OpenNode* open, TransformContext* ctx) {
  visit(open->cursor, open, ctx);
  visit(open->arguments, open, ctx);
  visit(open->using_, open, ctx);
  visit(open->tail, open, ctx);
  // The FOR operand (a query or a statement text) has no place in the host's OPEN.
  if (open->query != nullptr) raiseUnsupported("OPEN ... FOR not supported", "OPEN ... FOR", open, ctx->errors);
}

void rewriteSqlStmt(SqlStmtNode* sql, TransformContext* ctx) {
  visit(sql->rest, sql, ctx);
  visit(sql->returning, sql, ctx);
}

void rewriteToken(TokenNode* token, TransformContext* ctx) {
  const char* attribute = nullptr;
  switch (token->code) {
    case T_CURSOR_FOUND: attribute = "%FOUND"; break;
    case T_CURSOR_NOTFOUND: attribute = "%NOTFOUND"; break;
    case T_CURSOR_ROWCOUNT: attribute = "%ROWCOUNT"; break;
    case T_CURSOR_ISOPEN: attribute = "%ISOPEN"; break;
    default: return;
  }
  raiseUnsupported("Cursor attributes not supported", attribute, token, ctx->errors);
}

AstNode* rewriteCursorFor(ForNode* loop, TransformContext* ctx) {
  raiseUnsupported("Cursor FOR loops not supported", "FOR ... IN", loop, ctx->errors);
  return nullptr;
}
