// stmt_actions.cpp - what the grammar builds for procedural statements, and the reader rules that hand
// SQL text, expressions and clauses over verbatim as token lists.
// A reader takes the parser's lookahead as its first token and always leaves the parser without one.
#include "parser/actions.h"

#include <cstring>

#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

const char* labelText(AstList* parts) { return parts == nullptr ? nullptr : joinNameParts(parts); }

// Readers give the stop that ended the run back to the stream for the grammar to read.
AstList* runReader(ParseContext* ctx, TokenValue* slot, int* lookahead, int stop1, int stop2 = 0, int stop3 = 0,
                   int stop4 = 0, int stop5 = 0, int stop6 = 0) {
  AstList* tokens =
      collectTokens(ctx, slot, stopPushedBack, readerFirstToken(*lookahead), stop1, stop2, stop3, stop4, stop5, stop6);
  *lookahead = YYEMPTY;
  return tokens;
}

AstList* checked(ParseContext* ctx, AstList* tokens, const char* messageWhenEmpty) {
  if (tokens == nullptr) reportSyntaxError(ctx, messageWhenEmpty);
  return tokens;
}

// A numeric range has a `..` anywhere; a query stands in parentheses; anything else names a cursor
// (possibly with arguments).
ForKind forKindOf(ParseContext* ctx, AstList* range) {
  for (AstListCell* cell = listHeadCell(range); cell != nullptr; cell = cell->next) {
    if (tokenCode(cell->item) != T_DOTDOT) continue;
    if (cell == listHeadCell(range) || cell->next == nullptr) reportSyntaxError(ctx, "expected loop limits");
    return forNumeric;
  }
  if (tokenCode(listFirst(range)) == '(') return forQuery;
  return forCursor;
}

}  // namespace

// ---- statements ----

AstList* emptyStatementPart(ParseContext*, int32_t line) { return listNew(makeNode<NullNode>(astNodeNull, line)); }

AstNode* labelStatement(ParseContext*, AstList* label, AstNode* statement) {
  if (statement == nullptr) return statement;
  // PRAGMA ALIAS is accepted among statements but is not one: it has no label field.
  if (isStatementNode(statement) && label != nullptr) static_cast<StatementNode*>(statement)->label = labelText(label);
  if (yydebug != 0) debugPrint("Parsed %s\n", nodeKindName(statement->kind));
  return statement;
}

// The name keeps its quotes out: PRAGMA ALIAS t := 'DECFLOAT' maps t to DECFLOAT.
AstNode* buildAliasPragma(ParseContext*, Token pragma, AstList* datatype, Token name) {
  const char* quoted = name.text == nullptr ? "''" : name.text;
  size_t length = std::strlen(quoted);
  const char* start = quoted;
  if (length >= 2 && quoted[0] == '\'' && quoted[length - 1] == '\'') {
    start += 1;
    length -= 2;
  }
  auto* node = makeNode<PragmaNode>(astNodePragma, pragma.line);
  node->pragmaCode = T_ALIAS;
  node->first = datatype;
  TokenNode* unquoted = newTokenNode(T_STRING, nullptr, name.line);
  unquoted->text = ctxStrndup(start, length);
  node->second = listNew(unquoted);
  return node;
}

AstNode* buildAssign(ParseContext*, AstList* target, int32_t line, AstList* value) {
  auto* node = makeNode<AssignNode>(astNodeAssign, line);
  node->target = target;
  node->value = value;
  return node;
}

TokenValue assignmentPart(ParseContext* ctx, AstList* value) {
  TokenValue part = noValue(ctx);
  part.list = value;
  part.code = 1;
  return part;
}

// The `:= value ;` part already took the statement's ';', which the enclosing rule still expects.
AstNode* buildIndexedStatement(ParseContext* ctx, AstList* name, int32_t line, AstList* arguments, AstList* field,
                               Token assignment) {
  if (assignment.code != 0) {
    auto* node = makeNode<AssignNode>(astNodeAssign, line);
    node->target = name;
    node->targetField = field;
    node->targetIndex = arguments;
    node->value = assignment.list;
    pushBackToken(ctx, ';');
    return node;
  }
  auto* call = makeNode<CallNode>(astNodeCall, line);
  call->name = name;
  call->arguments = arguments;
  return call;
}

AstNode* buildSimpleCall(ParseContext*, AstList* name, int32_t line) {
  auto* call = makeNode<CallNode>(astNodeCall, line);
  call->name = name;
  return call;
}

