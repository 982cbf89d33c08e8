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
  if (select->cte != nullptr) emitTokens(select->cte, "WITH ", " ", ctx);
  emitTokens(select->selectList, "SELECT ", "", ctx);
  if (select->into != nullptr) emitTokens(select->into, " INTO ", "", ctx);
  emitTokens(select->fromClause, " FROM ", "", ctx);
}

void emitTokenLists(AstList* lists, EmitContext* ctx) {
  bool first = true;
  for (AstListCell* cell = listHeadCell(lists); cell != nullptr; cell = cell->next) {
    emitTokens(static_cast<AstList*>(cell->item), first ? "" : ", ", nullptr, ctx);
    first = false;
  }
}

// "SET target = value;" after the statement start was written.
void emitAssignText(AssignNode* assign, EmitContext* ctx) {
  emitTokens(assign->target, "SET ", "", ctx);
  if (assign->targetIndex != nullptr) emitTokens(assign->targetIndex, "[", "]", ctx);
  if (assign->targetField != nullptr) emitTokens(assign->targetField, ".", "", ctx);
  emitStrings({" = "}, ctx);
  AstNode* value = assign->value;
  if (value != nullptr && value->kind == astNodeSelect) {
    // A query assigned is a cursor value the host can open later.
    emitStrings({"CURSOR WITH HOLD FOR "}, ctx);
    emitQuery(static_cast<SelectNode*>(value), ctx);
  } else {
    emitTokens(assign->value, "", "", ctx);
  }
  emitStrings({";\n"}, ctx);
}

}  // namespace

// x := y + 1;  ->  SET x = y + 1;
void emitAssign(AstNode* node, EmitContext* ctx) {
  auto* assign = static_cast<AssignNode*>(node);
  if (assign->replacement != nullptr) {
    emitNode(assign->replacement, ctx);
    return;
  }
  beginStatement(node, ctx);
  emitAssignText(assign, ctx);
}

// IF a THEN ... ELSIF b THEN ... ELSE ... END IF;  ->  the same, ELSIF spelt ELSEIF
void emitIf(AstNode* node, EmitContext* ctx) {
  auto* ifNode = static_cast<IfNode*>(node);
  emitStrings({"\n"}, ctx);
  beginStatement(node, ctx);
  emitTokens(ifNode->condition, "IF ", " THEN\n", ctx);
  emitNested(ifNode->thenStatements, ctx);
  emitNode(ifNode->elsifs, ctx);
  if (ifNode->elseStatements != nullptr) {
    emitIndent(ctx);
    emitStrings({"ELSE\n"}, ctx);
    emitNested(ifNode->elseStatements, ctx);
  }
  emitIndent(ctx);
  emitStrings({"END IF;\n\n"}, ctx);
}

// ELSIF b THEN ...  ->  ELSEIF b THEN ...
void emitElseIf(AstNode* node, EmitContext* ctx) {
  // The arms form a chain; walk it here rather than recursing once per ELSIF.
  for (auto* arm = static_cast<ElseIfNode*>(node); arm != nullptr; arm = arm->next) {
    emitIndent(ctx);
    emitTokens(arm->condition, "ELSEIF ", " THEN\n", ctx);
    emitNested(arm->statements, ctx);
  }
}

// CASE x WHEN 1 THEN ... ELSE ... END CASE;  ->  the same
void emitCase(AstNode* node, EmitContext* ctx) {
  auto* caseNode = static_cast<CaseNode*>(node);
  emitStrings({"\n"}, ctx);
  beginStatement(node, ctx);
  emitTokens(caseNode->selector, "CASE ", "\n", ctx);
  {
    const NestedLevel nested(ctx);
    emitNode(caseNode->whenClauses, ctx);
    emitNode(caseNode->elseClause, ctx);
  }
  emitIndent(ctx);
  emitStrings({"END CASE;\n\n"}, ctx);
}

// WHEN 1 THEN ...  ->  WHEN 1 THEN ...; ELSE ...  ->  ELSE ...
void emitCaseExpr(AstNode* node, EmitContext* ctx) {
  auto* arm = static_cast<CaseExprNode*>(node);
  emitIndent(ctx);
  if (arm->condition != nullptr) {
    emitTokens(arm->condition, "WHEN ", " THEN\n", ctx);
  } else {
    emitStrings({"ELSE ", "\n"}, ctx);
  }
  emitNested(arm->statements, ctx);
}

