// cursors.cpp - cursor attributes, the ROW_COUNT capture after row-changing statements, RETURNING,
// cursor FOR loops, OPEN ... FOR, the trigger pseudo-records and the host variables SQLCODE and SQLSTATE
// that the captures read. The host has cursor predicates, GET DIAGNOSTICS, explicit OPEN/FETCH loops
// and REFERENCING names where PL/SQL has attributes, implicit loops and :NEW/:OLD.
#include "transform/rewrites.h"

#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

// The cursor a FOR over a query declares in its own block, so one name serves every such loop.
constexpr char queryCursorName[] = "SYSKELINTERNAL_CURSOR";
constexpr char generatedPrefix[] = "SYSKELINTERNAL_";

bool isScopeNode(const AstNode* node) {
  return node->kind == astNodeBlock || isRoutineNode(node) || isPackageNode(node);
}

// The outermost enclosing block, routine or package; null at the top level.
AstNode* outermostScopeOf(const AstNode* node) {
  AstNode* outermost = nullptr;
  for (AstNode* at = node->parent; at != nullptr; at = at->parent) {
    if (isScopeNode(at)) outermost = at;
  }
  return outermost;
}

void captureWhenRead(TransformContext* ctx, AstNode* statement) {
  BlockNode* outer = outermostBlockOf(statement);
  if (outer != nullptr && outer->needsRowCount) captureRowCount(ctx, statement, outer, false);
}

const char* joinText(const char* a, const char* b, const char* c) {
  const size_t length = std::strlen(a) + std::strlen(b) + std::strlen(c);
  char* text = static_cast<char*>(ctxAlloc(length + 1));
  std::snprintf(text, length + 1, "%s%s%s", a, b, c);
  return text;
}

// ---- SQL statements ----

bool changesRows(uint32_t verbCode) {
  return verbCode == T_INSERT || verbCode == T_UPDATE || verbCode == T_DELETE || verbCode == T_MERGE;
}

// INSERT ... RETURNING a INTO v: what follows RETURNING becomes the statement's RETURNING list, which
// the writer turns into a query over the changed rows; the keyword itself goes.
void splitReturning(SqlStmtNode* sql) {
  AstListCell* previous = nullptr;
  uint32_t kept = 0;
  for (AstListCell* cell = listHeadCell(sql->rest); cell != nullptr; previous = cell, cell = cell->next, ++kept) {
    if (tokenCode(cell->item) != T_RETURNING) continue;
    AstList* returning = listAppendCells(nullptr, cell->next);
    if (previous == nullptr) {
      sql->rest = nullptr;
    } else {
      previous->next = nullptr;
      sql->rest->tail = previous;
      sql->rest->count = kept;
    }
    if (returning != nullptr) {
      returning->parent = sql;
      for (AstListCell* item = listHeadCell(returning); item != nullptr; item = item->next) {
        static_cast<AstNode*>(item->item)->parent = returning;
      }
    }
    sql->returning = returning;
    return;
  }
}

// ---- cursor attributes ----

void rewriteCursorAttribute(TokenNode* token) {
  const char* reference = requalifyByRoutine(token, token->text != nullptr ? token->text : "");
  switch (token->code) {
    case T_CURSOR_FOUND: token->text = joinText(reference, " ", "IS FOUND"); break;
    case T_CURSOR_NOTFOUND: token->text = joinText(reference, " ", "IS NOT FOUND"); break;
    case T_CURSOR_ISOPEN: token->text = joinText(reference, " ", "IS OPEN"); break;
    case T_CURSOR_ROWCOUNT: token->text = joinText("CURSOR_ROWCOUNT(", reference, ")"); break;
    default: return;
  }
  token->code = T_WORD;
}

// ---- trigger pseudo-records ----

bool startsWithIgnoringCase(const char* text, const char* prefix) {
  const size_t length = std::strlen(prefix);
  return std::strlen(text) >= length && asciiEqualIgnoringCaseN(text, prefix, length);
}

// The generated name of a transition row, from the REFERENCING entry that names it; a row trigger that
// reads :NEW or :OLD without naming it gets the entry here. Null when the trigger has none and may
// not get one.
const char* transitionRowName(CreateTriggerNode* trigger, TriggerRow which, bool rowTriggerOnly, int32_t line) {
  if (trigger->referencingNames[which] == nullptr && (trigger->forEachRow || !rowTriggerOnly)) {
    auto* arg = makeNode<TriggerArgNode>(astNodeTriggerArg, line);
    arg->which = which;
    arg->alias = hostTexts({which == rowNew ? "SYSKELINTERNAL_NEW" : "SYSKELINTERNAL_OLD"}, line);
    arg->alias->parent = arg;
    static_cast<AstNode*>(listFirst(arg->alias))->parent = arg->alias;
    trigger->referencing = listAppend(trigger->referencing, arg);
    trigger->referencing->parent = trigger;
    arg->parent = trigger->referencing;
    trigger->referencingNames[which] = arg->alias;
  }
  return tokenText(listFirst(trigger->referencingNames[which]));
}

