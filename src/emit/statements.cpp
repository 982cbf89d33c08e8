// statements.cpp - the text of every statement inside a routine, block or handler. The transformer has
// already rewritten what the host lacks; a statement with a `replacement` is written as that instead.
// Statements end with ";\n" themselves, so lists need no separators. Conditional and loop statements
// open with a blank line to set them apart from the straight-line code around them.
#include "emit/emit_context.h"

#include "lexer/token_codes.h"

namespace {

// Writes `statements` one level in, whatever the current depth: the host text has a single indent.
void emitNested(AstNode* statements, EmitContext* ctx) {
  const NestedLevel nested(ctx);
  emitNode(statements, ctx);
}

// Label texts come from the transformer; an unresolved one is written empty rather than cutting the
// line short.
const char* labelText(const char* label) { return label != nullptr ? label : ""; }

const char* continueTargetLabel(const AstNode* loop) {
  if (loop == nullptr) return nullptr;
  const AstNode* inner = nullptr;
  if (loop->kind == astNodeLoop) {
    inner = static_cast<const LoopNode*>(loop)->continueTarget;
  } else if (loop->kind == astNodeWhile) {
    inner = static_cast<const WhileNode*>(loop)->continueTarget;
  } else if (loop->kind == astNodeFor) {
    inner = static_cast<const ForNode*>(loop)->continueTarget;
  }
  if (inner == nullptr || !isStatementNode(inner)) return nullptr;
  return static_cast<const StatementNode*>(inner)->label;
}

// A query as written, WITH to FROM, with nothing after it.
void emitQuery(SelectNode* select, EmitContext* ctx) {
  if (select->cte != nullptr) emitTokens(select->cte, ctx, "WITH ", " ");
  emitTokens(select->selectList, ctx, "SELECT ", "");
  if (select->into != nullptr) emitTokens(select->into, ctx, " INTO ", "");
  emitTokens(select->fromClause, ctx, " FROM ", "");
}

void emitTokenLists(AstList* lists, EmitContext* ctx) {
  bool first = true;
  for (AstListCell* cell = listHeadCell(lists); cell != nullptr; cell = cell->next) {
    emitTokens(static_cast<AstList*>(cell->item), ctx, first ? "" : ", ", nullptr);
    first = false;
  }
}

// "SET target = value;" after the statement start was written.
void emitAssignText(AssignNode* assign, EmitContext* ctx) {
  emitTokens(assign->target, ctx, "SET ", "");
  if (assign->targetIndex != nullptr) emitTokens(assign->targetIndex, ctx, "[", "]");
  if (assign->targetField != nullptr) emitTokens(assign->targetField, ctx, ".", "");
  emitStrings(ctx, {" = "});
  AstNode* value = assign->value;
  if (value != nullptr && value->kind == astNodeSelect) {
    // A query assigned is a cursor value the host can open later.
    emitStrings(ctx, {"CURSOR WITH HOLD FOR "});
    emitQuery(static_cast<SelectNode*>(value), ctx);
  } else {
    emitTokens(assign->value, ctx, "", "");
  }
  emitStrings(ctx, {";\n"});
}

}  // namespace

// x := y + 1;  ->  SET x = y + 1;
void emitAssign(AstNode* node, EmitContext* ctx) {
  auto* assign = static_cast<AssignNode*>(node);
  if (assign->replacement != nullptr) {
    emitNode(assign->replacement, ctx);
    return;
  }
  beginStatement(ctx, node);
  emitAssignText(assign, ctx);
}

// IF a THEN ... ELSIF b THEN ... ELSE ... END IF;  ->  the same, ELSIF spelt ELSEIF
void emitIf(AstNode* node, EmitContext* ctx) {
  auto* ifNode = static_cast<IfNode*>(node);
  emitStrings(ctx, {"\n"});
  beginStatement(ctx, node);
  emitTokens(ifNode->condition, ctx, "IF ", " THEN\n");
  emitNested(ifNode->thenStatements, ctx);
  emitNode(ifNode->elsifs, ctx);
  if (ifNode->elseStatements != nullptr) {
    emitIndent(ctx);
    emitStrings(ctx, {"ELSE\n"});
    emitNested(ifNode->elseStatements, ctx);
  }
  emitIndent(ctx);
  emitStrings(ctx, {"END IF;\n\n"});
}

