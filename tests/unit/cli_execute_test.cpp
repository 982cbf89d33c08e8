// xcomp --execute as a person deploying a script meets it: the test driver (told through the
// environment, since it runs in xcomp's process) records what it received; SQLite's driver stands for
// any other data source.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "command_helpers.h"

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

// Runs xcomp with `args` on `script` (standard input) against the data sources of `dataSources`.
CliRun xcomp(const std::string& dataSources, const std::string& args, const std::string& script,
             const std::string& env = "") {
  const std::string input = temporaryPath("xcomp-exec-in");
  const std::string errors = temporaryPath("xcomp-exec-err");
  std::ofstream(input) << script;
  // In the configuration's folder: SQLite's driver, given no database for the default data source,
  // makes one in the current directory.
  const std::string command = "cd " XCOMP_ODBC_DIR " && ODBCSYSINI=" XCOMP_ODBC_DIR " ODBCINI=" XCOMP_ODBC_DIR "/" +
                              dataSources + " " + env + " " XCOMP_BINARY_DIR "/xcomp " + args + " <" + input + " 2>" +
                              errors;
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

const std::string deployment =
    "CREATE OR REPLACE PROCEDURE close_period(p_period IN NUMBER) IS\n"
    "BEGIN\n"
    "  UPDATE ledger SET closed = 'Y' WHERE period = p_period;\n"
    "END close_period;\n"
    "/\n"
    "BEGIN\n"
    "  DELETE FROM audit_log WHERE period < 2019;\n"
    "END;\n"
    "/\n"
    "DROP PACKAGE old_ledger_api\n";

TEST(CliExecute, EachRequestRunsInItsOwnSavepointAndIsCommittedOnlyWhenItSucceeded) {
  const std::string log = temporaryPath("xcomp-exec-log");
  const CliRun run = xcomp("engine.ini", "--execute", deployment,
                           "XCOMP_TEST_DRIVER_LOG=" + log + " XCOMP_TEST_DRIVER_FAIL_ON=audit_log");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "<stdin>:6: error: SQLCODE -601, SQLSTATE 42710: the name of the object to be created is identical to an "
            "existing name\n");
  // The statements that ran are still shown; the failed request's is not.
  EXPECT_NE(run.out.find("CREATE OR REPLACE PROCEDURE close_period("), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("audit_log"), std::string::npos) << run.out;

  const std::string calls = readFile(log);
  std::remove(log.c_str());
  EXPECT_EQ(count(calls, "SQLDriverConnect"), 3u);
  EXPECT_EQ(count(calls, "SQLEndTran COMMIT"), 2u);
  EXPECT_EQ(count(calls, "ROLLBACK TO SAVEPOINT"), 1u);
  // The failed request is rolled back to its savepoint and its connection closes without a commit.
  const size_t rollback = calls.find("ROLLBACK TO SAVEPOINT");
  const size_t nextConnect = calls.find("SQLDriverConnect", rollback);
  const std::string failedTail = calls.substr(rollback, nextConnect - rollback);
  EXPECT_EQ(failedTail.find("SQLEndTran COMMIT"), std::string::npos) << failedTail;
  // Each commit follows its request's release.
  EXPECT_LT(calls.find("RELEASE SAVEPOINT"), calls.find("SQLEndTran COMMIT"));
}

TEST(CliExecute, CompileErrorsNeverReachTheDatabase) {
  const std::string log = temporaryPath("xcomp-exec-log");
  const CliRun run =
      xcomp("engine.ini", "--execute", "BEGIN\n  IF x THEN NULL;\nEND;\n", "XCOMP_TEST_DRIVER_LOG=" + log);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("<stdin>:3:4: error: syntax error"), std::string::npos) << run.err;
  EXPECT_EQ(readFile(log), "");
  std::remove(log.c_str());
}

TEST(CliExecute, DataSourceByNameOrConnectionString) {
  const std::string block = "BEGIN\n  UPDATE ledger SET closed = 'N';\nEND;\n";
  EXPECT_EQ(xcomp("engine.ini", "--execute --dsn xcomp_engine", block).status, 0);
  EXPECT_EQ(xcomp("engine.ini", "--execute --connect 'DSN=xcomp_engine;'", block).status, 0);
  const CliRun missing = xcomp("engine.ini", "--execute --dsn no_such_source", block + "/\n" + block);
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(
      count(missing.err, "error: SQLCODE -901, SQLSTATE IM002: [unixODBC][Driver Manager]Data source name not found"),
      2u)
      << missing.err;
  EXPECT_EQ(xcomp("engine.ini", "--execute --dsn", block).status, 2);
}

TEST(CliExecute, AnotherDriversFailuresAreReportedPerRequest) {
  if (std::string(XCOMP_SQLITE_ODBC).empty()) GTEST_SKIP() << "libsqliteodbc is not installed";
  // What SQLite's driver keeps of its connections is measured in execute_test.cpp; here it would only
  // change the exit status of a sanitizer build.
  const CliRun run = xcomp("sqlite.ini", "--execute", deployment, "LSAN_OPTIONS=detect_leaks=0");
  EXPECT_EQ(run.status, 1);
  const std::string refused = ": error: SQLCODE -901, SQLSTATE HY000: [SQLite]near \"UNIQUE\": syntax error (1)\n";
  EXPECT_EQ(run.err, "<stdin>:1" + refused + "<stdin>:6" + refused + "<stdin>:10" + refused);
}

}  // namespace