AstNode* buildIf(ParseContext*, Token keyword, AstList* condition, AstList* thenStatements, AstNode* elsifs,
                 AstList* elseStatements) {
  auto* node = makeNode<IfNode>(astNodeIf, keyword.line);
  node->condition = condition;
  node->thenStatements = thenStatements;
  node->elsifs = static_cast<ElseIfNode*>(elsifs);
  node->elseStatements = elseStatements;
  return node;
}

AstNode* buildElsif(ParseContext*, Token keyword, AstList* condition, AstList* statements, AstNode* next) {
  auto* node = makeNode<ElseIfNode>(astNodeElseIf, keyword.line);
  node->condition = condition;
  node->statements = statements;
  node->next = static_cast<ElseIfNode*>(next);
  return node;
}

AstNode* buildLoop(ParseContext*, Token keyword, AstList* statements) {
  auto* node = makeNode<LoopNode>(astNodeLoop, keyword.line);
  node->statements = statements;
  return node;
}

AstNode* buildWhile(ParseContext*, Token keyword, AstList* condition, AstList* statements) {
  auto* node = makeNode<WhileNode>(astNodeWhile, keyword.line);
  node->condition = condition;
  node->statements = statements;
  return node;
}

AstNode* buildFor(ParseContext* ctx, Token keyword, AstList* variable, int32_t reverse, AstList* range, AstList* body) {
  auto* node = makeNode<ForNode>(astNodeFor, keyword.line);
  node->loopVariable = variable;
  node->reverse = static_cast<uint8_t>(reverse);
  node->range = range;
  node->body = body;
  node->forKind = forKindOf(ctx, node->range);
  return node;
}

AstNode* buildForallRange(ParseContext* ctx, Token keyword, AstList* variable, AstList* low, Token dotdot,
                          AstList* high, AstNode* body) {
  auto* node = makeNode<ForNode>(astNodeFor, keyword.line);
  node->loopVariable = variable;
  node->range = buildRangeText(ctx, low, dotdot, high);
  node->body = listNew(body);
  node->forKind = forallRange;
  return node;
}

AstNode* buildForallCollection(ParseContext*, Token keyword, AstList* variable, int32_t forKind, AstList* collection,
                               AstNode* body) {
  auto* node = makeNode<ForNode>(astNodeFor, keyword.line);
  node->loopVariable = variable;
  node->range = collection;
  node->body = listNew(body);
  node->forKind = static_cast<ForKind>(forKind);
  return node;
}

AstNode* buildFetch(ParseContext*, Token keyword, AstList* cursor, int32_t bulkCollect, AstList* into,
                    const ExprText& limit) {
  auto* node = makeNode<FetchNode>(astNodeFetch, keyword.line);
  node->cursor = cursor;
  node->bulkCollect = static_cast<uint8_t>(bulkCollect);
  node->into = into;
  node->limit = limit.tokens;
  return node;
}

AstNode* buildClose(ParseContext*, Token keyword, AstList* cursor) {
  auto* node = makeNode<CloseNode>(astNodeClose, keyword.line);
  node->cursor = cursor;
  return node;
}

AstNode* buildPipe(ParseContext*, Token keyword, AstList* value) {
  auto* node = makeNode<PipeNode>(astNodePipe, keyword.line);
  node->value = value;
  return node;
}

AstList* beginCursorFor(ParseContext* ctx, AstList* cursor) {
  setCommentBeforeSemicolon(ctx, true);
  return cursor;
}

AstNode* buildOpen(ParseContext*, Token keyword, AstList* cursor) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = cursor;
  return node;
}

AstNode* buildOpenWithArgs(ParseContext*, Token keyword, AstList* cursor, AstList* arguments) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = cursor;
  node->arguments = arguments;
  return node;
}

// OPEN c FOR SELECT ...: the operand is the astNodeSelect itself, not a token list; readers of `query`
// tell the two apart by the node's kind.
AstNode* buildOpenForSelect(ParseContext*, Token keyword, AstList* cursor, AstNode* select) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = cursor;
  node->query = select;
  return node;
}

AstNode* buildOpenForSelectWithComment(ParseContext* ctx, Token keyword, AstList* cursor, AstNode* select,
                                       Token comment) {
  return buildOpenForSelect(ctx, keyword, cursor, appendSelectComment(ctx, select, comment));
}

AstNode* buildOpenForText(ParseContext*, Token keyword, AstList* cursor, AstList* query, AstList* usingText) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = cursor;
  node->query = query;
  node->using_ = usingText;
  return node;
}

