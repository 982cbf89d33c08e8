// stmt_actions.cpp - what the grammar builds for procedural statements, and the reader rules that hand
// SQL text, expressions and clauses over verbatim as token lists.
// A reader takes the parser's lookahead as its first token and always leaves the parser without one.
#include "parser/actions.h"

#include <cstring>

#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

const char* labelText(const Value& label) {
  AstList* parts = listOf(label);
  return parts == nullptr ? nullptr : joinNameParts(parts);
}

// Readers give the stop that ended the run back to the stream for the grammar to read.
AstList* runReader(ParseContext* ctx, TokenValue* slot, int* lookahead, int stop1, int stop2 = 0, int stop3 = 0,
                   int stop4 = 0, int stop5 = 0, int stop6 = 0) {
  AstList* tokens =
      collectTokens(ctx, slot, stopPushedBack, readerFirstToken(*lookahead), stop1, stop2, stop3, stop4, stop5, stop6);
  *lookahead = YYEMPTY;
  return tokens;
}

Value checked(ParseContext* ctx, AstList* tokens, const char* messageWhenEmpty) {
  if (tokens == nullptr) reportSyntaxError(ctx, messageWhenEmpty);
  return listValue(tokens);
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

Value emptyStatementPart(ParseContext*, const Value& line) {
  return listValue(listNew(makeNode<NullNode>(astNodeNull, line.line)));
}

Value labelStatement(ParseContext*, const Value& label, const Value& statement) {
  auto* node = valueAs<AstNode>(statement);
  if (node == nullptr) return statement;
  // PRAGMA ALIAS is accepted among statements but is not one: it has no label field.
  if (isStatementNode(node) && listOf(label) != nullptr) static_cast<StatementNode*>(node)->label = labelText(label);
  if (yydebug != 0) debugPrint("Parsed %s\n", nodeKindName(node->kind));
  return statement;
}

// The name keeps its quotes out: PRAGMA ALIAS t := 'DECFLOAT' maps t to DECFLOAT.
Value buildAliasPragma(ParseContext*, const Value& pragma, const Value& datatype, const Value& name) {
  const char* quoted = name.text == nullptr ? "''" : name.text;
  size_t length = std::strlen(quoted);
  const char* start = quoted;
  if (length >= 2 && quoted[0] == '\'' && quoted[length - 1] == '\'') {
    start += 1;
    length -= 2;
  }
  auto* node = makeNode<PragmaNode>(astNodePragma, pragma.line);
  node->pragmaCode = T_ALIAS;
  node->first = listOf(datatype);
  TokenNode* unquoted = newTokenNode(T_STRING, nullptr, name.line);
  unquoted->text = ctxStrndup(start, length);
  node->second = listNew(unquoted);
  return nodeValue(node);
}

Value buildAssign(ParseContext*, const Value& target, const Value& line, const Value& value) {
  auto* node = makeNode<AssignNode>(astNodeAssign, line.line);
  node->target = listOf(target);
  node->value = listOf(value);
  return nodeValue(node);
}

Value assignmentPart(ParseContext*, const Value& value) { return listValue(listOf(value), 1); }

// The `:= value ;` part already took the statement's ';', which the enclosing rule still expects.
Value buildIndexedStatement(ParseContext* ctx, const Value& name, const Value& line, const Value& arguments,
                            const Value& field, const Value& assignment) {
  if (assignment.code != 0) {
    auto* node = makeNode<AssignNode>(astNodeAssign, line.line);
    node->target = listOf(name);
    node->targetField = listOf(field);
    node->targetIndex = listOf(arguments);
    node->value = listOf(assignment);
    pushBackToken(ctx, ';');
    return nodeValue(node);
  }
  auto* call = makeNode<CallNode>(astNodeCall, line.line);
  call->name = listOf(name);
  call->arguments = listOf(arguments);
  return nodeValue(call);
}

Value buildSimpleCall(ParseContext*, const Value& name, const Value& line) {
  auto* call = makeNode<CallNode>(astNodeCall, line.line);
  call->name = listOf(name);
  return nodeValue(call);
}

Value buildIf(ParseContext*, const Value& keyword, const Value& condition, const Value& thenStatements,
              const Value& elsifs, const Value& elseStatements) {
  auto* node = makeNode<IfNode>(astNodeIf, keyword.line);
  node->condition = listOf(condition);
  node->thenStatements = listOf(thenStatements);
  node->elsifs = valueAs<ElseIfNode>(elsifs);
  node->elseStatements = listOf(elseStatements);
  return nodeValue(node);
}

Value buildElsif(ParseContext*, const Value& keyword, const Value& condition, const Value& statements,
                 const Value& next) {
  auto* node = makeNode<ElseIfNode>(astNodeElseIf, keyword.line);
  node->condition = listOf(condition);
  node->statements = listOf(statements);
  node->next = valueAs<ElseIfNode>(next);
  return nodeValue(node);
}

Value buildLoop(ParseContext*, const Value& keyword, const Value& statements) {
  auto* node = makeNode<LoopNode>(astNodeLoop, keyword.line);
  node->statements = listOf(statements);
  return nodeValue(node);
}

Value buildWhile(ParseContext*, const Value& keyword, const Value& condition, const Value& statements) {
  auto* node = makeNode<WhileNode>(astNodeWhile, keyword.line);
  node->condition = listOf(condition);
  node->statements = listOf(statements);
  return nodeValue(node);
}

Value buildFor(ParseContext* ctx, const Value& keyword, const Value& variable, const Value& reverse, const Value& range,
               const Value& body) {
  auto* node = makeNode<ForNode>(astNodeFor, keyword.line);
  node->loopVariable = listOf(variable);
  node->reverse = static_cast<uint8_t>(reverse.code);
  node->range = listOf(range);
  node->body = listOf(body);
  node->forKind = forKindOf(ctx, node->range);
  return nodeValue(node);
}

Value buildForallRange(ParseContext* ctx, const Value& keyword, const Value& variable, const Value& low,
                       const Value& dotdot, const Value& high, const Value& body) {
  auto* node = makeNode<ForNode>(astNodeFor, keyword.line);
  node->loopVariable = listOf(variable);
  node->range = listOf(buildRangeText(ctx, low, dotdot, high));
  node->body = listNew(pointerOf(body));
  node->forKind = forallRange;
  return nodeValue(node);
}

Value buildForallCollection(ParseContext*, const Value& keyword, const Value& variable, const Value& forKind,
                            const Value& collection, const Value& body) {
  auto* node = makeNode<ForNode>(astNodeFor, keyword.line);
  node->loopVariable = listOf(variable);
  node->range = listOf(collection);
  node->body = listNew(pointerOf(body));
  node->forKind = static_cast<ForKind>(forKind.code);
  return nodeValue(node);
}

Value buildFetch(ParseContext*, const Value& keyword, const Value& cursor, const Value& bulkCollect, const Value& into,
                 const Value& limit) {
  auto* node = makeNode<FetchNode>(astNodeFetch, keyword.line);
  node->cursor = listOf(cursor);
  node->bulkCollect = static_cast<uint8_t>(bulkCollect.code);
  node->into = listOf(into);
  node->limit = listOf(limit);
  return nodeValue(node);
}

Value buildClose(ParseContext*, const Value& keyword, const Value& cursor) {
  auto* node = makeNode<CloseNode>(astNodeClose, keyword.line);
  node->cursor = listOf(cursor);
  return nodeValue(node);
}

Value buildPipe(ParseContext*, const Value& keyword, const Value& value) {
  auto* node = makeNode<PipeNode>(astNodePipe, keyword.line);
  node->value = listOf(value);
  return nodeValue(node);
}

Value beginCursorFor(ParseContext* ctx, const Value& cursor) {
  setCommentBeforeSemicolon(ctx, true);
  return cursor;
}

Value buildOpen(ParseContext*, const Value& keyword, const Value& cursor) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = listOf(cursor);
  return nodeValue(node);
}