// <<l>> LOOP ... END LOOP;  ->  l: LOOP ... END LOOP l;
void emitLoop(AstNode* node, EmitContext* ctx) {
  auto* loop = static_cast<LoopNode*>(node);
  emitStrings({"\n"}, ctx);
  beginStatement(node, ctx);
  emitStrings({"LOOP\n"}, ctx);
  emitNested(loop->statements, ctx);
  emitIndent(ctx);
  if (loop->label != nullptr) {
    emitStrings({"END LOOP ", loop->label, ";\n\n"}, ctx);
  } else {
    emitStrings({"END LOOP;\n\n"}, ctx);
  }
}

// WHILE c LOOP ... END LOOP;  ->  WHILE c DO ... END WHILE;
void emitWhile(AstNode* node, EmitContext* ctx) {
  auto* loop = static_cast<WhileNode*>(node);
  emitStrings({"\n"}, ctx);
  beginStatement(node, ctx);
  emitTokens(loop->condition, "WHILE ", " DO\n", ctx);
  emitNested(loop->statements, ctx);
  emitIndent(ctx);
  emitStrings({"END WHILE;\n", "\n"}, ctx);
}

// FOR i IN 1 .. n LOOP ... END LOOP;  ->  the WHILE loop or block the transformer made of it
void emitFor(AstNode* node, EmitContext* ctx) { emitNode(static_cast<ForNode*>(node)->replacement, ctx); }

// EXIT l WHEN c;  ->  IF c THEN LEAVE l; END IF;
void emitExit(AstNode* node, EmitContext* ctx) {
  auto* exit = static_cast<ExitNode*>(node);
  beginStatement(node, ctx);
  if (exit->condition != nullptr) {
    emitTokens(exit->condition, "IF ", " THEN ", ctx);
    emitStrings({"LEAVE ", labelText(exit->target), "; END IF;\n"}, ctx);
  } else {
    emitStrings({"LEAVE ", labelText(exit->target), ";\n"}, ctx);
  }
}

// CONTINUE l WHEN c;  ->  IF c THEN ITERATE l; END IF;
void emitContinue(AstNode* node, EmitContext* ctx) {
  auto* next = static_cast<ContinueNode*>(node);
  beginStatement(node, ctx);
  if (next->condition != nullptr) emitTokens(next->condition, "IF ", " THEN ", ctx);
  // A loop generated from a FOR keeps its increment as a labelled statement: ITERATE would skip it.
  const char* inner = continueTargetLabel(next->loopTarget);
  if (inner != nullptr) {
    emitStrings({"GOTO ", inner}, ctx);
  } else {
    emitStrings({"ITERATE ", labelText(next->target)}, ctx);
  }
  emitStrings({next->condition != nullptr ? "; END IF;\n" : ";\n"}, ctx);
}

// GOTO done;  ->  GOTO done;
void emitGoto(AstNode* node, EmitContext* ctx) {
  beginStatement(node, ctx);
  emitTokens(static_cast<GotoNode*>(node)->target, "GOTO ", ";\n", ctx);
}

// NULL;  ->  -- NULL;    <<l>> NULL;  ->  l: BEGIN /* NULL */ END;
void emitNull(AstNode* node, EmitContext* ctx) {
  auto* null = static_cast<NullNode*>(node);
  beginStatement(node, ctx);
  if (null->label != nullptr) {
    // A label needs a statement to stand on; an empty compound statement is the host's no-op.
    if (null->comment != nullptr) {
      emitStrings({"BEGIN /* ", null->comment, " */ END;\n"}, ctx);
    } else {
      emitStrings({"BEGIN /* NULL */ END;\n"}, ctx);
    }
    return;
  }
  if (null->comment != nullptr) {
    emitStrings({"-- ", null->comment, "\n"}, ctx);
  } else {
    emitStrings({"-- NULL;\n"}, ctx);
  }
}

// RETURN x;  ->  RETURN x;
void emitReturn(AstNode* node, EmitContext* ctx) {
  beginStatement(node, ctx);
  emitTokens(static_cast<ReturnNode*>(node)->value, "RETURN ", ";\n", ctx);
}

// PIPE ROW (r);  ->  PIPE (r);
void emitPipe(AstNode* node, EmitContext* ctx) {
  beginStatement(node, ctx);
  emitTokens(static_cast<PipeNode*>(node)->value, "PIPE ", ";\n", ctx);
}

// CLOSE c;  ->  CLOSE c;
void emitClose(AstNode* node, EmitContext* ctx) {
  beginStatement(node, ctx);
  emitTokens(static_cast<CloseNode*>(node)->cursor, "CLOSE ", ";\n", ctx);
}

