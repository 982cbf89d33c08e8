// Execute mode through the real driver manager: a driver of our own plays the engine (savepoints over a
// unit of work, the wrap routine, scripted failures), and the tests read back what it received, what
// was left in place and that every handle went. A few requests go to SQLite's driver as well.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sql.h>
#include <sqlext.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "entry/entry.h"
#include "request_helpers.h"
#include "test_driver.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own count of live heap bytes (its malloc does not feed mallinfo).
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

namespace {

const std::string odbcDir = XCOMP_ODBC_DIR;

// Points the driver manager at the build tree's configuration with `dataSources` as the user's
// odbc.ini, whose [Default] entry is what "DSN=;" opens.
class DataSource {
 public:
  explicit DataSource(const std::string& dataSources)
      : systemDir_("ODBCSYSINI", odbcDir.c_str()), userFile_("ODBCINI", (odbcDir + "/" + dataSources).c_str()) {}

 private:
  EnvOverride systemDir_;
  EnvOverride userFile_;
};

// The loaded test driver, held open so its state outlives the driver manager's unloading it.
TestDriver& engine() {
  static TestDriver* driver = [] {
    void* library = dlopen(XCOMP_TEST_DRIVER, RTLD_NOW);
    EXPECT_NE(library, nullptr) << dlerror();
    auto* find = reinterpret_cast<TestDriver* (*)()>(dlsym(library, "xcompTestDriver"));
    return find();
  }();
  return *driver;
}

std::vector<std::string> calls() {
  const std::lock_guard<std::mutex> lock(engine().mutex);
  return engine().calls;
}

std::vector<std::string> leftInPlace() {
  const std::lock_guard<std::mutex> lock(engine().mutex);
  return engine().work;
}

void script(const DriverFault& fault) {
  const std::lock_guard<std::mutex> lock(engine().mutex);
  engine().faults.push_back(fault);
}

DriverFault fault(const char* call, const char* textContains, int returnCode, const char* sqlstate, int native,
                  const char* message = "scripted failure") {
  DriverFault f;
  f.call = call;
  f.textContains = textContains;
  f.returnCode = returnCode;
  f.sqlstate = sqlstate;
  f.native = native;
  f.message = message;
  return f;
}

// The calls that make up the execution sequence, without the driver manager's own housekeeping.
std::vector<std::string> sequence() {
  std::vector<std::string> out;
  for (const std::string& call : calls()) {
    if (call.rfind("SQLFreeStmt", 0) == 0) continue;
    out.push_back(call);
  }
  return out;
}

bool called(const std::string& head) {
  const std::vector<std::string> all = calls();
  return std::any_of(all.begin(), all.end(), [&](const std::string& c) { return c.rfind(head, 0) == 0; });
}

void resetEngine() {
  const std::lock_guard<std::mutex> lock(engine().mutex);
  engine().reset();
}

// Byte for byte what a caller passes in: nothing was reported.
bool isClean(const SQLCA& sqlca) {
  const SQLCA fresh = freshSqlca();
  return std::memcmp(&sqlca, &fresh, sizeof sqlca) == 0;
}

SQLCA execute(const std::string& text) {
  CallerStatement caller(text);
  return call(caller, XCOMP_MODE_EXECUTE);
}

class ExecuteMode : public ::testing::Test {
 protected:
  void SetUp() override { resetEngine(); }
  // Whatever a test did, the driver saw every handle freed, nothing committed, no savepoint left.
  void TearDown() override {
    const std::lock_guard<std::mutex> lock(engine().mutex);
    EXPECT_EQ(engine().liveStatements, 0);
    EXPECT_EQ(engine().liveConnections, 0);
    EXPECT_EQ(engine().liveEnvironments, 0);
    EXPECT_TRUE(engine().committed.empty());
    EXPECT_TRUE(engine().savepoints.empty());
  }

  DataSource dataSource_{"engine.ini"};
};

const char* const procedure =
    "CREATE OR REPLACE PROCEDURE raise_salary(p_id IN NUMBER, p_pct IN NUMBER) IS\n"
    "BEGIN\n"
    "  UPDATE emp SET sal = sal * (1 + p_pct / 100) WHERE empno = p_id;\n"
    "END raise_salary;\n";

// The statement xcomp2 compiles from `text`, as compile-only mode returns it.
std::string compiled(const std::string& text, uint32_t extraMode = 0) {
  CallerStatement caller(text);
  const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY | extraMode);
  EXPECT_EQ(sqlca.sqlcode, 0) << message(sqlca);
  return caller.text();
}

// Each expected call opens the matching line of what the driver received (without SQLFreeStmt).
void expectSequence(const std::vector<std::string>& expected) {
  const std::vector<std::string> actual = sequence();
  ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(actual[i].rfind(expected[i], 0), 0u) << "call " << i << ": " << actual[i];
}

