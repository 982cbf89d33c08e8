// declarations.cpp - the declarations as the walk meets them: each visits its name first, so that its
// summed name length is known before the rest is transformed, then maps its datatypes; and the pragmas
// a declaration section holds (ALIAS, AUTONOMOUS_TRANSACTION).
#include "transform/rewrites.h"

#include <cstring>

#include "lexer/token_codes.h"

namespace {

uint32_t summedNameLength(const AstList* names) {
  uint32_t length = 0;
  for (AstListCell* cell = listHeadCell(names); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text != nullptr) length += static_cast<uint32_t>(std::strlen(text));
  }
  return length;
}

bool isInPackage(const AstNode* decl) {
  const AstNode* list = decl->parent;
  return list != nullptr && list->parent != nullptr && isPackageNode(list->parent);
}

// A declaration visits its name first, so that its summed name length is known before the rest of it
// is transformed.
void visitName(DeclNode* decl, AstList* name, TransformContext* ctx) {
  visit(name, decl, ctx);
  decl->nameLength = summedNameLength(name);
}

}  // namespace

void visitVarDecl(AstNode* node, TransformContext* ctx) {
  auto* variable = static_cast<VarDeclNode*>(node);
  visitName(variable, variable->names, ctx);
  visit(variable->datatype, node, ctx);
  visit(variable->defaultValue, node, ctx);
  variable->datatype = rewriteDatatype(variable->datatype, ctx, false);
  hoistDefault(variable, ctx);
}

void visitCursorDecl(AstNode* node, TransformContext* ctx) {
  auto* cursor = static_cast<CursorDeclNode*>(node);
  visitName(cursor, cursor->name, ctx);
  visit(cursor->parameters, node, ctx);
  visit(cursor->query, node, ctx);
}

void visitRecordDecl(AstNode* node, TransformContext* ctx) {
  auto* record = static_cast<RecordDeclNode*>(node);
  visitName(record, record->name, ctx);
  visit(record->fields, node, ctx);
}

void visitTableDecl(AstNode* node, TransformContext* ctx) {
  auto* table = static_cast<TableDeclNode*>(node);
  visitName(table, table->name, ctx);
  visit(table->elementType, node, ctx);
  visit(table->indexType, node, ctx);
  table->elementType = rewriteDatatype(table->elementType, ctx, false);
  table->indexType = rewriteDatatype(table->indexType, ctx, false);
}

// A strong REF CURSOR type needs a module to hold it; a weak one outside a package is the host's CURSOR,
// which its uses are rewritten to.
void visitRefCursorDecl(AstNode* node, TransformContext* ctx) {
  auto* cursorType = static_cast<RefCursorDeclNode*>(node);
  ctx->refCursorTypes = listAppend(ctx->refCursorTypes, cursorType);
  visitName(cursorType, cursorType->name, ctx);
  visit(cursorType->returnType, node, ctx);
  if (isInPackage(node)) return;
  if (cursorType->returnType != nullptr) {
    raiseUnsupported("Strong REFCURSOR types can only be declared within a package", "REFCURSOR", node, ctx->errors);
  } else {
    cursorType->isLocalWeakCursorType = 1;
  }
}

void visitVarrayDecl(AstNode* node, TransformContext* ctx) {
  auto* varray = static_cast<VarrayDeclNode*>(node);
  visitName(varray, varray->name, ctx);
  visit(varray->elementType, node, ctx);
  varray->elementType = rewriteDatatype(varray->elementType, ctx, false);
}

void visitSubtype(AstNode* node, TransformContext* ctx) {
  auto* subtype = static_cast<SubtypeNode*>(node);
  visitName(subtype, subtype->names, ctx);
  visit(subtype->datatype, node, ctx);
  visit(subtype->range, node, ctx);
  subtype->datatype = rewriteDatatype(subtype->datatype, ctx, false);
}

void transformPragma(PragmaNode* pragma, TransformContext* ctx) {
  visit(pragma->first, pragma, ctx);
  visit(pragma->second, pragma, ctx);
  if (pragma->pragmaCode == T_ALIAS) {
    ctx->aliasPragmas = listAppend(ctx->aliasPragmas, pragma);
    return;
  }
  if (pragma->pragmaCode != T_AUTONOMOUS_XACT) return;
  for (AstNode* node = pragma->parent; node != nullptr; node = node->parent) {
    if (node->kind == astNodeCreateProc) {
      static_cast<CreateProcNode*>(node)->isAutonomous = 1;
      return;
    }
    if (node->kind == astNodeCreateFunc || node->kind == astNodeCreateTrigger) break;
  }
  raiseUnsupported("AUTONOMOUS_XACT not permitted in this context", "AUTONOMOUS_XACT", pragma, ctx->errors);
}

void visitExceptionDecl(AstNode* node, TransformContext* ctx) {
  auto* exception = static_cast<ExceptionDeclNode*>(node);
  rewriteExceptionDecl(exception, ctx);
  exception->nameLength = summedNameLength(exception->name);
}
