// execute.cpp - the command-line side of execute mode: options, one run per request, and the report.
#include "execute.h"

#include <cstdio>

const char* const executeUsage =
    "  --execute             run each compiled request over ODBC (default data source) and commit it\n"
    "  --dsn NAME            with --execute: the ODBC data source NAME\n"
    "  --connect STRING      with --execute: a whole ODBC connection string\n";

bool takeExecuteOption(const std::string& arg, const std::function<std::string()>& value, ExecuteOptions* options) {
  if (arg == "--execute") {
    options->enabled = true;
  } else if (arg == "--dsn") {
    options->connectString = "DSN=" + value() + ";";
  } else if (arg == "--connect") {
    options->connectString = value();
  } else {
    return false;
  }
  return true;
}

SQLCA executeRequest(const ExecuteOptions& options, const XcompResult* results, const std::string& callerText,
                     uint16_t codePage) {
  SQLCA sqlca;
  clearSqlca(&sqlca);
  executeStatements(options.connectString.c_str(), results, callerText.data(), callerText.size(), codePage, true,
                    &sqlca);
  return sqlca;
}

void reportExecution(const std::string& file, int line, const SQLCA& sqlca) {
  if (sqlca.sqlcode == 0) return;
  std::fprintf(stderr, "%s:%d: %s: SQLCODE %d, SQLSTATE %.5s: %.*s\n", file.c_str(), line,
               sqlca.sqlcode < 0 ? "error" : "warning", sqlca.sqlcode, sqlca.sqlstate, sqlca.sqlerrml, sqlca.sqlerrmc);
}
