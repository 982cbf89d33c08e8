// test_driver.h - the control side of the ODBC driver that plays the database engine in the execute-mode
// tests. The driver manager loads the driver from the test odbcinst.ini; a test reaches the same loaded
// copy through dlopen of the same file and xcompTestDriver(), sets a script of answers, runs requests,
// and reads back every call the driver received, what the unit of work holds and which handles live.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

// One scripted answer: the Nth call (or every call) of `call` whose statement text contains
// `textContains` returns `returnCode`, leaving a diagnostic record unless `leavesRecord` is false.
// Statement calls match on the text: SQLExecDirect and SQLPrepare on their own, SQLExecute on the text
// bound to the wrap routine, SQLBindParameter, SQLBindCol, SQLFetch and SQLCloseCursor on the prepared
// text. Other calls: SQLDriverConnect, SQLSetConnectAttr, SQLAllocHandle(STMT), SQLDisconnect, SQLEndTran.
struct DriverFault {
  std::string call;
  std::string textContains;
  int nth = 0;  // 0: every matching call
  int returnCode = -1;
  std::string sqlstate = "HY000";
  int native = 0;
  std::string message = "scripted failure";
  bool leavesRecord = true;
  bool dropsConnection = false;  // later calls on the connection fail with 08S01 (a lost link)
  int seen = 0;
};

struct TestDriver {
  std::mutex mutex;
  std::vector<DriverFault> faults;
  // Every call in order, one line each: the function name, then its fixed arguments or its text; and
  // "committed: TEXT" for each statement a commit made permanent. A test in another process scripts the
  // driver through the environment: XCOMP_TEST_DRIVER_LOG (a file the lines are appended to),
  // XCOMP_TEST_DRIVER_FAIL_ON (statements holding this text fail with -601, 42710, and the message of
  // XCOMP_TEST_DRIVER_FAIL_MESSAGE when set) and XCOMP_TEST_DRIVER_REFUSE_CONNECT_AFTER (connects after
  // that many fail with 08001).
  std::vector<std::string> calls;
  // What connections left in the caller's unit of work when they closed (statements applied, neither
  // rolled back nor committed), savepoints they left set, and what they committed.
  std::vector<std::string> work;
  std::vector<std::string> savepoints;
  std::vector<std::string> committed;
  int liveEnvironments = 0;
  int liveConnections = 0;
  int liveStatements = 0;
  // The wrap routine answers with this prefix before the text, and `wrapPadding` blanks after it.
  std::string wrapPrefix = "/*wrapped*/ ";
  size_t wrapPadding = 0;
  bool wrapReturnsNull = false;
  bool wrapReturnsNoRow = false;
  bool logCalls = true;  // off for runs long enough that the log itself would grow the heap
  bool keepWork = true;  // off: what connections leave in place is forgotten (benchmarks)

  void reset() {
    faults.clear();
    calls.clear();
    work.clear();
    savepoints.clear();
    committed.clear();
    wrapPrefix = "/*wrapped*/ ";
    wrapPadding = 0;
    wrapReturnsNull = false;
    wrapReturnsNoRow = false;
    logCalls = true;
    keepWork = true;
  }
};

extern "C" TestDriver* xcompTestDriver();