AstNode* buildOpenForTextWithComment(ParseContext* ctx, Token keyword, AstList* cursor, AstList* query,
                                     AstList* usingText, Token comment) {
  return buildOpenForText(ctx, keyword, cursor, appendComment(query, comment), usingText);
}

AstNode* buildExit(ParseContext*, Token keyword, AstList* target, AstList* condition) {
  auto* node = makeNode<ExitNode>(astNodeExit, keyword.line);
  node->target = labelText(target);
  node->condition = condition;
  return node;
}

AstNode* buildContinue(ParseContext*, Token keyword, AstList* target, AstList* condition) {
  auto* node = makeNode<ContinueNode>(astNodeContinue, keyword.line);
  node->target = labelText(target);
  node->condition = condition;
  return node;
}

AstNode* buildGoto(ParseContext*, Token keyword, AstList* label) {
  auto* node = makeNode<GotoNode>(astNodeGoto, keyword.line);
  node->target = label;
  return node;
}

AstNode* buildNull(ParseContext*, Token keyword) { return makeNode<NullNode>(astNodeNull, keyword.line); }

AstNode* buildReturn(ParseContext*, Token keyword, AstList* value) {
  auto* node = makeNode<ReturnNode>(astNodeReturn, keyword.line);
  node->value = value;
  return node;
}

AstNode* buildCase(ParseContext*, Token keyword, const ExprText& selector, AstList* whenClauses, AstNode* elseClause) {
  auto* node = makeNode<CaseNode>(astNodeCase, keyword.line);
  node->selector = selector.tokens;
  node->whenClauses = whenClauses;
  node->elseClause = static_cast<CaseExprNode*>(elseClause);
  return node;
}

AstNode* buildSearchedCase(ParseContext*, Token keyword, AstList* whenClauses, AstNode* elseClause) {
  auto* node = makeNode<CaseNode>(astNodeCase, keyword.line);
  node->whenClauses = whenClauses;
  node->elseClause = static_cast<CaseExprNode*>(elseClause);
  return node;
}

AstNode* buildCaseWhen(ParseContext*, Token keyword, AstList* condition, AstList* statements) {
  auto* node = makeNode<CaseExprNode>(astNodeCaseExpr, keyword.line);
  node->condition = condition;
  node->statements = statements;
  return node;
}

AstNode* buildCaseElse(ParseContext*, Token keyword, AstList* statements) {
  auto* node = makeNode<CaseExprNode>(astNodeCaseExpr, keyword.line);
  node->statements = statements;
  return node;
}

AstNode* buildDynamic(ParseContext*, Token keyword, AstList* statement, int32_t bulkCollect, AstList* into,
                      AstList* usingParams, AstList* returning) {
  auto* node = makeNode<DynamicNode>(astNodeDynamic, keyword.line);
  node->statement = statement;
  node->bulkCollect = static_cast<uint8_t>(bulkCollect);
  node->into = into;
  node->using_ = usingParams;
  node->returning = returning;
  return node;
}

AstNode* buildUsingParam(ParseContext*, int32_t mode, int32_t line, AstList* value) {
  auto* node = makeNode<UsingParam>(astNodeUsingParam, line);
  node->mode = static_cast<ArgMode>(mode);
  node->value = value;
  return node;
}

AstNode* buildRaise(ParseContext*, Token keyword, AstList* name) {
  auto* node = makeNode<RaiseNode>(astNodeRaise, keyword.line);
  node->exceptionName = name;
  return node;
}

AstNode* buildReraise(ParseContext*, Token keyword) { return makeNode<RaiseNode>(astNodeRaise, keyword.line); }

AstNode* buildSelect(ParseContext*, AstList* cte, Token keyword, AstList* selectList, int32_t bulkCollect,
                     AstList* into, AstList* fromClause) {
  auto* node = makeNode<SelectNode>(astNodeSelect, keyword.line);
  node->cte = cte;
  node->selectList = selectList;
  node->bulkCollect = static_cast<uint8_t>(bulkCollect);
  node->into = into;
  node->fromClause = fromClause;
  return node;
}

AstList* beginSelectRest(ParseContext* ctx, AstList* into) {
  setCommentBeforeSemicolon(ctx, true);
  return into;
}

AstList* checkFromClause(ParseContext* ctx, AstList* rest) { return checked(ctx, rest, "Missing FROM clause"); }

