// dynamic_sql.cpp - EXECUTE IMMEDIATE with bind lists, and assignments from the package functions the
// host offers only as procedures. The host's EXECUTE IMMEDIATE takes neither INTO nor USING, so a
// statement with binds is prepared from a generated text variable and run with EXECUTE (or opened as
// a cursor for BULK COLLECT); a restricted function becomes a CALL whose last argument is the target.
#include "transform/rewrites.h"

#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

// Package functions the host has only as procedures with an OUT argument for the result.
constexpr const char* restrictedRoutines[] = {
    "DBMS_SQL.EXECUTE",
    "DBMS_SQL.EXECUTE_AND_FETCH",
    "DBMS_SQL.FETCH_ROWS",
    "DBMS_SQL.LAST_ERROR_POSITION",
    "DBMS_SQL.LAST_ROW_COUNT",
    "DBMS_SQL.OPEN_CURSOR",
    "UTL_SMTP.CLOSE_DATA",
    "UTL_SMTP.COMMAND",
    "UTL_SMTP.COMMAND_REPLIES",
    "UTL_SMTP.DATA",
    "UTL_SMTP.EHLO",
    "UTL_SMTP.HELO",
    "UTL_SMTP.HELP",
    "UTL_SMTP.MAIL",
    "UTL_SMTP.NOOP",
    "UTL_SMTP.OPEN_DATA",
    "UTL_SMTP.QUIT",
    "UTL_SMTP.RCPT",
    "UTL_SMTP.RSET",
    "UTL_SMTP.VRFY",
};

// Every name of the list begins with D or U: the value of almost every assignment is passed by on its
// first letter instead of being compared with twenty names.
constexpr bool restrictedNamesBeginWithDOrU() {
  for (const char* routine : restrictedRoutines)
    if (routine[0] != 'D' && routine[0] != 'U') return false;
  return true;
}
static_assert(restrictedNamesBeginWithDOrU());

bool isRestrictedRoutine(const char* name) {
  if (name == nullptr) return false;
  const char first = static_cast<char>(name[0] | 0x20);  // ASCII lower case for letters
  if (first != 'd' && first != 'u') return false;
  for (const char* routine : restrictedRoutines) {
    if (asciiEqualIgnoringCase(name, routine)) return true;
  }
  return false;
}

bool beginsWith(const void* item, char c) {
  const char* text = tokenText(item);
  return text != nullptr && text[0] == c;
}

// ---- EXECUTE IMMEDIATE ----

// One bind list: copies of each argument's tokens, a "," before every argument but the first this
// list was given.
struct BindList {
  AstList* tokens;
  bool hasArgument;
};

// A USING argument's tokens as the source gave them, codes and qualified-name marks kept: nothing has
// visited them yet, so the block that runs the statement rewrites them where they land (:NEW.col,
// SQLERRM read in a handler, SQL%ROWCOUNT, a name qualified by its routine).
AstList* copyBindTokens(const AstList* value, int32_t line) {
  AstList* copy = nullptr;
  for (AstListCell* cell = listHeadCell(value); cell != nullptr; cell = cell->next) {
    const auto* source = static_cast<const AstNode*>(cell->item);
    if (source == nullptr || source->kind != astNodeToken) continue;
    const auto* token = static_cast<const TokenNode*>(source);
    TokenNode* bind = newTokenNode(token->code, token->text, line);
    bind->dotted = token->dotted;
    copy = listAppend(copy, bind);
  }
  return copy;
}

void addBind(BindList* list, const AstList* value, int32_t line) {
  if (list->hasArgument) list->tokens = listAppend(list->tokens, newTokenNode(T_COMMA, ",", line));
  list->tokens = listConcat(list->tokens, copyBindTokens(value, line));
  list->hasArgument = true;
}

