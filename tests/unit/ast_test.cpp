// Lists and the tree walk: the invariants later stages rely on (count, tail, order of visits).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ast/ast.h"
#include "pool/pool.h"

namespace {

class AstTest : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery_); }
  void TearDown() override { contextRelease(); }

  static TokenNode* tok(const char* text) { return newTokenNode(271, text, 0); }
  static AstList* tokens(std::initializer_list<const char*> texts) {
    AstList* list = nullptr;
    for (const char* t : texts) list = listAppend(list, tok(t));
    return list;
  }
  static void expectConsistent(const AstList* list) {
    uint32_t count = 0;
    const AstListCell* last = nullptr;
    for (const AstListCell* c = list->head; c != nullptr; c = c->next) {
      ++count;
      last = c;
    }
    EXPECT_EQ(count, list->count);
    EXPECT_EQ(last, list->tail);
  }

 private:
  RecoveryPoint recovery_;
};

// The plain-tokens hint describes the list as its maker left it: every operation that links a cell in
// takes it away.
TEST_F(AstTest, LinkingCellsIntoAListClearsItsPlainTokensHint) {
  const auto marked = [&] {
    AstList* list = tokens({"a", "b"});
    list->plainTokens = 1;
    return list;
  };
  AstList* list = marked();
  EXPECT_EQ(listAppend(list, tok("c"))->plainTokens, 0);
  list = marked();
  EXPECT_EQ(listPrepend(list, tok("c"))->plainTokens, 0);
  list = marked();
  EXPECT_EQ(listConcat(list, tokens({"c"}))->plainTokens, 0);
  list = marked();
  EXPECT_EQ(listAppendCells(list, tokens({"c"})->head)->plainTokens, 0);
  list = marked();
  listInsertAfter(tok("c"), list->head->item, list);
  EXPECT_EQ(list->plainTokens, 0);
  // Nothing linked in, nothing lost: concatenating an empty side or appending nothing keeps it.
  list = marked();
  EXPECT_EQ(listConcat(list, nullptr)->plainTokens, 1);
  EXPECT_EQ(listAppend(list, nullptr)->plainTokens, 1);
  EXPECT_EQ(listConcat(nullptr, list)->plainTokens, 1);
}

TEST_F(AstTest, ConcatRelinksAndAddsCounts) {
  AstList* a = tokens({"a", "b"});
  AstList* b = tokens({"c", "d", "e"});
  AstListCell* bTail = b->tail;
  EXPECT_EQ(listConcat(a, b), a);
  EXPECT_EQ(a->count, 5u);
  EXPECT_EQ(a->tail, bTail);
  expectConsistent(a);
  EXPECT_EQ(listConcat(nullptr, a), a);
  EXPECT_EQ(listConcat(a, nullptr), a);
}

TEST_F(AstTest, InsertAfterMovesTheTailOnlyAtTheEnd) {
  AstList* list = tokens({"a", "c"});
  void* a = listFirst(list);
  void* c = listLast(list);
  TokenNode* b = tok("b");
  listInsertAfter(b, a, list);
  EXPECT_EQ(listNth(list, 2), b);
  EXPECT_EQ(listLast(list), c);
  TokenNode* d = tok("d");
  listInsertAfter(d, c, list);
  EXPECT_EQ(listLast(list), d);
  expectConsistent(list);
  EXPECT_EQ(list->count, 4u);
}

TEST_F(AstTest, RemovalsKeepHeadTailAndCount) {
  AstList* list = tokens({"a", "b", "c"});
  listRemoveAfter(list, list->tail, list->head->next);  // remove the last
  EXPECT_STREQ(static_cast<TokenNode*>(listLast(list))->text, "b");
  expectConsistent(list);
  listRemoveFirst(list);
  listRemoveFirst(list);
  EXPECT_EQ(list->head, nullptr);
  EXPECT_EQ(list->tail, nullptr);
  EXPECT_EQ(list->count, 0u);
  listRemoveFirst(list);  // empty: nothing happens
}

TEST_F(AstTest, FilterKeepsOrderAndSkipsNullItems) {
  AstList* list = tokens({"a", "bb", "c"});
  list->head->next->item = nullptr;
  AstList* all = listFilter(list, nullptr);
  EXPECT_EQ(listCount(all), 2u);
  AstList* none = listFilter(list, [](AstList*, AstListCell*) { return false; });
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(listFilter(nullptr, nullptr), nullptr);
}