Value buildOpenWithArgs(ParseContext*, const Value& keyword, const Value& cursor, const Value& arguments) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = listOf(cursor);
  node->arguments = listOf(arguments);
  return nodeValue(node);
}

// OPEN c FOR SELECT ...: the operand is the astNodeSelect itself, not a token list; readers of `query`
// tell the two apart by the node's kind.
Value buildOpenForSelect(ParseContext*, const Value& keyword, const Value& cursor, const Value& select) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = listOf(cursor);
  node->query = valueAs<AstNode>(select);
  return nodeValue(node);
}

Value buildOpenForSelectWithComment(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& select,
                                    const Value& comment) {
  return buildOpenForSelect(ctx, keyword, cursor, appendSelectComment(ctx, select, comment));
}

Value buildOpenForText(ParseContext*, const Value& keyword, const Value& cursor, const Value& query,
                       const Value& usingText) {
  auto* node = makeNode<OpenNode>(astNodeOpen, keyword.line);
  node->cursor = listOf(cursor);
  node->query = listOf(query);
  node->using_ = listOf(usingText);
  return nodeValue(node);
}

Value buildOpenForTextWithComment(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& query,
                                  const Value& usingText, const Value& comment) {
  return buildOpenForText(ctx, keyword, cursor, listValue(appendComment(listOf(query), comment)), usingText);
}

