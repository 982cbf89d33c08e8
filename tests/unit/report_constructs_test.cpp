// The constructs a rejection is counted under: each rule of the table from a unit that uses its
// construct, compiled as xcomp compiles it, and the parser's own words for a rejection no rule knows.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "compile.h"
#include "report/constructs.h"

namespace {

struct ConstructCase {
  const char* rule;  // the table row expected to name it
  const char* unit;
  const char* construct;
};

const ConstructCase constructCases[] = {
    {"CREATE TYPE BODY",
     "CREATE OR REPLACE TYPE BODY money_t AS\n  MEMBER FUNCTION total RETURN NUMBER IS\n  BEGIN\n    RETURN amount;\n"
     "  END;\nEND;\n",
     "CREATE TYPE BODY"},
    {"object type inheritance", "CREATE OR REPLACE TYPE manager_t UNDER employee_t (\n  reports NUMBER\n);\n",
     "object type inheritance (UNDER)"},
    {"object type OID", "CREATE TYPE addr_t OID '19A57209ECB73F91E03400400B40BBE3' AS OBJECT (street VARCHAR2(80));\n",
     "object type with a fixed OID"},
    {"object type methods", "CREATE OR REPLACE TYPE shape_t AS OBJECT (id NUMBER) NOT FINAL;\n",
     "object type modifier (FINAL, INSTANTIABLE)"},
    {"user-defined aggregate",
     "CREATE OR REPLACE FUNCTION median_of (x NUMBER) RETURN NUMBER\n  AGGREGATE USING median_impl;\n",
     "user-defined aggregate function (AGGREGATE USING)"},
    {"compound trigger",
     "CREATE OR REPLACE TRIGGER trg_orders_c\n  FOR UPDATE ON orders\n  COMPOUND TRIGGER\n  g_rows PLS_INTEGER := 0;\n"
     "  AFTER EACH ROW IS\n  BEGIN\n    g_rows := g_rows + 1;\n  END AFTER EACH ROW;\nEND trg_orders_c;\n",
     "compound trigger (COMPOUND TRIGGER)"},
    {"EXCEPTION_INIT",
     "CREATE OR REPLACE PACKAGE BODY orders_api AS\n  e_null_column EXCEPTION;\n"
     "  PRAGMA EXCEPTION_INIT(e_null_column, -1400);\n  PROCEDURE ins IS BEGIN NULL; END ins;\nEND orders_api;\n",
     "EXCEPTION_INIT with error number -1400 (not in the error map)"},
    {"EXCEPTION_INIT", "DECLARE\n  e_gone EXCEPTION;\n  PRAGMA EXCEPTION_INIT(e_gone, -1403);\nBEGIN\n  NULL;\nEND;\n",
     "EXCEPTION_INIT with error number -1403 (use NO_DATA_FOUND or 100)"},
    {"EXCEPTION_INIT", "DECLARE\n  PRAGMA EXCEPTION_INIT(e_never_declared, -1);\nBEGIN\n  NULL;\nEND;\n",
     "EXCEPTION_INIT of an exception not declared in the same section"},
    {"conditional compilation",
     "CREATE OR REPLACE PROCEDURE log_it (p_msg VARCHAR2) IS\nBEGIN\n  $IF $$debug $THEN\n"
     "    dbms_output.put_line(p_msg);\n  $END\n  NULL;\nEND;\n",
     "conditional compilation ($IF)"},
    {"AUTHID", "CREATE OR REPLACE PACKAGE orders_api AUTHID CURRENT_USER AS\n  PROCEDURE ins;\nEND orders_api;\n",
     "AUTHID CURRENT_USER"},
    {"q-quoted literal",
     "CREATE OR REPLACE PROCEDURE warn_it IS\nBEGIN\n  RAISE_APPLICATION_ERROR(-20001, q'[row can't be "
     "saved]');\nEND;\n",
     "q-quoted literal"},
    {"nested comment", "BEGIN\n  /* old code\n  /* x := 1; */\n  NULL;\nEND;\n",
     "comment holding '/*' (comments nest)"},
    {"CREATE TYPE FORCE", "CREATE OR REPLACE TYPE order_t FORCE AS OBJECT (id NUMBER);\n", "CREATE TYPE ... FORCE"},
    {"method call on a function result", "BEGIN\n  get_acct(1).post(100);\nEND;\n", "method call on a function result"},
    {"nested routine",
     "CREATE OR REPLACE PROCEDURE tidy_orders IS\n  FUNCTION cutoff (p_days IN NUMBER) RETURN DATE IS\n  BEGIN\n"
     "    RETURN SYSDATE - p_days;\n  END cutoff;\nBEGIN\n  DELETE FROM orders WHERE created_on < cutoff(30);\nEND;\n",
     "nested FUNCTION in a declaration section"},
    {"routine clause",
     "CREATE OR REPLACE FUNCTION twice (x NUMBER) RETURN NUMBER DETERMINISTIC PARALLEL_ENABLE IS\nBEGIN\n  RETURN 2 * "
     "x;\nEND;\n",
     "routine clause PARALLEL_ENABLE"},
    {"unsupported feature",
     "CREATE OR REPLACE PACKAGE BODY purge_api AS\n  PROCEDURE purge (p_ids IN t_id_list) IS\n  BEGIN\n"
     "    FORALL i IN 1 .. p_ids.COUNT SAVE EXCEPTIONS\n      DELETE FROM orders WHERE id = p_ids(i);\n"
     "  END purge;\nEND purge_api;\n",
     "FORALL with SAVE EXCEPTIONS or BETWEEN bounds"},
};

TEST(Constructs, EachRuleNamesItsConstructFromAUnitThatUsesIt) {
  std::set<std::string> tested;
  for (const ConstructCase& c : constructCases) {
    SCOPED_TRACE(c.unit);
    const Outcome outcome = compileRequest(CompileSettings{}, c.unit);
    ASSERT_FALSE(outcome.ok);
    ASSERT_FALSE(outcome.errors.empty());
    bool known = false;
    EXPECT_EQ(constructOf(outcome.errors.front(), c.unit, &known), c.construct);
    EXPECT_TRUE(known);
    // What follows from the construct counts under it too: an open comment leaves the input ended.
    for (const ErrorCopy& e : outcome.errors) EXPECT_EQ(constructOf(e, c.unit), c.construct);
    tested.insert(c.rule);
  }
  // A rule added to the table comes with a unit of its own here.
  for (const ConstructRule* rule = constructRules; rule->name != nullptr; ++rule) {
    EXPECT_TRUE(tested.count(rule->name)) << "no case for the rule '" << rule->name << "'";
  }
}

TEST(Constructs, RejectionsNoRuleKnowsKeepTheParsersWords) {
  struct Case {
    const char* unit;
    const char* construct;
  };
  const Case cases[] = {
      // The expected tokens differ with the place; the token met is what groups units.
      {"BEGIN\n  IF x THEN NULL; END;\nEND;\n", "syntax error, unexpected ';'"},
      {"BEGIN\n  l_count := ;\nEND;\n", "Missing expression"},
      // Words that only look like a rule's: FUNCTION in a package body is its member, not a nested one.
      {"CREATE OR REPLACE PACKAGE BODY p AS\n  x NUMBER := ;\n  FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;\nEND "
       "p;\n",
       "syntax error, unexpected ';'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unit);
    const Outcome outcome = compileRequest(CompileSettings{}, c.unit);
    ASSERT_FALSE(outcome.errors.empty());
    bool known = true;
    EXPECT_EQ(constructOf(outcome.errors.front(), c.unit, &known), c.construct);
    EXPECT_FALSE(known);
  }
  Diagnostic unset;
  unset.message = "substitution variable 'run_date' has no value";
  EXPECT_EQ(constructOf(unset), "substitution variable '...' has no value");
}

}  // namespace