// :NEW.col, :OLD.col and :alias.col name the renamed REFERENCING entries: the colon goes and the
// generated prefix comes, whether or not the trigger is a row trigger.
void rewriteTriggerVariable(TokenNode* token) {
  const char* text = token->text;
  if (text == nullptr || text[0] != ':') return;
  AstNode* scope = outermostScopeOf(token);
  if (scope == nullptr || scope->kind != astNodeCreateTrigger) return;
  auto* trigger = static_cast<CreateTriggerNode*>(scope);
  if (startsWithIgnoringCase(text, ":NEW")) {
    transitionRowName(trigger, rowNew, true, token->line);
  } else if (startsWithIgnoringCase(text, ":OLD")) {
    transitionRowName(trigger, rowOld, true, token->line);
  }
  token->text = joinText(generatedPrefix, text + 1, "");
  token->code = T_WORD;
}

// UPDATING('COL')  ->  (UPDATING AND NOT (n.COL = o.COL OR (n.COL IS NULL AND o.COL IS NULL))): the host
// knows the event, not the columns the UPDATE sets, so the test is whether the value changed.
void rewriteUpdatingColumn(TokenNode* token, TransformContext* ctx) {
  AstNode* scope = outermostScopeOf(token);
  auto* trigger =
      scope != nullptr && scope->kind == astNodeCreateTrigger ? static_cast<CreateTriggerNode*>(scope) : nullptr;
  if (trigger == nullptr || trigger->forEachRow == 0) {
    raiseUnsupported(
        "UPDATING('column') outside a row trigger not supported: there is no row whose column it "
        "could compare",
        "UPDATING", token, ctx->errors);
    return;
  }
  const char* column = token->text;
  token->code = T_STRING;
  if ((trigger->events & eventUpdate) == 0) {
    // A trigger that never fires for an UPDATE: PL/SQL's test is always false there.
    token->text = " (1 = 0) ";
    recordNote(ctx->notes, noteRemark, "UPDATING('column') in a trigger no UPDATE fires: always false", token->line + 1,
               "UPDATING", extendUpdatingColumns);
    return;
  }
  {
    const char* newRow = transitionRowName(trigger, rowNew, true, token->line);
    const char* oldRow = transitionRowName(trigger, rowOld, true, token->line);
    // Blanks around it: the expression's text is joined without them next to a literal text.
    const char* format = " (UPDATING AND NOT (%s.%s = %s.%s OR (%s.%s IS NULL AND %s.%s IS NULL))) ";
    const size_t length =
        std::strlen(format) + 4 * (std::strlen(newRow) + std::strlen(oldRow) + 2 * std::strlen(column));
    char* text = static_cast<char*>(ctxAlloc(length));
    std::snprintf(text, length, format, newRow, column, oldRow, column, newRow, column, oldRow, column);
    token->text = text;
  }
  recordNote(ctx->notes, noteWarning,
             "UPDATING('column') is true when the UPDATE changes the column's value; PL/SQL's is true whenever "
             "the UPDATE sets the column, to the same value too",
             token->line + 1, "UPDATING", extendUpdatingColumns);
}

// The trigger whose WHEN condition holds the token, or null.
CreateTriggerNode* whenConditionOwner(const TokenNode* token) {
  const AstNode* at = token->parent;
  while (at != nullptr && at->kind == astNodeList) {
    const AstNode* owner = at->parent;
    if (owner != nullptr && owner->kind == astNodeCreateTrigger &&
        static_cast<const CreateTriggerNode*>(owner)->condition == at) {
      return const_cast<CreateTriggerNode*>(static_cast<const CreateTriggerNode*>(owner));
    }
    at = owner;
  }
  return nullptr;
}

// In the WHEN condition PL/SQL writes new.col and old.col without the colon.
void rewriteWhenName(TokenNode* token, CreateTriggerNode* trigger) {
  const QualifiedName name = splitQualifiedName(token->text);
  if (name.count < 2) return;
  TriggerRow which = rowNew;
  if (asciiEqualIgnoringCase(name.parts[0], "OLD")) {
    which = rowOld;
  } else if (!asciiEqualIgnoringCase(name.parts[0], "NEW")) {
    return;
  }
  const char* row = transitionRowName(trigger, which, false, token->line);
  token->text = joinText(row, token->text + 3, "");
}

// ---- cursor FOR loops ----