const std::vector<std::string> opening = {
    "SQLAllocHandle ENV",
    "SQLAllocHandle DBC",
    "SQLSetConnectAttr AUTOCOMMIT OFF",
    "SQLDriverConnect",
    "SQLAllocHandle STMT",
    "SQLExecDirect SAVEPOINT SQLEXC_PROC_SAVEPOINT UNIQUE ON ROLLBACK RETAIN CURSORS",
};
const std::vector<std::string> closing = {
    "SQLExecDirect RELEASE SAVEPOINT SQLEXC_PROC_SAVEPOINT",
    "SQLFreeHandle STMT",
    "SQLDisconnect",
    "SQLFreeHandle DBC",
    "SQLFreeHandle ENV",
};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST_F(ExecuteMode, ProcedureRunsWrappedInsideAReleasedSavepoint) {
  const std::string statement = compiled(procedure);
  resetEngine();
  const SQLCA sqlca = execute(procedure);
  EXPECT_TRUE(isClean(sqlca)) << message(sqlca);
  expectSequence(joined({opening,
                         {"SQLPrepare VALUES DBMS_DDL.WRAP(?)", "SQLBindParameter 1 1 1 -99 2097152 0 2097152",
                          "SQLExecute CREATE OR REPLACE PROCEDURE raise_salary(", "SQLBindCol 1 1 2097152", "SQLFetch",
                          "SQLCloseCursor", "SQLExecDirect /*wrapped*/ CREATE OR REPLACE PROCEDURE raise_salary("},
                         closing}));
  // The wrap routine got the whole statement, and what it returned ran in its place and stays.
  EXPECT_EQ(leftInPlace(), std::vector<std::string>{"/*wrapped*/ " + statement});
  EXPECT_FALSE(called("SQLEndTran"));
}

TEST_F(ExecuteMode, AnonymousBlockRunsAsItIs) {
  const char* block = "BEGIN\n  DELETE FROM audit_log WHERE logged_at < SYSDATE - 30;\nEND;\n";
  const std::string statement = compiled(block);
  resetEngine();
  const SQLCA sqlca = execute(block);
  EXPECT_EQ(sqlca.sqlcode, 0) << message(sqlca);
  EXPECT_FALSE(called("SQLPrepare"));
  EXPECT_EQ(leftInPlace(), std::vector<std::string>{statement});
}

TEST_F(ExecuteMode, FullSizeStatementRunsFromACopyAndLeavesTheCallersAreaAlone) {
  std::string text = "BEGIN\n  DELETE FROM audit_log;\nEND;\n";
  text.resize(XCOMP_MAX_STATEMENT, ' ');
  CallerStatement caller(text);
  const SQLCA sqlca = call(caller, XCOMP_MODE_EXECUTE);
  EXPECT_EQ(sqlca.sqlcode, 0) << message(sqlca);
  EXPECT_EQ(caller.guard(), '\x5A') << "nothing is written beyond the caller's text area";
  EXPECT_TRUE(caller.text() == text) << "execute mode gives nothing back in the caller's record";
  ASSERT_EQ(leftInPlace().size(), 1u);
  EXPECT_EQ(leftInPlace()[0].rfind("BEGIN", 0), 0u);
}

TEST_F(ExecuteMode, BothModeBitsConnectButRunNothingAndReturnTheStatement) {
  const std::string statement = compiled(procedure);
  resetEngine();
  CallerStatement caller(procedure);
  const SQLCA sqlca = call(caller, XCOMP_MODE_EXECUTE | XCOMP_MODE_COMPILE_ONLY);
  EXPECT_TRUE(isClean(sqlca)) << message(sqlca);
  EXPECT_EQ(caller.text(), statement);
  expectSequence({"SQLAllocHandle ENV", "SQLAllocHandle DBC", "SQLSetConnectAttr AUTOCOMMIT OFF", "SQLDriverConnect",
                  "SQLAllocHandle STMT", "SQLFreeHandle STMT", "SQLDisconnect", "SQLFreeHandle DBC",
                  "SQLFreeHandle ENV"});
}

TEST_F(ExecuteMode, MissingWrapRoutineRunsTheStatementUnwrappedWithACleanSqlca) {
  const std::string statement = compiled(procedure);
  resetEngine();
  script(fault("SQLPrepare", "DBMS_DDL.WRAP", -1, "42884", -440, "routine DBMS_DDL.WRAP not found"));
  const SQLCA sqlca = execute(procedure);
  EXPECT_TRUE(isClean(sqlca)) << sqlca.sqlcode << " " << message(sqlca);
  EXPECT_FALSE(called("SQLExecute"));
  EXPECT_EQ(leftInPlace(), std::vector<std::string>{statement});
}

