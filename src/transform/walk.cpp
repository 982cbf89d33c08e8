// walk.cpp - the transformation walk: links every node to its parent, labels routine bodies and loops
// from the one name counter, maps datatypes, hoists defaults, resolves EXIT and CONTINUE targets and
// wraps handler bodies into blocks. Each node kind has one visitor in a table built from the kind list;
// the constructs a later rewrite turns into host forms go through the hand-off points of rewrites.h.
// It writes no text; errors are recorded and the walk goes on.
#include "transform/transform.h"

#include <cassert>
#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"
#include "transform/rewrites.h"
#include "transform/transform_context.h"

namespace {

// More nested routines than this in one block is a statement the host cannot take.
constexpr uint32_t maxDeclaredRoutines = 512;

void visit(AstNode* child, AstNode* parent, TransformContext* ctx) { transformNode(child, parent, ctx); }

uint32_t summedNameLength(const AstList* names) {
  uint32_t length = 0;
  for (AstListCell* cell = listHeadCell(names); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text != nullptr) length += static_cast<uint32_t>(std::strlen(text));
  }
  return length;
}

// ---- attribute prescan ----

struct PrescanState {
  BlockNode* outermost;
  bool inHandler;
};

// What the prescan does with each diagnostics token: the variable whose name replaces the token's text,
// and the flags it sets on the outermost block, which declares or captures what the flags ask for.
struct PrescanRow {
  uint32_t tokenCode;
  bool inHandler;  // for SQLERRM only: inside a handler it reads the condition, outside it reads success
  ImplicitVariable variable;
  uint8_t BlockNode::*flag;
  uint8_t BlockNode::*alsoFlag;  // or null
};

constexpr PrescanRow prescanRows[] = {
    {T_SQLCODE, false, implicitSqlcodeCopy, &BlockNode::usesSqlcode, nullptr},
    {T_SQLSTATE, false, implicitSqlstateCopy, &BlockNode::usesSqlstate, nullptr},
    {T_SQLERRM, true, implicitSqlerrm, &BlockNode::usesSqlerrm, nullptr},
    {T_SQLERRM, false, implicitSqlerrmOutside, &BlockNode::usesSqlerrmOutside, nullptr},
    {T_SQL_ROWCOUNT, false, implicitRowCount, &BlockNode::needsRowCount, nullptr},
    {T_SQL_FOUND, false, implicitFound, &BlockNode::needsFound, &BlockNode::needsRowCount},
    {T_SQL_NOTFOUND, false, implicitNotFound, &BlockNode::needsNotFound, &BlockNode::needsRowCount},
};

// SQLCODE, SQLSTATE, SQLERRM and the SQL% attributes become generated variables.
void prescanToken(TokenNode* token, const PrescanState* state) {
  for (const PrescanRow& row : prescanRows) {
    if (row.tokenCode != token->code) continue;
    if (row.tokenCode == T_SQLERRM && row.inHandler != state->inHandler) continue;
    token->text = implicitVariable(row.variable).name;
    state->outermost->*row.flag = 1;
    if (row.alsoFlag != nullptr) state->outermost->*row.alsoFlag = 1;
    return;
  }
}

bool isPrescanCode(uint32_t code) {
  for (const PrescanRow& row : prescanRows)
    if (row.tokenCode == code) return true;
  return false;
}

// A list its maker marked as holding no diagnostics token is passed by without reading its tokens.
constexpr bool prescanCodesAreDiagnosticsCodes() {
  for (const PrescanRow& row : prescanRows)
    if (!isDiagnosticsCode(static_cast<int>(row.tokenCode))) return false;
  return true;
}
static_assert(prescanCodesAreDiagnosticsCodes(), "isDiagnosticsCode must name every token the prescan rewrites");

[[maybe_unused]] bool holdsNoPrescanToken(const AstList* list) {
  for (const AstListCell* cell = list->head; cell != nullptr; cell = cell->next) {
    if (isPrescanCode(tokenCode(cell->item))) return false;
  }
  return true;
}

}  // namespace

// What a block's own prescan would meet: a diagnostics token in its handlers or its statements.
struct PrescanRecord {
  TokenNode* token;
  PrescanRecord* next;
  bool inHandlers;
};

