// Transformer: the shared name counter, datatype mapping, default hoisting, implicit variables, loop
// targets and the nested-routine limit, on hand-built trees.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "lexer/token_codes.h"
#include "pool/pool.h"
#include "transform/rewrites.h"
#include "transform/transform.h"
#include "transform/transform_context.h"

namespace {

class TransformTest : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery); }
  void TearDown() override { contextRelease(); }

  void transform(AstNode* program) {
    SessionSettings settings = defaultSessionSettings();
    settings.typeMap = unicodeTypeMap;
    transformTree(listNew(program), &settings, &errors);
  }

  RecoveryPoint recovery;
  CompileError* errors = nullptr;
};

AstList* tokens(std::initializer_list<const char*> texts, uint32_t code = T_STRING) {
  AstList* list = nullptr;
  for (const char* text : texts) list = listAppend(list, newTokenNode(code, text, 0));
  return list;
}

std::string joined(const AstList* list) {
  std::string text;
  for (AstListCell* cell = listHeadCell(list); cell != nullptr; cell = cell->next) {
    if (!text.empty()) text += ' ';
    text += static_cast<const TokenNode*>(cell->item)->text;
  }
  return text;
}

BlockNode* block(AstList* statements, AstList* declarations = nullptr) {
  auto* node = makeNode<BlockNode>(astNodeBlock, 0);
  node->statements = statements;
  node->declarations = declarations;
  return node;
}

CreateProcNode* procedure(BlockNode* body) {
  auto* node = makeNode<CreateProcNode>(astNodeCreateProc, 0);
  node->name = tokens({"p"});
  node->body = body;
  node->authid = 1;
  return node;
}

VarDeclNode* variable(const char* name, AstList* datatype, AstList* defaultValue = nullptr) {
  auto* node = makeNode<VarDeclNode>(astNodeVarDecl, 3);
  node->names = tokens({name});
  node->datatype = datatype;
  node->defaultValue = defaultValue;
  return node;
}

TEST_F(TransformTest, OneCounterNumbersBodiesAndLoopLabels) {
  auto* exit = makeNode<ExitNode>(astNodeExit, 0);
  auto* loop = makeNode<LoopNode>(astNodeLoop, 0);
  loop->statements = listNew(exit);
  CreateProcNode* inner = procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0))));
  CreateProcNode* outer = procedure(block(listNew(loop), listNew(inner)));
  // A body that already has a label keeps it but still spends its number.
  auto* labelled = block(listNew(makeNode<NullNode>(astNodeNull, 0)));
  labelled->label = "mine";
  CreateProcNode* third = procedure(labelled);
  SessionSettings settings = defaultSessionSettings();
  transformTree(listAppend(listNew(outer), third), &settings, &errors);

  EXPECT_STREQ(static_cast<BlockNode*>(outer->body)->label, "SYSKELINTERNAL_BLOCK1");
  EXPECT_STREQ(static_cast<BlockNode*>(inner->body)->label, "SYSKELINTERNAL_BLOCK2");
  EXPECT_STREQ(loop->label, "SYSKELINTERNAL_00000003");
  EXPECT_STREQ(exit->target, "SYSKELINTERNAL_00000003");
  EXPECT_EQ(exit->loopTarget, loop);
  EXPECT_STREQ(labelled->label, "mine");

  // A function's body label carries no number and takes none.
  auto* function = makeNode<CreateFuncNode>(astNodeCreateFunc, 0);
  function->name = tokens({"f"});
  function->body = block(listNew(makeNode<NullNode>(astNodeNull, 0)));
  transform(function);
  EXPECT_STREQ(static_cast<BlockNode*>(function->body)->label, "SYSKELINTERNAL_BLOCK");
  EXPECT_EQ(errors, nullptr);
}

TEST_F(TransformTest, ExitFindsTheNamedLoopOrNone) {
  auto* exitOuter = makeNode<ExitNode>(astNodeExit, 0);
  exitOuter->target = "OUTER";
  auto* inner = makeNode<WhileNode>(astNodeWhile, 0);
  inner->statements = listNew(exitOuter);
  auto* outer = makeNode<LoopNode>(astNodeLoop, 0);
  outer->label = "outer";
  outer->statements = listNew(inner);
  auto* stray = makeNode<ExitNode>(astNodeExit, 0);
  auto* strayNamed = makeNode<ExitNode>(astNodeExit, 0);
  strayNamed->target = "nowhere";
  auto* next = makeNode<ContinueNode>(astNodeContinue, 0);
  inner->statements = listAppend(inner->statements, next);
  transform(procedure(block(listAppend(listAppend(listNew(outer), stray), strayNamed))));

  EXPECT_STREQ(exitOuter->target, "outer");
  EXPECT_EQ(exitOuter->loopTarget, outer);
  EXPECT_EQ(inner->label, next->target);  // CONTINUE without a label targets the nearest loop
  EXPECT_EQ(next->loopTarget, inner);
  EXPECT_STREQ(stray->target, "NULL");
  EXPECT_STREQ(strayNamed->target, "nowhere");
}

