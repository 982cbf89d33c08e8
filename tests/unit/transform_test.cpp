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
#include "tree_helpers.h"

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

CreatePkgBodyNode* packageBody(AstList* members) {
  auto* node = makeNode<CreatePkgBodyNode>(astNodeCreatePkgBody, 0);
  node->name = tokens({"pk"});
  node->members = members;
  return node;
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