// An engine hands its SQLCA in with its own byte count and blank warning flags. xcomp2 leaves them as
// they are while nothing is reported, but clearing the area after a missing wrap routine or a DROP
// PACKAGE fallback leaves only the eye-catcher and the state: every other field is zero.
TEST_F(ExecuteMode, ClearingTheSqlcaLeavesOnlyItsNameAndState) {
  SQLCA engineSqlca = freshSqlca();
  engineSqlca.sqlcabc = 136;
  std::memset(engineSqlca.sqlwarn, ' ', sizeof engineSqlca.sqlwarn);
  SQLCA cleared{};
  std::memcpy(cleared.sqlcaid, "SQLCA   ", 8);
  std::memcpy(cleared.sqlstate, "00000", 5);
  const auto runWith = [&](const std::string& text) {
    CallerStatement caller(text);
    SQLCA sqlca = engineSqlca;
    const XcompOptions options{XCOMP_MODE_EXECUTE};
    EXPECT_EQ(xcomp2(caller.statement(), &options, &sqlca), 1);
    return sqlca;
  };

  SQLCA sqlca = runWith(procedure);
  EXPECT_EQ(std::memcmp(&sqlca, &engineSqlca, sizeof sqlca), 0) << "nothing reported, nothing written";

  resetEngine();
  script(fault("SQLPrepare", "DBMS_DDL.WRAP", -1, "42884", -440, "routine DBMS_DDL.WRAP not found"));
  sqlca = runWith(procedure);
  EXPECT_EQ(std::memcmp(&sqlca, &cleared, sizeof sqlca), 0) << sqlca.sqlcabc << " " << message(sqlca);

  resetEngine();
  script(fault("SQLExecDirect", "DROP MODULE", -1, "42704", -204, "HR_PKG is an undefined name"));
  sqlca = runWith("DROP PACKAGE hr_pkg");
  EXPECT_EQ(std::memcmp(&sqlca, &cleared, sizeof sqlca), 0) << sqlca.sqlcabc << " " << message(sqlca);
}

TEST_F(ExecuteMode, FailedWrapStepsEndTheRequestBeforeTheStatementRuns) {
  const struct {
    const char* call;
    int point;
  } steps[] = {
      {"SQLBindParameter", 697}, {"SQLExecute", 701}, {"SQLBindCol", 710}, {"SQLFetch", 714}, {"SQLCloseCursor", 718}};
  for (const auto& step : steps) {
    for (const bool withRecord : {true, false}) {
      SCOPED_TRACE(std::string(step.call) + (withRecord ? " with a record" : " without a record"));
      resetEngine();
      DriverFault f = fault(step.call, "", -1, "58030", -1476, "wrap step failed");
      f.leavesRecord = withRecord;
      script(f);
      const SQLCA sqlca = execute(procedure);
      if (withRecord) {
        EXPECT_EQ(sqlca.sqlcode, -1476);
        EXPECT_EQ(state(sqlca), "58030");
        EXPECT_EQ(message(sqlca), "wrap step failed");
        EXPECT_EQ(sqlca.sqlerrd[4], step.point);
      } else {
        expectFailure(sqlca, -901, "58004", "SQLCA not set in CLI", step.point);
      }
      EXPECT_FALSE(called("SQLExecDirect /*wrapped*/"));
      // Rolled back and released even when the wrap's cursor was still open.
      EXPECT_TRUE(called("SQLExecDirect ROLLBACK TO SAVEPOINT SQLEXC_PROC_SAVEPOINT"));
      EXPECT_TRUE(leftInPlace().empty());
      const std::lock_guard<std::mutex> lock(engine().mutex);
      EXPECT_TRUE(engine().savepoints.empty());
      EXPECT_EQ(engine().liveStatements + engine().liveConnections + engine().liveEnvironments, 0);
    }
  }
}

TEST_F(ExecuteMode, WrapPrepareFailures) {
  // Another failure than a missing routine ends the request at the second look.
  script(fault("SQLPrepare", "", -1, "42501", -551, "not authorized to run DBMS_DDL.WRAP"));
  SQLCA sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, -551);
  EXPECT_EQ(sqlca.sqlerrd[4], 681);
  EXPECT_FALSE(called("SQLExecDirect CREATE"));

  // A failure that says nothing.
  resetEngine();
  DriverFault silent = fault("SQLPrepare", "", -1, "", 0);
  silent.leavesRecord = false;
  script(silent);
  expectFailure(execute(procedure), -901, "58004", "SQLCA not set in CLI", 669);

  // Prepared with a warning: the statement runs unwrapped, and the warning is what the caller sees.
  resetEngine();
  script(fault("SQLPrepare", "", 1, "01000", 0, "general warning"));
  sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, 1);
  EXPECT_EQ(state(sqlca), "01000");
  ASSERT_EQ(leftInPlace().size(), 1u);
  EXPECT_EQ(leftInPlace()[0].rfind("CREATE OR REPLACE PROCEDURE raise_salary(", 0), 0u);
}

TEST_F(ExecuteMode, WrapAnswersThatCannotRun) {
  struct Case {
    void (*set)(TestDriver&);
    int code;
    const char* state;
    const char* text;
  };
  const Case cases[] = {
      {[](TestDriver& d) { d.wrapReturnsNoRow = true; }, -901, "58004", "XCOMP2: DBMS_DDL.WRAP returned no row"},
      {[](TestDriver& d) { d.wrapReturnsNull = true; }, -901, "58004", "XCOMP2: DBMS_DDL.WRAP returned NULL"},
      {[](TestDriver& d) { d.wrapPadding = XCOMP_MAX_STATEMENT; }, -101, "54001", "stmt too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    resetEngine();
    {
      const std::lock_guard<std::mutex> lock(engine().mutex);
      c.set(engine());
    }
    expectFailure(execute(procedure), c.code, c.state, c.text, 714);
    EXPECT_FALSE(called("SQLExecDirect /*wrapped*/"));
    EXPECT_TRUE(leftInPlace().empty());
  }
}

TEST_F(ExecuteMode, RefusedSavepointRunsNothing) {
  script(fault("SQLExecDirect", "SAVEPOINT SQLEXC", -1, "42601", -104, "UNIQUE was unexpected"));
  const SQLCA sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, -104);
  EXPECT_EQ(sqlca.sqlerrd[4], 614);
  expectSequence(joined({opening, {"SQLFreeHandle STMT", "SQLDisconnect", "SQLFreeHandle DBC", "SQLFreeHandle ENV"}}));
}