TEST_F(TransformTest, DatatypesMapByWordPrefix) {
  struct Case {
    std::initializer_list<const char*> type;
    bool forParameter;
    const char* mapped;
  };
  const Case cases[] = {
      {{"VARCHAR2"}, true, "VARCHAR2 (4096)"},
      {{"VARCHAR2"}, false, "VARCHAR2"},
      {{"varchar2", "(", "10", ")"}, true, "VARCHAR2 ( 10 )"},
      {{"LONG"}, false, "CLOB (32760)"},
      {{"LONG", "RAW"}, true, "BLOB (32760)"},
      {{"PLS_INTEGER"}, true, "INTEGER"},
      {{"NUMBER"}, true, "NUMBER"},
  };
  for (const Case& c : cases) {
    auto* arg = makeNode<FormalArgNode>(astNodeFormalArg, 0);
    arg->name = tokens({"a"});
    arg->datatype = tokens(c.type);
    auto* decl = variable("v", tokens(c.type));
    CreateProcNode* proc = procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0)), listNew(decl)));
    proc->arguments = listNew(arg);
    transform(proc);
    EXPECT_EQ(joined(c.forParameter ? arg->datatype : decl->datatype), c.mapped) << *c.type.begin();
  }
}

TEST_F(TransformTest, AliasPragmaReplacesAnchoredTypeVisitedAfterIt) {
  auto* pragma = makeNode<PragmaNode>(astNodePragma, 0);
  pragma->pragmaCode = T_ALIAS;
  pragma->first = listAppend(tokens({"emp", ".", "sal"}), newTokenNode(T_PERCENT_TYPE, "%TYPE", 0));
  pragma->second = tokens({"DECIMAL(9,2)"});
  auto* anchored = variable("v", listAppend(tokens({"EMP", ".", "SAL"}), newTokenNode(T_PERCENT_TYPE, "%TYPE", 0)));
  auto* other = variable("w", listAppend(tokens({"emp", ".", "id"}), newTokenNode(T_PERCENT_TYPE, "%TYPE", 0)));
  transform(procedure(
      block(listNew(makeNode<NullNode>(astNodeNull, 0)), listAppend(listAppend(listNew(pragma), anchored), other))));
  EXPECT_EQ(joined(anchored->datatype), "DECIMAL(9,2)");
  EXPECT_EQ(joined(other->datatype), "emp . id %TYPE");
}

TEST_F(TransformTest, NonLiteralDefaultsMoveToTheBlockStart) {
  auto* literal = variable("x", tokens({"NUMBER"}), listNew(newTokenNode(T_DIGITS, "5", 3)));
  auto* expression = variable("y", tokens({"NUMBER"}), tokens({"y0", "+", "1"}));
  expression->constant = 1;
  BlockNode* body = block(listNew(makeNode<NullNode>(astNodeNull, 0)), listAppend(listNew(literal), expression));
  transform(procedure(body));
  EXPECT_EQ(joined(literal->defaultValue), "5");
  EXPECT_EQ(expression->defaultValue, nullptr);
  EXPECT_EQ(expression->constant, 0);
  ASSERT_EQ(listCount(body->initStatements), 1u);
  auto* hoisted = static_cast<AssignNode*>(listFirst(body->initStatements));
  EXPECT_EQ(hoisted->kind, static_cast<uint32_t>(astNodeAssign));
  EXPECT_EQ(joined(hoisted->target), "y");
  EXPECT_EQ(joined(hoisted->value), "y0 + 1");
  EXPECT_EQ(hoisted->parent, body->initStatements);
}

TEST_F(TransformTest, SqlAttributesDeclareTheirVariablesOnceAfterVariables) {
  auto* record = makeNode<RecordDeclNode>(astNodeRecordDecl, 0);
  record->declClass = declRecord;
  record->name = tokens({"r"});
  auto* existing = variable("n", tokens({"INTEGER"}));
  auto* inHandler = makeNode<AssignNode>(astNodeAssign, 0);
  inHandler->target = tokens({"m"});
  inHandler->value = listNew(newTokenNode(T_SQLERRM, "SQLERRM", 0));
  auto* handler = makeNode<HandlerNode>(astNodeHandler, 0);
  handler->conditions = tokens({"OTHERS"});
  handler->statements = listNew(inHandler);
  auto* outside = makeNode<AssignNode>(astNodeAssign, 0);
  outside->target = tokens({"m"});
  outside->value =
      listAppend(listNew(newTokenNode(T_SQLERRM, "SQLERRM", 0)), newTokenNode(T_SQL_FOUND, "SQL%FOUND", 0));
  BlockNode* body = block(listNew(outside), listAppend(listNew(record), existing));
  body->handlers = listNew(handler);
  transform(procedure(body));

  EXPECT_STREQ(static_cast<TokenNode*>(listFirst(inHandler->value))->text, "SYSKELINTERNAL_SQLERRM");
  EXPECT_STREQ(static_cast<TokenNode*>(listFirst(outside->value))->text, "SYSKELINTERNAL_SQLERRM_0");
  std::string names;
  for (AstListCell* cell = listHeadCell(body->declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    names += decl->kind == astNodeVarDecl ? joined(static_cast<const VarDeclNode*>(decl)->names) : "<type>";
    names += ';';
  }
  // Each is inserted right after the leading types and the variables that follow them.
  // The handler declares the host's SQLSTATE and SQLCODE as it is rewritten, the block the attribute
  // variables when it is finished, and the diagnostics capture the message variable last.
  EXPECT_EQ(names,
            "<type>;n;SQLSTATE;SQLCODE;SYSKELINTERNAL_ROWCOUNT;SYSKELINTERNAL_FOUND;SYSKELINTERNAL_SQLERRM_0;"
            "SYSKELINTERNAL_SQLERRM;");
  // The handler's statements now form one block of their own.
  ASSERT_EQ(listCount(handler->statements), 1u);
  EXPECT_EQ(static_cast<AstNode*>(listFirst(handler->statements))->kind, static_cast<uint32_t>(astNodeBlock));
}

TEST_F(TransformTest, MoreThan512NestedRoutinesIsTooBig) {
  for (const uint32_t count : {512u, 513u}) {
    AstList* declarations = nullptr;
    for (uint32_t i = 0; i < count; ++i) {
      declarations = listAppend(declarations, procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0)))));
    }
    errors = nullptr;
    transform(procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0)), declarations)));
    if (count == 512) {
      EXPECT_EQ(errors, nullptr);
    } else {
      ASSERT_NE(errors, nullptr);
      EXPECT_STREQ(errors->message, "Too many declared routines");
      EXPECT_EQ(errors->domain, static_cast<uint32_t>(statementTooBig));
    }
  }
}

