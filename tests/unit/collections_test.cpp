// Collections, bulk operations and dynamic SQL: the parts of their rewrites that the generated text
// alone does not show (restricted-call shapes, names qualified by enclosing routines), their error
// records as the caller's SQLCA reports them, and deeply nested uses of them.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "entry/entry.h"
#include "lexer/token_codes.h"
#include "parser/parser.h"
#include "pool/pool.h"
#include "transform/rewrites.h"
#include "transform/transform.h"
#include "tree_helpers.h"

namespace {

// Parses and transforms one program, keeping the tree for inspection.
class Rewritten : public ParsedTree {
 protected:
  AstNode* transform(const char* text) {
    AstList* root = transformed(text);
    return root != nullptr ? static_cast<AstNode*>(listFirst(root)) : nullptr;
  }
};

std::vector<std::string> errorMessages(const CompileError* errors) {
  std::vector<std::string> messages;
  for (const CompileError* e = errors; e != nullptr; e = e->next) messages.emplace_back(e->message);
  return messages;
}

template <typename T>
T* nth(const AstList* list, uint32_t n) {
  return static_cast<T*>(listNth(list, n));
}

// An assignment from a restricted package function becomes a call whose last argument is the target.
// The argument list is recognised by its shape alone: a parenthesis after the name and one ending the
// value, matched or not; only a value ending otherwise is recorded as an error.
TEST_F(Rewritten, RestrictedCallArgumentsAreTakenByTheirShape) {
  AstNode* program = transform(
      "CREATE PROCEDURE p (c IN INTEGER) IS n INTEGER; m INTEGER;\nBEGIN\n"
      "  n := DBMS_SQL.OPEN_CURSOR;\n  n := dbms_sql.last_error_position();\n"
      "  n := DBMS_SQL.EXECUTE(c) + NVL(m, 0);\n  n := DBMS_SQL.FETCH_ROWS(c) + 1;\n"
      "  n := UTL_FILE.FOPEN(c);\nEND;");
  const AstList* statements = static_cast<BlockNode*>(static_cast<CreateProcNode*>(program)->body)->statements;
  const char* expected[] = {"n", "n", "c ) + NVL ( m , 0 , n", "n", nullptr};
  for (uint32_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    auto* assign = nth<AssignNode>(statements, i + 1);
    ASSERT_EQ(assign->kind, astNodeAssign);
    if (expected[i] == nullptr) {
      EXPECT_EQ(assign->replacement, nullptr);
      continue;
    }
    ASSERT_NE(assign->replacement, nullptr);
    ASSERT_EQ(assign->replacement->kind, astNodeCall);
    EXPECT_EQ(joined(static_cast<CallNode*>(assign->replacement)->arguments), expected[i]);
  }
  ASSERT_NE(errors, nullptr);
  EXPECT_STREQ(errors->message, "Call to package function not permitted in this context");
  EXPECT_STREQ(errors->detail, "DBMS_SQL.FETCH_ROWS");
  EXPECT_EQ(errors->line, 6);
  EXPECT_EQ(errors->next, nullptr);
}

// p.x names the x of the nearest enclosing routine called p, its body's label standing for p, unless x
// is a parameter of that routine; functions and triggers qualify the same way.
TEST_F(Rewritten, NamesQualifiedByEnclosingRoutinesOfEveryKind) {
  AstNode* program = transform(
      "CREATE PROCEDURE outer_p (total IN NUMBER) IS\n"
      "  PROCEDURE inner_p (n IN NUMBER) IS BEGIN NULL; END;\n"
      "BEGIN\n  NULL;\nEND;");
  auto* outer = static_cast<CreateProcNode*>(program);
  auto* inner = nth<CreateProcNode>(static_cast<BlockNode*>(outer->body)->declarations, 1);
  ASSERT_EQ(inner->kind, astNodeCreateProc);
  const AstNode* innerUse = nth<AstNode>(static_cast<BlockNode*>(inner->body)->statements, 1);
  const std::string outerLabel = static_cast<BlockNode*>(outer->body)->label;
  const std::string innerLabel = static_cast<BlockNode*>(inner->body)->label;
  ASSERT_NE(outerLabel, innerLabel);
  EXPECT_EQ(requalifyByRoutine(innerUse, "inner_p.cnt"), innerLabel + ".cnt");
  EXPECT_EQ(requalifyByRoutine(innerUse, "OUTER_P.cnt.x"), outerLabel + ".cnt.x");
  EXPECT_STREQ(requalifyByRoutine(innerUse, "outer_p.total"), "outer_p.total");
  EXPECT_STREQ(requalifyByRoutine(innerUse, "inner_p.n"), "inner_p.n");
  EXPECT_STREQ(requalifyByRoutine(innerUse, "\"outer_p.cnt\""), "\"outer_p.cnt\"");

  errors = nullptr;
  auto* function =
      static_cast<CreateFuncNode*>(transform("CREATE FUNCTION f (a IN NUMBER) RETURN NUMBER IS BEGIN RETURN a; END;"));
  const AstNode* ret = nth<AstNode>(static_cast<BlockNode*>(function->body)->statements, 1);
  EXPECT_STREQ(requalifyByRoutine(ret, "f.local"), "SYSKELINTERNAL_BLOCK.local");
  EXPECT_STREQ(requalifyByRoutine(ret, "F.a"), "F.a");
}

// The three records a caller sees for the bad input of these rewrites, with the fields the SQLCA takes
// from them.
TEST(CollectionErrors, ReachTheCallerThroughTheSqlca) {
  struct Case {
    const char* text;
    int sqlcode;
    const char* message;
    int line;
    int point;
  };
  const Case cases[] = {
      {"CREATE PROCEDURE p IS x xs; n INTEGER;\nBEGIN\n  x.EXTEND(n + 1);\nEND;", -142, "Unsupported PL/SQL statement",
       3, 499},
      {"CREATE PROCEDURE p IS n INTEGER;\nBEGIN\n\n  n := DBMS_SQL.FETCH_ROWS(1) - 1;\nEND;", -142,
       "Unsupported PL/SQL statement", 4, 499},
      {"BEGIN\n  FOR i IN 1 ..\n 2147483648 LOOP NULL; END LOOP;\nEND;", -104,
       "2147483648\xFFINTEGER value out of range\xFF", 3, 488},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<char> storage(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
    auto* statement = reinterpret_cast<XcompStatement*>(storage.data());
    statement->length = static_cast<uint32_t>(std::strlen(c.text));
    std::memcpy(statement->text, c.text, statement->length);
    SQLCA sqlca;
    clearSqlca(&sqlca);
    const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
    EXPECT_EQ(xcomp2(statement, &options, &sqlca), 1);
    EXPECT_EQ(sqlca.sqlcode, c.sqlcode);
    EXPECT_EQ(std::string(sqlca.sqlstate, 5), "42601");
    EXPECT_EQ(std::string(sqlca.sqlerrmc, sqlca.sqlerrml), c.message);
    EXPECT_EQ(sqlca.sqlerrd[2], c.line);
    EXPECT_EQ(sqlca.sqlerrd[4], c.point);
    EXPECT_EQ(sqlca.sqlcaid[5], 'L');
  }
  // Through the driver the records keep what the SQLCA leaves out: the feature named and the bound.
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  compileStatement("BEGIN\n  x.EXTEND(1, 2, 3);\n  FOR i IN REVERSE 99999999999 .. 1 LOOP NULL; END LOOP;\nEND;",
                   &results, &errors, nullptr);
  ASSERT_NE(errors, nullptr);
  // In the order the walk meets them.
  EXPECT_EQ(errorMessages(errors),
            (std::vector<std::string>{"EXTEND argument is not a constant or a variable", "syntax error"}));
  EXPECT_STREQ(errors->detail, "EXTEND");
  EXPECT_EQ(errors->nearText, nullptr);
  EXPECT_EQ(errors->line, 2);
  ASSERT_NE(errors->next, nullptr);
  EXPECT_STREQ(errors->next->detail, "99999999999");
  EXPECT_STREQ(errors->next->nearText, "INTEGER value out of range");
  EXPECT_STREQ(errors->next->extra, "");
  EXPECT_EQ(errors->next->line, 3);
  releaseCompilation(&results, &errors);
}

// Bulk fetches, FORALL over collections and dynamic statements nested hundreds deep translate without
// a record, each at its own depth with names of its own.
TEST(CollectionNesting, DeeplyNestedBulkAndDynamicConstructsTranslate) {
  constexpr int depth = 150;
  std::string text = "CREATE PROCEDURE deep IS CURSOR c IS SELECT a FROM t; x xs; BEGIN\n";
  for (int i = 0; i < depth; ++i) {
    text += "LOOP FETCH c BULK COLLECT INTO x LIMIT 10;\n";
    text += "FORALL k IN VALUES OF x EXECUTE IMMEDIATE 'DELETE FROM t WHERE a = :1' USING k;\n";
  }
  for (int i = 0; i < depth; ++i) text += "EXIT; END LOOP;\n";
  text += "END;";
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  compileStatement(text.c_str(), &results, &errors, nullptr);
  EXPECT_EQ(errors, nullptr) << (errors != nullptr ? errors->message : "");
  ASSERT_NE(results, nullptr);
  const std::string out(results->text, results->length);
  // One prepared statement per level, each under a name no other generated object has.
  std::set<std::string> names;
  size_t prepares = 0;
  for (size_t at = out.find("PREPARE "); at != std::string::npos; at = out.find("PREPARE ", at + 1)) {
    ++prepares;
    names.insert(out.substr(at + 8, out.find(' ', at + 8) - at - 8));
  }
  EXPECT_EQ(prepares, static_cast<size_t>(depth));
  EXPECT_EQ(names.size(), static_cast<size_t>(depth));
  size_t labels = 0;
  for (size_t at = out.find(": LOOP"); at != std::string::npos; at = out.find(": LOOP", at + 1)) {
    const size_t start = out.find_first_not_of(' ', out.rfind('\n', at) + 1);
    EXPECT_EQ(names.count(out.substr(start, at - start)), 0u) << "a loop label reuses a statement's name";
    labels += out.compare(start, 15, "SYSKELINTERNAL_") == 0 ? 1 : 0;
  }
  EXPECT_EQ(labels, static_cast<size_t>(2 * depth));  // each level's own loop and its fetch loop
  releaseCompilation(&results, &errors);
}

}  // namespace
