// xcomp --execute as a person deploying a script meets it: the test driver (told through the
// environment, since it runs in xcomp's process) records every call it received and what each commit
// made permanent; SQLite's driver stands for any other data source.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "command_helpers.h"
#include "execute.h"
#include "script/whenever.h"

namespace {

struct CliRun {
  int status;
  std::string out;  // standard output
  std::string err;  // standard error
};

std::string temporaryPath(const char* pattern) {
  std::string path = std::string("/tmp/") + pattern + "-XXXXXX";
  const int fd = mkstemp(path.data());
  EXPECT_GE(fd, 0);
  close(fd);
  return path;
}

// Runs xcomp with `args` on `script` (standard input) with `userDataSources` as the user's odbc.ini
// (a name in the build tree's configuration folder, or a path).
CliRun xcomp(const std::string& userDataSources, const std::string& args, const std::string& script,
             const std::string& env = "") {
  const std::string input = temporaryPath("xcomp-exec-in");
  const std::string errors = temporaryPath("xcomp-exec-err");
  std::ofstream(input) << script;
  const std::string odbcIni =
      userDataSources.find('/') == std::string::npos ? XCOMP_ODBC_DIR "/" + userDataSources : userDataSources;
  // In the configuration's folder: SQLite's driver, given no database for the default data source,
  // makes one in the current directory.
  const std::string command = "cd " XCOMP_ODBC_DIR " && ODBCSYSINI=" XCOMP_ODBC_DIR " ODBCINI=" + odbcIni + " " + env +
                              " " XCOMP_BINARY_DIR "/xcomp " + args + " <" + input + " 2>" + errors;
  CommandRun finished = runCommand(command);
  CliRun run{finished.status, std::move(finished.out), readFile(errors)};
  std::remove(input.c_str());
  std::remove(errors.c_str());
  return run;
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// A run against the test driver, with what the driver received.
struct EngineRun : CliRun {
  std::string calls;
};

EngineRun onEngine(const std::string& args, const std::string& script, const std::string& env = "") {
  const std::string log = temporaryPath("xcomp-exec-log");
  EngineRun run{xcomp("engine.ini", args, script, "XCOMP_TEST_DRIVER_LOG=" + log + " " + env), ""};
  run.calls = readFile(log);
  std::remove(log.c_str());
  return run;
}

// Where `what` first stands in the calls, or npos.
size_t at(const std::string& calls, const std::string& what) { return calls.find(what); }

// A release of a small ledger: tables and rows, then routines over them, then more rows.
const std::string release =
    "SET ECHO OFF\n"
    "PROMPT ledger tables ...\n"
    "CREATE TABLE ledger (\n"
    "  period  NUMBER(6),\n"
    "  amount  NUMBER(12,2),\n"
    "  closed  CHAR(1) DEFAULT 'N'\n"
    ");\n"
    "INSERT INTO ledger (period, amount) VALUES (202401, 1250.00);\n"
    "COMMIT;\n"
    "\n"
    "CREATE OR REPLACE PROCEDURE close_period(p_period IN NUMBER) IS\n"
    "BEGIN\n"
    "  UPDATE ledger SET closed = 'Y' WHERE period = p_period;\n"
    "END close_period;\n"
    "/\n"
    "BEGIN\n"
    "  DELETE FROM audit_log WHERE period < 2019;\n"
    "END;\n"
    "/\n"
    "INSERT INTO ledger (period, amount) VALUES (202402, 980.50);\n";

TEST(CliExecute, EveryItemRunsInFileOrderAndEachSuccessIsCommitted) {
  const EngineRun run = onEngine("--execute", release);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "xcomp: the default data source: 6 ran, 0 failed, 0 skipped\n");
  const std::string& calls = run.calls;
  // Plain SQL goes out as written, without its terminator, and is committed at once, before the
  // units that need it run on connections of their own.
  const size_t table = at(calls, "SQLExecDirect CREATE TABLE ledger (\n  period");
  const size_t tableCommitted = at(calls, "committed: CREATE TABLE ledger");
  const size_t row = at(calls, "SQLExecDirect INSERT INTO ledger (period, amount) VALUES (202401, 1250.00)\n");
  const size_t procedure = at(calls, "CREATE OR REPLACE PROCEDURE close_period(");
  const size_t block = at(calls, "DELETE FROM audit_log");
  const size_t lastRow = at(calls, "committed: INSERT INTO ledger (period, amount) VALUES (202402, 980.50)");
  ASSERT_NE(lastRow, std::string::npos) << calls;
  EXPECT_LT(table, tableCommitted);
  EXPECT_LT(tableCommitted, row);
  EXPECT_LT(row, procedure);
  EXPECT_LT(procedure, block);
  EXPECT_LT(block, lastRow);
  EXPECT_EQ(count(calls, "SQLExecDirect COMMIT"), 0u) << "the script's COMMIT ends the work through the driver";
  // One connection of the command's own, and one per unit.
  EXPECT_EQ(count(calls, "SQLDriverConnect"), 3u);
  EXPECT_EQ(count(calls, "SQLEndTran ROLLBACK"), 1u) << "closing the command's connection rolls back";
  // The statements that ran are the output, as a translation would print them.
  EXPECT_NE(run.out.find("CREATE TABLE ledger (\n  period  NUMBER(6),\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("CREATE OR REPLACE PROCEDURE close_period("), std::string::npos) << run.out;
}

TEST(CliExecute, AFailureInTheMiddleGoesOnOrStopsAsTheScriptSays) {
  const std::string failBlock = "XCOMP_TEST_DRIVER_FAIL_ON=audit_log";
  // Without WHENEVER SQLERROR, SQL*Plus goes on: so does the run, and the failure is the exit status.
  const EngineRun goesOn = onEngine("--execute", release, failBlock);
  EXPECT_EQ(goesOn.status, 1);
  EXPECT_EQ(goesOn.err,
            "<stdin>:16: error: SQLCODE -601, SQLSTATE 42710: the name of the object to be created is identical to "
            "an existing name\n"
            "xcomp: the default data source: 5 ran, 1 failed, 0 skipped\n");
  EXPECT_NE(at(goesOn.calls, "committed: INSERT INTO ledger (period, amount) VALUES (202402"), std::string::npos);
  // The failed unit is rolled back to its savepoint and its connection closes without a commit.
  const size_t rollback = at(goesOn.calls, "ROLLBACK TO SAVEPOINT");
  const std::string failedTail =
      goesOn.calls.substr(rollback, goesOn.calls.find("SQLFreeHandle DBC", rollback) - rollback);
  EXPECT_EQ(failedTail.find("SQLEndTran COMMIT"), std::string::npos) << failedTail;
  EXPECT_EQ(goesOn.out.find("audit_log"), std::string::npos) << "a failed unit's statements are not output";

  // WHENEVER SQLERROR EXIT stops at the failure with its status; ROLLBACK ends the work there.
  const std::string stopping = "WHENEVER SQLERROR EXIT 3 ROLLBACK\n" + release;
  const EngineRun stops = onEngine("--execute", stopping, failBlock);
  EXPECT_EQ(stops.status, 3);
  EXPECT_NE(stops.err.find("<stdin>:17: note: the run stops here, as WHENEVER SQLERROR EXIT 3 ROLLBACK (line 1) "
                           "asks (exit status 3)\n"),
            std::string::npos)
      << stops.err;
  EXPECT_NE(stops.err.find("xcomp: the default data source: 4 ran, 1 failed, 1 skipped (stopped: WHENEVER"),
            std::string::npos)
      << stops.err;
  EXPECT_EQ(at(stops.calls, "202402"), std::string::npos) << "nothing after the failure runs";

  // SQL.SQLCODE: the shell sees the low byte of -601; --stop-on-error presets EXIT FAILURE.
  EXPECT_EQ(onEngine("--execute", "WHENEVER SQLERROR EXIT SQL.SQLCODE\n" + release, failBlock).status, 167);
  const EngineRun preset = onEngine("--execute --stop-on-error", release, failBlock);
  EXPECT_EQ(preset.status, 1);
  EXPECT_NE(preset.err.find("1 skipped (stopped: --stop-on-error)"), std::string::npos) << preset.err;
  // CONTINUE after EXIT turns stopping off again, from where it stands.
  const EngineRun relaxed =
      onEngine("--execute", "WHENEVER SQLERROR EXIT FAILURE\nWHENEVER SQLERROR CONTINUE\n" + release, failBlock);
  EXPECT_EQ(relaxed.status, 1);
  EXPECT_NE(at(relaxed.calls, "committed: INSERT INTO ledger (period, amount) VALUES (202402"), std::string::npos);
  // EXIT SUCCESS on a failure is what SQL*Plus makes of it: the status says success.
  EXPECT_EQ(onEngine("--execute", "WHENEVER SQLERROR EXIT SUCCESS\n" + release, failBlock).status, 0);
}

TEST(CliExecute, AFailedPlainStatementIsRolledBackAndACompileErrorNeverReachesTheDatabase) {
  const EngineRun statement = onEngine("--execute --stop-on-error", release, "XCOMP_TEST_DRIVER_FAIL_ON=202401");
  EXPECT_EQ(statement.status, 1);
  EXPECT_NE(statement.err.find("<stdin>:8: error: SQLCODE -601"), std::string::npos) << statement.err;
  const size_t failed = at(statement.calls, "SQLExecDirect INSERT INTO ledger (period, amount) VALUES (202401");
  EXPECT_EQ(statement.calls.find("SQLEndTran ROLLBACK", failed), statement.calls.find("SQLEndTran", failed));
  EXPECT_EQ(at(statement.calls, "committed: INSERT"), std::string::npos) << statement.calls;
  EXPECT_EQ(at(statement.calls, "PROCEDURE"), std::string::npos) << "the run stopped before the units";

  // A unit that does not compile fails before the data source, and WHENEVER SQLERROR applies to it.
  const EngineRun compile =
      onEngine("--execute", "WHENEVER SQLERROR EXIT 4\nBEGIN\n  IF x THEN NULL;\nEND;\n/\nCOMMIT;\n");
  EXPECT_EQ(compile.status, 4);
  EXPECT_NE(compile.err.find("<stdin>:4:4: error: syntax error"), std::string::npos) << compile.err;
  EXPECT_EQ(at(compile.calls, "SQLExecDirect"), std::string::npos) << compile.calls;
  EXPECT_EQ(count(compile.calls, "SQLEndTran COMMIT"), 1u) << "EXIT's own COMMIT, and not the script's";
  EXPECT_EQ(count(compile.calls, "SQLDriverConnect"), 1u);
}

TEST(CliExecute, ADataSourceThatCannotBeReachedStopsTheRunWithOneError) {
  const std::string units = "BEGIN\n  UPDATE ledger SET closed = 'N';\nEND;\n/\n";
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += units;
  const CliRun missing = xcomp("engine.ini", "--execute --dsn no_such_source", fifty);
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "xcomp: cannot connect to data source 'no_such_source': SQLCODE -901, SQLSTATE IM002, native error 0: "
            "[unixODBC][Driver Manager]Data source name not found and no default driver specified\n");
  EXPECT_EQ(missing.out, "");
  const CliRun json = xcomp("engine.ini", "--execute --json --dsn no_such_source", fifty);
  EXPECT_EQ(json.status, 1);
  EXPECT_EQ(lines(json.out).size(), 1u) << json.out;
  EXPECT_NE(json.out.find("\"error\": \"cannot connect to data source 'no_such_source': "), std::string::npos);

  // A password in a connection string never reaches a message.
  const CliRun secret = xcomp("engine.ini", "--execute --connect 'DSN=no_such_source;UID=clerk;PWD=s3cret'", units);
  EXPECT_EQ(secret.status, 1);
  EXPECT_EQ(secret.err.rfind("xcomp: cannot connect to the data source of 'DSN=no_such_source;UID=clerk;PWD=***': ", 0),
            0u)
      << secret.err;
  EXPECT_EQ(secret.err.find("s3cret"), std::string::npos);

  // A data source that goes away during the run: the unit that met it says so, the rest is skipped.
  const EngineRun lost = onEngine("--execute", fifty, "XCOMP_TEST_DRIVER_REFUSE_CONNECT_AFTER=3");
  EXPECT_EQ(lost.status, 1);
  EXPECT_EQ(lost.err,
            "<stdin>:9: error: SQLCODE -30081, SQLSTATE 08001: the server refused the connection\n"
            "<stdin>:9: note: the run stops here: the default data source cannot be reached\n"
            "xcomp: the default data source: 2 ran, 1 failed, 47 skipped (stopped: the data source cannot be "
            "reached)\n");
  EXPECT_EQ(count(lost.calls, "SQLDriverConnect"), 4u);

  // Connecting by name or by a whole connection string reaches the same data source.
  const std::string block = "BEGIN\n  UPDATE ledger SET closed = 'N';\nEND;\n/\n";
  EXPECT_EQ(xcomp("engine.ini", "--execute --dsn xcomp_engine", block).status, 0);
  EXPECT_EQ(xcomp("engine.ini", "--execute --connect 'DSN=xcomp_engine;'", block).status, 0);
}

TEST(CliExecute, DriverMessagesAreShownWholeInTextAndJson) {
  const std::string message =
      "the unit of work was ended by the server because the log for database LEDGER is full; free some log space";
  ASSERT_GT(message.size(), 70u);
  const std::string env = "XCOMP_TEST_DRIVER_FAIL_MESSAGE='" + message + "' XCOMP_TEST_DRIVER_FAIL_ON=";
  // Through the library (a unit) and on the command's own connection (a plain statement).
  for (const char* failing : {"audit_log", "202402"}) {
    const EngineRun text = onEngine("--execute", release, env + failing);
    EXPECT_EQ(count(text.err, "SQLSTATE 42710: " + message + "\n"), 1u) << text.err;

    const EngineRun json = onEngine("--execute --json", release, env + failing);
    EXPECT_EQ(json.status, 1);
    const std::vector<std::string> objects = lines(json.out);
    ASSERT_EQ(objects.size(), 9u) << json.out;  // eight items and the summary
    size_t failedItems = 0;
    for (size_t i = 0; i + 1 < objects.size(); ++i) {
      if (objects[i].find("\"ok\": false") == std::string::npos) continue;
      ++failedItems;
      EXPECT_NE(objects[i].find("\"errors\": [{\"message\": \"" + message +
                                "\", \"domain\": \"execute\", \"line\": null, \"fileLine\": "),
                std::string::npos)
          << objects[i];
      EXPECT_NE(objects[i].find("\"sqlcode\": -601, \"sqlstate\": \"42710\", \"nativeError\": -601}"),
                std::string::npos)
          << objects[i];
      // The SQLCA keeps its 69 bytes: the library's contract is unchanged.
      EXPECT_NE(objects[i].find("\"sqlerrmc\": [\"" + message.substr(0, 69) + "\"]"), std::string::npos);
    }
    EXPECT_EQ(failedItems, 1u);
    EXPECT_EQ(objects.back(),
              "{\"summary\": {\"dataSource\": \"the default data source\", \"product\": \"xcomp test engine "
              "01.00.0000\", \"dryRun\": false, \"ran\": 5, \"wouldRun\": 0, \"failed\": 1, \"skipped\": 0, "
              "\"stoppedBy\": null, \"error\": null, \"exitStatus\": 1}}");
  }
}

TEST(CliExecute, TwoHundredItemsLeaveNoHandleBehind) {
  std::string script;
  for (int i = 0; i < 100; ++i) {
    script += "INSERT INTO ledger (period, amount) VALUES (" + std::to_string(202400 + i) + ", 1);\n";
    script +=
        "BEGIN\n  UPDATE ledger SET amount = amount + 1 WHERE period = " + std::to_string(202400 + i) + ";\nEND;\n/\n";
  }
  // Every tenth unit fails, so the failure paths are counted too. A sanitizer build of xcomp reports a
  // leak through its exit status.
  const EngineRun run = onEngine("--execute", script, "XCOMP_TEST_DRIVER_FAIL_ON='period = 20240'");
  EXPECT_EQ(run.status, 1) << run.err.substr(0, 2000);
  EXPECT_NE(run.err.find("xcomp: the default data source: 190 ran, 10 failed, 0 skipped\n"), std::string::npos)
      << run.err.substr(0, 2000);
  for (const char* kind : {"ENV", "DBC", "STMT"}) {
    EXPECT_EQ(count(run.calls, std::string("SQLAllocHandle ") + kind),
              count(run.calls, std::string("SQLFreeHandle ") + kind))
        << kind;
  }
  EXPECT_EQ(count(run.calls, "SQLAllocHandle DBC"), 101u);
  EXPECT_EQ(count(run.calls, "SQLDriverConnect"), count(run.calls, "SQLDisconnect"));
  EXPECT_EQ(count(run.calls, "committed: "), 190u);
}

TEST(CliExecute, BadInputGetsOneClearErrorAndLeavesNothingHalfRun) {
  // A name that would change the connection string around it, and a string that names no data source.
  const CliRun odd = xcomp("engine.ini", "--execute --dsn 'ledger;UID=admin'", release);
  EXPECT_EQ(odd.status, 2);
  EXPECT_EQ(lines(odd.err).front(),
            "xcomp: invalid data source name 'ledger;UID=admin': a name may not hold any of []{}(),;?*=!@\\ or "
            "control characters");
  const CliRun noDriver = xcomp("engine.ini", "--execute --connect 'UID=clerk;PWD=s3cret'", release);
  EXPECT_EQ(noDriver.status, 2);
  EXPECT_EQ(lines(noDriver.err).front(),
            "xcomp: invalid connection string 'UID=clerk;PWD=***': it names no data source or driver (DSN=..., "
            "FILEDSN=... or DRIVER=...)");
  EXPECT_EQ(xcomp("engine.ini", "--execute --connect 'DRIVER={};DATABASE=ledger'", release).status, 2);
  EXPECT_EQ(xcomp("engine.ini", "--execute --dsn", release).status, 2);
  EXPECT_EQ(xcomp("engine.ini", "--dry-run", release).status, 2);
  EXPECT_EQ(xcomp("engine.ini", "--execute --dsn a --connect 'DSN=b;'", release).status, 2);
  EXPECT_EQ(xcomp("engine.ini", "--execute --print-tree", release).status, 2);

  // A script that ends inside a unit: SQL*Plus never runs it, and neither does xcomp.
  const std::string cutOff =
      "INSERT INTO ledger (period) VALUES (202403);\n"
      "CREATE OR REPLACE PROCEDURE reopen_period(p_period IN NUMBER) IS\n"
      "BEGIN\n"
      "  UPDATE ledger SET closed = 'N' WHERE period = p_period;\n"
      "END reopen_period;\n";
  const EngineRun run = onEngine("--execute", cutOff);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "<stdin>:5: error: this procedure is cut off by the end of the file before a line holding only '/': "
            "it is not run\n"
            "xcomp: the default data source: 1 ran, 1 failed, 0 skipped\n");
  EXPECT_EQ(at(run.calls, "reopen_period"), std::string::npos) << run.calls;
  EXPECT_EQ(count(run.calls, "SQLDriverConnect"), 1u);

  // A unit ended by a '.' line is only kept, unless a '/' line runs it.
  const std::string kept =
      "BEGIN\n  UPDATE ledger SET closed = 'Y';\nEND;\n.\n"
      "BEGIN\n  UPDATE ledger SET closed = 'N';\nEND;\n.\n\n-- now run it\n/\n";
  const EngineRun period = onEngine("--execute", kept);
  EXPECT_EQ(period.status, 1);
  EXPECT_EQ(period.err,
            "<stdin>:4: error: this block ends at a '.' line that no '/' line follows: it is not run\n"
            "xcomp: the default data source: 1 ran, 1 failed, 0 skipped\n");
  EXPECT_EQ(at(period.calls, "closed = 'Y'"), std::string::npos);
  EXPECT_NE(at(period.calls, "closed = 'N'"), std::string::npos);

  // A WHENEVER SQLERROR that cannot be read is an error of its own and changes nothing.
  const EngineRun whenever =
      onEngine("--execute", "WHENEVER SQLERROR STOP\n" + release, "XCOMP_TEST_DRIVER_FAIL_ON=audit_log");
  EXPECT_EQ(whenever.status, 1);
  EXPECT_NE(whenever.err.find("<stdin>:1:1: error: WHENEVER SQLERROR needs EXIT or CONTINUE"), std::string::npos);
  EXPECT_NE(whenever.err.find("5 ran, 1 failed, 0 skipped"), std::string::npos) << whenever.err;
}

TEST(CliExecute, ExitEndsTheScriptWhereItStands) {
  const EngineRun run = onEngine("--execute", "INSERT INTO ledger (period) VALUES (1);\nEXIT\n" + release);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "<stdin>:2: note: the script ends here: 6 items after it are not run\n"
            "xcomp: the default data source: 1 ran, 0 failed, 6 skipped\n");
  EXPECT_EQ(at(run.calls, "CREATE TABLE"), std::string::npos) << run.calls;
}

TEST(CliExecute, DryRunConnectsAndSaysWhatWouldRunWithoutRunningIt) {
  const EngineRun run = onEngine("--execute --dry-run", release);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "<stdin>:3: note: would run statement: CREATE TABLE ledger (\n"
            "<stdin>:8: note: would run statement: INSERT INTO ledger (period, amount) VALUES (202401, 1250.00)\n"
            "<stdin>:9: note: would run statement: COMMIT\n"
            "<stdin>:10: note: would run procedure: CREATE OR REPLACE PROCEDURE close_period(p_period IN NUMBER) IS\n"
            "<stdin>:16: note: would run block: BEGIN\n"
            "<stdin>:20: note: would run statement: INSERT INTO ledger (period, amount) VALUES (202402, 980.50)\n"
            "xcomp: dry run on the default data source (xcomp test engine 01.00.0000): 6 items would run, 0 failed, "
            "0 skipped\n");
  EXPECT_EQ(count(run.calls, "SQLDriverConnect"), 1u);
  EXPECT_EQ(at(run.calls, "SQLExecDirect"), std::string::npos) << run.calls;
  EXPECT_EQ(at(run.calls, "committed:"), std::string::npos) << run.calls;
  EXPECT_EQ(xcomp("engine.ini", "--execute --dry-run --dsn no_such_source", release).status, 1);
}