Value buildExit(ParseContext*, const Value& keyword, const Value& target, const Value& condition) {
  auto* node = makeNode<ExitNode>(astNodeExit, keyword.line);
  node->target = labelText(target);
  node->condition = listOf(condition);
  return nodeValue(node);
}

Value buildContinue(ParseContext*, const Value& keyword, const Value& target, const Value& condition) {
  auto* node = makeNode<ContinueNode>(astNodeContinue, keyword.line);
  node->target = labelText(target);
  node->condition = listOf(condition);
  return nodeValue(node);
}

Value buildGoto(ParseContext*, const Value& keyword, const Value& label) {
  auto* node = makeNode<GotoNode>(astNodeGoto, keyword.line);
  node->target = listOf(label);
  return nodeValue(node);
}

Value buildNull(ParseContext*, const Value& keyword) {
  return nodeValue(makeNode<NullNode>(astNodeNull, keyword.line));
}

Value buildReturn(ParseContext*, const Value& keyword, const Value& value) {
  auto* node = makeNode<ReturnNode>(astNodeReturn, keyword.line);
  node->value = listOf(value);
  return nodeValue(node);
}

Value buildCase(ParseContext*, const Value& keyword, const Value& selector, const Value& whenClauses,
                const Value& elseClause) {
  auto* node = makeNode<CaseNode>(astNodeCase, keyword.line);
  node->selector = listOf(selector);
  node->whenClauses = listOf(whenClauses);
  node->elseClause = valueAs<CaseExprNode>(elseClause);
  return nodeValue(node);
}

Value buildSearchedCase(ParseContext*, const Value& keyword, const Value& whenClauses, const Value& elseClause) {
  auto* node = makeNode<CaseNode>(astNodeCase, keyword.line);
  node->whenClauses = listOf(whenClauses);
  node->elseClause = valueAs<CaseExprNode>(elseClause);
  return nodeValue(node);
}

Value buildCaseWhen(ParseContext*, const Value& keyword, const Value& condition, const Value& statements) {
  auto* node = makeNode<CaseExprNode>(astNodeCaseExpr, keyword.line);
  node->condition = listOf(condition);
  node->statements = listOf(statements);
  return nodeValue(node);
}

Value buildCaseElse(ParseContext*, const Value& keyword, const Value& statements) {
  auto* node = makeNode<CaseExprNode>(astNodeCaseExpr, keyword.line);
  node->statements = listOf(statements);
  return nodeValue(node);
}

Value buildDynamic(ParseContext*, const Value& keyword, const Value& statement, const Value& bulkCollect,
                   const Value& into, const Value& usingParams, const Value& returning) {
  auto* node = makeNode<DynamicNode>(astNodeDynamic, keyword.line);
  node->statement = listOf(statement);
  node->bulkCollect = static_cast<uint8_t>(bulkCollect.code);
  node->into = listOf(into);
  node->using_ = listOf(usingParams);
  node->returning = listOf(returning);
  return nodeValue(node);
}

Value buildUsingParam(ParseContext*, const Value& mode, const Value& line, const Value& value) {
  auto* node = makeNode<UsingParam>(astNodeUsingParam, line.line);
  node->mode = static_cast<ArgMode>(mode.code);
  node->value = listOf(value);
  return nodeValue(node);
}

Value buildRaise(ParseContext*, const Value& keyword, const Value& name) {
  auto* node = makeNode<RaiseNode>(astNodeRaise, keyword.line);
  node->exceptionName = listOf(name);
  return nodeValue(node);
}

Value buildReraise(ParseContext*, const Value& keyword) {
  return nodeValue(makeNode<RaiseNode>(astNodeRaise, keyword.line));
}