TEST_F(ExecuteMode, OpeningFailures) {
  script(fault("SQLDriverConnect", "", -1, "08001", -30082, "security processing failed"));
  SQLCA sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, -30082);
  EXPECT_EQ(state(sqlca), "08001");
  EXPECT_EQ(sqlca.sqlerrd[4], 229);
  expectSequence({"SQLAllocHandle ENV", "SQLAllocHandle DBC", "SQLSetConnectAttr AUTOCOMMIT OFF", "SQLDriverConnect",
                  "SQLFreeHandle DBC", "SQLFreeHandle ENV"});

  resetEngine();
  DriverFault silent = fault("SQLDriverConnect", "", -1, "", 0);
  silent.leavesRecord = false;
  script(silent);
  expectFailure(execute(procedure), -901, "58004", "SQLCA not set in CLI", 229);

  // A driver that will not switch autocommit off is xcomp2's own report, whatever it said, and nothing
  // runs: the driver manager hands it the attribute while connecting, so the connection is closed again.
  resetEngine();
  script(fault("SQLSetConnectAttr", "", -1, "HYC00", -30090, "attribute not supported"));
  expectFailure(execute(procedure), -901, "58004", "XCOMP2: SQLSetConnectAttr", 225);
  expectSequence({"SQLAllocHandle ENV", "SQLAllocHandle DBC", "SQLSetConnectAttr AUTOCOMMIT OFF", "SQLDriverConnect",
                  "SQLDisconnect", "SQLFreeHandle DBC", "SQLFreeHandle ENV"});

  resetEngine();
  script(fault("SQLAllocHandle(STMT)", "", -1, "HY001", -10003, "no memory for a statement"));
  expectFailure(execute(procedure), -901, "58004", "XCOMP2: SQLAllocHandle", 235);
  EXPECT_TRUE(called("SQLDisconnect"));
  EXPECT_FALSE(called("SQLExecDirect"));

  // A connection made with a warning goes on, and the warning stays in place.
  resetEngine();
  script(fault("SQLDriverConnect", "", 1, "01000", 5701, "changed database context"));
  sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, 5701);
  EXPECT_EQ(leftInPlace().size(), 1u);
}

// What several statements of one request do (a package body becomes a module and its members).
class Results {
 public:
  Results& add(uint32_t domain, const std::string& text) {
    storage_.emplace_back(sizeof(XcompResult) + text.size(), '\0');
    auto* result = reinterpret_cast<XcompResult*>(storage_.back().data());
    result->domain = domain;
    result->next = nullptr;
    result->length = static_cast<uint32_t>(text.size());
    std::memcpy(result->text, text.data(), text.size());
    if (!storage_.empty() && storage_.size() > 1)
      reinterpret_cast<XcompResult*>(storage_[storage_.size() - 2].data())->next = result;
    return *this;
  }
  const XcompResult* head() const {
    return storage_.empty() ? nullptr : reinterpret_cast<const XcompResult*>(storage_.front().data());
  }

 private:
  std::vector<std::vector<char>> storage_;
};

SQLCA run(const Results& results, const std::string& callerText = "", uint16_t codePage = 1208) {
  SQLCA sqlca = freshSqlca();
  executeStatements("DSN=;", results.head(), callerText.data(), callerText.size(), codePage, false, &sqlca);
  return sqlca;
}

Results hrPackage() {
  Results results;
  results.add(SQLEXC_CREATE_MODULE, "CREATE OR REPLACE MODULE hr_pkg\n")
      .add(SQLEXC_PROCEDURE, "ALTER MODULE hr_pkg PUBLISH PROCEDURE hire(IN p_name VARCHAR2(4096))\n")
      .add(SQLEXC_PROCEDURE, "ALTER MODULE hr_pkg ADD PROCEDURE fire(IN p_id INTEGER)\n")
      .add(SQLEXC_COMMENT_MODULE, "COMMENT ON MODULE hr_pkg IS 'PACKAGE'\n");
  return results;
}

