// execute.cpp - running the generated statements. The order of the calls is the contract: connect,
// savepoint, each statement (wrapped first when its kind asks for it), then rollback on failure,
// release, and the handles freed statement first, environment last. Nothing here ever commits on
// xcomp2's behalf: what a successful request did belongs to the caller's unit of work.
#include "entry/execute.h"

#include <cassert>
#include <cstring>
#include <string_view>

#include "diag/diag.h"
#include "entry/entry.h"
#include "host/host.h"

namespace {

const char* const savepointText = "SAVEPOINT SQLEXC_PROC_SAVEPOINT UNIQUE ON ROLLBACK RETAIN CURSORS";
const char* const wrapText = "VALUES DBMS_DDL.WRAP(?)";
const char* const rollbackText = "ROLLBACK TO SAVEPOINT SQLEXC_PROC_SAVEPOINT";
const char* const releaseText = "RELEASE SAVEPOINT SQLEXC_PROC_SAVEPOINT";

// The wrap routine does not exist on this system: statements run as they are.
constexpr int32_t routineNotFound = -440;
// The generated DROP found no module, and the engine's own DROP PACKAGE found no package either.
constexpr int32_t objectNotFound = -204;
constexpr int32_t packageNotFound = -805;
constexpr int32_t preferredWarning = 20480;

void cliNotSet(SQLCA* sqlca, FailurePoint point) { setSqlcaFailure(sqlca, cliSqlcaNotSet, point); }

}  // namespace

// The call-failure rule: a failed call (negative) or one that succeeded with information (1) has the
// interface's SQLCA copied over the caller's. A failure that leaves no failure there, or information
// that leaves nothing, is reported as "SQLCA not set in CLI". The diagnostic records of standard ODBC
// carry no position, so a failure's SQLCA gets the step's number.
void Execution::reportCall(int returnCode, FailurePoint failurePoint) {
  const bool fetched = cliFetchSqlca(&handles_, returnCode, sqlca_);
  if (sqlca_->sqlcode == 0 || (returnCode < 0 && sqlca_->sqlcode >= 0)) {
    cliNotSet(sqlca_, failurePoint);
    captureRecord(false);
    return;
  }
  captureRecord(fetched);
  if (fetched && returnCode < 0) sqlca_->sqlerrd[4] = failurePoint;
}

void Execution::captureRecord(bool fetched) {
  if (capture_ == nullptr) return;
  *capture_ = DriverDiagnostic{};
  char state[6] = {};
  if (fetched && cliReadDiagnostic(&handles_, state, &capture_->nativeError, &capture_->message))
    capture_->sqlstate = state;
}

bool Execution::callFailed(int returnCode, FailurePoint failurePoint) {
  if (returnCode < 0 || returnCode == CLI_SUCCESS_WITH_INFO) reportCall(returnCode, failurePoint);
  return returnCode < 0;
}

bool Execution::open(const char* connectString) {
  // The allocation calls are stricter than the rest: anything but plain success ends the request.
  if (cliAllocEnvironment(&handles_) != CLI_SUCCESS) {
    setSqlcaFailure(sqlca_, allocHandleFailure, pointAllocEnvironment);
    return false;
  }
  if (cliAllocConnection(&handles_) != CLI_SUCCESS) {
    setSqlcaFailure(sqlca_, allocHandleFailure, pointAllocConnection);
    return false;
  }
  if (cliAutocommitOff(&handles_) < 0) {
    setSqlcaFailure(sqlca_, setConnectAttrFailure, pointAutocommitOff);
    return false;
  }
  const int rc = cliDriverConnect(&handles_, connectString);
  if (callFailed(rc, pointConnect)) return false;
  connected_ = true;
  // The driver manager hands the attribute to the driver only while connecting and keeps quiet when
  // the driver refuses it; a connection left in autocommit would make every statement permanent at
  // once, with nothing for the savepoint to roll back.
  bool autocommitOn = false;
  if (cliAutocommitIsOn(&handles_, &autocommitOn) >= 0 && autocommitOn) {
    setSqlcaFailure(sqlca_, setConnectAttrFailure, pointAutocommitOff);
    return false;
  }
  if (cliAllocStatement(&handles_) != CLI_SUCCESS) {
    setSqlcaFailure(sqlca_, allocHandleFailure, pointAllocStatement);
    return false;
  }
  return true;
}