// SELECT a INTO x FROM t;  ->  the same; with BULK COLLECT, the fetch loop that replaced it
// A BULK COLLECT select or fetch is written as the block that replaced it, after the statement's own
// start (its label); the block then starts itself as any block does.
void emitSelect(AstNode* node, EmitContext* ctx) {
  auto* select = static_cast<SelectNode*>(node);
  beginStatement(node, ctx);
  if (select->bulkCollect) {
    emitNode(select->generated, ctx);
    return;
  }
  emitQuery(select, ctx);
  emitStrings({";\n"}, ctx);
}

// FETCH c INTO x;  ->  FETCH c INTO x;
void emitFetch(AstNode* node, EmitContext* ctx) {
  auto* fetch = static_cast<FetchNode*>(node);
  beginStatement(node, ctx);
  if (fetch->replacement != nullptr) {
    emitNode(fetch->replacement, ctx);
    return;
  }
  emitTokens(fetch->cursor, "FETCH ", "", ctx);
  emitTokens(fetch->into, " INTO ", ";\n", ctx);
}

// OPEN c FOR q USING a;  ->  SET c = ...; PREPARE s FROM ...; OPEN c USING a;
// The OPEN FOR forms are written from what the cursor rewrite leaves: its cursor assignment (the
// replacement), its PREPARE, then the OPEN itself, one line each. The OPEN's label names the whole
// sequence, so it stands once, on the first line.
void emitOpen(AstNode* node, EmitContext* ctx) {
  auto* open = static_cast<OpenNode*>(node);
  beginStatement(node, ctx);
  // The OPEN's start (its label) comes first; the cursor assignment is then written as any assignment
  // is, with its own start, and the OPEN itself follows the assignment or the PREPARE directly, with no
  // indentation of its own.
  if (open->replacement != nullptr && open->replacement->kind == astNodeAssign) emitAssign(open->replacement, ctx);
  if (open->prepare != nullptr) emitPrepare(open->prepare, ctx);
  emitTokens(open->cursor, "OPEN ", "", ctx);
  if (open->using_ != nullptr) emitTokens(open->using_, " USING ", "", ctx);
  if (open->arguments != nullptr) emitTokens(open->arguments, "(", ")", ctx);
  if (open->tail != nullptr) emitTokens(open->tail, "", "", ctx);
  emitStrings({";\n"}, ctx);
}

// EXECUTE IMMEDIATE 'COMMIT';  ->  EXECUTE IMMEDIATE 'COMMIT';
void emitDynamic(AstNode* node, EmitContext* ctx) {
  auto* dynamic = static_cast<DynamicNode*>(node);
  if (dynamic->replacement != nullptr) {
    emitNode(dynamic->replacement, ctx);
    return;
  }
  beginStatement(node, ctx);
  emitTokens(dynamic->statement, "EXECUTE IMMEDIATE ", ";\n", ctx);
}

// (generated)  ->  PREPARE s FROM text;
void emitPrepare(AstNode* node, EmitContext* ctx) {
  auto* prepare = static_cast<PrepareNode*>(node);
  beginStatement(node, ctx);
  emitStrings({"PREPARE ", prepare->statementName, " FROM "}, ctx);
  if (prepare->sourceText != nullptr) {
    emitStrings({prepare->sourceText, ";\n"}, ctx);
  } else {
    emitTokens(prepare->source, "", ";\n", ctx);
  }
}

// (generated)  ->  EXECUTE s INTO x USING a;
void emitExecute(AstNode* node, EmitContext* ctx) {
  auto* execute = static_cast<ExecuteNode*>(node);
  beginStatement(node, ctx);
  emitStrings({"EXECUTE ", execute->statementName}, ctx);
  if (execute->into != nullptr) emitTokens(execute->into, " INTO ", "", ctx);
  if (execute->using_ != nullptr) emitTokens(execute->using_, " USING ", "", ctx);
  emitStrings({";\n"}, ctx);
}

// p(1);  ->  CALL p(1);
void emitCall(AstNode* node, EmitContext* ctx) {
  auto* call = static_cast<CallNode*>(node);
  if (call->replacement != nullptr) {
    emitNode(call->replacement, ctx);
    return;
  }
  beginStatement(node, ctx);
  emitTokens(call->name, "CALL ", "", ctx);
  if (call->arguments != nullptr) emitTokens(call->arguments, "(", ")", ctx);
  emitStrings({";\n"}, ctx);
}