// ---- SQLite's driver, a data source we did not write ----

bool haveSqlite() { return !std::string(XCOMP_SQLITE_ODBC).empty(); }

// A data source named "ledger" over a database file of its own, removed with it.
class SqliteLedger {
 public:
  SqliteLedger() {
    char path[] = "/tmp/xcomp-sqlite-XXXXXX";
    dir_ = mkdtemp(path);
    std::ofstream(dir_ / "odbc.ini") << "[ledger]\nDriver = SQLite3\nDatabase = " << (dir_ / "ledger.db").string()
                                     << "\n";
  }
  ~SqliteLedger() { std::filesystem::remove_all(dir_); }
  // What SQLite's driver keeps of its connections is measured in execute_test.cpp; here it would only
  // change the exit status of a sanitizer build.
  CliRun run(const std::string& args, const std::string& script) const {
    return xcomp((dir_ / "odbc.ini").string(), "--execute --dsn ledger " + args, script, "LSAN_OPTIONS=detect_leaks=0");
  }
  // Whether the ledger holds `rows` rows: a CHECK constraint fails the insert of the count otherwise.
  bool holds(int rows) const {
    const std::string check = "CREATE TEMP TABLE expected (n INTEGER CHECK (n = " + std::to_string(rows) +
                              "));\nINSERT INTO expected SELECT count(*) FROM ledger;\n";
    return run("--stop-on-error", check).status == 0;
  }