Value buildSelect(ParseContext*, const Value& cte, const Value& keyword, const Value& selectList,
                  const Value& bulkCollect, const Value& into, const Value& fromClause) {
  auto* node = makeNode<SelectNode>(astNodeSelect, keyword.line);
  node->cte = listOf(cte);
  node->selectList = listOf(selectList);
  node->bulkCollect = static_cast<uint8_t>(bulkCollect.code);
  node->into = listOf(into);
  node->fromClause = listOf(fromClause);
  return nodeValue(node);
}

Value beginSelectRest(ParseContext* ctx, const Value& into) {
  setCommentBeforeSemicolon(ctx, true);
  return into;
}

Value checkFromClause(ParseContext* ctx, const Value& rest) {
  return checked(ctx, listOf(rest), "Missing FROM clause");
}

Value appendSelectComment(ParseContext*, const Value& select, const Value& comment) {
  auto* node = valueAs<SelectNode>(select);
  node->fromClause = appendComment(node->fromClause, comment);
  return select;
}

Value buildSqlStmt(ParseContext*, const Value& keyword, int code, const Value& rest) {
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
  node->rest = listOf(rest);
  return nodeValue(node);
}

Value buildStartTransaction(ParseContext*, const Value& keyword) {
  auto* node = makeNode<SqlStmtNode>(astNodeSqlStmt, keyword.line);
  node->verb = ctxStrdup("START TRANSACTION");
  node->verbCode = T_START;
  return nodeValue(node);
}

Value finishEmbeddedSql(ParseContext* ctx, const Value& statement) {
  setCommentBeforeSemicolon(ctx, false);
  return statement;
}

Value finishSqlStmtWithComment(ParseContext* ctx, const Value& statement, const Value& comment) {
  setCommentBeforeSemicolon(ctx, false);
  auto* node = valueAs<SqlStmtNode>(statement);
  node->rest = appendComment(node->rest, comment);
  return statement;
}

Value buildHandler(ParseContext*, const Value& keyword, const Value& conditions, const Value& statements) {
  auto* node = makeNode<HandlerNode>(astNodeHandler, keyword.line);
  node->conditions = listOf(conditions);
  node->statements = listOf(statements);
  return nodeValue(node);
}

// ---- readers ----

Value readUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';'), missingExpression);
}

Value readUntilSemiOrComment(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_COMMENT_SEMI), missingExpression);
}

Value readOptionalUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return listValue(runReader(ctx, slot, lookahead, ';'));
}

Value readUntilThen(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_THEN), missingExpression);
}

Value readUntilSelect(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_SELECT), missingExpression);
}

Value readUntilUsing(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_USING, T_COMMENT_SEMI, ';'), missingExpression);
}

// LOOP is consumed here, so the loop body rule starts with the statements.
Value readLoopRange(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  int endToken = 0;
  AstList* range = collectTokensUntil(ctx, slot, stopDropped, readerFirstToken(*lookahead), &endToken, T_LOOP);
  *lookahead = YYEMPTY;
  if (range == nullptr) reportSyntaxError(ctx, missingExpression);
  if (endToken != T_LOOP) reportSyntaxError(ctx, "Unexpected token");
  return listValue(range);
}

Value readForallLowerBound(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_DOTDOT), missingExpression);
}

Value readForallUpperBound(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_UPDATE, T_DELETE, T_INSERT, T_EXECUTE), missingExpression);
}

Value readImmediateText(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_USING, T_INTO, T_RETURNING, T_RETURN, T_BULK),
                 missingStatement);
}

Value readDynamicInto(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_USING, T_RETURNING, T_RETURN), missingStatement);
}

Value readFetchInto(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_LIMIT), missingStatement);
}

Value readUsingValue(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';', T_COMMA, T_RETURNING, T_RETURN), missingExpression);
}

Value readReturnClause(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, ';'), missingExpression);
}

Value readSelectList(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_INTO, T_FROM, T_BULK), "Missing SELECT expression");
}

Value readSelectInto(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return checked(ctx, runReader(ctx, slot, lookahead, T_FROM), "Missing INTO clause");
}

Value readUntilRparen(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return listValue(runReader(ctx, slot, lookahead, ')'));
}

// The scanner hands commas over as T_COMMA, so the ',' stop never fires: a comma at depth 0 stays in
// the argument's text, which reads the same once written out.
Value readArgumentRest(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  return listValue(runReader(ctx, slot, lookahead, ')', ','));
}