// ELSIF b THEN ...  ->  ELSEIF b THEN ...
void emitElseIf(AstNode* node, EmitContext* ctx) {
  // The arms form a chain; walk it here rather than recursing once per ELSIF.
  for (auto* arm = static_cast<ElseIfNode*>(node); arm != nullptr; arm = arm->next) {
    emitIndent(ctx);
    emitTokens(arm->condition, ctx, "ELSEIF ", " THEN\n");
    emitNested(arm->statements, ctx);
  }
}

// CASE x WHEN 1 THEN ... ELSE ... END CASE;  ->  the same
void emitCase(AstNode* node, EmitContext* ctx) {
  auto* caseNode = static_cast<CaseNode*>(node);
  emitStrings(ctx, {"\n"});
  beginStatement(ctx, node);
  emitTokens(caseNode->selector, ctx, "CASE ", "\n");
  {
    const NestedLevel nested(ctx);
    emitNode(caseNode->whenClauses, ctx);
    emitNode(caseNode->elseClause, ctx);
  }
  emitIndent(ctx);
  emitStrings(ctx, {"END CASE;\n\n"});
}

// WHEN 1 THEN ...  ->  WHEN 1 THEN ...; ELSE ...  ->  ELSE ...
void emitCaseExpr(AstNode* node, EmitContext* ctx) {
  auto* arm = static_cast<CaseExprNode*>(node);
  emitIndent(ctx);
  if (arm->condition != nullptr) {
    emitTokens(arm->condition, ctx, "WHEN ", " THEN\n");
  } else {
    emitStrings(ctx, {"ELSE ", "\n"});
  }
  emitNested(arm->statements, ctx);
}

// <<l>> LOOP ... END LOOP;  ->  l: LOOP ... END LOOP l;
void emitLoop(AstNode* node, EmitContext* ctx) {
  auto* loop = static_cast<LoopNode*>(node);
  emitStrings(ctx, {"\n"});
  beginStatement(ctx, node);
  emitStrings(ctx, {"LOOP\n"});
  emitNested(loop->statements, ctx);
  emitIndent(ctx);
  if (loop->label != nullptr) {
    emitStrings(ctx, {"END LOOP ", loop->label, ";\n\n"});
  } else {
    emitStrings(ctx, {"END LOOP;\n\n"});
  }
}

// WHILE c LOOP ... END LOOP;  ->  WHILE c DO ... END WHILE;
void emitWhile(AstNode* node, EmitContext* ctx) {
  auto* loop = static_cast<WhileNode*>(node);
  emitStrings(ctx, {"\n"});
  beginStatement(ctx, node);
  emitTokens(loop->condition, ctx, "WHILE ", " DO\n");
  emitNested(loop->statements, ctx);
  emitIndent(ctx);
  emitStrings(ctx, {"END WHILE;\n", "\n"});
}

// FOR i IN 1 .. n LOOP ... END LOOP;  ->  the WHILE loop or block the transformer made of it
void emitFor(AstNode* node, EmitContext* ctx) { emitNode(static_cast<ForNode*>(node)->replacement, ctx); }

// EXIT l WHEN c;  ->  IF c THEN LEAVE l; END IF;
void emitExit(AstNode* node, EmitContext* ctx) {
  auto* exit = static_cast<ExitNode*>(node);
  beginStatement(ctx, node);
  if (exit->condition != nullptr) {
    emitTokens(exit->condition, ctx, "IF ", " THEN ");
    emitStrings(ctx, {"LEAVE ", labelText(exit->target), "; END IF;\n"});
  } else {
    emitStrings(ctx, {"LEAVE ", labelText(exit->target), ";\n"});
  }
}