AstNode* appendSelectComment(ParseContext*, AstNode* select, Token comment) {
  auto* node = static_cast<SelectNode*>(select);
  node->fromClause = appendComment(node->fromClause, comment);
  return select;
}

AstNode* buildSqlStmt(ParseContext*, Token keyword, int code, AstList* rest) {
  const char* verb = "INSERT";
  int verbCode = code;
  switch (code) {
    case T_UPDATE: verb = "UPDATE"; break;
    case T_DELETE: verb = "DELETE"; break;
    case T_MERGE: verb = "MERGE"; break;
    case T_LOCK: verb = "LOCK"; break;
    // SAVEPOINT and TRUNCATE travel as LOCK does: text the host runs as written.
    case T_SAVEPOINT:
      verb = "SAVEPOINT";
      verbCode = T_LOCK;
      break;
    case T_TRUNCATE:
      verb = "TRUNCATE";
      verbCode = T_LOCK;
      break;
    case T_ROLLBACK: verb = "ROLLBACK"; break;
    case T_COMMIT: verb = "COMMIT"; break;
    default: break;
  }
  auto* node = makeNode<SqlStmtNode>(astNodeSqlStmt, keyword.line);
  node->verb = ctxStrdup(verb);
  node->verbCode = static_cast<uint32_t>(verbCode);
  node->rest = rest;
  return node;
}

AstNode* buildStartTransaction(ParseContext*, Token keyword) {
  auto* node = makeNode<SqlStmtNode>(astNodeSqlStmt, keyword.line);
  node->verb = ctxStrdup("START TRANSACTION");
  node->verbCode = T_START;
  return node;
}

AstNode* finishEmbeddedSql(ParseContext* ctx, AstNode* statement) {
  setCommentBeforeSemicolon(ctx, false);
  return statement;
}

AstNode* finishSqlStmtWithComment(ParseContext* ctx, AstNode* statement, Token comment) {
  setCommentBeforeSemicolon(ctx, false);
  auto* node = static_cast<SqlStmtNode*>(statement);
  node->rest = appendComment(node->rest, comment);
  return statement;
}

AstNode* buildHandler(ParseContext*, Token keyword, AstList* conditions, AstList* statements) {
  auto* node = makeNode<HandlerNode>(astNodeHandler, keyword.line);
  node->conditions = conditions;
  node->statements = statements;
  return node;
}

// ---- readers ----

AstList* readUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';'), missingExpression);
}

AstList* readUntilSemiOrComment(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_COMMENT_SEMI), missingExpression);
}

AstList* readOptionalUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return runReader(ctx, slot, lookahead, ';');
}

AstList* readUntilThen(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_THEN), missingExpression);
}

AstList* readUntilSelect(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_SELECT), missingExpression);
}

AstList* readUntilUsing(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_USING, T_COMMENT_SEMI, ';'), missingExpression);
}

// LOOP is consumed here, so the loop body rule starts with the statements.
AstList* readLoopRange(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  int endToken = 0;
  AstList* range = collectTokensUntil(ctx, slot, stopDropped, readerFirstToken(*lookahead), &endToken, T_LOOP);
  *lookahead = YYEMPTY;
  if (range == nullptr) reportSyntaxError(ctx, missingExpression);
  if (endToken != T_LOOP) reportSyntaxError(ctx, "Unexpected token");
  return range;
}

AstList* readForallLowerBound(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_DOTDOT), missingExpression);
}

AstList* readForallUpperBound(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_UPDATE, T_DELETE, T_INSERT, T_EXECUTE), missingExpression);
}

AstList* readImmediateText(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_USING, T_INTO, T_RETURNING, T_RETURN, T_BULK),
                 missingStatement);
}

AstList* readDynamicInto(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_USING, T_RETURNING, T_RETURN), missingStatement);
}

AstList* readFetchInto(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_LIMIT), missingStatement);
}

AstList* readUsingValue(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_COMMA, T_RETURNING, T_RETURN), missingExpression);
}

AstList* readReturnClause(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';'), missingExpression);
}

AstList* readSelectList(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_INTO, T_FROM, T_BULK), "Missing SELECT expression");
}

AstList* readSelectInto(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_FROM), "Missing INTO clause");
}

AstList* readUntilRparen(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return runReader(ctx, slot, lookahead, ')');
}

// The scanner hands commas over as T_COMMA, so the ',' stop never fires: a comma at depth 0 stays in
// the argument's text, which reads the same once written out.
AstList* readArgumentRest(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return runReader(ctx, slot, lookahead, ')', ',');
}
