// types.cpp - record, table, varray and subtype declarations and CREATE TYPE. One writer per form serves
// three containers: a block (DECLARE TYPE, one line of the block), a package (ALTER MODULE ... PUBLISH or
// ADD TYPE, a statement of its own) and the CREATE TYPE statement, which writes the head itself.
#include "emit/emit_context.h"

#include "lexer/token_codes.h"

namespace {

bool isCreateType(const AstNode* container) { return container != nullptr && container->kind == astNodeCreateType; }

// The statement start was written by the caller; the head names the type where it lives.
void writeTypeHead(AstList* name, const AstNode* container, EmitContext* ctx) {
  if (isCreateType(container)) return;
  if (container != nullptr && isPackageNode(container)) {
    writeMemberHead("TYPE", container, name, ctx);
    return;
  }
  emitTokens(name, "DECLARE TYPE ", "", ctx);
}

// The range bounds are written as they came; the ".." between them becomes the upper comparison.
void writeRangeCheck(AstList* range, EmitContext* ctx) {
  emitStrings({" CHECK (VALUE >= "}, ctx);
  for (AstListCell* cell = listHeadCell(range); cell != nullptr; cell = cell->next) {
    auto* item = static_cast<AstNode*>(cell->item);
    if (cell != listHeadCell(range) && tokenCode(item) == T_DOTDOT) {
      emitStrings({" AND VALUE <= "}, ctx);
      continue;
    }
    emitNode(item, ctx);
  }
  emitStrings({") "}, ctx);
}

AstList* declaredTypeName(const AstNode* decl) {
  switch (static_cast<const DeclNode*>(decl)->declClass) {
    case declRecord: return static_cast<const RecordDeclNode*>(decl)->name;
    case declTable: return static_cast<const TableDeclNode*>(decl)->name;
    case declVarray: return static_cast<const VarrayDeclNode*>(decl)->name;
    case declSubtype: return static_cast<const SubtypeNode*>(decl)->names;
    case declVariable:
    case declCursor:
    case declRefCursor:
    case declException:
    case declExceptionInit: break;
  }
  return nullptr;
}

// TYPE t IS TABLE OF e INDEX BY i, or VARRAY(n) OF e: the head, " AS e ARRAY[", and the caller writes
// the bounds (the index type or the limit) and the closing bracket.
void writeArrayType(AstList* name, AstList* elementType, const AstNode* container, EmitContext* ctx) {
  writeTypeHead(name, container, ctx);
  emitStrings({" AS "}, ctx);
  emitDatatype(elementType, ctx);
  emitStrings({" ARRAY["}, ctx);
}

}  // namespace

// TYPE r IS RECORD (a NUMBER);  ->  DECLARE TYPE r AS ROW (a NUMBER)
void emitRecordType(AstNode* decl, const AstNode* container, EmitContext* ctx) {
  auto* record = static_cast<RecordDeclNode*>(decl);
  writeTypeHead(record->name, container, ctx);
  emitStrings({" AS ROW \n"}, ctx);
  emitIndent(ctx);
  emitStrings({"(\n"}, ctx);
  {
    const NestedLevel nested(ctx);
    bool first = true;
    for (AstListCell* cell = listHeadCell(record->fields); cell != nullptr; cell = cell->next) {
      auto* field = static_cast<AstNode*>(cell->item);
      if (field == nullptr || field->kind != astNodeVarDecl) continue;
      if (!first) emitStrings({",\n"}, ctx);
      first = false;
      emitIndent(ctx);
      auto* variable = static_cast<VarDeclNode*>(field);
      emitTokens(variable->names, "", " ", ctx);
      emitDatatype(variable->datatype, ctx);
    }
  }
  emitStrings({"\n"}, ctx);
  emitIndent(ctx);
  emitStrings({")"}, ctx);
  endDeclaration(container, SQLEXC_TYPE, ctx);
}

