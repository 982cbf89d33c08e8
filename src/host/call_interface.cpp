// call_interface.cpp - the call-level interface over unixODBC. Each call is one ODBC call with the
// arguments execute mode fixes; the only logic is the SQLCA that standard ODBC does not have, built
// from the diagnostic record the driver (or the driver manager) left on the handle.
#include "host/call_interface.h"

#include <sql.h>
#include <sqlext.h>

#include <cstring>

static_assert(sizeof(SQLLEN) == sizeof(int64_t), "the bound lengths are kept as 64-bit values");

namespace {

// The host's character-large-object SQL type, which the wrap routine's parameter is declared as.
constexpr SQLSMALLINT hostClobType = -99;

// A warning whose record carries no positive native code (drivers other than the engine's give 0)
// still has to read as a warning: this is the code it gets.
constexpr int32_t warningWithoutCode = 1;
// A failure whose record carries no negative native code (SQLite's driver gives 1, the driver manager
// 0) must never read as success or as a warning.
constexpr int32_t failureWithoutCode = -901;

int remember(CliHandles* handles, int which, SQLRETURN rc) {
  handles->lastHandle = which;
  return rc;
}

// The handle the latest call went to, where its diagnostics are kept.
bool lastCallHandle(const CliHandles* handles, SQLSMALLINT* type, void** handle) {
  switch (handles->lastHandle) {
    case 1: *type = SQL_HANDLE_ENV, *handle = handles->environment; break;
    case 2: *type = SQL_HANDLE_DBC, *handle = handles->connection; break;
    case 3: *type = SQL_HANDLE_STMT, *handle = handles->statement; break;
    default: return false;
  }
  return *handle != nullptr;
}

void freeHandle(SQLSMALLINT type, void** handle) {
  if (*handle == nullptr) return;
  SQLFreeHandle(type, *handle);
  *handle = nullptr;
}

}  // namespace

int cliAllocEnvironment(CliHandles* handles) {
  handles->lastHandle = 0;
  SQLHENV environment = SQL_NULL_HENV;
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
  if (rc != SQL_SUCCESS) {
    if (environment != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return rc == SQL_SUCCESS_WITH_INFO ? SQL_ERROR : rc;
  }
  rc = SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return rc;
  }
  handles->environment = environment;
  return SQL_SUCCESS;
}

int cliAllocConnection(CliHandles* handles) {
  SQLHDBC connection = SQL_NULL_HDBC;
  const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, handles->environment, &connection);
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) handles->connection = connection;
  return remember(handles, 1, rc);
}

int cliAllocStatement(CliHandles* handles) {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, handles->connection, &statement);
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) handles->statement = statement;
  return remember(handles, 2, rc);
}

int cliAutocommitOff(CliHandles* handles) {
  return remember(handles, 2,
                  SQLSetConnectAttr(handles->connection, SQL_ATTR_AUTOCOMMIT,
                                    reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_NTS));
}

int cliAutocommitIsOn(CliHandles* handles, bool* on) {
  SQLUINTEGER value = SQL_AUTOCOMMIT_OFF;
  const SQLRETURN rc = SQLGetConnectAttr(handles->connection, SQL_ATTR_AUTOCOMMIT, &value, sizeof value, nullptr);
  *on = value == SQL_AUTOCOMMIT_ON;
  return remember(handles, 2, rc);
}