 private:
  std::filesystem::path dir_;
};

const std::string sqliteRelease =
    "CREATE TABLE ledger (period INTEGER PRIMARY KEY, amount NUMERIC);\n"
    "INSERT INTO ledger VALUES (202401, 1250);\n"
    "INSERT INTO ledger VALUES (202402, 980);\n"
    "COMMIT;\n"
    "CREATE OR REPLACE PROCEDURE close_period(p_period IN NUMBER) IS\n"
    "BEGIN\n"
    "  UPDATE ledger SET amount = 0 WHERE period = p_period;\n"
    "END close_period;\n"
    "/\n"
    "INSERT INTO ledger VALUES (202403, 410);\n";

TEST(CliExecuteSqlite, TablesAndRowsRunAndStayWhileUnitsFailWithTheDriversMessage) {
  if (!haveSqlite()) GTEST_SKIP() << "libsqliteodbc is not installed";
  const SqliteLedger goesOn;
  const CliRun run = goesOn.run("", sqliteRelease);
  EXPECT_EQ(run.status, 1);
  // SQLite has no such savepoint statement: the unit fails there, with SQLite's own words.
  EXPECT_EQ(run.err,
            "<stdin>:5: error: SQLCODE -901, SQLSTATE HY000, native error 1: [SQLite]near \"UNIQUE\": syntax error "
            "(1)\n"
            "xcomp: data source 'ledger': 5 ran, 1 failed, 0 skipped\n");
  EXPECT_TRUE(goesOn.holds(3));

  const SqliteLedger stops;
  const CliRun stopped = stops.run("", "WHENEVER SQLERROR EXIT FAILURE ROLLBACK\n" + sqliteRelease);
  EXPECT_EQ(stopped.status, 1);
  EXPECT_NE(stopped.err.find("4 ran, 1 failed, 1 skipped"), std::string::npos) << stopped.err;
  EXPECT_TRUE(stops.holds(2));
  EXPECT_FALSE(stops.holds(3)) << "the check itself must be able to fail";
}

