// walk.cpp - the transformation walk: links every node to its parent, labels routine bodies and loops
// from the one name counter, maps datatypes, hoists defaults, resolves EXIT and CONTINUE targets and
// wraps handler bodies into blocks. It writes no text; errors are recorded and the walk goes on.
// TODO: package member sorting and SYS_INIT, trigger REFERENCING names, and the exception, cursor,
// collection and dynamic-SQL rewrites (handlers' SQLSTATE lists, FOR loops, OPEN, bulk operations) are
// still to be built; until then those constructs reach the emitter as parsed.
#include "transform/transform.h"

#include <cstring>

#include "lexer/token_codes.h"
#include "pool/pool.h"
#include "transform/transform_context.h"

namespace {

// More nested routines than this in one block is a statement the host cannot take.
constexpr uint32_t maxDeclaredRoutines = 512;

void visit(AstNode* child, AstNode* parent, TransformContext* ctx) { transformNode(child, parent, ctx); }

uint32_t summedNameLength(const AstList* names) {
  uint32_t length = 0;
  for (AstListCell* cell = listHeadCell(names); cell != nullptr; cell = cell->next) {
    const auto* node = static_cast<const AstNode*>(cell->item);
    if (node != nullptr && node->kind == astNodeToken && static_cast<const TokenNode*>(node)->text != nullptr) {
      length += static_cast<uint32_t>(std::strlen(static_cast<const TokenNode*>(node)->text));
    }
  }
  return length;
}

// ---- attribute prescan ----

struct PrescanState {
  BlockNode* outermost;
  bool inHandler;
};

// SQLCODE, SQLERRM and the SQL% attributes become generated variables the outermost block declares.
void prescanToken(AstNode* node, void* arg) {
  if (node->kind != astNodeToken) return;
  auto* token = static_cast<TokenNode*>(node);
  auto* state = static_cast<PrescanState*>(arg);
  BlockNode* block = state->outermost;
  switch (token->code) {
    case T_SQLCODE:
      token->text = "SYSKELINTERNAL_SQLCODE";
      block->usesSqlcode = 1;
      break;
    case T_SQLSTATE:
      token->text = "SYSKELINTERNAL_SQLSTATE";
      block->usesSqlstate = 1;
      break;
    case T_SQLERRM:
      // Outside a handler there is no condition to ask: the text is that of success.
      if (state->inHandler) {
        token->text = "SYSKELINTERNAL_SQLERRM";
        block->usesSqlerrm = 1;
      } else {
        token->text = "SYSKELINTERNAL_SQLERRM_0";
        block->usesSqlerrmOutside = 1;
      }
      break;
    case T_SQL_ROWCOUNT:
      token->text = "SYSKELINTERNAL_ROWCOUNT";
      block->needsRowCount = 1;
      break;
    case T_SQL_FOUND:
      token->text = "SYSKELINTERNAL_FOUND";
      block->needsFound = 1;
      block->needsRowCount = 1;
      break;
    case T_SQL_NOTFOUND:
      token->text = "SYSKELINTERNAL_NOTFOUND";
      block->needsNotFound = 1;
      block->needsRowCount = 1;
      break;
    default:
      break;
  }
}

// The last block met going up: a nested routine shares its enclosing routine's outermost block.
BlockNode* outermostBlock(BlockNode* block) {
  BlockNode* outermost = block;
  for (AstNode* node = block->parent; node != nullptr; node = node->parent) {
    if (node->kind == astNodeBlock) outermost = static_cast<BlockNode*>(node);
  }
  return outermost;
}

void transformBlock(BlockNode* block, TransformContext* ctx) {
  BlockNode* outermost = outermostBlock(block);
  if (!block->prescanned) {
    PrescanState state{outermost, true};
    walkTree(block->handlers, prescanToken, &state);
    // A block inside a handler (a handler body among them) is still in the handler.
    state.inHandler = ctx->inHandler != 0;
    walkTree(block->statements, prescanToken, &state);
    block->prescanned = 1;
  }
  visit(block->declarations, block, ctx);
  const uint8_t savedInHandler = ctx->inHandler;
  ctx->inHandler = 1;
  visit(block->handlers, block, ctx);
  ctx->inHandler = savedInHandler;
  visit(block->statements, block, ctx);

  if (block->needsRowCount) declareImplicitVariable(block, "SYSKELINTERNAL_ROWCOUNT", "INTEGER", nullptr);
  if (block->needsFound) declareImplicitVariable(block, "SYSKELINTERNAL_FOUND", "BOOLEAN", nullptr);
  if (block->needsNotFound) declareImplicitVariable(block, "SYSKELINTERNAL_NOTFOUND", "BOOLEAN", nullptr);
  if (block->usesSqlerrmOutside) {
    declareImplicitVariable(block, "SYSKELINTERNAL_SQLERRM_0", "VARCHAR(500)", "'SQL0000W'");
  }

  uint32_t routines = 0;
  for (AstListCell* cell = listHeadCell(block->declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl == nullptr || decl->kind == astNodePragma) continue;
    if (decl->kind == astNodeCreateFunc || decl->kind == astNodeCreateProc) {
      ++routines;
      if (decl->kind == astNodeCreateProc) continue;
    }
    if (isDeclarationNode(decl)) {
      const uint32_t length = static_cast<const DeclNode*>(decl)->nameLength;
      if (length > block->maxNameLength) block->maxNameLength = length;
    }
  }
  if (routines > maxDeclaredRoutines) {
    raiseStatementTooBig("Too many declared routines", block->line + 1, ctx->errors);
  }
}

// ---- routines ----

void labelBody(AstNode* body, const char* label) {
  if (body == nullptr || body->kind != astNodeBlock) return;
  auto* block = static_cast<BlockNode*>(body);
  if (block->label == nullptr) block->label = label;
}

void transformProcedure(CreateProcNode* procedure, TransformContext* ctx) {
  // The number is spent even when the body has its own label, so numbering does not depend on labels.
  labelBody(procedure->body, nextBlockLabel(ctx));
  visit(procedure->name, procedure, ctx);
  visit(procedure->arguments, procedure, ctx);
  visit(procedure->body, procedure, ctx);
}

void transformFunction(CreateFuncNode* function, TransformContext* ctx) {
  function->modifiesSqlData = 0;
  function->defineBind = 1;
  labelBody(function->body, "SYSKELINTERNAL_BLOCK");
  visit(function->name, function, ctx);
  visit(function->arguments, function, ctx);
  visit(function->body, function, ctx);
  visit(function->returnType, function, ctx);
  function->returnType = rewriteDatatype(function->returnType, ctx, true);
}

void transformTrigger(CreateTriggerNode* trigger, TransformContext* ctx) {
  labelBody(trigger->body, "SYSKELINTERNAL_BLOCK");
  visit(trigger->name, trigger, ctx);
  visit(trigger->updateColumns, trigger, ctx);
  visit(trigger->table, trigger, ctx);
  visit(trigger->follows, trigger, ctx);
  visit(trigger->condition, trigger, ctx);
  visit(trigger->referencing, trigger, ctx);
  visit(trigger->body, trigger, ctx);
}

// ---- declarations ----

bool isInPackage(const AstNode* decl) {
  const AstNode* list = decl->parent;
  return list != nullptr && list->parent != nullptr && isPackageNode(list->parent);
}

void transformDeclaration(AstNode* node, TransformContext* ctx) {
  auto* decl = static_cast<DeclNode*>(node);
  switch (node->kind) {
    case astNodeVarDecl: {
      auto* variable = static_cast<VarDeclNode*>(node);
      visit(variable->names, node, ctx);
      decl->nameLength = summedNameLength(variable->names);
      visit(variable->datatype, node, ctx);
      visit(variable->defaultValue, node, ctx);
      variable->datatype = rewriteDatatype(variable->datatype, ctx, false);
      hoistDefault(variable, ctx);
      return;
    }
    case astNodeCursorDecl: {
      auto* cursor = static_cast<CursorDeclNode*>(node);
      visit(cursor->name, node, ctx);
      decl->nameLength = summedNameLength(cursor->name);
      visit(cursor->parameters, node, ctx);
      visit(cursor->query, node, ctx);
      return;
    }
    case astNodeRecordDecl: {
      auto* record = static_cast<RecordDeclNode*>(node);
      visit(record->name, node, ctx);
      decl->nameLength = summedNameLength(record->name);
      visit(record->fields, node, ctx);
      return;
    }
    case astNodeTableDecl: {
      auto* table = static_cast<TableDeclNode*>(node);
      visit(table->name, node, ctx);
      decl->nameLength = summedNameLength(table->name);
      visit(table->elementType, node, ctx);
      visit(table->indexType, node, ctx);
      table->elementType = rewriteDatatype(table->elementType, ctx, false);
      table->indexType = rewriteDatatype(table->indexType, ctx, false);
      return;
    }
    case astNodeRefCursorDecl: {
      auto* cursorType = static_cast<RefCursorDeclNode*>(node);
      visit(cursorType->name, node, ctx);
      decl->nameLength = summedNameLength(cursorType->name);
      visit(cursorType->returnType, node, ctx);
      if (isInPackage(node)) return;
      if (cursorType->returnType != nullptr) {
        raiseUnsupported("Strong REFCURSOR types can only be declared within a package", "REFCURSOR", node,
                         ctx->errors);
      } else {
        cursorType->isLocalWeakCursorType = 1;
      }
      return;
    }
    case astNodeVarrayDecl: {
      auto* varray = static_cast<VarrayDeclNode*>(node);
      visit(varray->name, node, ctx);
      decl->nameLength = summedNameLength(varray->name);
      visit(varray->elementType, node, ctx);
      varray->elementType = rewriteDatatype(varray->elementType, ctx, false);
      return;
    }
    case astNodeSubtype: {
      auto* subtype = static_cast<SubtypeNode*>(node);
      visit(subtype->names, node, ctx);
      decl->nameLength = summedNameLength(subtype->names);
      visit(subtype->datatype, node, ctx);
      visit(subtype->range, node, ctx);
      subtype->datatype = rewriteDatatype(subtype->datatype, ctx, false);
      return;
    }
    default:
      return;
  }
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

// ---- loops ----

const char* loopLabel(const AstNode* loop) { return static_cast<const StatementNode*>(loop)->label; }

const AstNode* sourceLoopOf(const AstNode* loop) {
  switch (loop->kind) {
    case astNodeFor: return static_cast<const ForNode*>(loop)->sourceLoop;
    case astNodeLoop: return static_cast<const LoopNode*>(loop)->sourceLoop;
    case astNodeWhile: return static_cast<const WhileNode*>(loop)->sourceLoop;
    default: return nullptr;
  }
}

AstNode* continueTargetOf(const AstNode* loop) {
  switch (loop->kind) {
    case astNodeFor: return static_cast<const ForNode*>(loop)->continueTarget;
    case astNodeLoop: return static_cast<const LoopNode*>(loop)->continueTarget;
    case astNodeWhile: return static_cast<const WhileNode*>(loop)->continueTarget;
    default: return nullptr;
  }
}

AstNode* findTargetLoop(AstNode* from, const char* label) {
  for (AstNode* node = from->parent; node != nullptr; node = node->parent) {
    if (!isLoopNode(node)) continue;
    if (label == nullptr) return node;
    if (namesEqualIgnoringCase(loopLabel(node), label)) return node;
    const AstNode* source = sourceLoopOf(node);
    if (source != nullptr && namesEqualIgnoringCase(loopLabel(source), label)) return node;
  }
  return nullptr;
}

// LEAVE and ITERATE need a label; an unlabelled loop gets a generated one.
const char* ensureLabel(AstNode* statement, TransformContext* ctx) {
  auto* labelled = static_cast<StatementNode*>(statement);
  if (labelled->label == nullptr) labelled->label = nextGeneratedName(ctx);
  return labelled->label;
}

void transformExit(ExitNode* exit, TransformContext* ctx) {
  visit(exit->condition, exit, ctx);
  AstNode* loop = findTargetLoop(exit, exit->target);
  if (loop != nullptr) {
    exit->loopTarget = loop;
    exit->target = ensureLabel(loop, ctx);
  } else if (exit->target == nullptr) {
    exit->target = "NULL";
  }
}

void transformContinue(ContinueNode* next, TransformContext* ctx) {
  visit(next->condition, next, ctx);
  AstNode* loop = findTargetLoop(next, next->target);
  next->loopTarget = loop;
  if (loop == nullptr) return;
  AstNode* increment = continueTargetOf(loop);
  next->target = increment != nullptr && isStatementNode(increment) ? ensureLabel(increment, ctx) : ensureLabel(loop, ctx);
}

// ---- handlers ----

// The handler's statements become one block, so that the host sees a single compound statement as
// the handler's action.
void transformHandler(HandlerNode* handler, TransformContext* ctx) {
  visit(handler->conditions, handler, ctx);
  if (listCount(handler->statements) == 0) return;
  const auto* first = static_cast<const AstNode*>(listFirst(handler->statements));
  auto* block = makeNode<BlockNode>(astNodeBlock, first != nullptr ? first->line : handler->line);
  block->statements = handler->statements;
  handler->statements = listNew(block);
  visit(handler->statements, handler, ctx);
}

void buildTypeMap(TransformContext* ctx, const TypeMapRow* rows) {
  const size_t count = rows != nullptr ? typeMapRowCount(rows) : 0;
  ctx->typeMapCount = static_cast<uint32_t>(count);
  if (count == 0) return;
  ctx->typeMap = static_cast<TypeMapEntry*>(ctxAlloc(count * sizeof(TypeMapEntry)));
  for (size_t i = 0; i < count; ++i) {
    TypeMapEntry& entry = ctx->typeMap[i];
    entry.plsqlWords = nullptr;
    entry.hostWords = nullptr;
    char* state = nullptr;
    for (char* word = splitTokens(ctxStrdup(rows[i].plsqlName), " \t", &state); word != nullptr;
         word = splitTokens(nullptr, " \t", &state)) {
      entry.plsqlWords = listAppend(entry.plsqlWords, newTokenNode(T_STRING, word, -1));
    }
    state = nullptr;
    for (char* word = splitTokens(ctxStrdup(rows[i].hostName), " \t", &state); word != nullptr;
         word = splitTokens(nullptr, " \t", &state)) {
      entry.hostWords = listAppend(entry.hostWords, newTokenNode(T_STRING, word, -1));
    }
    entry.declSuffix = rows[i].declSuffix;
    entry.paramSuffix = rows[i].paramSuffix;
  }
}

}  // namespace

void transformTree(AstList* root, const SessionSettings* settings, CompileError** errors) {
  TransformContext ctx{};
  ctx.root = root;
  ctx.nameCounter = 1;
  ctx.errors = errors;
  ctx.errorMap = settings != nullptr ? settings->errorMap : nullptr;
  buildTypeMap(&ctx, settings != nullptr ? settings->typeMap : nullptr);
  transformNode(root, nullptr, &ctx);
}

void transformNode(AstNode* node, AstNode* parent, TransformContext* ctx) {
  if (node == nullptr || node->kind >= astNodeKindCount) return;
  node->parent = parent;
  switch (static_cast<AstNodeKind>(node->kind)) {
    case astNodeList:
      for (AstListCell* cell = listHeadCell(static_cast<AstList*>(node)); cell != nullptr; cell = cell->next) {
        visit(static_cast<AstNode*>(cell->item), node, ctx);
      }
      return;
    case astNodeAssign: {
      auto* assign = static_cast<AssignNode*>(node);
      visit(assign->target, node, ctx);
      visit(assign->targetField, node, ctx);
      visit(assign->targetIndex, node, ctx);
      visit(assign->value, node, ctx);
      return;
    }
    case astNodeBlock: transformBlock(static_cast<BlockNode*>(node), ctx); return;
    case astNodeCall: {
      auto* call = static_cast<CallNode*>(node);
      visit(call->name, node, ctx);
      visit(call->arguments, node, ctx);
      return;
    }
    case astNodeCase: {
      auto* caseNode = static_cast<CaseNode*>(node);
      visit(caseNode->selector, node, ctx);
      visit(caseNode->whenClauses, node, ctx);
      visit(caseNode->elseClause, node, ctx);
      return;
    }
    case astNodeCaseExpr: {
      auto* arm = static_cast<CaseExprNode*>(node);
      visit(arm->condition, node, ctx);
      visit(arm->statements, node, ctx);
      return;
    }
    case astNodeElseIf: {
      // The chain is walked here so that a long ELSIF ladder does not deepen the stack.
      for (auto* arm = static_cast<ElseIfNode*>(node); arm != nullptr; arm = arm->next) {
        if (arm != node) arm->parent = parent;
        visit(arm->condition, arm, ctx);
        visit(arm->statements, arm, ctx);
      }
      return;
    }
    case astNodeIf: {
      auto* ifNode = static_cast<IfNode*>(node);
      visit(ifNode->condition, node, ctx);
      visit(ifNode->thenStatements, node, ctx);
      visit(ifNode->elsifs, node, ctx);
      visit(ifNode->elseStatements, node, ctx);
      return;
    }
    case astNodeClose: visit(static_cast<CloseNode*>(node)->cursor, node, ctx); return;
    case astNodeReturn: visit(static_cast<ReturnNode*>(node)->value, node, ctx); return;
    case astNodeTriggerArg: visit(static_cast<TriggerArgNode*>(node)->alias, node, ctx); return;
    case astNodeLoop: visit(static_cast<LoopNode*>(node)->statements, node, ctx); return;
    case astNodeWhile: {
      auto* loop = static_cast<WhileNode*>(node);
      visit(loop->condition, node, ctx);
      visit(loop->statements, node, ctx);
      return;
    }
    case astNodeProcProto: {
      auto* prototype = static_cast<ProcProtoNode*>(node);
      visit(prototype->name, node, ctx);
      visit(prototype->arguments, node, ctx);
      return;
    }
    case astNodeFuncProto: {
      auto* prototype = static_cast<FuncProtoNode*>(node);
      visit(prototype->name, node, ctx);
      visit(prototype->arguments, node, ctx);
      visit(prototype->returnType, node, ctx);
      prototype->returnType = rewriteDatatype(prototype->returnType, ctx, true);
      return;
    }
    case astNodeExecute: {
      auto* execute = static_cast<ExecuteNode*>(node);
      visit(execute->into, node, ctx);
      visit(execute->using_, node, ctx);
      return;
    }
    case astNodeGetDiag: {
      auto* diag = static_cast<GetDiagNode*>(node);
      visit(diag->target, node, ctx);
      visit(diag->item, node, ctx);
      return;
    }
    case astNodeDropPkgBody: visit(static_cast<DropPkgBodyNode*>(node)->name, node, ctx); return;
    case astNodeDropPkgHead: {
      auto* drop = static_cast<DropPkgHeadNode*>(node);
      visit(drop->name, node, ctx);
      visit(drop->rest, node, ctx);
      return;
    }
    case astNodeValues: {
      auto* values = static_cast<ValuesNode*>(node);
      visit(values->expressions, node, ctx);
      visit(values->into, node, ctx);
      return;
    }
    case astNodeCreateType: visit(static_cast<CreateTypeNode*>(node)->declaration, node, ctx); return;
    case astNodeContinue: transformContinue(static_cast<ContinueNode*>(node), ctx); return;
    case astNodeExit: transformExit(static_cast<ExitNode*>(node), ctx); return;
    case astNodeCreateFunc: transformFunction(static_cast<CreateFuncNode*>(node), ctx); return;
    case astNodeCreateProc: transformProcedure(static_cast<CreateProcNode*>(node), ctx); return;
    case astNodeCreateTrigger: transformTrigger(static_cast<CreateTriggerNode*>(node), ctx); return;
    case astNodeCreatePkgHead: {
      auto* package = static_cast<CreatePkgHeadNode*>(node);
      visit(package->name, node, ctx);
      visit(package->members, node, ctx);
      return;
    }
    case astNodeCreatePkgBody: {
      auto* package = static_cast<CreatePkgBodyNode*>(node);
      visit(package->name, node, ctx);
      visit(package->members, node, ctx);
      return;
    }
    case astNodeVarDecl:
    case astNodeCursorDecl:
    case astNodeRecordDecl:
    case astNodeTableDecl:
    case astNodeRefCursorDecl:
    case astNodeVarrayDecl:
    case astNodeSubtype:
      transformDeclaration(node, ctx);
      return;
    case astNodeFetch: {
      auto* fetch = static_cast<FetchNode*>(node);
      visit(fetch->cursor, node, ctx);
      visit(fetch->into, node, ctx);
      return;
    }
    case astNodeFor: {
      auto* loop = static_cast<ForNode*>(node);
      visit(loop->loopVariable, node, ctx);
      visit(loop->body, node, ctx);
      visit(loop->range, node, ctx);
      return;
    }
    case astNodeFormalArg: {
      auto* arg = static_cast<FormalArgNode*>(node);
      visit(arg->name, node, ctx);
      visit(arg->datatype, node, ctx);
      arg->datatype = rewriteDatatype(arg->datatype, ctx, true);
      return;
    }
    case astNodeSqlStmt: {
      // Inside a routine or block the statement ends with ";"; on its own it is a result entry.
      auto* sql = static_cast<SqlStmtNode*>(node);
      for (AstNode* scope = parent; scope != nullptr; scope = scope->parent) {
        if (scope->kind == astNodeBlock || isRoutineNode(scope)) {
          sql->scope = scope;
          break;
        }
      }
      return;
    }
    case astNodeHandler: transformHandler(static_cast<HandlerNode*>(node), ctx); return;
    case astNodePragma: transformPragma(static_cast<PragmaNode*>(node), ctx); return;
    // Reached later by the exception, cursor and dynamic-SQL rewrites; only the parent link for now.
    case astNodeExceptionDecl:
    case astNodeDynamic:
    case astNodeOpen:
    case astNodeRaise:
    case astNodeSelect:
    case astNodeToken:
    // No rewriting and nothing below them that needs any.
    case astNodeGeneric:
    case astNodeGenericStatement:
    case astNodeGenericContainer:
    case astNodeGenericLoop:
    case astNodeUnused13:
    case astNodeDecl:
    case astNodeGoto:
    case astNodeNull:
    case astNodePipe:
    case astNodeSignal:
    case astNodePrepare:
    case astNodeUsingParam:
      return;
  }
}