int cliDriverConnect(CliHandles* handles, const char* connectString) {
  auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectString));
  return remember(
      handles, 2,
      SQLDriverConnect(handles->connection, nullptr, text, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
}

int cliExecDirect(CliHandles* handles, const char* text, size_t length) {
  auto* sql = reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
  return remember(handles, 3, SQLExecDirect(handles->statement, sql, static_cast<SQLINTEGER>(length)));
}

int cliPrepare(CliHandles* handles, const char* text) {
  auto* sql = reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
  return remember(handles, 3, SQLPrepare(handles->statement, sql, SQL_NTS));
}

int cliBindTextParameter(CliHandles* handles, const char* text, size_t length, size_t capacity) {
  handles->parameterLength = static_cast<int64_t>(length);
  return remember(handles, 3,
                  SQLBindParameter(handles->statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, hostClobType, capacity, 0,
                                   const_cast<char*>(text), static_cast<SQLLEN>(capacity),
                                   reinterpret_cast<SQLLEN*>(&handles->parameterLength)));
}

int cliBindTextColumn(CliHandles* handles, char* buffer, size_t capacity) {
  handles->columnLength = 0;
  return remember(handles, 3,
                  SQLBindCol(handles->statement, 1, SQL_C_CHAR, buffer, static_cast<SQLLEN>(capacity),
                             reinterpret_cast<SQLLEN*>(&handles->columnLength)));
}

int cliExecute(CliHandles* handles) { return remember(handles, 3, SQLExecute(handles->statement)); }

int cliFetch(CliHandles* handles) { return remember(handles, 3, SQLFetch(handles->statement)); }

int cliCloseCursor(CliHandles* handles) { return remember(handles, 3, SQLCloseCursor(handles->statement)); }

void cliResetStatement(CliHandles* handles) {
  SQLFreeStmt(handles->statement, SQL_CLOSE);
  SQLFreeStmt(handles->statement, SQL_UNBIND);
  SQLFreeStmt(handles->statement, SQL_RESET_PARAMS);
  handles->lastHandle = 3;
}

int cliDisconnect(CliHandles* handles) { return remember(handles, 2, SQLDisconnect(handles->connection)); }

int cliEndTransaction(CliHandles* handles, bool commit) {
  return remember(
      handles, 2,
      SQLEndTran(SQL_HANDLE_DBC, handles->connection, static_cast<SQLSMALLINT>(commit ? SQL_COMMIT : SQL_ROLLBACK)));
}

void cliFreeStatement(CliHandles* handles) { freeHandle(SQL_HANDLE_STMT, &handles->statement); }
void cliFreeConnection(CliHandles* handles) { freeHandle(SQL_HANDLE_DBC, &handles->connection); }
void cliFreeEnvironment(CliHandles* handles) { freeHandle(SQL_HANDLE_ENV, &handles->environment); }

// Standard ODBC has no SQLCA; its diagnostics are records on the handle of the call. The first record
// is the most serious one, and it becomes the SQLCA: its SQLSTATE goes into sqlstate, its native error
// into sqlcode, its message into sqlerrmc (cut to the 69 bytes the area holds). Drivers other than the
// engine's number their native errors as they like, so the sign is made to agree with the return code:
// a failed call always reports a negative sqlcode, a call that succeeded never does.
bool cliFetchSqlca(const CliHandles* handles, int returnCode, SQLCA* sqlca) {
  SQLSMALLINT type = 0;
  void* handle = nullptr;
  if (!lastCallHandle(handles, &type, &handle)) return false;
  SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
  SQLINTEGER native = 0;
  SQLCHAR text[SQL_MAX_MESSAGE_LENGTH] = {};
  SQLSMALLINT textLength = 0;
  const SQLRETURN rc = SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &textLength);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return false;

  std::memset(sqlca, 0, sizeof *sqlca);
  std::memcpy(sqlca->sqlcaid, "SQLCA   ", 8);
  sqlca->sqlcabc = sizeof(SQLCA);
  if (returnCode < 0) {
    sqlca->sqlcode = native < 0 ? native : failureWithoutCode;
  } else {
    sqlca->sqlcode = native > 0 ? native : warningWithoutCode;
  }
  std::memcpy(sqlca->sqlstate, state, 5);
  size_t length = std::strlen(reinterpret_cast<const char*>(text));
  if (length > 69) length = 69;
  std::memcpy(sqlca->sqlerrmc, text, length);
  sqlca->sqlerrmc[length] = '\0';
  sqlca->sqlerrml = static_cast<int16_t>(length);
  return true;
}

bool cliReadDiagnostic(const CliHandles* handles, char* sqlstate, int32_t* native, std::string* message) {
  SQLSMALLINT type = 0;
  void* handle = nullptr;
  if (!lastCallHandle(handles, &type, &handle)) return false;
  SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
  SQLINTEGER nativeError = 0;
  std::string text(SQL_MAX_MESSAGE_LENGTH, '\0');
  SQLSMALLINT textLength = 0;
  SQLRETURN rc = SQLGetDiagRec(type, handle, 1, state, &nativeError, reinterpret_cast<SQLCHAR*>(text.data()),
                               static_cast<SQLSMALLINT>(text.size()), &textLength);
  // A message longer than the buffer is cut and says how long it is: ask again with room for all of it.
  if (rc == SQL_SUCCESS_WITH_INFO && textLength >= static_cast<SQLSMALLINT>(text.size())) {
    text.assign(static_cast<size_t>(textLength) + 1, '\0');
    rc = SQLGetDiagRec(type, handle, 1, state, &nativeError, reinterpret_cast<SQLCHAR*>(text.data()),
                       static_cast<SQLSMALLINT>(text.size()), &textLength);
  }
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return false;
  std::memcpy(sqlstate, state, SQL_SQLSTATE_SIZE + 1);
  *native = nativeError;
  text.resize(std::strlen(text.c_str()));
  *message = std::move(text);
  return true;
}

std::string cliDataSourceProduct(CliHandles* handles) {
  std::string product;
  for (const SQLUSMALLINT what : {SQL_DBMS_NAME, SQL_DBMS_VER}) {
    SQLCHAR text[256] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetInfo(handles->connection, what, text, sizeof text, &length);
    handles->lastHandle = 2;
    if ((rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) || text[0] == '\0') continue;
    if (!product.empty()) product += ' ';
    product += reinterpret_cast<const char*>(text);
  }
  return product;
}