void Execution::run(const ExecuteInput& input) {
  if (callFailed(cliExecDirect(&handles_, savepointText, std::strlen(savepointText)), pointSavepoint)) return;
  savepointSet_ = true;

  const bool single = input.results != nullptr && input.results->next == nullptr;
  for (const XcompResult* result = input.results; result != nullptr; result = result->next) {
    const char* text = result->text;
    size_t length = result->length;
    if (input.convert) {
      size_t left = 0;
      const uint32_t rc = convertCodepage(result->text, result->length, XCOMP_CODEPAGE_UTF8, input.codePage,
                                          input.privateBlock->text, XCOMP_MAX_STATEMENT, &left);
      if (rc != 0) {
        setConversionFailure(sqlca_, pointConvertToRun);
        return;
      }
      text = input.privateBlock->text;
      length = XCOMP_MAX_STATEMENT - left;
    }
    if (statementDomainWrapsBeforeRun(result->domain) && !wrap(input.privateBlock, &text, &length)) return;

    callFailed(cliExecDirect(&handles_, text, length), pointRunStatement);
    if (sqlca_->sqlcode == objectNotFound && single && result->domain == SQLEXC_DROP_PACKAGE) {
      dropPackageFallback(input);
      return;
    }
    if (sqlca_->sqlcode < 0) return;
    if (sqlca_->sqlcode > 0) keepWarning();
  }
}

// The statement goes through "VALUES DBMS_DDL.WRAP(?)" and what comes back runs in its place. A
// system without the routine (-440 at prepare) runs the statement as it is, with a clean SQLCA.
bool Execution::wrap(XcompStatement* privateBlock, const char** text, size_t* length) {
  const int rc = cliPrepare(&handles_, wrapText);
  if (rc == CLI_SUCCESS) {
    if (callFailed(cliBindTextParameter(&handles_, *text, *length, XCOMP_MAX_STATEMENT), pointBindParameter))
      return false;
    if (callFailed(cliExecute(&handles_), pointExecuteWrap)) return false;
    if (callFailed(cliBindTextColumn(&handles_, privateBlock->text, XCOMP_MAX_STATEMENT), pointBindColumn))
      return false;
    const int fetched = cliFetch(&handles_);
    if (callFailed(fetched, pointFetchWrapped)) return false;
    // A wrap routine that answers with no row, a NULL or a text the block cannot hold has not wrapped
    // anything we could run. The cursor it leaves open is closed before the savepoint ends.
    if (fetched == CLI_NO_DATA) {
      setSqlcaFailure(sqlca_, -901, "58004", "XCOMP2: DBMS_DDL.WRAP returned no row", pointFetchWrapped);
      return false;
    }
    if (handles_.columnLength == CLI_NULL_DATA) {
      setSqlcaFailure(sqlca_, -901, "58004", "XCOMP2: DBMS_DDL.WRAP returned NULL", pointFetchWrapped);
      return false;
    }
    if (handles_.columnLength < 0 || handles_.columnLength >= static_cast<int64_t>(XCOMP_MAX_STATEMENT)) {
      setSqlcaFailure(sqlca_, tooLongFailure, pointFetchWrapped);
      return false;
    }
    if (callFailed(cliCloseCursor(&handles_), pointCloseCursor)) return false;
    cliResetStatement(&handles_);
    *text = privateBlock->text;
    *length = static_cast<size_t>(handles_.columnLength);
    return true;
  }
  if (rc < 0 || rc == CLI_SUCCESS_WITH_INFO) {
    reportCall(rc, pointPrepareWrap);
    if (sqlca_->sqlcode == routineNotFound) {
      clearSqlca(sqlca_);
      return true;
    }
    reportCall(rc, pointPrepareWrapAgain);
    return rc >= 0;
  }
  if (sqlca_->sqlcode == routineNotFound) clearSqlca(sqlca_);
  return true;
}