TEST_F(ExecuteMode, FailingStatementRollsBackWhatTheEarlierOnesDid) {
  script(fault("SQLExecDirect", "ADD PROCEDURE fire", -1, "42710", -601, "FIRE already exists"));
  const SQLCA sqlca = run(hrPackage());
  EXPECT_EQ(sqlca.sqlcode, -601);
  EXPECT_EQ(state(sqlca), "42710");
  EXPECT_EQ(message(sqlca), "FIRE already exists");
  EXPECT_EQ(sqlca.sqlerrd[4], 731);
  EXPECT_TRUE(called("SQLExecDirect CREATE OR REPLACE MODULE hr_pkg"));
  EXPECT_TRUE(called("SQLExecDirect /*wrapped*/ ALTER MODULE hr_pkg PUBLISH"));
  EXPECT_FALSE(called("SQLExecDirect COMMENT ON MODULE"));
  const std::vector<std::string> all = sequence();
  const auto rollback = std::find(all.begin(), all.end(), "SQLExecDirect ROLLBACK TO SAVEPOINT SQLEXC_PROC_SAVEPOINT");
  ASSERT_NE(rollback, all.end());
  EXPECT_EQ(*(rollback + 1), "SQLExecDirect RELEASE SAVEPOINT SQLEXC_PROC_SAVEPOINT");
  EXPECT_TRUE(leftInPlace().empty()) << ::testing::PrintToString(leftInPlace());
}

TEST_F(ExecuteMode, WarningPlus20480WinsInEitherOrderOtherwiseTheFirstIsKept) {
  const struct {
    int first, second, kept;
  } cases[] = {{100, 20480, 20480}, {20480, 100, 20480}, {100, 462, 100}, {462, 100, 462}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second));
    resetEngine();
    const std::string firstState = c.first == 20480 ? "01H20" : "02000";
    script(fault("SQLExecDirect", "PUBLISH PROCEDURE hire", 1, firstState.c_str(), c.first, "first warning"));
    script(fault("SQLExecDirect", "COMMENT ON MODULE", 1, "01H21", c.second, "second warning"));
    const SQLCA sqlca = run(hrPackage());
    EXPECT_EQ(sqlca.sqlcode, c.kept);
    EXPECT_EQ(message(sqlca), c.kept == c.first ? "first warning" : "second warning");
    EXPECT_EQ(leftInPlace().size(), 4u) << "warnings keep the work";
    EXPECT_FALSE(called("SQLExecDirect ROLLBACK"));
  }
  // A failure after a warning is what the caller sees.
  resetEngine();
  script(fault("SQLExecDirect", "PUBLISH PROCEDURE hire", 1, "01H20", 20480, "warning"));
  script(fault("SQLExecDirect", "COMMENT ON MODULE", -1, "42601", -104, "failure"));
  EXPECT_EQ(run(hrPackage()).sqlcode, -104);
  EXPECT_TRUE(leftInPlace().empty());
}

// The driver's whole record for the command line: it follows the SQLCA the run ends with (the kept
// warning's own, the first answer of the DROP PACKAGE fallback), and stands behind no report of ours.
TEST_F(ExecuteMode, TheDriversWholeRecordFollowsTheSqlcaItStandsBehind) {
  auto runWithRecord = [](const Results& results, const std::string& callerText, DriverDiagnostic* record) {
    SQLCA sqlca = freshSqlca();
    executeStatements("DSN=;", results.head(), callerText.data(), callerText.size(), 1208, false, &sqlca, record);
    return sqlca;
  };
  const std::string whole = "FIRE already exists: " + std::string(150, 'x');
  script(fault("SQLExecDirect", "ADD PROCEDURE fire", -1, "42710", 7, whole.c_str()));
  DriverDiagnostic record;
  SQLCA sqlca = runWithRecord(hrPackage(), "", &record);
  EXPECT_EQ(sqlca.sqlcode, -901) << "a failure's native error that is not negative";
  EXPECT_EQ(message(sqlca), whole.substr(0, 69));
  EXPECT_EQ(record.sqlstate, "42710");
  EXPECT_EQ(record.nativeError, 7);
  EXPECT_EQ(record.message, whole);

  resetEngine();
  script(fault("SQLExecDirect", "PUBLISH PROCEDURE hire", 1, "01H20", 20480, "the preferred warning"));
  script(fault("SQLExecDirect", "COMMENT ON MODULE", 1, "01H21", 100, "a later warning"));
  sqlca = runWithRecord(hrPackage(), "", &record);
  EXPECT_EQ(sqlca.sqlcode, 20480);
  EXPECT_EQ(record.message, "the preferred warning");

  resetEngine();
  Results drop;
  drop.add(SQLEXC_DROP_PACKAGE, "DROP MODULE hr_pkg\n");
  script(fault("SQLExecDirect", "DROP MODULE", -1, "42704", -204, "HR_PKG is an undefined name"));
  script(fault("SQLExecDirect", "DROP PACKAGE", -1, "42704", -805, "package not found"));
  sqlca = runWithRecord(drop, "DROP PACKAGE hr_pkg", &record);
  EXPECT_EQ(sqlca.sqlcode, -204);
  EXPECT_EQ(record.message, "HR_PKG is an undefined name");

  // A failure that leaves no record is reported in our words, with no record behind it.
  resetEngine();
  DriverFault silent = fault("SQLExecDirect", "ADD PROCEDURE fire", -1, "HY000", 0);
  silent.leavesRecord = false;
  script(silent);
  sqlca = runWithRecord(hrPackage(), "", &record);
  EXPECT_EQ(message(sqlca), "SQLCA not set in CLI");
  EXPECT_TRUE(record.sqlstate.empty());
  EXPECT_TRUE(record.message.empty());
}

