// execute.h - xcomp --execute: each request that compiled is run over ODBC the way the engine's
// execute mode runs it (one savepoint, wrapping, the DROP PACKAGE fallback), on a connection of its
// own, and committed when it succeeded, since here xcomp is the caller whose unit of work it is.
#pragma once

#include <functional>
#include <string>

#include "entry/entry.h"

struct ExecuteOptions {
  bool enabled = false;
  bool dryRun = false;                  // --dry-run: connect and say what would run, run nothing
  bool stopOnError = false;             // --stop-on-error: each file starts under WHENEVER SQLERROR EXIT FAILURE
  std::string connectString = "DSN=;";  // the default data source
  std::string dataSource = "the default data source";  // as messages name it (a password masked)
};

// Takes `arg` when it is --execute, --dry-run, --stop-on-error, --dsn NAME or --connect STRING (`value`
// yields the option's value and reports a missing one itself); false for any other argument. A value
// that cannot name a data source leaves its reason in *problem: a name holding any of []{}(),;?*=!@ or
// a backslash (it would change the connection string around it), one longer than 32 bytes, an empty
// name, or a connection string that names no DSN, FILEDSN or DRIVER (or an empty DRIVER).
bool takeExecuteOption(const std::string& arg, const std::function<std::string()>& value, ExecuteOptions* options,
                       std::string* problem);

// What is wrong with the options as a whole (--dry-run or --stop-on-error without --execute, --dsn and
// --connect together); empty when nothing is.
std::string checkExecuteOptions(const ExecuteOptions& options, bool dsnGiven, bool connectGiven);

// A connection string as messages may show it: the value of PWD (or PASSWORD) is replaced by "***".
std::string maskedConnectString(const std::string& connectString);

// What a run of one request says: its SQLCA and the driver's whole record behind it.
struct ExecutionReport {
  SQLCA sqlca;
  DriverDiagnostic diagnostic;
};

// Runs one compiled request; `callerText` is the request as read, in `codePage`.
ExecutionReport executeRequest(const ExecuteOptions& options, const XcompResult* results, const std::string& callerText,
                               uint16_t codePage);

// What a run said, as "SQLCODE -601, SQLSTATE 42710: message": the driver's whole message when a
// record stands behind the SQLCA (its native error added when the SQLCODE is not that number), else
// the SQLCA's own message.
std::string executionMessage(const SQLCA& sqlca, const DriverDiagnostic& diagnostic);

// Whether a failure means the data source cannot be reached (the connect, the handles it needs, or an
// SQLSTATE of class 08): every later item would fail the same way.
bool isConnectionFailure(const SQLCA& sqlca);
