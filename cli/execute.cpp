// execute.cpp - the command-line side of execute mode: options, one run per request, and the report.
#include "execute.h"

#include <cstdio>

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

std::string executionMessage(const SQLCA& sqlca) {
  char head[64];
  std::snprintf(head, sizeof head, "SQLCODE %d, SQLSTATE %.5s: ", sqlca.sqlcode, sqlca.sqlstate);
  return head + std::string(sqlca.sqlerrmc, static_cast<size_t>(sqlca.sqlerrml > 0 ? sqlca.sqlerrml : 0));
}