// A new list holding the items of `from`'s cells from `first` up to, not including, `end`.
AstList* itemsBetween(AstListCell* first, const AstListCell* end) {
  AstList* items = nullptr;
  for (AstListCell* cell = first; cell != nullptr && cell != end; cell = cell->next) {
    items = listAppend(items, cell->item);
  }
  return items;
}

AstListCell* lastCellOf(const AstList* list) { return list != nullptr ? list->tail : nullptr; }

// The arguments of FOR r IN c(args) are the tokens after the cursor's name as the loop wrote them,
// parentheses included; OPEN puts its own parentheses around them.
AstList* cursorArguments(AstListCell* afterName) { return itemsBetween(afterName, nullptr); }

// FOR r IN c(1, 2) as the source means it: OPEN c(1, 2), the cursor's two arguments, where the tokens
// kept with their parentheses would open c((1, 2)), one row value. Only a list that one pair of
// parentheses encloses whole loses them; anything else is left as the loop wrote it.
AstList* ownArguments(AstList* arguments, int32_t line, TransformContext* ctx) {
  const AstListCell* first = listHeadCell(arguments);
  const AstListCell* last = lastCellOf(arguments);
  if (first == nullptr || first == last) return arguments;
  const char* open = tokenText(first->item);
  const char* close = tokenText(last->item);
  if (open == nullptr || close == nullptr || std::strcmp(open, "(") != 0 || std::strcmp(close, ")") != 0)
    return arguments;
  int depth = 0;
  for (const AstListCell* cell = first; cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text != nullptr && std::strcmp(text, "(") == 0) ++depth;
    if (text != nullptr && std::strcmp(text, ")") == 0) --depth;
    if (depth == 0 && cell != last) return arguments;
  }
  recordNote(ctx->notes, noteRemark, "cursor FOR loop opens the cursor with its own arguments, not one row value",
             line + 1, "FOR", extendCorrections);
  return itemsBetween(first->next, last);
}

VarDeclNode* rowVariable(const ForNode* loop, const char* cursorName, int32_t line) {
  auto* variable = makeNode<VarDeclNode>(astNodeVarDecl, line);
  variable->declClass = declVariable;
  variable->names = copyTokens(loop->loopVariable, line);
  variable->datatype = listAppend(hostTexts({cursorName}, line), newTokenNode(T_PERCENT_ROWTYPE, "%ROWTYPE", line));
  return variable;
}

// FETCH into the row, leave at the end of the rows, then the FOR's own statements. The FOR is the
// loop's source, so EXIT and CONTINUE naming the FOR's label reach it.
LoopNode* fetchLoop(ForNode* loop, const char* cursorName, int32_t line) {
  auto* fetch = makeNode<FetchNode>(astNodeFetch, line);
  fetch->cursor = hostTexts({cursorName}, line);
  fetch->into = copyTokens(loop->loopVariable, line);
  fetch->generated = 1;
  auto* generated = makeNode<LoopNode>(astNodeLoop, line);
  AstList* statements = listAppend(listNew(fetch), makeExitWhen(hostTexts({"SQLCODE", "=", "100"}, line), line));
  generated->statements = listConcat(statements, loop->body);
  // The statements live in the generated loop now; a walk over the FOR meets them there only.
  loop->body = nullptr;
  generated->sourceLoop = loop;
  return generated;
}

// DELETE ... RETURNING id BULK COLLECT INTO l_ids: the RETURNING query the writer makes of it would keep
// BULK COLLECT, which the host does not read. The correction refuses it plainly instead.
void refuseBulkReturning(const SqlStmtNode* sql, TransformContext* ctx) {
  for (const AstListCell* cell = listHeadCell(sql->returning); cell != nullptr; cell = cell->next) {
    if (tokenCode(cell->item) != T_BULK) continue;
    raiseUnsupported("RETURNING ... BULK COLLECT INTO not supported", "BULK COLLECT",
                     static_cast<const AstNode*>(cell->item), ctx->errors);
    return;
  }
}

}  // namespace

void rewriteSqlStmt(SqlStmtNode* sql, TransformContext* ctx) {
  visit(sql->rest, sql, ctx);
  if (sql->verbCode == T_INSERT || sql->verbCode == T_UPDATE || sql->verbCode == T_DELETE) splitReturning(sql);
  if (isExtended(ctx, extendCorrections)) refuseBulkReturning(sql, ctx);
  if (changesRows(sql->verbCode)) captureWhenRead(ctx, sql);
  // Inside a routine or block the statement ends with ";"; on its own it is a result entry.
  sql->scope = outermostScopeOf(sql);
}