// CONTINUE l WHEN c;  ->  IF c THEN ITERATE l; END IF;
void emitContinue(AstNode* node, EmitContext* ctx) {
  auto* next = static_cast<ContinueNode*>(node);
  beginStatement(ctx, node);
  if (next->condition != nullptr) emitTokens(next->condition, ctx, "IF ", " THEN ");
  // A loop generated from a FOR keeps its increment as a labelled statement: ITERATE would skip it.
  const char* inner = continueTargetLabel(next->loopTarget);
  if (inner != nullptr) {
    emitStrings(ctx, {"GOTO ", inner});
  } else {
    emitStrings(ctx, {"ITERATE ", labelText(next->target)});
  }
  emitStrings(ctx, {next->condition != nullptr ? "; END IF;\n" : ";\n"});
}

// GOTO done;  ->  GOTO done;
void emitGoto(AstNode* node, EmitContext* ctx) {
  beginStatement(ctx, node);
  emitTokens(static_cast<GotoNode*>(node)->target, ctx, "GOTO ", ";\n");
}

// NULL;  ->  -- NULL;    <<l>> NULL;  ->  l: BEGIN /* NULL */ END;
void emitNull(AstNode* node, EmitContext* ctx) {
  auto* null = static_cast<NullNode*>(node);
  beginStatement(ctx, node);
  if (null->label != nullptr) {
    // A label needs a statement to stand on; an empty compound statement is the host's no-op.
    if (null->comment != nullptr) {
      emitStrings(ctx, {"BEGIN /* ", null->comment, " */ END;\n"});
    } else {
      emitStrings(ctx, {"BEGIN /* NULL */ END;\n"});
    }
    return;
  }
  if (null->comment != nullptr) {
    emitStrings(ctx, {"-- ", null->comment, "\n"});
  } else {
    emitStrings(ctx, {"-- NULL;\n"});
  }
}

// RETURN x;  ->  RETURN x;
void emitReturn(AstNode* node, EmitContext* ctx) {
  beginStatement(ctx, node);
  emitTokens(static_cast<ReturnNode*>(node)->value, ctx, "RETURN ", ";\n");
}

// PIPE ROW (r);  ->  PIPE (r);
void emitPipe(AstNode* node, EmitContext* ctx) {
  beginStatement(ctx, node);
  emitTokens(static_cast<PipeNode*>(node)->value, ctx, "PIPE ", ";\n");
}

// CLOSE c;  ->  CLOSE c;
void emitClose(AstNode* node, EmitContext* ctx) {
  beginStatement(ctx, node);
  emitTokens(static_cast<CloseNode*>(node)->cursor, ctx, "CLOSE ", ";\n");
}

// SELECT a INTO x FROM t;  ->  the same; with BULK COLLECT, the fetch loop that replaced it
// A BULK COLLECT select or fetch is written as the block that replaced it, after the statement's own
// start (its label); the block then starts itself as any block does.
void emitSelect(AstNode* node, EmitContext* ctx) {
  auto* select = static_cast<SelectNode*>(node);
  beginStatement(ctx, node);
  if (select->bulkCollect) {
    emitNode(select->generated, ctx);
    return;
  }
  emitQuery(select, ctx);
  emitStrings(ctx, {";\n"});
}

// FETCH c INTO x;  ->  FETCH c INTO x;
void emitFetch(AstNode* node, EmitContext* ctx) {
  auto* fetch = static_cast<FetchNode*>(node);
  beginStatement(ctx, node);
  if (fetch->replacement != nullptr) {
    emitNode(fetch->replacement, ctx);
    return;
  }
  emitTokens(fetch->cursor, ctx, "FETCH ", "");
  emitTokens(fetch->into, ctx, " INTO ", ";\n");
}