// DROP PACKAGE p compiles to a DROP of module p. When there is no such module (-204), p may be one of
// the engine's own packages: the caller's statement runs as it came. If there is no such package
// either (-805), the first answer is the one that tells the caller what was missing.
void Execution::dropPackageFallback(const ExecuteInput& input) {
  const SQLCA moduleNotFound = *sqlca_;
  const DriverDiagnostic moduleRecord = capture_ != nullptr ? *capture_ : DriverDiagnostic{};
  clearSqlca(sqlca_);
  callFailed(cliExecDirect(&handles_, input.callerText, input.callerLength), pointRunDropPackage);
  if (sqlca_->sqlcode != packageNotFound) return;
  *sqlca_ = moduleNotFound;
  if (capture_ != nullptr) *capture_ = moduleRecord;
}

void Execution::keepWarning() {
  if (!hasKeptWarning_ || (sqlca_->sqlcode == preferredWarning && keptWarning_.sqlcode != preferredWarning)) {
    keptWarning_ = *sqlca_;
    hasKeptWarning_ = true;
    if (capture_ != nullptr) {
      keptState_ = capture_->sqlstate;
      keptNative_ = capture_->nativeError;
      keptMessage_ = capture_->message;
    }
  }
}

void Execution::restoreKeptWarning() {
  if (sqlca_->sqlcode < 0 || !hasKeptWarning_) return;
  *sqlca_ = keptWarning_;
  if (sqlca_->sqlcaid[5] == 'L' && sqlca_->sqlerrd[2] < 1) sqlca_->sqlcaid[5] = ' ';
  if (capture_ != nullptr) *capture_ = DriverDiagnostic{keptState_, keptNative_, keptMessage_};
}

void Execution::runPlain(const char* text, size_t length) {
  const int rc = cliExecDirect(&handles_, text, length);
  // An UPDATE or DELETE that met no row answers "no data": the statement still did what it says.
  if (rc != CLI_NO_DATA) callFailed(rc, pointPlainStatement);
  cliResetStatement(&handles_);
}

void Execution::endWork(bool commit) {
  callFailed(cliEndTransaction(&handles_, commit), commit ? pointCommit : pointRollback);
}

void Execution::endSavepoint() {
  if (!savepointSet_) return;
  savepointSet_ = false;
  // A wrap that failed half-way may have left its cursor open and its buffers bound; the savepoint's
  // statements must meet neither.
  cliResetStatement(&handles_);
  if (sqlca_->sqlcode < 0) cliExecDirect(&handles_, rollbackText, std::strlen(rollbackText));
  const int rc = cliExecDirect(&handles_, releaseText, std::strlen(releaseText));
  const bool infoOnSuccess = rc == CLI_SUCCESS_WITH_INFO && sqlca_->sqlcode == 0;
  const bool otherwise = rc != CLI_SUCCESS && rc != CLI_SUCCESS_WITH_INFO && sqlca_->sqlcode >= 0;
  if (!infoOnSuccess && !otherwise) return;
  cliFetchSqlca(&handles_, rc, sqlca_);
  // A release that failed without a word still failed.
  if (rc < 0 && sqlca_->sqlcode >= 0) cliNotSet(sqlca_, pointRelease);
}

// A connection that refuses to go because its unit of work is still open (some drivers do) has that
// work rolled back and is asked once more: a handle that stays connected could never be freed.
void Execution::disconnect() {
  if (!connected_) return;
  connected_ = false;
  if (cliDisconnect(&handles_) >= 0) return;
  cliEndTransaction(&handles_, false);
  cliDisconnect(&handles_);
}

void Execution::close(bool commit) {
  if (closed_) return;
  closed_ = true;
  endSavepoint();
  if (commit && connected_ && sqlca_->sqlcode >= 0) {
    const int rc = cliEndTransaction(&handles_, true);
    if (rc < 0) reportCall(rc, pointCommit);
  }
  cliFreeStatement(&handles_);
  disconnect();
  cliFreeConnection(&handles_);
  cliFreeEnvironment(&handles_);
}