void rewriteOpen(OpenNode* open, TransformContext* ctx) {
  visit(open->cursor, open, ctx);
  AstNode* operand = open->query;
  const bool isQuery = operand != nullptr && operand->kind == astNodeSelect;
  if (operand != nullptr && !isQuery) visit(operand, open, ctx);
  visit(open->arguments, open, ctx);
  visit(open->using_, open, ctx);
  visit(open->tail, open, ctx);
  if (operand != nullptr) {
    const int32_t line = open->line;
    AssignNode* assign = nullptr;
    if (isQuery) {
      // The assignment's value is the select node itself, which the writer turns into a cursor value.
      assign = makeAssign(copyTokens(open->cursor, line), static_cast<AstList*>(operand), line);
    } else {
      // A statement text is prepared under a generated name, and the cursor value is built over it.
      const char* statementName = nextGeneratedName(ctx);
      auto* prepare = makeNode<PrepareNode>(astNodePrepare, line);
      prepare->statementName = statementName;
      prepare->source = static_cast<AstList*>(operand);
      open->prepare = prepare;
      visit(prepare, open, ctx);
      operand->parent = prepare;
      assign =
          makeAssign(copyTokens(open->cursor, line), hostTexts({"CURSOR WITH HOLD FOR ", statementName}, line), line);
    }
    open->replacement = assign;
    // Its parts are visited rather than the assignment itself: its value is never a routine call, and a
    // select value is not a token list for the call check to read.
    assign->parent = open;
    visit(assign->target, assign, ctx);
    visit(static_cast<AstNode*>(assign->value), assign, ctx);
  }
  captureWhenRead(ctx, open);
}

void rewriteToken(TokenNode* token, TransformContext* ctx) {
  switch (token->code) {
    case T_UPDATING_COLUMN: rewriteUpdatingColumn(token, ctx); return;
    case T_CURSOR_FOUND:
    case T_CURSOR_NOTFOUND:
    case T_CURSOR_ISOPEN:
    case T_CURSOR_ROWCOUNT: rewriteCursorAttribute(token); return;
    case T_TRIG_VAR: rewriteTriggerVariable(token); return;
    case T_SQLCODE:
    case T_SQLSTATE: {
      // The handler and statement captures copy the host's own variables, which a routine must declare.
      BlockNode* outer = outermostBlockOf(token);
      if (outer != nullptr) declareImplicit(outer, token->code == T_SQLCODE ? implicitSqlcode : implicitSqlstate);
      return;
    }
    default: break;
  }
  if (!token->dotted || token->text == nullptr) return;
  if (CreateTriggerNode* trigger = whenConditionOwner(token)) {
    rewriteWhenName(token, trigger);
    return;
  }
  token->text = requalifyByRoutine(token, token->text);
}

AstNode* rewriteCursorFor(ForNode* loop, TransformContext* ctx) {
  const int32_t line = loop->line;
  BlockNode* outer = outermostBlockOf(loop);
  if (outer != nullptr) declareImplicit(outer, implicitSqlcode);
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  block->label = loop->label;
  auto* open = makeNode<OpenNode>(astNodeOpen, line);

  if (loop->forKind == forQuery) {
    // FOR r IN (query): the query without its parentheses becomes a cursor of the loop's own block.
    auto* cursor = makeNode<CursorDeclNode>(astNodeCursorDecl, line);
    cursor->declClass = declCursor;
    cursor->name = hostTexts({queryCursorName}, line);
    cursor->query = itemsBetween(listHeadCell(loop->range) != nullptr ? listHeadCell(loop->range)->next : nullptr,
                                 lastCellOf(loop->range));
    block->declarations = listAppend(listNew(cursor), rowVariable(loop, queryCursorName, line));
    open->cursor = hostTexts({queryCursorName}, line);
    block->statements = listAppend(listNew(open), fetchLoop(loop, queryCursorName, line));
    loop->range = nullptr;
    return block;
  }

  // FOR r IN c(args): c is declared already; the loop opens it with the arguments and closes it after.
  AstListCell* nameCell = listHeadCell(loop->range);
  auto* nameToken = nameCell != nullptr ? static_cast<AstNode*>(nameCell->item) : nullptr;
  visit(nameToken, loop->range, ctx);
  const char* cursorName = tokenText(nameToken);
  if (cursorName == nullptr) cursorName = "";
  open->cursor = hostTexts({cursorName}, line);
  open->arguments = cursorArguments(nameCell != nullptr ? nameCell->next : nullptr);
  if (isExtended(ctx, extendCorrections)) open->arguments = ownArguments(open->arguments, line, ctx);
  auto* close = makeNode<CloseNode>(astNodeClose, line);
  close->cursor = hostTexts({cursorName}, line);
  block->declarations = listNew(rowVariable(loop, cursorName, line));
  block->statements = listAppend(listAppend(listNew(open), fetchLoop(loop, cursorName, line)), close);
  loop->range = nullptr;
  return block;
}