// OPEN c FOR q USING a;  ->  SET c = ...; PREPARE s FROM ...; OPEN c USING a;
// The OPEN FOR forms are written from what the cursor rewrite leaves: its cursor assignment (the
// replacement), its PREPARE, then the OPEN itself, one line each. The OPEN's label names the whole
// sequence, so it stands once, on the first line.
void emitOpen(AstNode* node, EmitContext* ctx) {
  auto* open = static_cast<OpenNode*>(node);
  beginStatement(ctx, node);
  // The OPEN's start (its label) comes first; the cursor assignment is then written as any assignment
  // is, with its own start, and the OPEN itself follows the assignment or the PREPARE directly, with no
  // indentation of its own.
  if (open->replacement != nullptr && open->replacement->kind == astNodeAssign) emitAssign(open->replacement, ctx);
  if (open->prepare != nullptr) emitPrepare(open->prepare, ctx);
  emitTokens(open->cursor, ctx, "OPEN ", "");
  if (open->using_ != nullptr) emitTokens(open->using_, ctx, " USING ", "");
  if (open->arguments != nullptr) emitTokens(open->arguments, ctx, "(", ")");
  if (open->tail != nullptr) emitTokens(open->tail, ctx, "", "");
  emitStrings(ctx, {";\n"});
}

// EXECUTE IMMEDIATE 'COMMIT';  ->  EXECUTE IMMEDIATE 'COMMIT';
void emitDynamic(AstNode* node, EmitContext* ctx) {
  auto* dynamic = static_cast<DynamicNode*>(node);
  if (dynamic->replacement != nullptr) {
    emitNode(dynamic->replacement, ctx);
    return;
  }
  beginStatement(ctx, node);
  emitTokens(dynamic->statement, ctx, "EXECUTE IMMEDIATE ", ";\n");
}

// (generated)  ->  PREPARE s FROM text;
void emitPrepare(AstNode* node, EmitContext* ctx) {
  auto* prepare = static_cast<PrepareNode*>(node);
  beginStatement(ctx, node);
  emitStrings(ctx, {"PREPARE ", prepare->statementName, " FROM "});
  if (prepare->sourceText != nullptr) {
    emitStrings(ctx, {prepare->sourceText, ";\n"});
  } else {
    emitTokens(prepare->source, ctx, "", ";\n");
  }
}

// (generated)  ->  EXECUTE s INTO x USING a;
void emitExecute(AstNode* node, EmitContext* ctx) {
  auto* execute = static_cast<ExecuteNode*>(node);
  beginStatement(ctx, node);
  emitStrings(ctx, {"EXECUTE ", execute->statementName});
  if (execute->into != nullptr) emitTokens(execute->into, ctx, " INTO ", "");
  if (execute->using_ != nullptr) emitTokens(execute->using_, ctx, " USING ", "");
  emitStrings(ctx, {";\n"});
}

// p(1);  ->  CALL p(1);
void emitCall(AstNode* node, EmitContext* ctx) {
  auto* call = static_cast<CallNode*>(node);
  if (call->replacement != nullptr) {
    emitNode(call->replacement, ctx);
    return;
  }
  beginStatement(ctx, node);
  emitTokens(call->name, ctx, "CALL ", "");
  if (call->arguments != nullptr) emitTokens(call->arguments, ctx, "(", ")");
  emitStrings(ctx, {";\n"});
}

// (generated)  ->  GET DIAGNOSTICS x = ROW_COUNT;
void emitGetDiag(AstNode* node, EmitContext* ctx) {
  auto* diag = static_cast<GetDiagNode*>(node);
  beginStatement(ctx, node);
  emitTokens(diag->target, ctx, diag->diagKind == diagCondition ? "GET DIAGNOSTICS EXCEPTION 1 " : "GET DIAGNOSTICS ",
             "");
  emitTokens(diag->item, ctx, " = ", ";\n");
}