// Outputs: the INTO targets, then OUT and IN OUT arguments, then the RETURNING targets; inputs: IN and
// IN OUT arguments. The INTO targets were visited with the statement, so their copies are final text.
void deriveBindLists(DynamicNode* dynamic) {
  const int32_t line = dynamic->line;
  BindList inputs{nullptr, false};
  BindList outputs{copyTokens(dynamic->into, line), false};
  for (AstListCell* cell = listHeadCell(dynamic->using_); cell != nullptr; cell = cell->next) {
    const auto* bind = static_cast<const UsingParam*>(cell->item);
    if (bind == nullptr || bind->kind != astNodeUsingParam) continue;
    if (bind->mode == argIn || bind->mode == argInOut) addBind(&inputs, bind->value, line);
    if (bind->mode == argOut || bind->mode == argInOut) addBind(&outputs, bind->value, line);
  }
  dynamic->inputs = inputs.tokens;
  dynamic->outputs = listConcat(outputs.tokens, copyTokens(dynamic->returning, line));
}

// SYSKELINTERNAL_STMT_TEXT holding the statement text: a literal fits the short string type, any
// expression may be as long as a CLOB. The expression keeps its source tokens, so that a default the
// host cannot take in a declaration moves to the block's start like any other.
VarDeclNode* statementTextVariable(DynamicNode* dynamic) {
  const ImplicitVariableRow& row = implicitVariable(implicitStatementText);
  const bool isLiteral = listCount(dynamic->statement) == 1 && isLiteralToken(listFirst(dynamic->statement));
  const int32_t line = dynamic->line;
  return makeVariable(hostTexts({row.name}, line), hostTexts({isLiteral ? "VARCHAR(32672)" : row.type}, line),
                      dynamic->statement, line);
}

PrepareNode* prepareStatementText(const char* statementName, int32_t line) {
  auto* prepare = makeNode<PrepareNode>(astNodePrepare, line);
  prepare->statementName = statementName;
  prepare->sourceText = implicitVariable(implicitStatementText).name;
  return prepare;
}

// EXECUTE IMMEDIATE with binds: PREPARE S FROM the text, EXECUTE S INTO the outputs USING the inputs.
BlockNode* prepareAndExecute(DynamicNode* dynamic, TransformContext* ctx) {
  const int32_t line = dynamic->line;
  const char* statementName = nextGeneratedName(ctx);
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  block->label = dynamic->label;
  block->declarations = listNew(statementTextVariable(dynamic));
  auto* execute = makeNode<ExecuteNode>(astNodeExecute, line);
  execute->statementName = statementName;
  execute->into = dynamic->outputs;
  execute->using_ = dynamic->inputs;
  block->statements = listAppend(listNew(prepareStatementText(statementName, line)), execute);
  visit(block, dynamic, ctx);
  BlockNode* outer = outermostBlockOf(dynamic);
  if (outer != nullptr && outer->needsRowCount) captureRowCount(ctx, execute, outer, false);
  return block;
}

// EXECUTE IMMEDIATE ... BULK COLLECT INTO: a cursor K over the prepared statement S, opened with the
// inputs, read by the bulk fetch loop, closed.
BlockNode* prepareAndFetchAll(DynamicNode* dynamic, TransformContext* ctx) {
  const int32_t line = dynamic->line;
  const char* statementName = nextGeneratedName(ctx);
  const char* cursorName = nextGeneratedName(ctx);
  FetchNode* fetch = makeBulkFetch(cursorName, dynamic->outputs, dynamic, line);
  auto* block = static_cast<BlockNode*>(rewriteBulkFetch(fetch, ctx));

  auto* cursor = makeNode<CursorDeclNode>(astNodeCursorDecl, line);
  cursor->declClass = declCursor;
  cursor->name = hostTexts({cursorName}, line);
  cursor->query = hostTexts({statementName}, line);
  block->declarations = listAppend(block->declarations, cursor);
  block->declarations = listAppend(block->declarations, statementTextVariable(dynamic));
  visit(block->declarations, block, ctx);
  // The generated names are the longest the block declares.
  if (block->maxNameLength < 25) block->maxNameLength = 25;

  auto* open = makeNode<OpenNode>(astNodeOpen, line);
  open->cursor = hostTexts({cursorName}, line);
  open->using_ = dynamic->inputs;
  auto* close = makeNode<CloseNode>(astNodeClose, line);
  close->cursor = hostTexts({cursorName}, line);
  AstList* statements = listAppend(listNew(prepareStatementText(statementName, line)), open);
  statements = listAppend(listConcat(statements, block->statements), close);
  for (AstListCell* cell = listHeadCell(statements); cell != nullptr; cell = cell->next) {
    static_cast<AstNode*>(cell->item)->parent = statements;
  }
  statements->parent = block;
  block->statements = statements;
  block->label = dynamic->label;
  return block;
}