TEST_F(AstTest, NameComparisonsIgnoreCaseAndHandlePrefixes) {
  AstList* pkgProc = tokens({"Pkg", "proc"});
  AstList* upper = tokens({"PKG", "PROC"});
  AstList* pkg = tokens({"pkg"});
  EXPECT_EQ(listNamesEqual(pkgProc, upper), 1);
  EXPECT_EQ(listNamesEqual(pkg, pkgProc), 1) << "a prefix of b is equal";
  EXPECT_EQ(listNamesEqual(pkgProc, pkg), 0) << "b shorter than a";
  EXPECT_EQ(listNamesEqual(nullptr, pkg), 1);
  EXPECT_EQ(listNamesMatch(pkg, pkgProc, 0), 0);
  EXPECT_EQ(listNamesMatch(pkg, pkgProc, 1), 1);
  EXPECT_EQ(listNamesMatch(pkgProc, upper, 0), 1);
  EXPECT_EQ(listNamesMatch(nullptr, nullptr, 0), 1);
  EXPECT_EQ(listNamesMatch(nullptr, pkg, 1), 0);
  EXPECT_EQ(listNamesMatch(pkg, nullptr, 1), 0);
  EXPECT_EQ(listNamesMatch(tokens({"a"}), tokens({"b"}), 1), 0);
}

void record(AstNode* node, void* arg) {
  auto* seen = static_cast<std::vector<std::string>*>(arg);
  if (node->kind == astNodeToken) {
    seen->push_back(static_cast<TokenNode*>(node)->text);
  } else {
    seen->push_back(nodeKindName(node->kind));
  }
}

TEST_F(AstTest, WalkSkipsPackageHeadMembersTriggersAndUnvisitedKinds) {
  auto* head = makeNode<CreatePkgHeadNode>(astNodeCreatePkgHead, 0);
  head->name = tokens({"pk"});
  head->members = listNew(makeNode<VarDeclNode>(astNodeVarDecl, 0));
  auto* trigger = makeNode<CreateTriggerNode>(astNodeCreateTrigger, 0);
  trigger->body = makeNode<BlockNode>(astNodeBlock, 0);
  auto* type = makeNode<CreateTypeNode>(astNodeCreateType, 0);
  AstList* programs = listAppend(listAppend(listNew(head), trigger), type);
  std::vector<std::string> seen;
  walkTree(programs, record, &seen);
  const std::vector<std::string> expected = {"astNodeList", "astNodeCreatePkgHead", "astNodeList", "pk",
                                             "astNodeCreateTrigger"};
  EXPECT_EQ(seen, expected);
}

TEST_F(AstTest, WalkFollowsElsifChainsAndLongStatementLists) {
  auto* ifNode = makeNode<IfNode>(astNodeIf, 0);
  ifNode->condition = tokens({"a"});
  auto* first = makeNode<ElseIfNode>(astNodeElseIf, 1);
  first->condition = tokens({"b"});
  first->next = makeNode<ElseIfNode>(astNodeElseIf, 2);
  first->next->condition = tokens({"c"});
  ifNode->elsifs = first;
  ifNode->elseStatements = listNew(makeNode<NullNode>(astNodeNull, 3));
  std::vector<std::string> seen;
  walkTree(ifNode, record, &seen);
  const std::vector<std::string> expected = {"astNodeIf",     "astNodeList", "a", "astNodeElseIf", "astNodeList", "b",
                                             "astNodeElseIf", "astNodeList", "c", "astNodeList",   "astNodeNull"};
  EXPECT_EQ(seen, expected);

  // A long chain of statements must not deepen the stack: walk a list of 200000 nested blocks' worth.
  AstList* many = nullptr;
  for (int i = 0; i < 200000; ++i) many = listAppend(many, makeNode<NullNode>(astNodeNull, i));
  int count = 0;
  walkTree(
      many, [](AstNode*, void* arg) { ++*static_cast<int*>(arg); }, &count);
  EXPECT_EQ(count, 200001);
}

}  // namespace