TEST_F(TransformTest, PlacementRulesAreRecorded) {
  auto* strong = makeNode<RefCursorDeclNode>(astNodeRefCursorDecl, 0);
  strong->declClass = declRefCursor;
  strong->name = tokens({"rc"});
  strong->returnType = tokens({"emp%ROWTYPE"});
  auto* weak = makeNode<RefCursorDeclNode>(astNodeRefCursorDecl, 0);
  weak->declClass = declRefCursor;
  weak->name = tokens({"wc"});
  auto* autonomous = makeNode<PragmaNode>(astNodePragma, 0);
  autonomous->pragmaCode = T_AUTONOMOUS_XACT;
  auto* function = makeNode<CreateFuncNode>(astNodeCreateFunc, 0);
  function->name = tokens({"f"});
  function->body =
      block(listNew(makeNode<NullNode>(astNodeNull, 0)), listAppend(listAppend(listNew(strong), weak), autonomous));
  transform(function);
  EXPECT_EQ(weak->isLocalWeakCursorType, 1);
  ASSERT_NE(errors, nullptr);
  EXPECT_STREQ(errors->message, "Strong REFCURSOR types can only be declared within a package");
  ASSERT_NE(errors->next, nullptr);
  EXPECT_STREQ(errors->next->message, "AUTONOMOUS_XACT not permitted in this context");

  auto* allowed = makeNode<PragmaNode>(astNodePragma, 0);
  allowed->pragmaCode = T_AUTONOMOUS_XACT;
  CreateProcNode* proc = procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0)), listNew(allowed)));
  transform(proc);
  EXPECT_EQ(proc->isAutonomous, 1);
}

CreatePkgBodyNode* packageBody(AstList* members) {
  auto* node = makeNode<CreatePkgBodyNode>(astNodeCreatePkgBody, 0);
  node->name = tokens({"pk"});
  node->members = members;
  return node;
}

TEST_F(TransformTest, PackageBodyMembersAreSortedAndOwned) {
  VarDeclNode* counter = variable("counter", tokens({"NUMBER"}), tokens({"f", "(", "1", ")"}));
  CreateProcNode* member = procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0))));
  auto* prototype = makeNode<ProcProtoNode>(astNodeProcProto, 0);
  prototype->name = tokens({"q"});
  auto* pragma = makeNode<PragmaNode>(astNodePragma, 0);
  pragma->pragmaCode = T_ALIAS;
  auto* init = block(listNew(makeNode<NullNode>(astNodeNull, 0)));
  auto* pending = makeNode<AssignNode>(astNodeAssign, 0);
  pending->target = tokens({"counter"});
  pending->value = tokens({"0"});
  CreatePkgBodyNode* body =
      packageBody(listAppend(listAppend(listAppend(listAppend(listNew(counter), member), prototype), pragma), init));
  body->pendingInit = listNew(pending);
  transform(body);

  EXPECT_EQ(body->members, nullptr);
  EXPECT_EQ(listCount(body->declarations), 1u);
  EXPECT_EQ(counter->module, body);
  EXPECT_EQ(joined(counter->defaultValue), "( f ( 1 ) )");  // a module default stays, parenthesized
  EXPECT_EQ(listFirst(body->routines), member);
  EXPECT_EQ(member->module, body);
  EXPECT_EQ(listFirst(body->prototypes), prototype);
  EXPECT_EQ(prototype->module, body);
  EXPECT_EQ(body->maxNameLength, 7u);
  ASSERT_EQ(listCount(static_cast<AstList*>(body->initBlock)), 1u);
  auto* sysInit = static_cast<CreateProcNode*>(listFirst(static_cast<AstList*>(body->initBlock)));
  EXPECT_EQ(joined(sysInit->name), "SYS_INIT");
  EXPECT_EQ(sysInit->module, body);
  EXPECT_EQ(sysInit->orReplace, 0);
  EXPECT_EQ(sysInit->authid, 1);
  EXPECT_EQ(sysInit->body, init);
  // Numbered after the member procedure: the initialization is transformed last.
  EXPECT_STREQ(init->label, "SYSKELINTERNAL_BLOCK2");
  EXPECT_EQ(listFirst(init->statements), pending);
  EXPECT_EQ(errors, nullptr);
}

TEST_F(TransformTest, SysInitOnlyForEmptyBodiesOrInitializationSections) {
  CreatePkgBodyNode* empty = packageBody(nullptr);
  CreatePkgBodyNode* routinesOnly = packageBody(listNew(procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0))))));
  transform(empty);
  transform(routinesOnly);
  ASSERT_NE(empty->initBlock, nullptr);
  auto* sysInit = static_cast<CreateProcNode*>(listFirst(static_cast<AstList*>(empty->initBlock)));
  ASSERT_NE(sysInit->body, nullptr);
  EXPECT_EQ(listCount(static_cast<BlockNode*>(sysInit->body)->statements), 0u);
  EXPECT_EQ(routinesOnly->initBlock, nullptr);
}

