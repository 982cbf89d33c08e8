// Exhaustion at every allocation: for N = 1, 2, ... the Nth host block of a compilation is refused,
// until a compilation needs fewer blocks than N. Each refused run must report the out-of-memory record
// and nothing else; the sanitizer build checks that nothing is left behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "entry/driver.h"
#include "entry/entry.h"
#include "host/host.h"

namespace {

// Inputs that reach every stage and every kind of error record.
const char* const inputs[] = {
    "CREATE OR REPLACE PROCEDURE p(a IN NUMBER, b OUT VARCHAR2) IS\n"
    "  x VARCHAR2(10) := 'a';\n  n PLS_INTEGER DEFAULT a + 1;\n"
    "BEGIN\n  IF a > 1 AND NOT b IS NULL THEN x := 'b'; ELSIF a = 0 THEN NULL; ELSE b := x; END IF;\n"
    "  <<outer>> LOOP EXIT outer WHEN n > 3; n := n + 1; END LOOP;\n"
    "  WHILE n > 0 LOOP n := n - 1; END LOOP;\n"
    "  SELECT c INTO x FROM t WHERE id = a;\n  UPDATE t SET c = x WHERE id = a;\n"
    "EXCEPTION WHEN NO_DATA_FOUND THEN NULL;\nEND;",
    "CREATE FUNCTION f(a NUMBER) RETURN NUMBER DETERMINISTIC IS BEGIN RETURN a * 2; END;",
    "CREATE OR REPLACE PACKAGE BODY pk IS\n  g NUMBER := 1;\n  PROCEDURE q IS BEGIN g := 2; END;\n"
    "  FUNCTION r RETURN NUMBER IS BEGIN RETURN g; END;\nBEGIN\n  g := 3;\nEND;",
    "CREATE OR REPLACE PACKAGE pk AUTHID CURRENT_USER AS\n  TYPE r IS RECORD (a NUMBER, b t.c%TYPE);\n"
    "  TYPE tt IS TABLE OF r INDEX BY VARCHAR2(10);\n  TYPE va IS VARRAY(3) OF NUMBER;\n"
    "  SUBTYPE s IS NUMBER RANGE 1 .. 9 NOT NULL;\n  TYPE rc IS REF CURSOR;\n"
    "  CURSOR c(p NUMBER) IS SELECT a FROM t WHERE b = p;\n  v NUMBER := 1;\n"
    "  PROCEDURE q(a IN NUMBER);\n  FUNCTION f RETURN NUMBER;\nEND;",
    "CREATE OR REPLACE TRIGGER trg BEFORE DELETE OR UPDATE OF a, b ON t REFERENCING NEW AS n OLD AS o\n"
    "FOR EACH ROW WHEN (n.a > 0)\nDECLARE x NUMBER;\nBEGIN\n  :n.b := :o.b + 1;\nEND;",
    "CREATE OR REPLACE TYPE pt AS OBJECT (x NUMBER, y NUMBER := 0)",  // a record default is refused
    "CREATE TYPE ids AS TABLE OF NUMBER",
    "BEGIN p(1, 2); END;",
    // Collection methods, FORALL over a collection, the bulk fetch with its row-count handler.
    "CREATE PROCEDURE b(n OUT INTEGER) IS CURSOR c IS SELECT a FROM t; x xs;\n"
    "BEGIN\n  x.EXTEND(2, 1); x.TRIM; x.DELETE(1, 2);\n  FETCH c BULK COLLECT INTO x LIMIT 10;\n"
    "  FORALL i IN VALUES OF x DELETE FROM t WHERE a = i;\n  n := SQL%ROWCOUNT;\nEND;",
    // Dynamic statements with binds, BULK COLLECT through a prepared cursor, a bulk select and the
    // restricted calls, one of them rejected.
    "CREATE PROCEDURE d(s IN VARCHAR2) IS x xs; n INTEGER;\n"
    "BEGIN\n  EXECUTE IMMEDIATE s INTO n USING IN 1, OUT n;\n  EXECUTE IMMEDIATE 'q' BULK COLLECT INTO x USING n;\n"
    "  SELECT a BULK COLLECT INTO x FROM t;\n  n := DBMS_SQL.EXECUTE(n);\n  n := DBMS_SQL.LAST_ROW_COUNT + 1;\nEND;",
    "DROP PACKAGE pk",
    "BEGIN IF x THEN NULL; END; END;",       // syntax error with an expected-token list
    "BEGIN x := 'never closed; END;",        // lexical records at end of input
    "BEGIN /* open comment\n x := 1; END;",  // unterminated comment
    // exceptions: declarations, both EXCEPTION_INIT forms and a rejected one, handlers of every kind
    // with their diagnostics capture, RAISE, SELECT INTO with the ROW_COUNT capture
    "CREATE PROCEDURE e(p NUMBER) IS\n  x EXCEPTION;\n  PRAGMA EXCEPTION_INIT(x, -2292);\n"
    "  y EXCEPTION;\n  PRAGMA NUV_EXCEPTION_INIT(y, 'AB001');\n  z EXCEPTION;\n  PRAGMA EXCEPTION_INIT(z, -1403);\n"
    "  v NUMBER;\nBEGIN\n  SELECT a INTO v FROM t WHERE k = p;\n  IF SQL%FOUND THEN RAISE x; END IF;\n"
    "  BEGIN RAISE STANDARD.ZERO_DIVIDE; EXCEPTION WHEN y THEN RAISE; END;\n"
    "EXCEPTION\n  WHEN x OR NO_DATA_FOUND THEN v := SQLCODE;\n  WHEN OTHERS THEN v := LENGTH(SQLERRM);\nEND;",
    // cursors: attributes, both FOR loops with EXIT and CONTINUE, OPEN FOR a query and a text, RETURNING
    "CREATE PROCEDURE c(p NUMBER) IS\n  CURSOR k(a NUMBER) IS SELECT id FROM t WHERE id > a;\n"
    "  r SYS_REFCURSOR;\n  n NUMBER;\nBEGIN\n"
    "  <<o>> FOR x IN k(p) LOOP CONTINUE WHEN x.id = 0; FOR y IN (SELECT 1 AS z FROM t) LOOP EXIT o; END LOOP;\n"
    "  END LOOP;\n  OPEN r FOR SELECT id FROM t;\n  OPEN r FOR 'SELECT id FROM t WHERE id = ?' USING p;\n"
    "  IF c.k%ISOPEN OR k%FOUND THEN n := k%ROWCOUNT; END IF;\n"
    "  UPDATE t SET id = id + 1 WHERE id = p RETURNING id INTO n;\n  n := SQL%ROWCOUNT;\nEND;",
    // trigger pseudo-records, REFERENCING aliases and the WHEN condition (the trigger writer may still
    // record its own error; the rewrite runs either way)
    "CREATE TRIGGER g BEFORE UPDATE ON t REFERENCING OLD AS o FOR EACH ROW WHEN (new.a > old.a)\n"
    "BEGIN :NEW.b := :o.b + 1; END;",
};

struct Outcome {
  bool isOom;
  std::string summary;
};

// One compilation; the summary is what later tells a clean run from a disturbed one.
Outcome compileOnce(const char* text, uint64_t failAt) {
  SessionSettings settings = sessionSettingsFor(1208, 'S', '0', '0');
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  hostFailNthBlock(failAt);
  compileStatement(text, &results, &errors, &settings);
  hostFailNthBlock(0);
  Outcome outcome{errors == &oomError, ""};
  if (outcome.isOom) {
    EXPECT_EQ(results, nullptr) << "exhaustion discards every result";
    EXPECT_EQ(errors->next, nullptr);
  }
  for (const CompileError* e = errors; e != nullptr; e = e->next) {
    outcome.summary += std::string(e->message ? e->message : "") + "@" + std::to_string(e->line) + ";";
  }
  for (const XcompResult* r = results; r != nullptr; r = r->next) outcome.summary += std::string(r->text, r->length);
  releaseCompilation(&results, &errors);
  return outcome;
}

TEST(OutOfMemory, EveryAllocationOfEveryStageFailsCleanly) {
  for (const char* text : inputs) {
    SCOPED_TRACE(text);
    const Outcome clean = compileOnce(text, 0);
    ASSERT_FALSE(clean.isOom);
    // Count the blocks of one compilation with a hook armed so far out that it never fires.
    hostFailNthBlock(UINT64_MAX);
    SessionSettings settings = sessionSettingsFor(1208, 'S', '0', '0');
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(text, &results, &errors, &settings);
    releaseCompilation(&results, &errors);
    const uint64_t blocks = hostBlockRequestCount();
    hostFailNthBlock(0);
    ASSERT_GT(blocks, 3u);
    for (uint64_t n = 1; n <= blocks; ++n) {
      const Outcome refused = compileOnce(text, n);
      EXPECT_TRUE(refused.isOom) << "block " << n << " of " << blocks << ": " << refused.summary;
    }
    EXPECT_EQ(compileOnce(text, 0).summary, clean.summary) << "nothing of the failures lingers";
  }
}

TEST(OutOfMemory, EntryPointReportsTheStaticRecord) {
  const std::string text = inputs[0];
  std::vector<char> storage(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
  auto* statement = reinterpret_cast<XcompStatement*>(storage.data());
  const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
  auto run = [&](uint64_t failAt) {
    statement->length = static_cast<uint32_t>(text.size());
    std::memcpy(statement->text, text.data(), text.size());
    SQLCA sqlca;
    clearSqlca(&sqlca);
    hostFailNthBlock(failAt);
    xcomp2(statement, &options, &sqlca);
    hostFailNthBlock(0);
    return sqlca;
  };
  hostFailNthBlock(UINT64_MAX);
  {
    statement->length = static_cast<uint32_t>(text.size());
    std::memcpy(statement->text, text.data(), text.size());
    SQLCA sqlca;
    clearSqlca(&sqlca);
    xcomp2(statement, &options, &sqlca);
  }
  const uint64_t blocks = hostBlockRequestCount();
  hostFailNthBlock(0);
  // The first block is the entry point's own private block; the rest belong to the compilation.
  const SQLCA first = run(1);
  EXPECT_EQ(first.sqlcode, -101);
  EXPECT_EQ(std::string(first.sqlerrmc, first.sqlerrml), "couldn't get memory");
  for (uint64_t n = 2; n <= blocks; ++n) {
    const SQLCA sqlca = run(n);
    EXPECT_EQ(sqlca.sqlcode, -10003) << n;
    EXPECT_EQ(std::string(sqlca.sqlstate, 5), "57011");
    EXPECT_EQ(std::string(sqlca.sqlerrmc, sqlca.sqlerrml), "Out of memory");
    EXPECT_EQ(sqlca.sqlerrd[4], 504);
    EXPECT_EQ(sqlca.sqlerrd[2], -1);
    EXPECT_EQ(std::string(statement->text, statement->length), text) << "the caller's text stays";
  }
}

}  // namespace
