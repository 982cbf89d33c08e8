// execute.cpp - the command-line side of execute mode: options, one run per request, and the report.
#include "execute.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "script/sql_text.h"

namespace {

// The longest data source name ODBC stores, and the characters it refuses in one.
constexpr size_t longestDataSourceName = 32;
constexpr const char* refusedInName = "[]{}(),;?*=!@\\";

// One KEY=VALUE of a connection string: the key upper-cased and trimmed, where its value lies.
struct Attribute {
  std::string key;
  size_t valueStart;
  size_t valueEnd;
};

// The attributes of a connection string in order; a value in braces may hold ';'.
std::vector<Attribute> connectionAttributes(const std::string& text) {
  std::vector<Attribute> out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t equals = text.find('=', pos);
    const size_t semicolon = text.find(';', pos);
    if (equals == std::string::npos) break;
    if (semicolon != std::string::npos && semicolon < equals) {
      pos = semicolon + 1;
      continue;
    }
    size_t end = equals + 1;
    while (end < text.size() && text[end] == ' ') ++end;
    if (end < text.size() && text[end] == '{') {
      const size_t close = text.find('}', end);
      end = close == std::string::npos ? text.size() : close + 1;
    }
    end = std::min(text.find(';', end), text.size());
    out.push_back({upperAscii(trimBlanks(std::string_view(text).substr(pos, equals - pos))), equals + 1, end});
    pos = end + 1;
  }
  return out;
}

std::string valueOf(const std::string& text, const Attribute& attribute) {
  return std::string(
      trimBlanks(std::string_view(text).substr(attribute.valueStart, attribute.valueEnd - attribute.valueStart)));
}

std::string dataSourceNameProblem(const std::string& name) {
  if (name.empty()) return "--dsn needs a data source name (leave it out for the default data source)";
  if (name.size() > longestDataSourceName) return "invalid data source name '" + name + "': longer than 32 characters";
  for (const char c : name) {
    if (std::strchr(refusedInName, c) != nullptr || static_cast<unsigned char>(c) < 0x20)
      return "invalid data source name '" + name +
             "': a name may not hold any of []{}(),;?*=!@\\ or control characters";
  }
  return {};
}

std::string connectStringProblem(const std::string& text) {
  bool names = false;
  for (const Attribute& attribute : connectionAttributes(text)) {
    const std::string value = valueOf(text, attribute);
    if (attribute.key == "DRIVER" && (value.empty() || value == "{}"))
      return "invalid connection string '" + maskedConnectString(text) + "': DRIVER has no value";
    if (attribute.key == "DSN" || attribute.key == "FILEDSN" || attribute.key == "DRIVER") names = true;
  }
  if (!names)
    return "invalid connection string '" + maskedConnectString(text) +
           "': it names no data source or driver (DSN=..., FILEDSN=... or DRIVER=...)";
  return {};
}

}  // namespace

std::string maskedConnectString(const std::string& text) {
  std::string out;
  size_t copied = 0;
  for (const Attribute& attribute : connectionAttributes(text)) {
    if (attribute.key != "PWD" && attribute.key != "PASSWORD") continue;
    out += text.substr(copied, attribute.valueStart - copied) + "***";
    copied = attribute.valueEnd;
  }
  return out + text.substr(copied);
}

bool takeExecuteOption(const std::string& arg, const std::function<std::string()>& value, ExecuteOptions* options,
                       std::string* problem) {
  if (arg == "--execute") {
    options->enabled = true;
  } else if (arg == "--dry-run") {
    options->dryRun = true;
  } else if (arg == "--stop-on-error") {
    options->stopOnError = true;
  } else if (arg == "--dsn") {
    const std::string name = value();
    *problem = dataSourceNameProblem(name);
    options->connectString = "DSN=" + name + ";";
    options->dataSource = "data source '" + name + "'";
  } else if (arg == "--connect") {
    options->connectString = value();
    *problem = connectStringProblem(options->connectString);
    options->dataSource = "the data source of '" + maskedConnectString(options->connectString) + "'";
  } else {
    return false;
  }
  return true;
}

std::string checkExecuteOptions(const ExecuteOptions& options, bool dsnGiven, bool connectGiven) {
  if (dsnGiven && connectGiven) return "--dsn and --connect cannot be used together";
  if (options.enabled) return {};
  if (options.dryRun) return "--dry-run needs --execute";
  if (options.stopOnError) return "--stop-on-error needs --execute";
  return {};
}

ExecutionReport executeRequest(const ExecuteOptions& options, const XcompResult* results, const std::string& callerText,
                               uint16_t codePage) {
  ExecutionReport report;
  clearSqlca(&report.sqlca);
  executeStatements(options.connectString.c_str(), results, callerText.data(), callerText.size(), codePage, true,
                    &report.sqlca, &report.diagnostic);
  return report;
}

std::string executionMessage(const SQLCA& sqlca, const DriverDiagnostic& diagnostic) {
  char head[96];
  std::snprintf(head, sizeof head, "SQLCODE %d, SQLSTATE %.5s", sqlca.sqlcode, sqlca.sqlstate);
  std::string out = head;
  if (diagnostic.sqlstate.empty())
    return out + ": " + std::string(sqlca.sqlerrmc, static_cast<size_t>(sqlca.sqlerrml > 0 ? sqlca.sqlerrml : 0));
  if (diagnostic.nativeError != sqlca.sqlcode) out += ", native error " + std::to_string(diagnostic.nativeError);
  return out + ": " + diagnostic.message;
}

bool isConnectionFailure(const SQLCA& sqlca) {
  if (sqlca.sqlcode >= 0) return false;
  if (sqlca.sqlstate[0] == '0' && sqlca.sqlstate[1] == '8') return true;
  // The steps that open a connection: allocating its handles, autocommit, the connect itself.
  switch (sqlca.sqlerrd[4]) {
    case 215:
    case 219:
    case 225:
    case 229:
    case 235: return true;
    default: return false;
  }
}