TEST(CliExecuteSqlite, AMessageLongerThanTheSqlcaIsShownWhole) {
  if (!haveSqlite()) GTEST_SKIP() << "libsqliteodbc is not installed";
  const SqliteLedger ledger;
  const CliRun run =
      ledger.run("--json", "INSERT INTO ledger_entries_of_the_closed_periods_before_the_migration VALUES (1);\n");
  EXPECT_EQ(run.status, 1);
  const std::string whole = "[SQLite]no such table: ledger_entries_of_the_closed_periods_before_the_migration (1)";
  ASSERT_GT(whole.size(), 70u);
  EXPECT_NE(run.out.find("\"errors\": [{\"message\": \"" + whole + "\", \"domain\": \"execute\""), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"sqlcode\": -901, \"sqlstate\": \"HY000\", \"nativeError\": 1}"), std::string::npos);
}

// ---- reading WHENEVER SQLERROR and EXIT, and naming data sources ----

TEST(ScriptActions, WheneverSqlErrorAndExitAsSqlPlusReadsThem) {
  const WheneverReading plain = readWhenever("WHENEVER SQLERROR EXIT");
  ASSERT_TRUE(plain.isSqlError);
  EXPECT_TRUE(plain.reading.action.exit);
  EXPECT_EQ(plain.reading.action.status, 0) << "EXIT alone is EXIT SUCCESS";
  EXPECT_EQ(plain.reading.action.end, WorkEnd::commit) << "and commits";

  const WheneverReading rollback = readWhenever("whenever sqlerror exit failure rollback;");
  EXPECT_EQ(rollback.reading.action.status, 1);
  EXPECT_EQ(rollback.reading.action.end, WorkEnd::rollback);
  EXPECT_EQ(readWhenever("WHENEVER SQLERROR EXIT WARNING").reading.action.status, 2);
  EXPECT_EQ(readWhenever("WHENEVER SQLERROR EXIT 300").reading.action.status, 300 % 256);

  const SqlErrorAction sqlcode = readWhenever("WHENEVER SQLERROR EXIT SQL.SQLCODE").reading.action;
  EXPECT_EQ(exitStatusFor(sqlcode, -601), 167);
  EXPECT_EQ(exitStatusFor(sqlcode, -512), 1) << "a low byte of 0 must not read as success";
  EXPECT_EQ(exitStatusFor(sqlcode, 0), 1) << "a failure with no SQLCODE";

  const WheneverReading unknown = readWhenever("WHENEVER SQLERROR EXIT :rc");
  EXPECT_EQ(unknown.reading.action.status, 1);
  EXPECT_NE(unknown.reading.warning.find("':RC' cannot be evaluated"), std::string::npos);

  const WheneverReading goesOn = readWhenever("WHENEVER SQLERROR CONTINUE ROLLBACK");
  EXPECT_FALSE(goesOn.reading.action.exit);
  EXPECT_EQ(goesOn.reading.action.end, WorkEnd::rollback);
  EXPECT_EQ(readWhenever("WHENEVER SQLERROR CONTINUE").reading.action.end, WorkEnd::none);

  EXPECT_FALSE(readWhenever("WHENEVER OSERROR EXIT FAILURE").isSqlError);
  EXPECT_EQ(readWhenever("WHENEVER SQLERROR EXIT FAILURE NOW").reading.problem,
            "unexpected 'NOW' in WHENEVER SQLERROR EXIT FAILURE NOW");
  EXPECT_EQ(readExit("EXIT 2 ROLLBACK").action.status, 2);
  EXPECT_EQ(readExit("QUIT").action.end, WorkEnd::commit);
}