TEST_F(ExecuteMode, DropPackageFallsBackToTheCallersOwnStatement) {
  const std::string drop = "DROP PACKAGE hr_pkg";
  const DriverFault noModule = fault("SQLExecDirect", "DROP MODULE", -1, "42704", -204, "HR_PKG is an undefined name");

  // No module of that name: the engine's own package is dropped, and all is well.
  script(noModule);
  SQLCA sqlca = execute(drop);
  EXPECT_TRUE(isClean(sqlca)) << message(sqlca);
  EXPECT_EQ(leftInPlace(), std::vector<std::string>{drop});
  EXPECT_FALSE(called("SQLExecDirect ROLLBACK"));

  // No package either: the first answer is the one reported.
  resetEngine();
  script(noModule);
  script(fault("SQLExecDirect", "DROP PACKAGE", -1, "42704", -805, "package not found"));
  sqlca = execute(drop);
  EXPECT_EQ(sqlca.sqlcode, -204);
  EXPECT_EQ(message(sqlca), "HR_PKG is an undefined name");
  EXPECT_EQ(sqlca.sqlerrd[4], 731);
  EXPECT_TRUE(called("SQLExecDirect ROLLBACK TO SAVEPOINT"));

  // The fallback failing otherwise is reported as itself.
  resetEngine();
  script(noModule);
  script(fault("SQLExecDirect", "DROP PACKAGE", -1, "42501", -551, "not authorized"));
  sqlca = execute(drop);
  EXPECT_EQ(sqlca.sqlcode, -551);
  EXPECT_EQ(sqlca.sqlerrd[4], 752);

  // Only DROP PACKAGE has the fallback.
  resetEngine();
  script(fault("SQLExecDirect", "ALTER MODULE hr_pkg DROP BODY", -1, "42704", -204, "HR_PKG is an undefined name"));
  EXPECT_EQ(execute("DROP PACKAGE BODY hr_pkg").sqlcode, -204);
  EXPECT_FALSE(called("SQLExecDirect DROP PACKAGE"));
}

TEST_F(ExecuteMode, ConnectionLostMidRequest) {
  DriverFault lost = fault("SQLExecDirect", "CREATE OR REPLACE MODULE", -1, "08S01", -30081, "communication error");
  lost.dropsConnection = true;
  script(lost);
  const SQLCA sqlca = run(hrPackage());
  EXPECT_EQ(sqlca.sqlcode, -30081);
  EXPECT_EQ(state(sqlca), "08S01");
  EXPECT_EQ(sqlca.sqlerrd[4], 731);
  EXPECT_TRUE(called("SQLDisconnect"));
}

TEST_F(ExecuteMode, ConnectionThatRefusesToCloseIsRolledBackAndClosed) {
  DriverFault refuse = fault("SQLDisconnect", "", -1, "25000", -750, "unit of work still open");
  refuse.nth = 1;
  script(refuse);
  execute(procedure);
  const std::vector<std::string> all = sequence();
  ASSERT_GE(all.size(), 5u);
  const std::vector<std::string> tail(all.end() - 5, all.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"SQLDisconnect", "SQLEndTran ROLLBACK", "SQLDisconnect",
                                            "SQLFreeHandle DBC", "SQLFreeHandle ENV"}));
}

TEST_F(ExecuteMode, ReleaseOutcomes) {
  // A release that fails without a word still fails the request.
  DriverFault silent = fault("SQLExecDirect", "RELEASE SAVEPOINT", -1, "", 0);
  silent.leavesRecord = false;
  script(silent);
  expectFailure(execute(procedure), -901, "58004", "SQLCA not set in CLI", 820);
  {
    const std::lock_guard<std::mutex> lock(engine().mutex);
    EXPECT_EQ(engine().savepoints, std::vector<std::string>{"SQLEXC_PROC_SAVEPOINT"});
    engine().savepoints.clear();
  }
  // A release with a warning on a clean run: the warning is reported.
  resetEngine();
  script(fault("SQLExecDirect", "RELEASE SAVEPOINT", 1, "01H20", 20480, "released with a warning"));
  SQLCA sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, 20480);
  EXPECT_EQ(message(sqlca), "released with a warning");
  // After a failed statement the release's own trouble does not hide it.
  resetEngine();
  script(fault("SQLExecDirect", "/*wrapped*/", -1, "42710", -601, "exists"));
  script(fault("SQLExecDirect", "RELEASE SAVEPOINT", -1, "3B001", -880, "no savepoint"));
  sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, -601);
  const std::lock_guard<std::mutex> lock(engine().mutex);
  engine().savepoints.clear();  // the refused release left it
}

TEST_F(ExecuteMode, OtherDriversNativeCodesNeverTurnAFailureIntoSuccess) {
  // SQLite's driver reports its errors with native code 1; the driver manager with 0.
  script(fault("SQLExecDirect", "/*wrapped*/", -1, "HY000", 1, "near \"PROCEDURE\": syntax error (1)"));
  SQLCA sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, -901);
  EXPECT_EQ(state(sqlca), "HY000");
  EXPECT_EQ(message(sqlca), "near \"PROCEDURE\": syntax error (1)");
  EXPECT_EQ(sqlca.sqlerrd[4], 731);
  EXPECT_TRUE(leftInPlace().empty());

  // And information without a code of its own is still a warning, not a failure.
  resetEngine();
  script(fault("SQLExecDirect", "/*wrapped*/", 1, "01004", 0, "string data, right truncated"));
  sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, 1);
  EXPECT_EQ(state(sqlca), "01004");
  EXPECT_EQ(leftInPlace().size(), 1u);
}

