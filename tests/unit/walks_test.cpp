// The walks that skip work: walkStatements, which leaves token lists out, must still meet every
// statement, handler and block walkTree meets, in the same order; and a nested block's diagnostics
// tokens, which its enclosing block's prescan noted for it, must end up as its own walk would leave them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexer/token_codes.h"
#include "parser/parser.h"
#include "pool/pool.h"
#include "transform/transform.h"
#include "tree_helpers.h"

namespace {

using Walks = ParsedTree;

// The nodes a walk shows that are neither tokens nor lists, in order.
std::vector<AstNode*> structureSeenBy(void (*walk)(AstNode*, TreeVisitor, void*), AstNode* root) {
  std::vector<AstNode*> seen;
  walk(
      root,
      [](AstNode* node, void* arg) {
        EXPECT_NE(node->kind, static_cast<uint32_t>(astNodeToken));
        if (node->kind != astNodeList) static_cast<std::vector<AstNode*>*>(arg)->push_back(node);
      },
      &seen);
  return seen;
}

std::vector<AstNode*> structureSeenByWalkTree(AstNode* root) {
  std::vector<AstNode*> seen;
  walkTree(
      root,
      [](AstNode* node, void* arg) {
        if (node->kind != astNodeList && node->kind != astNodeToken) {
          static_cast<std::vector<AstNode*>*>(arg)->push_back(node);
        }
      },
      &seen);
  return seen;
}

size_t countOf(const std::vector<AstNode*>& nodes, AstNodeKind kind) {
  size_t count = 0;
  for (const AstNode* node : nodes) count += node->kind == kind ? 1 : 0;
  return count;
}

const char* const packageBody = R"(CREATE OR REPLACE PACKAGE BODY billing AS
  g_rate NUMBER := 1.2;
  CURSOR c_open(p_region VARCHAR2) IS SELECT id, amount FROM invoices WHERE region = p_region;
  FUNCTION net(p_amount NUMBER) RETURN NUMBER IS
  BEGIN
    RETURN p_amount / g_rate;
  EXCEPTION
    WHEN ZERO_DIVIDE THEN RETURN 0;
  END net;
  PROCEDURE close_month(p_region IN VARCHAR2) IS
    v_total NUMBER := 0;
    PROCEDURE note(p_text VARCHAR2) IS
    BEGIN
      INSERT INTO billing_log (msg) VALUES (p_text);
    EXCEPTION
      WHEN OTHERS THEN NULL;
    END;
  BEGIN
    FOR r IN c_open(p_region) LOOP
      BEGIN
        v_total := v_total + net(r.amount);
      EXCEPTION
        WHEN VALUE_ERROR THEN note('bad amount ' || r.id);
      END;
    END LOOP;
    FOR i IN 1 .. 3 LOOP
      CASE i
        WHEN 1 THEN note('first');
        ELSE IF v_total > 100 THEN note('large'); ELSIF v_total > 10 THEN note('medium'); END IF;
      END CASE;
    END LOOP;
    WHILE v_total > 0 LOOP
      v_total := v_total - 1;
    END LOOP;
  EXCEPTION
    WHEN NO_DATA_FOUND THEN
      note(SQLERRM);
      RAISE;
  END close_month;
BEGIN
  g_rate := 1.25;
END billing;
)";

TEST_F(Walks, WalkStatementsMeetsTheStructureWalkTreeMeetsInItsOrder) {
  for (const bool transform : {false, true}) {
    AstList* root = transform ? transformed(packageBody) : parse(packageBody);
    ASSERT_NE(root, nullptr);
    const std::vector<AstNode*> all = structureSeenByWalkTree(root);
    const std::vector<AstNode*> statements = structureSeenBy(walkStatements, root);
    EXPECT_EQ(statements, all) << (transform ? "after the transformer" : "as parsed");
  }
  // The package's routines are walked once the transformer has sorted its members; what a scan for
  // handlers and blocks relies on is there then.
  const std::vector<AstNode*> statements = structureSeenBy(walkStatements, transformed(packageBody));
  EXPECT_EQ(countOf(statements, astNodeHandler), 4u);
  EXPECT_GE(countOf(statements, astNodeBlock), 6u);
}

TEST_F(Walks, WalkStatementsLeavesTokenListsOut) {
  AstList* root = parse("BEGIN x := f(a, b) + 1; UPDATE t SET c = 2 WHERE d = 3; END;");
  ASSERT_NE(root, nullptr);
  size_t lists = 0;
  walkStatements(
      root, [](AstNode* node, void* arg) { *static_cast<size_t*>(arg) += node->kind == astNodeList ? 1 : 0; }, &lists);
  // The program list and the block's statement list; no token list of the two statements.
  EXPECT_EQ(lists, 2u);
}

// The text a diagnostics token was given, by its position among the tokens of one code.
std::vector<std::string> textsOf(AstNode* root, uint32_t code) {
  struct Search {
    uint32_t code;
    std::vector<std::string> texts;
  } search{code, {}};
  walkTree(
      root,
      [](AstNode* node, void* arg) {
        auto* s = static_cast<Search*>(arg);
        if (node->kind == astNodeToken && static_cast<TokenNode*>(node)->code == s->code) {
          s->texts.emplace_back(static_cast<TokenNode*>(node)->text);
        }
      },
      &search);
  return search.texts;
}

TEST_F(Walks, NestedBlocksGiveSqlerrmTheTextOfTheirOwnPlace) {
  // SQLERRM is read: outside every handler; in an inner block's handler (which the outer block's
  // prescan meets from outside a handler); in a block nested in a handler; in a block in a rewritten
  // loop's body; and in a routine declared in a nested block.
  AstList* root = transformed(R"(CREATE PROCEDURE p IS
  v_msg VARCHAR2(200);
BEGIN
  v_msg := SQLERRM;
  BEGIN
    DELETE FROM t;
  EXCEPTION WHEN OTHERS THEN
    v_msg := SQLERRM;
  END;
  FOR i IN 1 .. 2 LOOP
    BEGIN
      v_msg := SQLERRM;
    EXCEPTION WHEN OTHERS THEN
      v_msg := SQLERRM;
    END;
  END LOOP;
  DECLARE
    PROCEDURE q IS BEGIN v_msg := SQLERRM; EXCEPTION WHEN OTHERS THEN v_msg := SQLERRM; END;
  BEGIN
    q;
  END;
EXCEPTION WHEN OTHERS THEN
  DECLARE
    l_msg VARCHAR2(200);
  BEGIN
    l_msg := SQLERRM;
  END;
END;)");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(errors, nullptr);
  const char* outside = "SYSKELINTERNAL_SQLERRM_0";
  const char* inside = "SYSKELINTERNAL_SQLERRM";
  const std::vector<std::string> expected{outside, inside, outside, inside, outside, inside, inside};
  EXPECT_EQ(textsOf(root, T_SQLERRM), expected);
}

}  // namespace