// ---- restricted calls ----

// The assignment's target as one argument, subscript and field included.
AstList* targetArgument(const AssignNode* assign) {
  const int32_t line = assign->line;
  AstList* target = copyTokens(assign->target, line);
  if (assign->targetIndex != nullptr) {
    target = listAppend(target, hostText("[", line));
    target = listConcat(target, copyTokens(assign->targetIndex, line));
    target = listAppend(target, hostText("]", line));
  }
  if (assign->targetField != nullptr) {
    target = listAppend(target, hostText(".", line));
    target = listConcat(target, copyTokens(assign->targetField, line));
  }
  return target;
}

// True when the value is the name and an argument list that ends it: the token after the name opens a
// parenthesis and the value's last token closes one.
bool isCallWithArguments(const AstList* value) {
  const AstListCell* open = listHeadCell(value)->next;
  return open != nullptr && beginsWith(open->item, '(') && beginsWith(listLast(value), ')');
}

}  // namespace

AstNode* rewriteDynamic(DynamicNode* dynamic, TransformContext* ctx) {
  visit(dynamic->statement, dynamic, ctx);
  visit(dynamic->into, dynamic, ctx);
  visit(dynamic->using_, dynamic, ctx);
  visit(dynamic->returning, dynamic, ctx);
  dynamic->hasBinds =
      listCount(dynamic->into) != 0 || listCount(dynamic->using_) != 0 || listCount(dynamic->returning) != 0;
  if (!dynamic->hasBinds) {
    // The host's EXECUTE IMMEDIATE as written; SQL%ROWCOUNT reads what it changed.
    BlockNode* outer = outermostBlockOf(dynamic);
    if (outer != nullptr && outer->needsRowCount) captureRowCount(ctx, dynamic, outer, false);
    return nullptr;
  }
  deriveBindLists(dynamic);
  return dynamic->bulkCollect ? prepareAndFetchAll(dynamic, ctx) : prepareAndExecute(dynamic, ctx);
}

AstNode* rewriteRestrictedCall(AssignNode* assign, TransformContext* ctx) {
  const AstList* value = assign->value;
  if (value == nullptr || value->kind != astNodeList || listCount(value) == 0) return nullptr;
  const auto* name = static_cast<const AstNode*>(listFirst(value));
  if (!isRestrictedRoutine(tokenText(name))) return nullptr;
  const int32_t line = assign->line;
  auto* call = makeNode<CallNode>(astNodeCall, line);
  call->label = assign->label;
  call->name = listNew(hostText(tokenText(name), line));
  if (listCount(value) == 1) {
    call->arguments = targetArgument(assign);
    return call;
  }
  if (!isCallWithArguments(value)) {
    // Part of an expression: the procedure's result has nowhere to go.
    raiseUnsupported("Call to package function not permitted in this context", tokenText(name), name, ctx->errors);
    call->arguments = targetArgument(assign);
    return call;
  }
  AstList* arguments = nullptr;
  for (AstListCell* cell = listHeadCell(value)->next->next; cell != nullptr && cell->next != nullptr;
       cell = cell->next) {
    arguments = listAppend(arguments, hostText(tokenText(cell->item), line));
  }
  if (arguments != nullptr) arguments = listAppend(arguments, newTokenNode(T_COMMA, ",", line));
  call->arguments = listConcat(arguments, targetArgument(assign));
  return call;
}