namespace {

const char* const sourceFile = "sqlexc_proc";
// Room for a full statement, its length word and a NUL.
constexpr size_t privateBlockSize = 2097161;

}  // namespace

PrivateBlock::~PrivateBlock() { hostFreeMemoryBlock(sourceFile, 1060, block); }

bool PrivateBlock::allocate() {
  uint32_t rc = 0;
  block = static_cast<XcompStatement*>(hostGetMemoryBlock(privateBlockSize, &rc, sourceFile, pointPrivateBlock));
  if (rc == 0 && block != nullptr) return true;
  block = nullptr;
  return false;
}

namespace {

// A record read along the way stands behind the final SQLCA only if that SQLCA was built from it: same
// state, and the SQLCA's message the head of the record's. Anything else (a report of our own, a
// cleared SQLCA, a later record) leaves no record.
void keepMatchingRecord(const SQLCA& sqlca, DriverDiagnostic* diagnostic) {
  const std::string_view shown(sqlca.sqlerrmc, static_cast<size_t>(sqlca.sqlerrml > 0 ? sqlca.sqlerrml : 0));
  const bool matches = sqlca.sqlcode != 0 && diagnostic->sqlstate == std::string_view(sqlca.sqlstate, 5) &&
                       std::string_view(diagnostic->message).starts_with(shown);
  if (!matches) *diagnostic = DriverDiagnostic{};
}

}  // namespace

void executeStatements(const char* connectString, const XcompResult* results, const char* callerText,
                       size_t callerLength, uint16_t codePage, bool commit, SQLCA* sqlca,
                       DriverDiagnostic* diagnostic) {
  {
    Execution execution(sqlca);
    execution.captureDiagnostics(diagnostic);
    if (execution.open(connectString)) {
      PrivateBlock privateBlock;
      if (privateBlock.allocate()) {
        execution.run(
            ExecuteInput{results, needsConversion(codePage), codePage, callerText, callerLength, privateBlock.block});
        execution.restoreKeptWarning();
      } else {
        setSqlcaFailure(sqlca, noMemoryFailure, pointPrivateBlock);
      }
    }
    execution.close(commit);
  }
  if (diagnostic != nullptr) keepMatchingRecord(*sqlca, diagnostic);
}

struct ScriptConnection::State {
  SQLCA sqlca{};
  DriverDiagnostic diagnostic;
  Execution execution{&sqlca};
  bool open = false;

  // A fresh SQLCA and record for the next call.
  void clear() {
    clearSqlca(&sqlca);
    diagnostic = DriverDiagnostic{};
  }
  StatementReport report() {
    keepMatchingRecord(sqlca, &diagnostic);
    return StatementReport{sqlca, diagnostic};
  }
};

ScriptConnection::ScriptConnection() = default;
ScriptConnection::~ScriptConnection() { close(); }

bool ScriptConnection::open(const char* connectString, StatementReport* failure) {
  close();
  state_ = std::make_unique<State>();
  state_->clear();
  state_->execution.captureDiagnostics(&state_->diagnostic);
  if (state_->execution.open(connectString)) {
    state_->open = true;
    return true;
  }
  *failure = state_->report();
  state_.reset();
  return false;
}

std::string ScriptConnection::product() { return state_ != nullptr ? state_->execution.product() : std::string(); }

StatementReport ScriptConnection::run(const char* text, size_t length) {
  assert(state_ != nullptr && "a statement runs only on an open connection");
  state_->clear();
  state_->execution.runPlain(text, length);
  return state_->report();
}

StatementReport ScriptConnection::endWork(bool commit) {
  assert(state_ != nullptr && "a unit of work ends only on an open connection");
  state_->clear();
  state_->execution.endWork(commit);
  return state_->report();
}

void ScriptConnection::close() {
  if (state_ == nullptr) return;
  state_->clear();
  state_->execution.endWork(false);
  state_->clear();
  state_->execution.close(false);
  state_.reset();
}