TEST_F(TransformTest, PackageHeadKeepsDeclarationsAndPrototypesOnly) {
  auto* head = makeNode<CreatePkgHeadNode>(astNodeCreatePkgHead, 0);
  head->name = tokens({"pk"});
  auto* prototype = makeNode<FuncProtoNode>(astNodeFuncProto, 0);
  prototype->name = tokens({"f"});
  prototype->returnType = tokens({"VARCHAR2"});
  auto* strong = makeNode<RefCursorDeclNode>(astNodeRefCursorDecl, 0);
  strong->declClass = declRefCursor;
  strong->name = tokens({"rc"});
  strong->returnType = tokens({"emp%ROWTYPE"});
  head->members = listAppend(listNew(prototype), strong);
  transform(head);
  EXPECT_EQ(head->members, nullptr);
  EXPECT_EQ(listFirst(head->prototypes), prototype);
  EXPECT_EQ(listFirst(head->declarations), strong);
  EXPECT_EQ(joined(prototype->returnType), "VARCHAR2 (4096)");
  EXPECT_EQ(errors, nullptr);  // a strong REF CURSOR type is at home in a package
}

RefCursorDeclNode* weakCursorType(const char* name) {
  auto* node = makeNode<RefCursorDeclNode>(astNodeRefCursorDecl, 0);
  node->declClass = declRefCursor;
  node->name = tokens({name});
  return node;
}

TEST_F(TransformTest, WeakCursorTypeOfTheInnermostDeclaringScopeDecides) {
  // The package's rc keeps its name; a routine body declaring its own rc makes it the host's CURSOR,
  // for the body's variables and for the parameters of a routine nested in it alike.
  VarDeclNode* packageUse = variable("a", tokens({"RC"}));
  VarDeclNode* memberUse = variable("b", tokens({"rc"}));
  CreateProcNode* member = procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0)), listNew(memberUse)));
  VarDeclNode* shadowedUse = variable("c", tokens({"rc"}));
  auto* nestedArg = makeNode<FormalArgNode>(astNodeFormalArg, 0);
  nestedArg->name = tokens({"x"});
  nestedArg->datatype = tokens({"rc"});
  CreateProcNode* nested = procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0))));
  nested->arguments = listNew(nestedArg);
  VarDeclNode* otherUse = variable("d", tokens({"rc2"}));
  CreateProcNode* shadowing = procedure(
      block(listNew(makeNode<NullNode>(astNodeNull, 0)),
            listAppend(listAppend(listAppend(listNew(weakCursorType("rc")), shadowedUse), otherUse), nested)));
  CreatePkgBodyNode* body =
      packageBody(listAppend(listAppend(listAppend(listNew(weakCursorType("rc")), packageUse), member), shadowing));
  transform(body);

  EXPECT_EQ(joined(packageUse->datatype), "RC");
  EXPECT_EQ(joined(memberUse->datatype), "rc");
  EXPECT_EQ(joined(shadowedUse->datatype), "CURSOR");
  EXPECT_EQ(joined(nestedArg->datatype), "CURSOR");
  EXPECT_EQ(joined(otherUse->datatype), "rc2");
  EXPECT_EQ(errors, nullptr);
}

ForNode* forLoop(ForKind forKind, AstList* range, AstList* body) {
  auto* loop = makeNode<ForNode>(astNodeFor, 2);
  loop->forKind = forKind;
  loop->loopVariable = tokens({"i"});
  loop->range = range;
  loop->body = body;
  return loop;
}

AstList* range(const char* low, const char* high) {
  AstList* list = listNew(newTokenNode(T_DIGITS, low, 2));
  list = listAppend(list, newTokenNode(T_DOTDOT, "..", 2));
  return listAppend(list, newTokenNode(T_DIGITS, high, 2));
}

TEST_F(TransformTest, NumericForBecomesABlockAroundACountingWhile) {
  auto* exitNamed = makeNode<ExitNode>(astNodeExit, 3);
  exitNamed->target = "outer";
  auto* next = makeNode<ContinueNode>(astNodeContinue, 3);
  ForNode* loop = forLoop(forNumeric, range("1", "3"), listAppend(listNew(exitNamed), next));
  loop->label = "outer";
  loop->reverse = 1;
  transform(procedure(block(listNew(loop))));

  ASSERT_NE(loop->replacement, nullptr);
  ASSERT_EQ(loop->replacement->kind, astNodeBlock);
  auto* generated = static_cast<BlockNode*>(loop->replacement);
  EXPECT_STREQ(generated->label, "outer");
  EXPECT_EQ(generated->parent, loop);
  ASSERT_EQ(listCount(generated->declarations), 2u);
  auto* variableDecl = static_cast<VarDeclNode*>(listNth(generated->declarations, 1));
  auto* limitDecl = static_cast<VarDeclNode*>(listNth(generated->declarations, 2));
  // REVERSE counts down from the upper bound to the lower one.
  EXPECT_EQ(
      joined(variableDecl->names) + " " + joined(variableDecl->datatype) + " " + joined(variableDecl->defaultValue),
      "i INTEGER 3");
  EXPECT_EQ(joined(limitDecl->names) + " " + joined(limitDecl->defaultValue), "SYSKELINTERNAL_LOOP_LIMIT 1");
  auto* whileLoop = static_cast<WhileNode*>(listFirst(generated->statements));
  ASSERT_EQ(whileLoop->kind, astNodeWhile);
  EXPECT_EQ(joined(whileLoop->condition), "i >= SYSKELINTERNAL_LOOP_LIMIT");
  EXPECT_EQ(whileLoop->sourceLoop, loop);
  auto* increment = static_cast<AssignNode*>(listLast(whileLoop->statements));
  EXPECT_EQ(whileLoop->continueTarget, increment);
  EXPECT_EQ(increment->line, -1);
  EXPECT_EQ(joined(increment->target) + " := " + joined(increment->value), "i := i - 1");
  // EXIT names the FOR's label and leaves the WHILE that stands for it; CONTINUE jumps to the increment.
  ASSERT_NE(whileLoop->label, nullptr);
  EXPECT_STREQ(exitNamed->target, whileLoop->label);
  ASSERT_NE(increment->label, nullptr);
  EXPECT_STREQ(next->target, increment->label);
  EXPECT_EQ(next->loopTarget, whileLoop);
  EXPECT_EQ(errors, nullptr);
}