TEST_F(ExecuteMode, StatementsRunInTheDatabaseCodePage) {
  const EnvOverride codePage("XCOMP_CODEPAGE", "943");
  const std::string utf8 =
      "CREATE PROCEDURE greet IS\nBEGIN\n  INSERT INTO log VALUES ('\xE6\x97\xA5\xE6\x9C\xAC');\nEND;\n";
  std::string native(256, '\0');
  size_t left = 0;
  ASSERT_EQ(convertCodepage(utf8.data(), utf8.size(), 1208, 943, native.data(), native.size(), &left), 0u);
  native.resize(native.size() - left);
  const std::string statement = compiled(native);
  ASSERT_NE(statement.find("'\x93\xFA\x96\x7B'"), std::string::npos) << "Shift-JIS text in the output";
  resetEngine();
  const SQLCA sqlca = execute(native);
  EXPECT_EQ(sqlca.sqlcode, 0) << message(sqlca);
  EXPECT_EQ(leftInPlace(), std::vector<std::string>{"/*wrapped*/ " + statement});
}

TEST_F(ExecuteMode, StatementThatCannotBeConvertedForTheDatabase) {
  // Half a megabyte-odd of ASCII doubles in UTF-16 past what the block holds.
  Results big;
  big.add(SQLEXC_ANONYMOUS_BLOCK, "BEGIN NULL; END;").add(SQLEXC_SQL_STMT, std::string(1100000, ' ') + "COMMIT");
  expectFailure(run(big, "", 1200), -901, "58004", "failed cpcv", 640);
  EXPECT_TRUE(called("SQLExecDirect ROLLBACK TO SAVEPOINT"));
  EXPECT_TRUE(leftInPlace().empty());

  resetEngine();
  Results one;
  one.add(SQLEXC_ANONYMOUS_BLOCK, "BEGIN NULL; END;");
  expectFailure(run(one, "", 4242), -901, "58004", "failed cpcv", 640);
}

TEST_F(ExecuteMode, ConcurrentRequestsEachUseTheirOwnConnection) {
  constexpr int threadCount = 4;
  constexpr int requestsPerThread = 25;
  std::vector<int> failures(threadCount, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < requestsPerThread; ++i) {
        // Built by appending: GCC 12's -O3 flags "literal" + std::string&& with a false -Wrestrict.
        std::string name = "p";
        name += std::to_string(t);
        name += '_';
        name += std::to_string(i);
        if (execute("CREATE PROCEDURE " + name + " IS BEGIN NULL; END;").sqlcode != 0) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < threadCount; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  EXPECT_EQ(leftInPlace().size(), static_cast<size_t>(threadCount * requestsPerThread));
}

// ---- other data sources, each in a fresh process ----

// The driver manager keeps what it read of the configuration for a while, whatever ODBCINI says
// later: a test of another data source runs alone in a fresh copy of this program.
void runInFreshProcess(const std::string& test) {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = '\0';
  // SQLite's driver, given no database for the default data source, makes one in the current directory.
  // Under LeakSanitizer, what SQLite's driver keeps of each connection is the driver's own; the slow
  // unwinder is needed to see that driver in the stacks of its allocations (it has no frame pointers).
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string command = "cd " + odbcDir + " && ASAN_OPTIONS='" + (asan != nullptr ? asan : "") +
                              ":fast_unwind_on_malloc=0' LSAN_OPTIONS=suppressions=" XCOMP_SOURCE_DIR
                              "/tests/odbc_driver/third_party.supp " +
                              self + " --gtest_also_run_disabled_tests --gtest_filter=FreshProcess." + test + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
}

size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

size_t openDescriptors() {
  size_t count = 0;
  for (int fd = 0; fd < 4096; ++fd) count += fcntl(fd, F_GETFD) != -1 ? 1 : 0;
  return count;
}

// How much the heap grew over `times` runs of `request` after a warm-up (the driver manager's and the
// driver's one-time set-up); no descriptor may stay open (a connection keeps its database file open).
template <typename Request>
size_t heapGrowth(int times, Request request) {
  for (int i = 0; i < 20; ++i) request();
  const size_t heapBefore = heapInUse();
  const size_t descriptorsBefore = openDescriptors();
  for (int i = 0; i < times; ++i) request();
  EXPECT_EQ(openDescriptors(), descriptorsBefore);
  const size_t heapAfter = heapInUse();
  return heapAfter > heapBefore ? heapAfter - heapBefore : 0;
}

// One leaked set of handles per request would be tens of kilobytes by then.
constexpr size_t leakSlack = 16 * 1024;

// A connection opened and closed with nothing in between, straight through the driver manager: what a
// driver keeps per connection by itself is not ours.
void bareConnection() {
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
  SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
  auto* dsn = reinterpret_cast<SQLCHAR*>(const_cast<char*>("DSN=;"));
  if (SQLDriverConnect(connection, nullptr, dsn, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT) >= 0)
    SQLDisconnect(connection);
  SQLFreeHandle(SQL_HANDLE_DBC, connection);
  SQLFreeHandle(SQL_HANDLE_ENV, environment);
}

TEST_F(ExecuteMode, AThousandFailingRequestsLeaveNothingBehind) {
  // The longest path: savepoint, wrap, the statement failing, rollback, release, every handle freed.
  script(fault("SQLExecDirect", "/*wrapped*/", -1, "42710", -601, "exists"));
  {
    const std::lock_guard<std::mutex> lock(engine().mutex);
    engine().logCalls = false;
  }
  int unexpected = 0;
  const size_t growth = heapGrowth(1000, [&] {
    if (execute(procedure).sqlcode != -601) ++unexpected;
  });
  EXPECT_EQ(unexpected, 0);
  EXPECT_LT(growth, leakSlack);
}

TEST(DataSources, NoneConfiguredIsReportedAtTheConnect) { runInFreshProcess("DISABLED_NoDataSource"); }
TEST(DataSources, DriverThatFailsToLoadIsReportedAtTheConnect) { runInFreshProcess("DISABLED_DriverFailsToLoad"); }

TEST(FreshProcess, DISABLED_NoDataSource) {
  const DataSource none("no_data_source.ini");
  const SQLCA sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, -901);
  EXPECT_EQ(state(sqlca), "IM002");
  EXPECT_NE(message(sqlca).find("Data source name not found"), std::string::npos) << message(sqlca);
  EXPECT_EQ(sqlca.sqlerrd[4], 229);
  EXPECT_LT(heapGrowth(200, [] { execute(procedure); }), leakSlack);
}