// TYPE t IS TABLE OF NUMBER INDEX BY PLS_INTEGER;  ->  DECLARE TYPE t AS NUMBER ARRAY[INTEGER]
void emitTableType(AstNode* decl, const AstNode* container, EmitContext* ctx) {
  auto* table = static_cast<TableDeclNode*>(decl);
  writeArrayType(table->name, table->elementType, container, ctx);
  emitDatatype(table->indexType, ctx);
  emitStrings({"]"}, ctx);
  endDeclaration(container, SQLEXC_TYPE, ctx);
}

// TYPE v IS VARRAY(5) OF NUMBER;  ->  DECLARE TYPE v AS NUMBER ARRAY[5]
void emitVarrayType(AstNode* decl, const AstNode* container, EmitContext* ctx) {
  auto* varray = static_cast<VarrayDeclNode*>(decl);
  writeArrayType(varray->name, varray->elementType, container, ctx);
  emitStrings({varray->limit != nullptr ? varray->limit : "", "]"}, ctx);
  endDeclaration(container, SQLEXC_TYPE, ctx);
}

// SUBTYPE s IS NUMBER RANGE 1 .. 9;  ->  DECLARE TYPE s AS NUMBER WITH WEAK TYPE RULES CHECK (VALUE >= 1 AND ...)
void emitSubtype(AstNode* decl, const AstNode* container, EmitContext* ctx) {
  auto* subtype = static_cast<SubtypeNode*>(decl);
  writeTypeHead(subtype->names, container, ctx);
  emitStrings({" AS "}, ctx);
  emitDatatype(subtype->datatype, ctx);
  emitStrings({" WITH WEAK TYPE RULES"}, ctx);
  if (subtype->notNull) emitStrings({" NOT NULL"}, ctx);
  if (subtype->range != nullptr) writeRangeCheck(subtype->range, ctx);
  endDeclaration(container, SQLEXC_TYPE, ctx);
}

void emitTypeDeclaration(AstNode* decl, const AstNode* owner, EmitContext* ctx) {
  switch (static_cast<const DeclNode*>(decl)->declClass) {
    case declRecord: emitRecordType(decl, owner, ctx); return;
    case declTable: emitTableType(decl, owner, ctx); return;
    case declVarray: emitVarrayType(decl, owner, ctx); return;
    case declSubtype: emitSubtype(decl, owner, ctx); return;
    // The declaration writer hands only type declarations here.
    case declVariable:
    case declCursor:
    case declRefCursor:
    case declException:
    case declExceptionInit: return;
  }
}

// CREATE TYPE t AS TABLE OF NUMBER;  ->  CREATE TYPE t AS NUMBER ARRAY[INTEGER]
void emitCreateType(AstNode* node, EmitContext* ctx) {
  auto* type = static_cast<CreateTypeNode*>(node);
  AstNode* decl = type->declaration;
  // The grammar wraps only a record (AS OBJECT), a nested table or a varray.
  if (decl == nullptr ||
      (decl->kind != astNodeRecordDecl && decl->kind != astNodeTableDecl && decl->kind != astNodeVarrayDecl)) {
    return;
  }
  beginStatement(node, ctx);
  writeCreateHead("TYPE", declaredTypeName(decl), type->orReplace != 0, ctx);
  if (decl->kind == astNodeRecordDecl) {
    emitRecordType(decl, node, ctx);
  } else if (decl->kind == astNodeVarrayDecl) {
    emitVarrayType(decl, node, ctx);
  } else {
    // A schema-level nested table has no index type of its own: the host array is indexed by INTEGER.
    emitTokens(static_cast<TableDeclNode*>(decl)->elementType, " AS ", " ARRAY[INTEGER]", ctx);
    endDeclaration(node, SQLEXC_TYPE, ctx);
  }
}

void emitSubtypeNode(AstNode* node, EmitContext* ctx) {
  const AstNode* list = node->parent;
  emitSubtype(node, list != nullptr ? list->parent : nullptr, ctx);
}