TEST_F(TransformTest, NumericLoopBoundsMustFitAnInteger) {
  struct Case {
    ForKind forKind;
    const char* low;
    const char* high;
    const char* message;
    const char* text;  // nearText for the syntax error, detail otherwise
  };
  const Case cases[] = {
      {forNumeric, "1", "2147483648", "syntax error", "INTEGER value out of range"},
      {forallRange, "-1", "2147483647", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    errors = nullptr;
    ForNode* loop = forLoop(c.forKind, range(c.low, c.high), listNew(makeNode<NullNode>(astNodeNull, 3)));
    transform(procedure(block(listNew(loop))));
    SCOPED_TRACE(c.forKind);
    EXPECT_EQ(loop->replacement != nullptr, c.forKind == forNumeric || c.forKind == forallRange);
    if (c.message == nullptr) {
      EXPECT_EQ(errors, nullptr);
      continue;
    }
    ASSERT_NE(errors, nullptr);
    EXPECT_STREQ(errors->message, c.message);
    EXPECT_EQ(errors->line, 3);
    EXPECT_STREQ(c.forKind == forNumeric ? errors->nearText : errors->detail, c.text);
    EXPECT_EQ(errors->next, nullptr);
  }
}

TEST_F(TransformTest, TriggerReferencingNamesBecomeGeneratedNames) {
  auto* newRow = makeNode<TriggerArgNode>(astNodeTriggerArg, 0);
  newRow->which = rowNew;
  newRow->alias = tokens({"nr"});
  auto* oldRow = makeNode<TriggerArgNode>(astNodeTriggerArg, 0);
  oldRow->which = rowOld;
  oldRow->alias = tokens({"o"});
  auto* trigger = makeNode<CreateTriggerNode>(astNodeCreateTrigger, 0);
  trigger->name = tokens({"tr"});
  trigger->referencing = listAppend(listNew(newRow), oldRow);
  trigger->body = block(listNew(makeNode<NullNode>(astNodeNull, 0)));
  transform(trigger);
  EXPECT_EQ(joined(trigger->referencingNames[0]), "SYSKELINTERNAL_nr");
  EXPECT_EQ(joined(trigger->referencingNames[1]), "SYSKELINTERNAL_o");
  EXPECT_EQ(trigger->referencingNames[2], nullptr);
  EXPECT_STREQ(static_cast<BlockNode*>(trigger->body)->label, "SYSKELINTERNAL_BLOCK");
}

}  // namespace