TEST(FreshProcess, DISABLED_DriverFailsToLoad) {
  const DataSource broken("missing_driver.ini");
  const SQLCA sqlca = execute(procedure);
  EXPECT_EQ(sqlca.sqlcode, -901);
  EXPECT_EQ(state(sqlca), "01000");
  EXPECT_NE(message(sqlca).find("Can't open lib"), std::string::npos) << message(sqlca);
  EXPECT_EQ(sqlca.sqlerrd[4], 229);
  EXPECT_LT(heapGrowth(200, [] { execute(procedure); }), leakSlack);
}

// ---- a driver we did not write ----

bool haveSqlite() { return !std::string(XCOMP_SQLITE_ODBC).empty(); }

TEST(SqliteDriver, RequestsFailAtTheSavepointWithTheDriversDiagnostics) {
  if (!haveSqlite()) GTEST_SKIP() << "libsqliteodbc is not installed";
  runInFreshProcess("DISABLED_SqliteRefusesTheSavepoint");
}

TEST(SqliteDriver, AThousandRequestsLeaveNoHandleOrMemoryBehind) {
  if (!haveSqlite()) GTEST_SKIP() << "libsqliteodbc is not installed";
  runInFreshProcess("DISABLED_SqliteThousandRequests");
}

// SQLite has no such savepoint statement: every request connects, fails at the savepoint with the
// driver's own diagnostics, and closes again.
void expectRefusedSavepoint(const SQLCA& sqlca) {
  EXPECT_EQ(sqlca.sqlcode, -901);
  EXPECT_EQ(state(sqlca), "HY000");
  EXPECT_NE(message(sqlca).find("syntax error"), std::string::npos) << message(sqlca);
  EXPECT_EQ(sqlca.sqlerrd[4], 614);
}

// SQLite's driver stays loaded after its last connection closes, so that what it keeps can still be
// told apart from what we would leak.
void keepSqliteLoaded() {
  static void* const library = dlopen(XCOMP_SQLITE_ODBC, RTLD_NOW);
  ASSERT_NE(library, nullptr) << dlerror();
}

TEST(FreshProcess, DISABLED_SqliteRefusesTheSavepoint) {
  keepSqliteLoaded();
  const DataSource sqlite("sqlite.ini");
  expectRefusedSavepoint(execute(procedure));
  expectRefusedSavepoint(execute("BEGIN\n  UPDATE emp SET sal = sal + 1;\nEND;\n"));
  expectRefusedSavepoint(execute("DROP PACKAGE hr_pkg"));
}

TEST(FreshProcess, DISABLED_SqliteThousandRequests) {
  keepSqliteLoaded();
  const DataSource sqlite("sqlite.ini");
  int unexpected = 0;
  const size_t requests = heapGrowth(1000, [&] {
    const SQLCA sqlca = execute(procedure);
    if (sqlca.sqlcode != -901 || sqlca.sqlerrd[4] != 614) ++unexpected;
  });
  EXPECT_EQ(unexpected, 0);
  // SQLite's driver keeps about a hundred bytes of every connection it ever made, with or without us.
  const size_t connections = heapGrowth(1000, bareConnection);
  EXPECT_LT(requests, connections + leakSlack) << "bare connections grew the heap by " << connections;
}

}  // namespace