// RAISE e;  ->  SIGNAL e;    RAISE NO_DATA_FOUND;  ->  SIGNAL SQLSTATE 'ORANF';    RAISE;  ->  RESIGNAL;
void emitRaise(AstNode* node, EmitContext* ctx) {
  auto* raise = static_cast<RaiseNode*>(node);
  beginStatement(ctx, node);
  if (raise->sqlstate == nullptr) {
    emitStrings(ctx, {"RESIGNAL;\n"});
  } else if (raise->isPredefined) {
    emitStrings(ctx, {"SIGNAL SQLSTATE '", raise->sqlstate, "';\n"});
  } else {
    emitStrings(ctx, {"SIGNAL ", raise->sqlstate, ";\n"});
  }
}

// (generated)  ->  SIGNAL SQLSTATE 'UD001' SET MESSAGE_TEXT = m;
void emitSignal(AstNode* node, EmitContext* ctx) {
  auto* signal = static_cast<SignalNode*>(node);
  beginStatement(ctx, node);
  if (signal->isResignal) {
    emitStrings(ctx, {"RESIGNAL"});
  } else {
    emitStrings(ctx, {"SIGNAL SQLSTATE '", labelText(signal->sqlstate), "'"});
    if (signal->message != nullptr) emitTokens(signal->message, ctx, " SET MESSAGE_TEXT = ", "");
  }
  emitStrings(ctx, {";\n"});
}

// (generated)  ->  VALUES(a, b) INTO x, y;
void emitValues(AstNode* node, EmitContext* ctx) {
  auto* values = static_cast<ValuesNode*>(node);
  beginStatement(ctx, node);
  emitStrings(ctx, {"VALUES("});
  emitTokenLists(values->expressions, ctx);
  emitStrings(ctx, {") INTO "});
  emitTokenLists(values->into, ctx);
  emitStrings(ctx, {";\n"});
}

// WHEN e1 OR e2 THEN ...  ->  DECLARE EXIT HANDLER FOR e1 ...  DECLARE EXIT HANDLER FOR e2 ...
void emitHandler(AstNode* node, EmitContext* ctx) {
  auto* handler = static_cast<HandlerNode*>(node);
  // WHEN a OR b THEN: the host takes one condition per handler, so each gets its own copy of the body.
  for (AstListCell* cell = listHeadCell(handler->conditions); cell != nullptr; cell = cell->next) {
    beginStatement(ctx, node);
    emitStrings(ctx,
                {handler->handlerKind == handlerExit ? "DECLARE EXIT HANDLER FOR " : "DECLARE CONTINUE HANDLER FOR "});
    emitNode(static_cast<AstNode*>(cell->item), ctx);
    emitStrings(ctx, {"\n"});
    emitNested(handler->statements, ctx);
  }
}

// UPDATE t SET a = 1 RETURNING b INTO x;  ->  SELECT b FROM NEW TABLE (UPDATE t SET a = 1) ...
void emitSqlStmt(AstNode* node, EmitContext* ctx) {
  auto* sql = static_cast<SqlStmtNode*>(node);
  beginStatement(ctx, node);
  const bool isDml = sql->verbCode == T_INSERT || sql->verbCode == T_UPDATE || sql->verbCode == T_DELETE;
  if (isDml && sql->returning != nullptr) {
    // RETURNING becomes a query over the rows the statement changed.
    emitTokens(sql->returning, ctx, "SELECT ", sql->verbCode == T_DELETE ? " FROM OLD TABLE (" : " FROM NEW TABLE (");
    emitStrings(ctx, {sql->verb, " "});
    emitTokens(sql->rest, ctx, "", "");
    emitStrings(ctx, {")"});
  } else {
    emitStrings(ctx, {sql->verb, " "});
    emitTokens(sql->rest, ctx, "", "");
  }
  if (sql->scope != nullptr) {
    emitStrings(ctx, {";\n"});
    return;
  }
  emitStrings(ctx, {ctx->terminator, "\n"});
  finishStatement(ctx, SQLEXC_SQL_STMT);
}