namespace {

// Qualified names split only at dots outside double quotes; a backslash takes the next character.
TEST_F(TransformTest, QualifiedNamesSplitAtDotsOutsideQuotes) {
  struct Case {
    const char* text;
    std::vector<std::string> parts;
    const char* afterFirstDot;
    int64_t lastDot;
  };
  const Case cases[] = {
      {"a", {"a"}, nullptr, -1},
      {"a.b.c", {"a", "b", "c"}, "b.c", 3},
      {"\"x.y\".z", {"\"x.y\"", "z"}, "z", 5},
      {"\"x.y\"", {"\"x.y\""}, nullptr, -1},
      {"a\\.b.c", {"a\\.b", "c"}, "c", 4},
      {"pkg.\"a.b\"", {"pkg", "\"a.b\""}, "\"a.b\"", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const QualifiedName name = splitQualifiedName(c.text);
    ASSERT_EQ(name.count, c.parts.size());
    for (uint32_t i = 0; i < name.count; ++i) EXPECT_EQ(name.parts[i], c.parts[i]);
    if (c.afterFirstDot == nullptr) {
      EXPECT_EQ(name.afterFirstDot, nullptr);
    } else {
      EXPECT_STREQ(name.afterFirstDot, c.afterFirstDot);
    }
    EXPECT_EQ(lastSeparatingDot(c.text), c.lastDot);
  }
}

// Statements put after one that is not the walk's current item are found by searching its list.
TEST_F(TransformTest, InsertedStatementsFollowTheirStatementInOrder) {
  TransformContext ctx{};
  auto* first = makeNode<NullNode>(astNodeNull, 1);
  auto* last = makeNode<NullNode>(astNodeNull, 2);
  AstList* list = listAppend(listNew(first), last);
  first->parent = list;
  last->parent = list;
  AssignNode* a = makeAssign(tokens({"a"}), tokens({"1"}), 1);
  AssignNode* b = makeAssign(tokens({"b"}), tokens({"2"}), 1);
  insertStatementsAfter(&ctx, first, {a, nullptr, b});
  ASSERT_EQ(listCount(list), 4u);
  EXPECT_EQ(listNth(list, 2), a);
  EXPECT_EQ(listNth(list, 3), b);
  EXPECT_EQ(listNth(list, 4), last);
  insertStatementsAfter(&ctx, last, {makeAssign(tokens({"c"}), tokens({"3"}), 2)});
  EXPECT_EQ(listCount(list), 5u);
  EXPECT_EQ(static_cast<AstNode*>(list->tail->item)->kind, astNodeAssign);
  EXPECT_EQ(b->parent, list);
}

// p.x inside procedure p names the body's x; a parameter keeps its routine's name.
TEST_F(TransformTest, NamesQualifiedByAnEnclosingRoutineTakeItsBodyLabel) {
  auto* arg = makeNode<FormalArgNode>(astNodeFormalArg, 0);
  arg->name = tokens({"amount"});
  auto* use = makeNode<NullNode>(astNodeNull, 1);
  BlockNode* body = block(listNew(use));
  CreateProcNode* proc = procedure(body);
  proc->arguments = listNew(arg);
  transform(proc);
  ASSERT_NE(body->label, nullptr);
  EXPECT_EQ(std::string(requalifyByRoutine(use, "P.total")), std::string(body->label) + ".total");
  EXPECT_STREQ(requalifyByRoutine(use, "p.amount"), "p.amount");
  EXPECT_STREQ(requalifyByRoutine(use, "q.total"), "q.total");
  EXPECT_STREQ(requalifyByRoutine(use, "total"), "total");
}

}  // namespace

namespace {

ExceptionDeclNode* exceptionDecl(const char* name, DeclClass declClass, int32_t line = 0) {
  auto* node = makeNode<ExceptionDeclNode>(astNodeExceptionDecl, line);
  node->declClass = declClass;
  node->name = tokens({name});
  return node;
}

std::string errorText(const CompileError* error) {
  if (error == nullptr) return "";
  return std::string(error->message) + "|" + std::to_string(error->line) + "|" + (error->detail ? error->detail : "") +
         "|" + (error->nearText ? error->nearText : "") + "|" + (error->extra ? error->extra : "");
}

// The map rows with the code count in the order the scan meets them: a code of the unnamed run that
// lies above a lower row is met again after the scan's one jump back (-14028); what the host cannot
// express is rejected with the number itself.
TEST_F(TransformTest, ExceptionInitBindsTheSqlstatesOfItsCode) {
  struct Case {
    int32_t code;
    const char* states;  // blank-separated, or null for a rejection
  };
  const Case cases[] = {
      {-1, "23505"},       {-2292, "23001 23504"},  {-6502, "22001 22003"},
      {-1002, "02000"},    {-14028, "42830 42830"}, {-30006, "57011"},
      {100, "ORANF"},      {-20000, "UD000"},       {-20500, "UD500"},
      {-20999, "UD999"},   {-1403, nullptr},        {5, nullptr},
      {0, nullptr},        {-21000, nullptr},       {-19999, nullptr},
      {-1000001, nullptr}, {-30007, nullptr},       {-19567, "55039 55039"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    errors = nullptr;
    ExceptionDeclNode* exception = exceptionDecl("e", declException);
    ExceptionDeclNode* pragma = exceptionDecl("E", declExceptionInit, 4);
    pragma->errorCode = c.code;
    transform(procedure(block(listNew(makeNode<NullNode>(astNodeNull, 0)), listAppend(listNew(exception), pragma))));
    EXPECT_EQ(exception->errorCode, c.code);
    if (c.states != nullptr) {
      EXPECT_EQ(errors, nullptr);
      EXPECT_EQ(joined(exception->sqlstates), c.states);
      continue;
    }
    EXPECT_EQ(exception->sqlstates, nullptr);
    EXPECT_EQ(errorText(errors), "syntax error|5|" + std::to_string(c.code) + "|pragma exception_init|");
    if (errors != nullptr) {
      EXPECT_EQ(errors->next, nullptr);
    }
  }
}

TEST_F(TransformTest, ExceptionInitNeedsItsExceptionInTheSameSection) {
  // The SQLSTATE form takes the characters between the quotes.
  ExceptionDeclNode* exception = exceptionDecl("e", declException);
  ExceptionDeclNode* pragma = exceptionDecl("e", declExceptionInit, 2);
  pragma->errorCode = -1;
  pragma->sqlstates = tokens({"'AB12Z'"});
  // An inner section binding the outer exception finds none of its own.
  ExceptionDeclNode* inner = exceptionDecl("e", declExceptionInit, 7);
  inner->errorCode = -1;
  BlockNode* nested = block(listNew(makeNode<NullNode>(astNodeNull, 8)), listNew(inner));
  ExceptionDeclNode* bad = exceptionDecl("f", declException);
  ExceptionDeclNode* badPragma = exceptionDecl("f", declExceptionInit, 3);
  badPragma->errorCode = -1;
  badPragma->sqlstates = tokens({"'AB12'"});
  transform(procedure(
      block(listNew(nested), listAppend(listAppend(listAppend(listNew(exception), pragma), bad), badPragma))));
  EXPECT_EQ(joined(exception->sqlstates), "AB12Z");
  EXPECT_EQ(bad->sqlstates, nullptr);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(errorText(errors), "syntax error|4|'AB12'|pragma exception_init|<sqlstate>");
  EXPECT_EQ(errorText(errors->next), "syntax error|8|e|pragma exception_init|");
  EXPECT_EQ(joined(exception->sqlstates), "AB12Z") << "the failed inner binding leaves the outer one";
}

TriggerArgNode* referencingEntry(TriggerRow which, const char* alias) {
  auto* arg = makeNode<TriggerArgNode>(astNodeTriggerArg, 0);
  arg->which = which;
  arg->alias = tokens({alias});
  return arg;
}

CreateTriggerNode* trigger(BlockNode* body, bool forEachRow) {
  auto* node = makeNode<CreateTriggerNode>(astNodeCreateTrigger, 0);
  node->name = tokens({"tr"});
  node->body = body;
  node->forEachRow = forEachRow ? 1 : 0;
  return node;
}

std::string referencingText(const CreateTriggerNode* node) {
  std::string text;
  for (AstListCell* cell = listHeadCell(node->referencing); cell != nullptr; cell = cell->next) {
    const auto* arg = static_cast<const TriggerArgNode*>(cell->item);
    text += std::to_string(arg->which) + "=" + joined(arg->alias) + ";";
    EXPECT_EQ(arg->parent, node->referencing);
  }
  return text;
}

// :NEW and :OLD name generated transition rows; a row trigger gets the REFERENCING entries it lacks, a
// statement trigger none; the entry for a row is made once, where it is first read.
TEST_F(TransformTest, TriggerPseudoRecordsNameTheTransitionRows) {
  for (const bool forEachRow : {true, false}) {
    SCOPED_TRACE(forEachRow);
    auto* assign = makeNode<AssignNode>(astNodeAssign, 1);
    assign->target = tokens({":new.total"}, T_TRIG_VAR);
    assign->value = listAppend(listAppend(tokens({":OLD.total"}, T_TRIG_VAR), newTokenNode(T_STRING, "+", 1)),
                               newTokenNode(T_TRIG_VAR, ":NEW.delta", 1));
    CreateTriggerNode* node = trigger(block(listNew(assign)), forEachRow);
    transform(node);
    EXPECT_EQ(joined(assign->target), "SYSKELINTERNAL_new.total");
    EXPECT_EQ(joined(assign->value), "SYSKELINTERNAL_OLD.total + SYSKELINTERNAL_NEW.delta");
    EXPECT_EQ(tokenCode(listFirst(assign->target)), static_cast<uint32_t>(T_WORD));
    if (forEachRow) {
      EXPECT_EQ(referencingText(node), "0=SYSKELINTERNAL_NEW;1=SYSKELINTERNAL_OLD;");
      EXPECT_EQ(joined(node->referencingNames[rowNew]), "SYSKELINTERNAL_NEW");
      EXPECT_EQ(joined(node->referencingNames[rowOld]), "SYSKELINTERNAL_OLD");
    } else {
      EXPECT_EQ(node->referencing, nullptr);
      EXPECT_EQ(node->referencingNames[rowNew], nullptr);
    }
    EXPECT_EQ(errors, nullptr);
  }
}

// In the WHEN condition new.col and old.col are written without a colon and name the transition rows,
// the user's REFERENCING alias where there is one; a missing row is added even to a statement trigger.
// Qualified names in the body and other first parts in the condition are not transition rows.
TEST_F(TransformTest, TriggerWhenConditionNamesTheReferencingRows) {
  auto* use = makeNode<AssignNode>(astNodeAssign, 1);
  use->target = tokens({"v"});
  use->value = listNew(newTokenNode(T_WORD, "old.sal", 1));
  static_cast<TokenNode*>(listFirst(use->value))->dotted = 1;
  CreateTriggerNode* node = trigger(block(listNew(use)), false);
  node->referencing = listNew(referencingEntry(rowNew, "n"));
  AstList* condition = nullptr;
  for (const char* text : {"new.sal", ">", "OLD.sal", "AND", "emp.grade", ">", "old"}) {
    auto* token = newTokenNode(T_WORD, text, 0);
    token->dotted = std::string(text).find('.') != std::string::npos ? 1 : 0;
    condition = listAppend(condition, token);
  }
  node->condition = condition;
  transform(node);
  EXPECT_EQ(joined(node->condition), "SYSKELINTERNAL_n.sal > SYSKELINTERNAL_OLD.sal AND emp.grade > old");
  EXPECT_EQ(referencingText(node), "0=SYSKELINTERNAL_n;1=SYSKELINTERNAL_OLD;");
  EXPECT_EQ(joined(use->value), "old.sal");
  EXPECT_EQ(errors, nullptr);
}

TEST_F(TransformTest, BindVariablesOutsideTriggersStayAsWritten) {
  auto* assign = makeNode<AssignNode>(astNodeAssign, 1);
  assign->target = tokens({"v"});
  assign->value = tokens({":new.x"}, T_TRIG_VAR);
  transform(procedure(block(listNew(assign))));
  EXPECT_EQ(joined(assign->value), ":new.x");
  EXPECT_EQ(tokenCode(listFirst(assign->value)), static_cast<uint32_t>(T_TRIG_VAR));
}

void countVisits(AstNode* node, void* arg) {
  if (node->kind == astNodeNull) ++*static_cast<int*>(arg);
}

// A FOR's statements move into the loop that replaces it, so a walk over the tree (the prescan, the
// diagnostics capture) meets them once, not once per enclosing FOR.
TEST_F(TransformTest, ForStatementsAreWalkedOnceWhateverTheNesting) {
  AstList* body = listNew(makeNode<NullNode>(astNodeNull, 5));
  ForNode* innermost = nullptr;
  for (const ForKind kind : {forQuery, forCursor, forNumeric, forQuery}) {
    AstList* range = kind == forNumeric ? ::range("1", "2")
                     : kind == forCursor
                         ? listAppend(listAppend(listAppend(tokens({"c"}), newTokenNode(T_STRING, "(", 2)),
                                                 newTokenNode(T_DIGITS, "7", 2)),
                                      newTokenNode(T_STRING, ")", 2))
                         : tokens({"(", "SELECT", "1", "FROM", "t", ")"});
    ForNode* loop = forLoop(kind, range, body);
    if (innermost == nullptr) innermost = loop;
    body = listNew(loop);
  }
  CreateProcNode* proc = procedure(block(body));
  transform(proc);
  int visits = 0;
  walkTree(proc, countVisits, &visits);
  EXPECT_EQ(visits, 1);
  EXPECT_EQ(innermost->body, nullptr);
  EXPECT_EQ(errors, nullptr);
}

// The cursor loop's block: the row declared from the cursor, OPEN with the tokens after the name as
// its arguments, a LOOP of FETCH, EXIT WHEN SQLCODE = 100 and the body, whose source is the FOR; CLOSE
// for a declared cursor only. SQLCODE is declared on the outermost block.
TEST_F(TransformTest, CursorForLoopOpensFetchesAndClosesInItsOwnBlock) {
  AstList* range =
      listAppend(listAppend(listAppend(listAppend(listAppend(tokens({"c"}), newTokenNode(T_STRING, "(", 2)),
                                                  newTokenNode(T_DIGITS, "7", 2)),
                                       newTokenNode(T_STRING, ",", 2)),
                            newTokenNode(T_STRING, "'x'", 2)),
                 newTokenNode(T_STRING, ")", 2));
  auto* statement = makeNode<NullNode>(astNodeNull, 3);
  ForNode* loop = forLoop(forCursor, range, listNew(statement));
  loop->label = "outer";
  BlockNode* body = block(listNew(loop));
  transform(procedure(body));
  ASSERT_NE(loop->replacement, nullptr);
  auto* generated = static_cast<BlockNode*>(loop->replacement);
  EXPECT_STREQ(generated->label, "outer");
  auto* row = static_cast<VarDeclNode*>(listFirst(generated->declarations));
  EXPECT_EQ(joined(row->names) + " " + joined(row->datatype), "i c %ROWTYPE");
  EXPECT_EQ(tokenCode(listLast(row->datatype)), static_cast<uint32_t>(T_PERCENT_ROWTYPE));
  ASSERT_EQ(listCount(generated->statements), 3u);
  auto* open = static_cast<OpenNode*>(listNth(generated->statements, 1));
  // The tokens after the cursor's name, parentheses included: OPEN writes its own around them.
  EXPECT_EQ(joined(open->cursor) + "|" + joined(open->arguments), "c|( 7 , 'x' )");
  auto* fetchLoop = static_cast<LoopNode*>(listNth(generated->statements, 2));
  ASSERT_EQ(fetchLoop->kind, static_cast<uint32_t>(astNodeLoop));
  EXPECT_EQ(fetchLoop->sourceLoop, loop);
  ASSERT_EQ(listCount(fetchLoop->statements), 3u);
  auto* fetch = static_cast<FetchNode*>(listNth(fetchLoop->statements, 1));
  EXPECT_EQ(joined(fetch->cursor) + " INTO " + joined(fetch->into), "c INTO i");
  EXPECT_EQ(fetch->generated, 1);
  auto* exit = static_cast<ExitNode*>(listNth(fetchLoop->statements, 2));
  EXPECT_EQ(joined(exit->condition), "SQLCODE = 100");
  EXPECT_STREQ(exit->target, fetchLoop->label);
  EXPECT_EQ(listNth(fetchLoop->statements, 3), statement);
  auto* close = static_cast<CloseNode*>(listNth(generated->statements, 3));
  EXPECT_EQ(joined(close->cursor), "c");
  const auto* declared = static_cast<const VarDeclNode*>(listFirst(body->declarations));
  EXPECT_EQ(joined(declared->names) + " " + joined(declared->defaultValue), "SQLCODE 0");
  EXPECT_EQ(errors, nullptr);
}

// A variable the routine declares itself is not declared again, whatever its case, and asking again for
// one already declared adds nothing.
TEST_F(TransformTest, ImplicitVariablesAreDeclaredOnce) {
  auto* handler = makeNode<HandlerNode>(astNodeHandler, 0);
  handler->conditions = listNew(tokens({"OTHERS"}));
  handler->statements = listNew(makeNode<NullNode>(astNodeNull, 0));
  auto* other = makeNode<HandlerNode>(astNodeHandler, 0);
  other->conditions = listNew(tokens({"ZERO_DIVIDE"}));
  other->statements = listNew(makeNode<NullNode>(astNodeNull, 0));
  BlockNode* body =
      block(listNew(makeNode<NullNode>(astNodeNull, 0)), listNew(variable("sqlcode", tokens({"INTEGER"}))));
  body->handlers = listAppend(listNew(handler), other);
  transform(procedure(body));
  std::string names;
  for (AstListCell* cell = listHeadCell(body->declarations); cell != nullptr; cell = cell->next) {
    names += joined(static_cast<const VarDeclNode*>(cell->item)->names) + ";";
  }
  EXPECT_EQ(names, "sqlcode;SQLSTATE;");
  EXPECT_EQ(joined(static_cast<AstList*>(listFirst(handler->conditions))), "SQLEXCEPTION");
  EXPECT_EQ(joined(static_cast<AstList*>(listFirst(other->conditions))), "SQLSTATE '22012'");
}

}  // namespace