TEST(ScriptActions, DataSourceNamesAndConnectionStrings) {
  auto problem = [](const char* option, const std::string& value) {
    ExecuteOptions options;
    std::string out;
    takeExecuteOption(
        option, [&] { return value; }, &options, &out);
    return out;
  };
  EXPECT_EQ(problem("--dsn", "ledger_test"), "");
  EXPECT_NE(problem("--dsn", "ledger]"), "");
  EXPECT_NE(problem("--dsn", ""), "");
  EXPECT_NE(problem("--dsn", std::string(33, 'a')), "");
  EXPECT_EQ(problem("--connect", "Driver={SQLite3};Database=/srv/ledger.db"), "");
  EXPECT_EQ(problem("--connect", "FILEDSN=ledger.dsn"), "");
  EXPECT_EQ(problem("--connect", "DSN=;"), "") << "the default data source";
  EXPECT_NE(problem("--connect", "Database=ledger.db;UID=clerk"), "");
  EXPECT_NE(problem("--connect", "DRIVER= ;DSN=ledger"), "");

  EXPECT_EQ(maskedConnectString("DSN=ledger;UID=clerk;PWD=s3cret;"), "DSN=ledger;UID=clerk;PWD=***;");
  EXPECT_EQ(maskedConnectString("DSN=ledger;Password={a;b}"), "DSN=ledger;Password=***");
}

}  // namespace
