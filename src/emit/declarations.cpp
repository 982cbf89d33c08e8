// declarations.cpp - one declaration, written where it stands: inside a block as a DECLARE at the head
// of the compound statement (ending ";\n", part of the block's text), in a package as an ALTER MODULE
// statement of its own (cut with its domain). The owner is the declaration's grandparent (the owner
// of its list), set by the transformer's walk.
#include "emit/emit_context.h"

#include "lexer/token_codes.h"

namespace {

const AstNode* ownerOf(const AstNode* decl) {
  const AstNode* list = decl->parent;
  return list != nullptr ? list->parent : nullptr;
}

// x NUMBER := 0;  ->  DECLARE x NUMBER DEFAULT 0;   in a package: ALTER MODULE m ADD VARIABLE x NUMBER DEFAULT (0)
void emitVariable(VarDeclNode* variable, const AstNode* owner, EmitContext* ctx) {
  if (owner != nullptr && isPackageNode(owner)) {
    emitModuleHead(owner, "VARIABLE", ctx);
  } else {
    emitStrings({"DECLARE "}, ctx);
  }
  emitTokens(variable->names, "", " ", ctx);
  emitDatatype(variable->datatype, ctx);
  if (variable->constant) {
    // The prefix stands even without a value: the host then reports the missing constant value itself.
    emitTokens(variable->defaultValue, " CONSTANT ", "", ctx);
  } else if (variable->defaultValue != nullptr) {
    emitTokens(variable->defaultValue, " DEFAULT ", "", ctx);
  }
  endDeclaration(owner, SQLEXC_VARIABLE, ctx);
}

void emitCursorQuery(AstNode* query, EmitContext* ctx) {
  if (query != nullptr && query->kind == astNodeSelect) {
    auto* select = static_cast<SelectNode*>(query);
    emitStrings({"WITH HOLD FOR "}, ctx);
    if (select->cte != nullptr) emitTokens(select->cte, "WITH ", " ", ctx);
    emitTokens(select->selectList, "SELECT ", "", ctx);
    if (select->into != nullptr) emitTokens(select->into, " INTO ", "", ctx);
    emitTokens(select->fromClause, " FROM ", "", ctx);
    return;
  }
  emitTokens(static_cast<AstList*>(query), "WITH HOLD FOR ", "", ctx);
}

// CURSOR c IS SELECT ...;  ->  DECLARE c CURSOR CONSTANT (CURSOR WITH HOLD FOR SELECT ...);
void emitCursor(CursorDeclNode* cursor, const AstNode* owner, EmitContext* ctx) {
  if (owner != nullptr && isPackageNode(owner)) {
    emitModuleHead(owner, "VARIABLE", ctx);
    emitTokens(cursor->name, "", "", ctx);
  } else {
    emitTokens(cursor->name, "DECLARE ", "", ctx);
  }
  emitStrings({" CURSOR CONSTANT (CURSOR "}, ctx);
  if (cursor->parameters != nullptr) {
    emitParamList(cursor->parameters, ctx);
    emitStrings({" "}, ctx);
  }
  emitCursorQuery(cursor->query, ctx);
  emitStrings({")"}, ctx);
  endDeclaration(owner, SQLEXC_VARIABLE, ctx);
}

// TYPE rc IS REF CURSOR RETURN t%ROWTYPE;  (in a package)  ->  ALTER MODULE m ADD TYPE rc AS ANCHOR TO ROW t CURSOR
// A REF CURSOR type outside a package was replaced by CURSOR wherever it is used.
void emitRefCursorType(RefCursorDeclNode* cursorType, const AstNode* owner, EmitContext* ctx) {
  if (cursorType->isLocalWeakCursorType || owner == nullptr || !isPackageNode(owner)) return;
  emitModuleHead(owner, "TYPE", ctx);
  emitTokens(cursorType->name, "", " AS ", ctx);
  if (cursorType->returnType != nullptr) emitDatatype(cursorType->returnType, ctx);
  emitStrings({" CURSOR"}, ctx);
  endDeclaration(owner, SQLEXC_TYPE, ctx);
}

// e EXCEPTION;  ->  DECLARE e CONDITION;   in a package: ALTER MODULE m ADD CONDITION e
// A PL/SQL exception is a host condition; one bound to SQLSTATEs names the first of them here, while
// handlers name all of them.
void emitCondition(ExceptionDeclNode* exception, const AstNode* owner, EmitContext* ctx) {
  if (owner != nullptr && isPackageNode(owner)) {
    writeMemberHead("CONDITION", owner, exception->name, ctx);
  } else {
    emitTokens(exception->name, "DECLARE ", " CONDITION", ctx);
  }
  if (listCount(exception->sqlstates) != 0) {
    emitStrings({" FOR SQLSTATE ", "'", tokenText(listFirst(exception->sqlstates)), "'"}, ctx);
  }
  endDeclaration(owner, SQLEXC_CONDITION, ctx);
}

}  // namespace

void emitDeclaration(AstNode* decl, EmitContext* ctx) {
  if (decl == nullptr || !isDeclarationNode(decl)) return;
  const AstNode* owner = ownerOf(decl);
  const DeclClass declClass = static_cast<const DeclNode*>(decl)->declClass;
  // A REF CURSOR type that writes nothing must not leave a line marker or indentation behind.
  if (declClass == declRefCursor && decl->kind == astNodeRefCursorDecl &&
      (static_cast<const RefCursorDeclNode*>(decl)->isLocalWeakCursorType || owner == nullptr ||
       !isPackageNode(owner))) {
    return;
  }
  if (declClass == declExceptionInit) return;
  beginStatement(decl, ctx);
  switch (declClass) {
    case declVariable: emitVariable(static_cast<VarDeclNode*>(decl), owner, ctx); return;
    case declCursor: emitCursor(static_cast<CursorDeclNode*>(decl), owner, ctx); return;
    case declRecord:
    case declTable:
    case declVarray:
    case declSubtype: emitTypeDeclaration(decl, owner, ctx); return;
    case declRefCursor: emitRefCursorType(static_cast<RefCursorDeclNode*>(decl), owner, ctx); return;
    case declException: emitCondition(static_cast<ExceptionDeclNode*>(decl), owner, ctx); return;
    case declExceptionInit: return;
  }
}