namespace {

// A block the prescan is inside, below the one it started from, and whether in its handlers.
struct EnclosingBlock {
  BlockNode* block;
  bool inHandlers;
  const EnclosingBlock* outer;
};

struct Prescan {
  PrescanState state;
  uint32_t walk;
};

// Every block prescans its handlers and statements when the walk enters it, and a nested block meets
// again what the blocks around it met. The first prescan notes, for each nested block it passes, the
// diagnostics tokens that block's own prescan would meet, and that block replays them instead of walking
// its text once more. Visits what walkTree visits; the enclosing blocks are known from the recursion.
void prescanWalk(AstNode* node, const EnclosingBlock* path, Prescan* scan) {
  while (node != nullptr && isWalkedByTree(node)) {
    if (node->kind == astNodeToken) {
      auto* token = static_cast<TokenNode*>(node);
      if (!isPrescanCode(token->code)) return;
      prescanToken(token, &scan->state);
      for (const EnclosingBlock* at = path; at != nullptr; at = at->outer) {
        auto* record = static_cast<PrescanRecord*>(ctxAlloc(sizeof(PrescanRecord)));
        *record = PrescanRecord{token, at->block->prescanRecords, at->inHandlers};
        at->block->prescanRecords = record;
      }
      return;
    }
    // Only what has children recurses; a token goes one frame below its list, which was checked.
    checkStackRoom(node->line);
    if (node->kind == astNodeList) {
      const auto* list = static_cast<const AstList*>(node);
      if (list->plainTokens) {
        assert(holdsNoPrescanToken(list) && "a list marked plain holds a diagnostics token");
        return;
      }
      AstListCell* cell = list->head;
      if (cell == nullptr) return;
      for (; cell->next != nullptr; cell = cell->next) prescanWalk(static_cast<AstNode*>(cell->item), path, scan);
      node = static_cast<AstNode*>(cell->item);
      continue;
    }
    if (node->kind == astNodeBlock) {
      auto* block = static_cast<BlockNode*>(node);
      if (block->prescanWalk != scan->walk) {
        // What an earlier prescan noted may be out of date; this one sees the tree as it is now.
        block->prescanWalk = scan->walk;
        block->prescanRecords = nullptr;
        block->prescanRecorded = 1;
      }
      const EnclosingBlock inStatements{block, false, path};
      prescanWalk(block->statements, &inStatements, scan);
      const EnclosingBlock inHandlers{block, true, path};
      prescanWalk(block->handlers, &inHandlers, scan);
      // Its own prescan does not look at its declarations, so it notes nothing from them.
      node = block->declarations;
      continue;
    }
    const AstChildren children = walkTreeChildren(node);
    if (children.count == 0) return;
    for (int i = 0; i + 1 < children.count; ++i) prescanWalk(children.items[i], path, scan);
    node = children.items[children.count - 1];
  }
}

void prescanBlock(BlockNode* block, BlockNode* outermost, TransformContext* ctx) {
  // Inside a handler (a handler body among them) a block is still in the handler.
  const bool inHandler = ctx->inHandler != 0;
  if (block->prescanRecorded) {
    // Noted newest first; replayed in the order its own walk would meet them: handlers, then statements.
    PrescanRecord* inOrder = nullptr;
    for (PrescanRecord* record = block->prescanRecords; record != nullptr;) {
      PrescanRecord* next = record->next;
      record->next = inOrder;
      inOrder = record;
      record = next;
    }
    block->prescanRecords = inOrder;
    for (const bool handlers : {true, false}) {
      const PrescanState state{outermost, handlers || inHandler};
      for (const PrescanRecord* record = inOrder; record != nullptr; record = record->next) {
        if (record->inHandlers == handlers) prescanToken(record->token, &state);
      }
    }
    return;
  }
  Prescan scan{{outermost, true}, ++ctx->prescanWalks};
  prescanWalk(block->handlers, nullptr, &scan);
  scan.state.inHandler = inHandler;
  prescanWalk(block->statements, nullptr, &scan);
}

void transformBlock(BlockNode* block, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  // A nested routine shares its enclosing routine's outermost block.
  BlockNode* outermost = outermostBlockOf(block);
  if (!block->prescanned) {
    prescanBlock(block, outermost, ctx);
    block->prescanned = 1;
  }
  visit(block->declarations, block, ctx);
  const uint8_t savedInHandler = ctx->inHandler;
  ctx->inHandler = 1;
  visit(block->handlers, block, ctx);
  ctx->inHandler = savedInHandler;
  visit(block->statements, block, ctx);

  if (block->needsRowCount) declareImplicit(block, implicitRowCount);
  if (block->needsFound) declareImplicit(block, implicitFound);
  if (block->needsNotFound) declareImplicit(block, implicitNotFound);
  if (block->usesSqlerrmOutside) declareImplicit(block, implicitSqlerrmOutside);

  uint32_t routines = 0;
  for (AstListCell* cell = listHeadCell(block->declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl != nullptr && (decl->kind == astNodeCreateFunc || decl->kind == astNodeCreateProc)) ++routines;
  }
  if (routines > maxDeclaredRoutines) {
    raiseStatementTooBig("Too many declared routines", block->line + 1, ctx->errors);
  }
  const uint32_t longest = maxDeclaredNameLength(block->declarations);
  if (longest > block->maxNameLength) block->maxNameLength = longest;
  closeExceptionScope(block->declarations, ctx);
  // Routines capture their body's diagnostics themselves; a top-level block has no routine to do it.
  if (block->isAnonymous) captureDiagnostics(block, handlersBefore, ctx);
}

// ---- routines ----

void labelBody(AstNode* body, const char* label) {
  if (body == nullptr || body->kind != astNodeBlock) return;
  auto* block = static_cast<BlockNode*>(body);
  if (block->label == nullptr) block->label = label;
}

void transformProcedure(CreateProcNode* procedure, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  // The number is spent even when the body has its own label, so numbering does not depend on labels.
  labelBody(procedure->body, nextBlockLabel(ctx));
  visit(procedure->name, procedure, ctx);
  visit(procedure->arguments, procedure, ctx);
  visit(procedure->body, procedure, ctx);
  if (procedure->body != nullptr && procedure->body->kind == astNodeBlock) {
    captureDiagnostics(static_cast<BlockNode*>(procedure->body), handlersBefore, ctx);
  }
}

void transformFunction(CreateFuncNode* function, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  function->modifiesSqlData = 0;
  function->defineBind = 1;
  labelBody(function->body, "SYSKELINTERNAL_BLOCK");
  visit(function->name, function, ctx);
  visit(function->arguments, function, ctx);
  visit(function->body, function, ctx);
  visit(function->returnType, function, ctx);
  if (function->body != nullptr && function->body->kind == astNodeBlock) {
    captureDiagnostics(static_cast<BlockNode*>(function->body), handlersBefore, ctx);
  }
  function->returnType = rewriteDatatype(function->returnType, ctx, true);
}

// The REFERENCING names become generated names, so that a trigger's own variables can never clash
// with them; the trigger keeps each under its NEW, OLD or PARENT slot for the writer.
void renameReferencing(CreateTriggerNode* trigger) {
  for (AstListCell* cell = listHeadCell(trigger->referencing); cell != nullptr; cell = cell->next) {
    auto* arg = static_cast<TriggerArgNode*>(cell->item);
    if (arg == nullptr || arg->kind != astNodeTriggerArg) continue;
    for (AstListCell* name = listHeadCell(arg->alias); name != nullptr; name = name->next) {
      auto* token = static_cast<TokenNode*>(name->item);
      if (token == nullptr || token->kind != astNodeToken || token->text == nullptr) continue;
      const size_t length = std::strlen(token->text);
      char* renamed = static_cast<char*>(ctxAlloc(length + sizeof "SYSKELINTERNAL_"));
      std::memcpy(renamed, "SYSKELINTERNAL_", sizeof "SYSKELINTERNAL_" - 1);
      std::memcpy(renamed + sizeof "SYSKELINTERNAL_" - 1, token->text, length + 1);
      token->text = renamed;
    }
    if (arg->which < triggerRowCount) trigger->referencingNames[arg->which] = arg->alias;
  }
}

void transformTrigger(CreateTriggerNode* trigger, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  labelBody(trigger->body, "SYSKELINTERNAL_BLOCK");
  renameReferencing(trigger);
  visit(trigger->name, trigger, ctx);
  visit(trigger->updateColumns, trigger, ctx);
  visit(trigger->table, trigger, ctx);
  visit(trigger->follows, trigger, ctx);
  visit(trigger->condition, trigger, ctx);
  visit(trigger->referencing, trigger, ctx);
  visit(trigger->body, trigger, ctx);
  if (trigger->body != nullptr && trigger->body->kind == astNodeBlock) {
    captureDiagnostics(static_cast<BlockNode*>(trigger->body), handlersBefore, ctx);
  }
}

// ---- declarations ----

bool isInPackage(const AstNode* decl) {
  const AstNode* list = decl->parent;
  return list != nullptr && list->parent != nullptr && isPackageNode(list->parent);
}

// Each declaration kind visits its name first, so that its summed name length is known before the
// rest of it is transformed, then maps its datatypes.
void visitVarDecl(AstNode* node, TransformContext* ctx) {
  auto* variable = static_cast<VarDeclNode*>(node);
  visit(variable->names, node, ctx);
  variable->nameLength = summedNameLength(variable->names);
  visit(variable->datatype, node, ctx);
  visit(variable->defaultValue, node, ctx);
  variable->datatype = rewriteDatatype(variable->datatype, ctx, false);
  hoistDefault(variable, ctx);
}

void visitCursorDecl(AstNode* node, TransformContext* ctx) {
  auto* cursor = static_cast<CursorDeclNode*>(node);
  visit(cursor->name, node, ctx);
  cursor->nameLength = summedNameLength(cursor->name);
  visit(cursor->parameters, node, ctx);
  visit(cursor->query, node, ctx);
}

void visitRecordDecl(AstNode* node, TransformContext* ctx) {
  auto* record = static_cast<RecordDeclNode*>(node);
  visit(record->name, node, ctx);
  record->nameLength = summedNameLength(record->name);
  visit(record->fields, node, ctx);
}

void visitTableDecl(AstNode* node, TransformContext* ctx) {
  auto* table = static_cast<TableDeclNode*>(node);
  visit(table->name, node, ctx);
  table->nameLength = summedNameLength(table->name);
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
  visit(cursorType->name, node, ctx);
  cursorType->nameLength = summedNameLength(cursorType->name);
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
  visit(varray->name, node, ctx);
  varray->nameLength = summedNameLength(varray->name);
  visit(varray->elementType, node, ctx);
  varray->elementType = rewriteDatatype(varray->elementType, ctx, false);
}

void visitSubtype(AstNode* node, TransformContext* ctx) {
  auto* subtype = static_cast<SubtypeNode*>(node);
  visit(subtype->names, node, ctx);
  subtype->nameLength = summedNameLength(subtype->names);
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

// ---- loops ----

const char* loopLabel(const AstNode* loop) { return static_cast<const StatementNode*>(loop)->label; }

const AstNode* sourceLoopOf(const AstNode* loop) {
  if (loop->kind == astNodeFor) return static_cast<const ForNode*>(loop)->sourceLoop;
  if (loop->kind == astNodeLoop) return static_cast<const LoopNode*>(loop)->sourceLoop;
  if (loop->kind == astNodeWhile) return static_cast<const WhileNode*>(loop)->sourceLoop;
  return nullptr;
}

AstNode* continueTargetOf(const AstNode* loop) {
  if (loop->kind == astNodeFor) return static_cast<const ForNode*>(loop)->continueTarget;
  if (loop->kind == astNodeLoop) return static_cast<const LoopNode*>(loop)->continueTarget;
  if (loop->kind == astNodeWhile) return static_cast<const WhileNode*>(loop)->continueTarget;
  return nullptr;
}

AstNode* findTargetLoop(AstNode* from, const char* label) {
  for (AstNode* node = from->parent; node != nullptr; node = node->parent) {
    if (!isLoopNode(node)) continue;
    if (label == nullptr) return node;
    if (asciiEqualIgnoringCase(loopLabel(node), label)) return node;
    const AstNode* source = sourceLoopOf(node);
    if (source != nullptr && asciiEqualIgnoringCase(loopLabel(source), label)) return node;
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
  next->target =
      increment != nullptr && isStatementNode(increment) ? ensureLabel(increment, ctx) : ensureLabel(loop, ctx);
}

// ---- handlers ----

// The handler's statements become one block, so that the host sees a single compound statement as
// the handler's action.
void transformHandler(HandlerNode* handler, TransformContext* ctx) {
  ++ctx->handlersTransformed;
  visit(handler->conditions, handler, ctx);
  rewriteHandler(handler, ctx);
  if (listCount(handler->statements) == 0) return;
  const auto* first = static_cast<const AstNode*>(listFirst(handler->statements));
  auto* block = makeNode<BlockNode>(astNodeBlock, first != nullptr ? first->line : handler->line);
  block->statements = handler->statements;
  handler->statements = listNew(block);
  visit(handler->statements, handler, ctx);
}

// The blank-separated words of a map name as T_STRING tokens.
AstList* splitWords(const char* name) {
  AstList* words = nullptr;
  char* state = nullptr;
  for (char* word = splitTokens(ctxStrdup(name), " \t", &state); word != nullptr;
       word = splitTokens(nullptr, " \t", &state)) {
    words = listAppend(words, newTokenNode(T_STRING, word, -1));
  }
  return words;
}

void buildTypeMap(TransformContext* ctx, const TypeMapRow* rows) {
  const size_t count = rows != nullptr ? typeMapRowCount(rows) : 0;
  ctx->typeMapCount = static_cast<uint32_t>(count);
  if (count == 0) return;
  ctx->typeMap = static_cast<TypeMapEntry*>(ctxAlloc(count * sizeof(TypeMapEntry)));
  for (size_t i = 0; i < count; ++i) {
    TypeMapEntry& entry = ctx->typeMap[i];
    entry.plsqlName = rows[i].plsqlName;
    entry.hostName = rows[i].hostName;
    // The first word as the split would find it: after any blanks, up to the next blank.
    const char* word = entry.plsqlName + std::strspn(entry.plsqlName, " \t");
    const size_t length = std::strcspn(word, " \t");
    entry.firstWord = length == 0 ? nullptr : word;
    entry.firstWordLength = length;
    entry.split = false;
    entry.plsqlWords = nullptr;
    entry.hostWords = nullptr;
    entry.declSuffix = rows[i].declSuffix;
    entry.paramSuffix = rows[i].paramSuffix;
  }
}

}  // namespace

void splitTypeMapEntry(TypeMapEntry* entry) {
  if (entry->split) return;
  entry->plsqlWords = splitWords(entry->plsqlName);
  entry->hostWords = splitWords(entry->hostName);
  entry->split = true;
}

namespace {

// ---- one visitor per node kind ----

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

void visitCase(AstNode* node, TransformContext* ctx) {
  auto* caseNode = static_cast<CaseNode*>(node);
  visit(caseNode->selector, node, ctx);
  visit(caseNode->whenClauses, node, ctx);
  visit(caseNode->elseClause, node, ctx);
}

void visitCaseExpr(AstNode* node, TransformContext* ctx) {
  auto* arm = static_cast<CaseExprNode*>(node);
  visit(arm->condition, node, ctx);
  visit(arm->statements, node, ctx);
}

void visitElseIf(AstNode* node, TransformContext* ctx) {
  // The chain is walked here so that a long ELSIF ladder does not deepen the stack.
  for (auto* arm = static_cast<ElseIfNode*>(node); arm != nullptr; arm = arm->next) {
    if (arm != node) arm->parent = node->parent;
    visit(arm->condition, arm, ctx);
    visit(arm->statements, arm, ctx);
  }
}

void visitIf(AstNode* node, TransformContext* ctx) {
  auto* ifNode = static_cast<IfNode*>(node);
  visit(ifNode->condition, node, ctx);
  visit(ifNode->thenStatements, node, ctx);
  visit(ifNode->elsifs, node, ctx);
  visit(ifNode->elseStatements, node, ctx);
}

void visitClose(AstNode* node, TransformContext* ctx) { visit(static_cast<CloseNode*>(node)->cursor, node, ctx); }
void visitReturn(AstNode* node, TransformContext* ctx) { visit(static_cast<ReturnNode*>(node)->value, node, ctx); }

void visitTriggerArg(AstNode* node, TransformContext* ctx) {
  visit(static_cast<TriggerArgNode*>(node)->alias, node, ctx);
}

void visitLoop(AstNode* node, TransformContext* ctx) { visit(static_cast<LoopNode*>(node)->statements, node, ctx); }

void visitWhile(AstNode* node, TransformContext* ctx) {
  auto* loop = static_cast<WhileNode*>(node);
  visit(loop->condition, node, ctx);
  visit(loop->statements, node, ctx);
}

void visitProcProto(AstNode* node, TransformContext* ctx) {
  auto* prototype = static_cast<ProcProtoNode*>(node);
  visit(prototype->name, node, ctx);
  visit(prototype->arguments, node, ctx);
}

void visitFuncProto(AstNode* node, TransformContext* ctx) {
  auto* prototype = static_cast<FuncProtoNode*>(node);
  visit(prototype->name, node, ctx);
  visit(prototype->arguments, node, ctx);
  visit(prototype->returnType, node, ctx);
  prototype->returnType = rewriteDatatype(prototype->returnType, ctx, true);
}

void visitExecute(AstNode* node, TransformContext* ctx) {
  auto* execute = static_cast<ExecuteNode*>(node);
  visit(execute->into, node, ctx);
  visit(execute->using_, node, ctx);
}

void visitGetDiag(AstNode* node, TransformContext* ctx) {
  auto* diag = static_cast<GetDiagNode*>(node);
  visit(diag->target, node, ctx);
  visit(diag->item, node, ctx);
}

void visitDropPkgBody(AstNode* node, TransformContext* ctx) {
  visit(static_cast<DropPkgBodyNode*>(node)->name, node, ctx);
}

void visitDropPkgHead(AstNode* node, TransformContext* ctx) {
  auto* drop = static_cast<DropPkgHeadNode*>(node);
  visit(drop->name, node, ctx);
  visit(drop->rest, node, ctx);
}

void visitValues(AstNode* node, TransformContext* ctx) {
  auto* values = static_cast<ValuesNode*>(node);
  visit(values->expressions, node, ctx);
  visit(values->into, node, ctx);
}

void visitCreateType(AstNode* node, TransformContext* ctx) {
  visit(static_cast<CreateTypeNode*>(node)->declaration, node, ctx);
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

void visitExceptionDecl(AstNode* node, TransformContext* ctx) {
  auto* exception = static_cast<ExceptionDeclNode*>(node);
  rewriteExceptionDecl(exception, ctx);
  exception->nameLength = summedNameLength(exception->name);
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
    case astNodeCase: return visitCase;
    case astNodeCaseExpr: return visitCaseExpr;
    case astNodeElseIf: return visitElseIf;
    case astNodeIf: return visitIf;
    case astNodeClose: return visitClose;
    case astNodeReturn: return visitReturn;
    case astNodeTriggerArg: return visitTriggerArg;
    case astNodeLoop: return visitLoop;
    case astNodeWhile: return visitWhile;
    case astNodeProcProto: return visitProcProto;
    case astNodeFuncProto: return visitFuncProto;
    case astNodeExecute: return visitExecute;
    case astNodeGetDiag: return visitGetDiag;
    case astNodeDropPkgBody: return visitDropPkgBody;
    case astNodeDropPkgHead: return visitDropPkgHead;
    case astNodeValues: return visitValues;
    case astNodeCreateType: return visitCreateType;
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

constexpr TransformVisitor transformVisitors[astNodeKindCount] = {
#define NODE_KIND(number, enumerator, name, isStatement, families) visitorFor(enumerator),
#include "ast/node_kinds.def"
#undef NODE_KIND
};

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

uint32_t maxDeclaredNameLength(const AstList* declarations) {
  uint32_t longest = 0;
  for (AstListCell* cell = listHeadCell(declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl == nullptr || !isDeclarationNode(decl)) continue;
    const uint32_t length = static_cast<const DeclNode*>(decl)->nameLength;
    if (length > longest) longest = length;
  }
  return longest;
}
