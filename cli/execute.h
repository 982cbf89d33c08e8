// execute.h - xcomp --execute: each request that compiled is run over ODBC the way the engine's
// execute mode runs it (one savepoint, wrapping, the DROP PACKAGE fallback), on a connection of its
// own, and committed when it succeeded, since here xcomp is the caller whose unit of work it is.
#pragma once

#include <functional>
#include <string>

#include "entry/entry.h"

struct ExecuteOptions {
  bool enabled = false;
  std::string connectString = "DSN=;";  // the default data source
};

// Takes `arg` when it is --execute, --dsn NAME or --connect STRING (`value` yields the option's value
// and reports a missing one itself); false for any other argument.
bool takeExecuteOption(const std::string& arg, const std::function<std::string()>& value, ExecuteOptions* options);

// Runs one compiled request; `callerText` is the request as read, in `codePage`. The outcome's SQLCA.
SQLCA executeRequest(const ExecuteOptions& options, const XcompResult* results, const std::string& callerText,
                     uint16_t codePage);

// What a run's SQLCA says, as "SQLCODE -601, SQLSTATE 42710: message".
std::string executionMessage(const SQLCA& sqlca);