// (generated)  ->  GET DIAGNOSTICS x = ROW_COUNT;
void emitGetDiag(AstNode* node, EmitContext* ctx) {
  auto* diag = static_cast<GetDiagNode*>(node);
  beginStatement(node, ctx);
  emitTokens(diag->target, diag->diagKind == diagCondition ? "GET DIAGNOSTICS EXCEPTION 1 " : "GET DIAGNOSTICS ", "",
             ctx);
  emitTokens(diag->item, " = ", ";\n", ctx);
}

// RAISE e;  ->  SIGNAL e;    RAISE NO_DATA_FOUND;  ->  SIGNAL SQLSTATE 'ORANF';    RAISE;  ->  RESIGNAL;
void emitRaise(AstNode* node, EmitContext* ctx) {
  auto* raise = static_cast<RaiseNode*>(node);
  beginStatement(node, ctx);
  if (raise->sqlstate == nullptr) {
    emitStrings({"RESIGNAL;\n"}, ctx);
  } else if (raise->isPredefined) {
    emitStrings({"SIGNAL SQLSTATE '", raise->sqlstate, "';\n"}, ctx);
  } else {
    emitStrings({"SIGNAL ", raise->sqlstate, ";\n"}, ctx);
  }
}

// (generated)  ->  SIGNAL SQLSTATE 'UD001' SET MESSAGE_TEXT = m;
void emitSignal(AstNode* node, EmitContext* ctx) {
  auto* signal = static_cast<SignalNode*>(node);
  beginStatement(node, ctx);
  if (signal->isResignal) {
    emitStrings({"RESIGNAL"}, ctx);
  } else {
    emitStrings({"SIGNAL SQLSTATE '", labelText(signal->sqlstate), "'"}, ctx);
    if (signal->message != nullptr) emitTokens(signal->message, " SET MESSAGE_TEXT = ", "", ctx);
  }
  emitStrings({";\n"}, ctx);
}

// (generated)  ->  VALUES(a, b) INTO x, y;
void emitValues(AstNode* node, EmitContext* ctx) {
  auto* values = static_cast<ValuesNode*>(node);
  beginStatement(node, ctx);
  emitStrings({"VALUES("}, ctx);
  emitTokenLists(values->expressions, ctx);
  emitStrings({") INTO "}, ctx);
  emitTokenLists(values->into, ctx);
  emitStrings({";\n"}, ctx);
}

// WHEN e1 OR e2 THEN ...  ->  DECLARE EXIT HANDLER FOR e1 ...  DECLARE EXIT HANDLER FOR e2 ...
void emitHandler(AstNode* node, EmitContext* ctx) {
  auto* handler = static_cast<HandlerNode*>(node);
  // WHEN a OR b THEN: the host takes one condition per handler, so each gets its own copy of the body.
  for (AstListCell* cell = listHeadCell(handler->conditions); cell != nullptr; cell = cell->next) {
    beginStatement(node, ctx);
    emitStrings({handler->handlerKind == handlerExit ? "DECLARE EXIT HANDLER FOR " : "DECLARE CONTINUE HANDLER FOR "},
                ctx);
    emitNode(static_cast<AstNode*>(cell->item), ctx);
    emitStrings({"\n"}, ctx);
    emitNested(handler->statements, ctx);
  }
}

// UPDATE t SET a = 1 RETURNING b INTO x;  ->  SELECT b FROM NEW TABLE (UPDATE t SET a = 1) ...
void emitSqlStmt(AstNode* node, EmitContext* ctx) {
  auto* sql = static_cast<SqlStmtNode*>(node);
  beginStatement(node, ctx);
  const bool isDml = sql->verbCode == T_INSERT || sql->verbCode == T_UPDATE || sql->verbCode == T_DELETE;
  if (isDml && sql->returning != nullptr) {
    // RETURNING becomes a query over the rows the statement changed.
    emitTokens(sql->returning, "SELECT ", sql->verbCode == T_DELETE ? " FROM OLD TABLE (" : " FROM NEW TABLE (", ctx);
    emitStrings({sql->verb, " "}, ctx);
    emitTokens(sql->rest, "", "", ctx);
    emitStrings({")"}, ctx);
  } else {
    emitStrings({sql->verb, " "}, ctx);
    emitTokens(sql->rest, "", "", ctx);
  }
  if (sql->scope != nullptr) {
    emitStrings({";\n"}, ctx);
    return;
  }
  emitStrings({ctx->terminator, "\n"}, ctx);
  finishStatement(SQLEXC_SQL_STMT, ctx);
}
