// walk.cpp - the transformation walk: links every node to its parent and hands it to its kind's visitor,
// from a table built from the kind list. The visitors live with their job (blocks, routines,
// declarations, loops, handlers, the rewrite families); the constructs a rewrite turns into host forms go
// through the hand-off points of rewrites.h. It writes no text; errors are recorded and the walk goes on.
#include "transform/transform.h"

#include <cassert>

#include "ast/node_fields.h"
#include "host/host.h"
#include "pool/pool.h"
#include "transform/rewrites.h"
#include "transform/transform_context.h"

namespace {

using TransformVisitor = void (*)(AstNode* node, TransformContext* ctx);

void visitList(AstNode* node, TransformContext* ctx) {
  auto* list = static_cast<AstList*>(node);
  AstList* const savedList = ctx->visitingList;
  AstListCell* const savedCell = ctx->visitingCell;
  // Statements a rewrite puts after the current one are visited in their turn.
  for (AstListCell* cell = listHeadCell(list); cell != nullptr; cell = cell->next) {
    ctx->visitingList = list;
    ctx->visitingCell = cell;
    visit(static_cast<AstNode*>(cell->item), node, ctx);
  }
  ctx->visitingList = savedList;
  ctx->visitingCell = savedCell;
}

// A rewrite's result is written instead of the node, so it is transformed in the node's place.
void adoptReplacement(AstNode** slot, AstNode* replacement, AstNode* owner, TransformContext* ctx) {
  if (replacement == nullptr) return;
  *slot = replacement;
  visit(replacement, owner, ctx);
}

void visitAssign(AstNode* node, TransformContext* ctx) {
  auto* assign = static_cast<AssignNode*>(node);
  visit(assign->target, node, ctx);
  visit(assign->targetField, node, ctx);
  visit(assign->targetIndex, node, ctx);
  visit(assign->value, node, ctx);
  adoptReplacement(&assign->replacement, rewriteRestrictedCall(assign, ctx), node, ctx);
}

void visitBlock(AstNode* node, TransformContext* ctx) { transformBlock(static_cast<BlockNode*>(node), ctx); }

void visitCall(AstNode* node, TransformContext* ctx) {
  auto* call = static_cast<CallNode*>(node);
  visit(call->name, node, ctx);
  visit(call->arguments, node, ctx);
  adoptReplacement(&call->replacement, rewriteCollectionCall(call, ctx), node, ctx);
}

void visitElseIf(AstNode* node, TransformContext* ctx) {
  // The chain is walked here so that a long ELSIF ladder does not deepen the stack.
  for (auto* arm = static_cast<ElseIfNode*>(node); arm != nullptr; arm = arm->next) {
    if (arm != node) arm->parent = node->parent;
    visit(arm->condition, arm, ctx);
    visit(arm->statements, arm, ctx);
  }
}

void visitFuncProto(AstNode* node, TransformContext* ctx) {
  auto* prototype = static_cast<FuncProtoNode*>(node);
  visit(prototype->name, node, ctx);
  visit(prototype->arguments, node, ctx);
  visit(prototype->returnType, node, ctx);
  prototype->returnType = rewriteDatatype(prototype->returnType, ctx, true);
}

// The kinds no rewrite touches: every field the tree printer shows that holds nodes or tokens is
// visited, in that order.
template <FieldHolds holds, typename Field>
void visitField(Field value, const char* printedName, AstNode* owner, TransformContext* ctx) {
  if constexpr (holds == FieldHolds::tokens || holds == FieldHolds::node || holds == FieldHolds::tokensOrNode) {
    if (printedName != nullptr) visit(value, owner, ctx);
  }
}

void visitFields(AstNode* node, TransformContext* ctx) {
  switch (static_cast<AstNodeKind>(node->kind)) {
#define NODE_FIELDS(kind, Type, walk) \
  case kind: {                        \
    [[maybe_unused]] auto* x = static_cast<Type*>(node);
#define FIELD(field, holds, walkRank, printedName) visitField<FieldHolds::holds>(x->field, printedName, node, ctx);
#define END_FIELDS \
  return;          \
  }
#include "ast/node_fields.def"
#undef NODE_FIELDS
#undef FIELD
#undef END_FIELDS
  }
}

void visitContinue(AstNode* node, TransformContext* ctx) { transformContinue(static_cast<ContinueNode*>(node), ctx); }
void visitExit(AstNode* node, TransformContext* ctx) { transformExit(static_cast<ExitNode*>(node), ctx); }

void visitCreateFunc(AstNode* node, TransformContext* ctx) {
  transformFunction(static_cast<CreateFuncNode*>(node), ctx);
}

void visitCreateProc(AstNode* node, TransformContext* ctx) {
  transformProcedure(static_cast<CreateProcNode*>(node), ctx);
}

void visitCreateTrigger(AstNode* node, TransformContext* ctx) {
  transformTrigger(static_cast<CreateTriggerNode*>(node), ctx);
}

// A package's exceptions are in scope for its routines only.
void visitPackageHead(AstNode* node, TransformContext* ctx) {
  transformPackageHead(node, ctx);
  closeExceptionScope(static_cast<CreatePkgHeadNode*>(node)->declarations, ctx);
}

void visitPackageBody(AstNode* node, TransformContext* ctx) {
  transformPackageBody(node, ctx);
  closeExceptionScope(static_cast<CreatePkgBodyNode*>(node)->declarations, ctx);
}

// The dynamic-statement and bulk rewrites transform what they build themselves (some of it must change
// after the transformation), so their results are stored without a second visit.
void visitDynamic(AstNode* node, TransformContext* ctx) {
  auto* dynamic = static_cast<DynamicNode*>(node);
  dynamic->replacement = rewriteDynamic(dynamic, ctx);
}

void visitFetch(AstNode* node, TransformContext* ctx) {
  auto* fetch = static_cast<FetchNode*>(node);
  if (fetch->bulkCollect) {
    fetch->replacement = rewriteBulkFetch(fetch, ctx);
    return;
  }
  visit(fetch->cursor, node, ctx);
  visit(fetch->into, node, ctx);
}

AstNode* rewriteFor(ForNode* loop, TransformContext* ctx) {
  switch (loop->forKind) {
    case forNumeric:
    case forallRange: return rewriteNumericFor(loop, ctx);
    case forCursor:
    case forQuery: return rewriteCursorFor(loop, ctx);
    case forallIndicesOf:
    case forallValuesOf: return rewriteForallOverCollection(loop, ctx);
  }
  assert(false && "the parser sets every FOR's kind");
  return nullptr;
}

void visitFor(AstNode* node, TransformContext* ctx) {
  auto* loop = static_cast<ForNode*>(node);
  visit(loop->loopVariable, node, ctx);
  adoptReplacement(&loop->replacement, rewriteFor(loop, ctx), node, ctx);
  // A numeric loop's bounds now live in its replacement, where they were visited.
  if (loop->replacement == nullptr) visit(loop->range, node, ctx);
}

void visitFormalArg(AstNode* node, TransformContext* ctx) {
  auto* arg = static_cast<FormalArgNode*>(node);
  visit(arg->name, node, ctx);
  visit(arg->datatype, node, ctx);
  arg->datatype = rewriteDatatype(arg->datatype, ctx, true);
}

void visitHandler(AstNode* node, TransformContext* ctx) { transformHandler(static_cast<HandlerNode*>(node), ctx); }
void visitPragma(AstNode* node, TransformContext* ctx) { transformPragma(static_cast<PragmaNode*>(node), ctx); }
void visitOpen(AstNode* node, TransformContext* ctx) { rewriteOpen(static_cast<OpenNode*>(node), ctx); }
void visitRaise(AstNode* node, TransformContext* ctx) { rewriteRaise(static_cast<RaiseNode*>(node), ctx); }

void visitSelect(AstNode* node, TransformContext* ctx) {
  auto* select = static_cast<SelectNode*>(node);
  // Only a BULK COLLECT select has a replacement, transformed by its rewrite.
  select->generated = rewriteSelect(select, ctx);
}

void visitSqlStmt(AstNode* node, TransformContext* ctx) { rewriteSqlStmt(static_cast<SqlStmtNode*>(node), ctx); }

void visitToken(AstNode* node, TransformContext* ctx) { rewriteToken(static_cast<TokenNode*>(node), ctx); }

// Every kind is listed, so a new kind cannot slip past without a decision. Null: only the parent link.
constexpr TransformVisitor visitorFor(AstNodeKind kind) {
  switch (kind) {
    case astNodeList: return visitList;
    case astNodeAssign: return visitAssign;
    case astNodeBlock: return visitBlock;
    case astNodeCall: return visitCall;
    case astNodeElseIf: return visitElseIf;
    case astNodeFuncProto: return visitFuncProto;
    case astNodeContinue: return visitContinue;
    case astNodeExit: return visitExit;
    case astNodeCreateFunc: return visitCreateFunc;
    case astNodeCreateProc: return visitCreateProc;
    case astNodeCreateTrigger: return visitCreateTrigger;
    case astNodeCreatePkgHead: return visitPackageHead;
    case astNodeCreatePkgBody: return visitPackageBody;
    case astNodeVarDecl: return visitVarDecl;
    case astNodeCursorDecl: return visitCursorDecl;
    case astNodeRecordDecl: return visitRecordDecl;
    case astNodeTableDecl: return visitTableDecl;
    case astNodeRefCursorDecl: return visitRefCursorDecl;
    case astNodeVarrayDecl: return visitVarrayDecl;
    case astNodeSubtype: return visitSubtype;
    case astNodeExceptionDecl: return visitExceptionDecl;
    case astNodeDynamic: return visitDynamic;
    case astNodeFetch: return visitFetch;
    case astNodeFor: return visitFor;
    case astNodeFormalArg: return visitFormalArg;
    case astNodeHandler: return visitHandler;
    case astNodePragma: return visitPragma;
    case astNodeOpen: return visitOpen;
    case astNodeRaise: return visitRaise;
    case astNodeSelect: return visitSelect;
    case astNodeSqlStmt: return visitSqlStmt;
    case astNodeToken: return visitToken;
    // No rewrite touches these: each field that holds nodes or tokens is visited.
    case astNodeCase:
    case astNodeCaseExpr:
    case astNodeIf:
    case astNodeClose:
    case astNodeReturn:
    case astNodeTriggerArg:
    case astNodeLoop:
    case astNodeWhile:
    case astNodeProcProto:
    case astNodeExecute:
    case astNodeGetDiag:
    case astNodeDropPkgBody:
    case astNodeDropPkgHead:
    case astNodeValues:
    case astNodeCreateType: return visitFields;
    // Nothing below them needs rewriting.
    case astNodeGeneric:
    case astNodeGenericStatement:
    case astNodeGenericContainer:
    case astNodeGenericLoop:
    case astNodeUnused13:
    case astNodeDecl:
    case astNodeNull:
    case astNodePrepare:
    // A PIPE ROW value is written as the source gave it: the row expression's tokens are not rewritten
    // (the attribute prescan still renames SQLCODE, SQLSTATE and SQLERRM in it). A GOTO names a label,
    // and a generated SIGNAL's message is literal text.
    case astNodePipe:
    case astNodeGoto:
    case astNodeSignal:
    case astNodeUsingParam: return nullptr;
  }
  return nullptr;
}

constexpr auto transformVisitors = kindTable(visitorFor);

}  // namespace

void transformTree(AstList* root, const SessionSettings* settings, CompileError** errors, CompileError** notes) {
  TransformContext ctx{};
  ctx.root = root;
  ctx.nameCounter = 1;
  ctx.errors = errors;
  ctx.notes = notes;
  ctx.extensions = settings != nullptr ? settings->extensions : 0;
  ctx.errorMap = settings != nullptr ? settings->errorMap : nullptr;
  buildTypeMap(&ctx, settings != nullptr ? settings->typeMap : nullptr);
  if (isExtended(&ctx, extendNestedFunctions)) hoistNestedFunctions(root, &ctx);
  if (isExtended(&ctx, extendAutonomousFunctions)) splitAutonomousFunctions(root, &ctx);
  transformNode(root, nullptr, &ctx);
}

void transformNode(AstNode* node, AstNode* parent, TransformContext* ctx) {
  if (node == nullptr || node->kind >= astNodeKindCount) return;
  // A token's rewrite goes no deeper than the list that holds it, which was checked.
  if (node->kind != astNodeToken) checkStackRoom(node->line);
  node->parent = parent;
  const TransformVisitor visitor = transformVisitors[node->kind];
  if (visitor != nullptr) visitor(node, ctx);
}
