// declarations.cpp - declarations inside a block, written as DECLARE statements at the head of the
// compound statement. The owner is the declaration's grandparent (its list's owner), set by the
// transformer's walk.
// TODO: package-level declarations (ALTER MODULE ... VARIABLE / TYPE / CONDITION), conditions and the
// record, table, varray and subtype forms have no writer yet; the last four are recorded as unsupported.
#include "emit/emit_context.h"

#include "lexer/token_codes.h"

namespace {

bool isOwnedByBlock(const AstNode* decl) {
  const AstNode* list = decl->parent;
  const AstNode* owner = list != nullptr ? list->parent : nullptr;
  // A declaration not yet linked into a tree is taken as a block's: that is where most of them live.
  return owner == nullptr || owner->kind == astNodeBlock;
}

void emitVariable(VarDeclNode* variable, EmitContext* ctx) {
  beginStatement(ctx, variable);
  emitTokens(variable->names, ctx, "DECLARE ", " ");
  emitDatatype(variable->datatype, ctx);
  if (variable->constant) {
    // The prefix stands even without a value: the host then reports the missing constant value itself.
    emitTokens(variable->defaultValue, ctx, " CONSTANT ", "");
  } else if (variable->defaultValue != nullptr) {
    emitTokens(variable->defaultValue, ctx, " DEFAULT ", "");
  }
  emitStrings(ctx, {";\n"});
}

void emitCursor(CursorDeclNode* cursor, EmitContext* ctx) {
  beginStatement(ctx, cursor);
  emitTokens(cursor->name, ctx, "DECLARE ", " CURSOR CONSTANT (CURSOR ");
  if (cursor->parameters != nullptr) {
    emitParamList(cursor->parameters, ctx);
    emitStrings(ctx, {" "});
  }
  emitTokens(cursor->query, ctx, "WITH HOLD FOR ", "");
  emitStrings(ctx, {");\n"});
}

}  // namespace

void emitDeclaration(AstNode* decl, EmitContext* ctx) {
  if (decl == nullptr || !isDeclarationNode(decl) || !isOwnedByBlock(decl)) return;
  switch (static_cast<const DeclNode*>(decl)->declClass) {
    case declVariable:
      if (decl->kind == astNodeVarDecl) emitVariable(static_cast<VarDeclNode*>(decl), ctx);
      return;
    case declCursor:
      if (decl->kind == astNodeCursorDecl) emitCursor(static_cast<CursorDeclNode*>(decl), ctx);
      return;
    case declRecord:
    case declTable:
    case declVarray:
    case declSubtype: recordUnwritten(decl, ctx); return;
    case declRefCursor:
    case declException:
    case declExceptionInit: return;
  }
}
