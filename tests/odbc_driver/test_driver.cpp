// test_driver.cpp - an ODBC driver that plays the database engine for the execute-mode tests. It keeps
// a unit of work of applied statements with savepoints over it, runs the wrap routine by prefixing a
// marker, keeps diagnostic records per handle as ODBC does, and answers from the test's script. It
// never calls its own exported functions: those names also live in the driver manager, which would win.
#include "test_driver.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define DRIVER_API extern "C" __attribute__((visibility("default")))

namespace {

TestDriver driverState;

constexpr int environmentMagic = 0x454e5631;
constexpr int connectionMagic = 0x44424331;
constexpr int statementMagic = 0x53544d31;

struct Diagnostic {
  std::string sqlstate;
  int native;
  std::string message;
};

struct Handle {
  int magic;
  std::vector<Diagnostic> diagnostics;
  int lastReturn = SQL_SUCCESS;
};

struct Environment : Handle {
  Environment() : Handle{environmentMagic, {}} {}
};

// Each connection has a unit of work of its own while it is open, so that requests on several threads
// do not see each other's savepoints; what it leaves is handed to the caller when it closes.
struct Connection : Handle {
  Connection() : Handle{connectionMagic, {}} {}
  bool connected = false;
  bool dropped = false;
  bool autocommit = true;
  std::vector<std::string> work;
  std::vector<std::pair<std::string, size_t>> savepoints;
};

struct Statement : Handle {
  explicit Statement(Connection* c) : Handle{statementMagic, {}}, connection(c) {}
  Connection* connection;
  std::string prepared;
  const char* parameter = nullptr;
  SQLLEN* parameterLength = nullptr;
  char* column = nullptr;
  SQLLEN columnCapacity = 0;
  SQLLEN* columnLength = nullptr;
  bool cursorOpen = false;
  bool rowPending = false;
  std::string row;
};

using Lock = std::lock_guard<std::mutex>;

std::string upperTrimmed(const std::string& text) {
  size_t begin = 0;
  while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  std::string out = text.substr(begin);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string textOf(const SQLCHAR* text, SQLINTEGER length) {
  if (text == nullptr) return "";
  const char* chars = reinterpret_cast<const char*>(text);
  return length == SQL_NTS ? std::string(chars) : std::string(chars, static_cast<size_t>(length));
}

// Long statements are logged by their head and length, so a 2 MB request does not flood the log.
std::string shown(const std::string& text) {
  if (text.size() <= 300) return text;
  return text.substr(0, 300) + "...(" + std::to_string(text.size()) + " bytes)";
}

void log(const std::string& line) {
  if (!driverState.logCalls) return;
  driverState.calls.push_back(line);
  if (const char* file = std::getenv("XCOMP_TEST_DRIVER_LOG")) {
    if (std::FILE* out = std::fopen(file, "a")) {
      std::fprintf(out, "%s\n", line.c_str());
      std::fclose(out);
    }
  }
}

SQLRETURN answer(Handle* handle, SQLRETURN rc, const char* sqlstate, int native, const std::string& message) {
  handle->diagnostics.push_back({sqlstate, native, message});
  handle->lastReturn = rc;
  return rc;
}

SQLRETURN fail(Handle* handle, const char* sqlstate, int native, const std::string& message) {
  return answer(handle, SQL_ERROR, sqlstate, native, message);
}

// The scripted answer for this call, if any; counts the call against every matching fault.
const DriverFault* scripted(const char* call, const std::string& text) {
  for (DriverFault& fault : driverState.faults) {
    if (fault.call != call) continue;
    if (!fault.textContains.empty() && text.find(fault.textContains) == std::string::npos) continue;
    ++fault.seen;
    if (fault.nth == 0 || fault.nth == fault.seen) return &fault;
  }
  return nullptr;
}

// Applies a scripted fault to the handle; false when there is none.
bool faulted(const char* call, const std::string& text, Handle* handle, Connection* connection, SQLRETURN* rc) {
  const DriverFault* fault = scripted(call, text);
  if (fault == nullptr) return false;
  if (fault->leavesRecord) handle->diagnostics.push_back({fault->sqlstate, fault->native, fault->message});
  if (fault->dropsConnection && connection != nullptr) {
    // The server went away with everything the connection had not committed.
    connection->dropped = true;
    connection->work.clear();
    connection->savepoints.clear();
  }
  handle->lastReturn = fault->returnCode;
  *rc = static_cast<SQLRETURN>(fault->returnCode);
  return true;
}

bool lostLink(Statement* statement, SQLRETURN* rc) {
  if (!statement->connection->dropped) return false;
  *rc = fail(statement, "08S01", -30081, "communication link failure");
  return true;
}

template <typename T>
T* handleOf(SQLHANDLE handle, int magic) {
  auto* h = static_cast<Handle*>(handle);
  if (h == nullptr || h->magic != magic) return nullptr;
  h->diagnostics.clear();
  return static_cast<T*>(h);
}

bool startsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

std::string wordAfter(const std::string& text, const std::string& head) {
  size_t begin = head.size();
  while (begin < text.size() && text[begin] == ' ') ++begin;
  size_t end = begin;
  while (end < text.size() && text[end] != ' ' && text[end] != ';') ++end;
  return text.substr(begin, end - begin);
}

void commitWork(Connection* connection) {
  for (const std::string& text : connection->work) log("committed: " + shown(text));
  driverState.committed.insert(driverState.committed.end(), connection->work.begin(), connection->work.end());
  connection->work.clear();
  connection->savepoints.clear();
}

// What a statement that ran does to the unit of work.
SQLRETURN apply(Statement* statement, const std::string& text) {
  std::string upper = upperTrimmed(text);
  const std::string prefix = upperTrimmed(driverState.wrapPrefix);
  if (!prefix.empty() && startsWith(upper, prefix)) upper = upperTrimmed(upper.substr(prefix.size()));
  Connection* connection = statement->connection;
  auto& marks = connection->savepoints;
  if (startsWith(upper, "SAVEPOINT ")) {
    marks.emplace_back(wordAfter(upper, "SAVEPOINT "), connection->work.size());
    return SQL_SUCCESS;
  }
  const bool rollbackTo = startsWith(upper, "ROLLBACK TO SAVEPOINT ");
  if (rollbackTo || startsWith(upper, "RELEASE SAVEPOINT ")) {
    const std::string name = wordAfter(upper, rollbackTo ? "ROLLBACK TO SAVEPOINT " : "RELEASE SAVEPOINT ");
    auto mark = std::find_if(marks.begin(), marks.end(), [&](const auto& m) { return m.first == name; });
    if (mark == marks.end()) return fail(statement, "3B001", -880, "savepoint does not exist");
    if (rollbackTo) {
      connection->work.resize(mark->second);
      marks.erase(mark + 1, marks.end());
    } else {
      marks.erase(mark, marks.end());
    }
    return SQL_SUCCESS;
  }
  if (upper == "COMMIT") {
    commitWork(connection);
    return SQL_SUCCESS;
  }
  if (startsWith(upper, "VALUES ")) return SQL_SUCCESS;
  connection->work.push_back(text);
  return SQL_SUCCESS;
}

bool isWrapCall(const std::string& text) { return upperTrimmed(text) == "VALUES DBMS_DDL.WRAP(?)"; }

std::string boundText(const Statement* statement) {
  if (statement->parameter == nullptr) return "";
  const SQLLEN length = statement->parameterLength == nullptr ? SQL_NTS : *statement->parameterLength;
  if (length == SQL_NTS) return std::string(statement->parameter);
  return std::string(statement->parameter, static_cast<size_t>(length));
}

void copyOut(const std::string& text, SQLCHAR* buffer, SQLSMALLINT capacity, SQLSMALLINT* length) {
  if (length != nullptr) *length = static_cast<SQLSMALLINT>(text.size());
  if (buffer == nullptr || capacity <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

DRIVER_API TestDriver* xcompTestDriver() { return &driverState; }

DRIVER_API SQLRETURN SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
  const Lock lock(driverState.mutex);
  if (output == nullptr) return SQL_ERROR;
  switch (type) {
    case SQL_HANDLE_ENV:
      log("SQLAllocHandle ENV");
      *output = new Environment;
      ++driverState.liveEnvironments;
      return SQL_SUCCESS;
    case SQL_HANDLE_DBC: {
      if (handleOf<Environment>(input, environmentMagic) == nullptr) return SQL_INVALID_HANDLE;
      log("SQLAllocHandle DBC");
      *output = new Connection;
      ++driverState.liveConnections;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      auto* connection = handleOf<Connection>(input, connectionMagic);
      if (connection == nullptr) return SQL_INVALID_HANDLE;
      log("SQLAllocHandle STMT");
      SQLRETURN rc;
      if (faulted("SQLAllocHandle(STMT)", "", connection, connection, &rc)) return rc;
      *output = new Statement(connection);
      ++driverState.liveStatements;
      return SQL_SUCCESS;
    }
    default: return SQL_ERROR;
  }
}

DRIVER_API SQLRETURN SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  const Lock lock(driverState.mutex);
  switch (type) {
    case SQL_HANDLE_ENV: {
      auto* environment = handleOf<Environment>(handle, environmentMagic);
      if (environment == nullptr) return SQL_INVALID_HANDLE;
      log("SQLFreeHandle ENV");
      delete environment;
      --driverState.liveEnvironments;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_DBC: {
      auto* connection = handleOf<Connection>(handle, connectionMagic);
      if (connection == nullptr) return SQL_INVALID_HANDLE;
      if (connection->connected) return fail(connection, "HY010", 0, "function sequence error");
      log("SQLFreeHandle DBC");
      delete connection;
      --driverState.liveConnections;
      return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
      auto* statement = handleOf<Statement>(handle, statementMagic);
      if (statement == nullptr) return SQL_INVALID_HANDLE;
      log("SQLFreeHandle STMT");
      delete statement;
      --driverState.liveStatements;
      return SQL_SUCCESS;
    }
    default: return SQL_ERROR;
  }
}

DRIVER_API SQLRETURN SQLSetEnvAttr(SQLHENV handle, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  const Lock lock(driverState.mutex);
  return handleOf<Environment>(handle, environmentMagic) == nullptr ? SQL_INVALID_HANDLE : SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLGetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                   SQLINTEGER* length) {
  const Lock lock(driverState.mutex);
  if (handleOf<Environment>(handle, environmentMagic) == nullptr) return SQL_INVALID_HANDLE;
  if (attribute == SQL_ATTR_ODBC_VERSION && value != nullptr) *static_cast<SQLINTEGER*>(value) = SQL_OV_ODBC3;
  if (length != nullptr) *length = sizeof(SQLINTEGER);
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  const Lock lock(driverState.mutex);
  auto* connection = handleOf<Connection>(handle, connectionMagic);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  if (attribute != SQL_ATTR_AUTOCOMMIT) return SQL_SUCCESS;
  const auto on = reinterpret_cast<SQLULEN>(value) == SQL_AUTOCOMMIT_ON;
  log(std::string("SQLSetConnectAttr AUTOCOMMIT ") + (on ? "ON" : "OFF"));
  SQLRETURN rc;
  if (faulted("SQLSetConnectAttr", "", connection, connection, &rc)) return rc;
  connection->autocommit = on;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                       SQLINTEGER* length) {
  const Lock lock(driverState.mutex);
  auto* connection = handleOf<Connection>(handle, connectionMagic);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  if (value != nullptr) {
    *static_cast<SQLUINTEGER*>(value) =
        attribute == SQL_ATTR_AUTOCOMMIT ? (connection->autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF) : 0;
  }
  if (length != nullptr) *length = sizeof(SQLUINTEGER);
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
                                      SQLSMALLINT outCapacity, SQLSMALLINT* outLength, SQLUSMALLINT) {
  const Lock lock(driverState.mutex);
  auto* connection = handleOf<Connection>(handle, connectionMagic);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  const std::string text = textOf(in, inLength);
  log("SQLDriverConnect");
  // A data source that goes away after so many connections, for a process the test cannot script.
  static int connects = 0;
  if (const char* limit = std::getenv("XCOMP_TEST_DRIVER_REFUSE_CONNECT_AFTER")) {
    if (++connects > std::atoi(limit)) return fail(connection, "08001", -30081, "the server refused the connection");
  }
  SQLRETURN rc;
  if (faulted("SQLDriverConnect", text, connection, connection, &rc)) {
    if (rc >= 0) connection->connected = true;
    return rc;
  }
  copyOut(text, out, outCapacity, outLength);
  connection->connected = true;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLConnect(SQLHDBC handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
  const Lock lock(driverState.mutex);
  auto* connection = handleOf<Connection>(handle, connectionMagic);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  log("SQLConnect");
  connection->connected = true;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLDisconnect(SQLHDBC handle) {
  const Lock lock(driverState.mutex);
  auto* connection = handleOf<Connection>(handle, connectionMagic);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  log("SQLDisconnect");
  SQLRETURN rc;
  if (faulted("SQLDisconnect", "", connection, connection, &rc) && rc < 0) return rc;
  connection->connected = false;
  // The unit of work is the caller's: closing this connection neither commits nor rolls it back.
  if (driverState.keepWork)
    driverState.work.insert(driverState.work.end(), connection->work.begin(), connection->work.end());
  for (const auto& mark : connection->savepoints) driverState.savepoints.push_back(mark.first);
  connection->work.clear();
  connection->savepoints.clear();
  if (connection->dropped) return answer(connection, SQL_SUCCESS_WITH_INFO, "01002", 0, "disconnect error");
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
  const Lock lock(driverState.mutex);
  if (type != SQL_HANDLE_DBC) return SQL_SUCCESS;
  auto* connection = handleOf<Connection>(handle, connectionMagic);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  const bool commit = completion == SQL_COMMIT;
  log(std::string("SQLEndTran ") + (commit ? "COMMIT" : "ROLLBACK"));
  SQLRETURN rc;
  if (faulted("SQLEndTran", commit ? "COMMIT" : "ROLLBACK", connection, connection, &rc)) return rc;
  if (commit) commitWork(connection);
  connection->work.clear();
  connection->savepoints.clear();
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  const std::string sql = textOf(text, length);
  log("SQLExecDirect " + shown(sql));
  SQLRETURN rc = SQL_SUCCESS;
  if (lostLink(statement, &rc)) return rc;
  if (statement->cursorOpen) return fail(statement, "24000", -502, "invalid cursor state");
  // A scripted warning still runs the statement.
  if (faulted("SQLExecDirect", sql, statement, statement->connection, &rc) && rc != SQL_SUCCESS_WITH_INFO) return rc;
  const char* failOn = std::getenv("XCOMP_TEST_DRIVER_FAIL_ON");
  if (failOn != nullptr && failOn[0] != '\0' && sql.find(failOn) != std::string::npos) {
    const char* message = std::getenv("XCOMP_TEST_DRIVER_FAIL_MESSAGE");
    return fail(statement, "42710", -601,
                message != nullptr ? message : "the name of the object to be created is identical to an existing name");
  }
  statement->prepared.clear();
  const SQLRETURN applied = apply(statement, sql);
  return applied == SQL_SUCCESS ? rc : applied;
}

DRIVER_API SQLRETURN SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  const std::string sql = textOf(text, length);
  log("SQLPrepare " + shown(sql));
  SQLRETURN rc;
  if (lostLink(statement, &rc)) return rc;
  if (statement->cursorOpen) return fail(statement, "24000", -502, "invalid cursor state");
  statement->prepared = sql;
  if (faulted("SQLPrepare", sql, statement, statement->connection, &rc)) return rc;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLBindParameter(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT direction,
                                      SQLSMALLINT valueType, SQLSMALLINT parameterType, SQLULEN columnSize,
                                      SQLSMALLINT digits, SQLPOINTER value, SQLLEN bufferLength, SQLLEN* length) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  log("SQLBindParameter " + std::to_string(number) + " " + std::to_string(direction) + " " + std::to_string(valueType) +
      " " + std::to_string(parameterType) + " " + std::to_string(columnSize) + " " + std::to_string(digits) + " " +
      std::to_string(bufferLength));
  SQLRETURN rc;
  if (faulted("SQLBindParameter", statement->prepared, statement, statement->connection, &rc)) return rc;
  statement->parameter = static_cast<const char*>(value);
  statement->parameterLength = length;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLExecute(SQLHSTMT handle) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  const std::string parameter = boundText(statement);
  log("SQLExecute " + shown(parameter));
  SQLRETURN rc;
  if (lostLink(statement, &rc)) return rc;
  if (faulted("SQLExecute", parameter, statement, statement->connection, &rc)) return rc;
  if (!isWrapCall(statement->prepared)) return fail(statement, "HY010", 0, "nothing prepared to execute");
  statement->row = driverState.wrapPrefix + parameter + std::string(driverState.wrapPadding, ' ');
  statement->cursorOpen = true;
  statement->rowPending = !driverState.wrapReturnsNoRow;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLBindCol(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT type, SQLPOINTER value,
                                SQLLEN capacity, SQLLEN* length) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  log("SQLBindCol " + std::to_string(number) + " " + std::to_string(type) + " " + std::to_string(capacity));
  SQLRETURN rc;
  if (faulted("SQLBindCol", statement->prepared, statement, statement->connection, &rc)) return rc;
  statement->column = static_cast<char*>(value);
  statement->columnCapacity = capacity;
  statement->columnLength = length;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLFetch(SQLHSTMT handle) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  log("SQLFetch");
  SQLRETURN rc;
  if (lostLink(statement, &rc)) return rc;
  if (faulted("SQLFetch", statement->prepared, statement, statement->connection, &rc)) return rc;
  if (!statement->cursorOpen) return fail(statement, "24000", -501, "cursor not open");
  if (!statement->rowPending) return SQL_NO_DATA;
  statement->rowPending = false;
  if (driverState.wrapReturnsNull) {
    if (statement->columnLength != nullptr) *statement->columnLength = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  const std::string& row = statement->row;
  if (statement->columnLength != nullptr) *statement->columnLength = static_cast<SQLLEN>(row.size());
  if (statement->column == nullptr || statement->columnCapacity <= 0) return SQL_SUCCESS;
  const size_t room = static_cast<size_t>(statement->columnCapacity - 1);
  const size_t n = std::min(row.size(), room);
  std::memcpy(statement->column, row.data(), n);
  statement->column[n] = '\0';
  if (n < row.size()) return answer(statement, SQL_SUCCESS_WITH_INFO, "01004", 0, "string data, right truncated");
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLCloseCursor(SQLHSTMT handle) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  log("SQLCloseCursor");
  SQLRETURN rc;
  if (faulted("SQLCloseCursor", statement->prepared, statement, statement->connection, &rc)) return rc;
  if (!statement->cursorOpen) return fail(statement, "24000", -501, "cursor not open");
  statement->cursorOpen = false;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  switch (option) {
    case SQL_CLOSE:
      log("SQLFreeStmt CLOSE");
      statement->cursorOpen = false;
      break;
    case SQL_UNBIND:
      log("SQLFreeStmt UNBIND");
      statement->column = nullptr;
      statement->columnLength = nullptr;
      break;
    case SQL_RESET_PARAMS:
      log("SQLFreeStmt RESET_PARAMS");
      statement->parameter = nullptr;
      statement->parameterLength = nullptr;
      break;
    default: break;
  }
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
  const Lock lock(driverState.mutex);
  auto* statement = handleOf<Statement>(handle, statementMagic);
  if (statement == nullptr) return SQL_INVALID_HANDLE;
  if (count != nullptr) *count = statement->cursorOpen ? 1 : 0;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
  const Lock lock(driverState.mutex);
  if (handleOf<Statement>(handle, statementMagic) == nullptr) return SQL_INVALID_HANDLE;
  if (count != nullptr) *count = 0;
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT capacity,
                                SQLSMALLINT* length) {
  const Lock lock(driverState.mutex);
  if (handleOf<Connection>(handle, connectionMagic) == nullptr) return SQL_INVALID_HANDLE;
  auto text = [&](const char* s) {
    copyOut(s, static_cast<SQLCHAR*>(value), capacity, length);
    return SQL_SUCCESS;
  };
  auto number = [&](SQLUSMALLINT n) {
    if (value != nullptr) *static_cast<SQLUSMALLINT*>(value) = n;
    if (length != nullptr) *length = sizeof n;
    return SQL_SUCCESS;
  };
  switch (type) {
    case SQL_DRIVER_ODBC_VER: return text("03.80");
    case SQL_DBMS_NAME: return text("xcomp test engine");
    case SQL_DBMS_VER: return text("01.00.0000");
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR: return number(SQL_CB_PRESERVE);
    case SQL_TXN_CAPABLE: return number(SQL_TC_ALL);
    default:
      if (value != nullptr && capacity >= static_cast<SQLSMALLINT>(sizeof(SQLUINTEGER)))
        *static_cast<SQLUINTEGER*>(value) = 0;
      if (length != nullptr) *length = 0;
      return SQL_SUCCESS;
  }
}

DRIVER_API SQLRETURN SQLGetDiagRec(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT number, SQLCHAR* sqlstate,
                                   SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT capacity, SQLSMALLINT* length) {
  const Lock lock(driverState.mutex);
  auto* h = static_cast<Handle*>(handle);
  if (h == nullptr) return SQL_INVALID_HANDLE;
  if (number < 1 || static_cast<size_t>(number) > h->diagnostics.size()) return SQL_NO_DATA;
  const Diagnostic& record = h->diagnostics[static_cast<size_t>(number - 1)];
  if (sqlstate != nullptr) copyOut(record.sqlstate, sqlstate, 6, nullptr);
  if (native != nullptr) *native = record.native;
  copyOut(record.message, message, capacity, length);
  return SQL_SUCCESS;
}

DRIVER_API SQLRETURN SQLGetDiagField(SQLSMALLINT, SQLHANDLE handle, SQLSMALLINT number, SQLSMALLINT field,
                                     SQLPOINTER value, SQLSMALLINT capacity, SQLSMALLINT* length) {
  const Lock lock(driverState.mutex);
  auto* h = static_cast<Handle*>(handle);
  if (h == nullptr) return SQL_INVALID_HANDLE;
  if (field == SQL_DIAG_NUMBER) {
    if (value != nullptr) *static_cast<SQLINTEGER*>(value) = static_cast<SQLINTEGER>(h->diagnostics.size());
    return SQL_SUCCESS;
  }
  if (field == SQL_DIAG_RETURNCODE) {
    if (value != nullptr) *static_cast<SQLRETURN*>(value) = static_cast<SQLRETURN>(h->lastReturn);
    return SQL_SUCCESS;
  }
  if (number < 1 || static_cast<size_t>(number) > h->diagnostics.size()) return SQL_NO_DATA;
  const Diagnostic& record = h->diagnostics[static_cast<size_t>(number - 1)];
  auto* out = static_cast<SQLCHAR*>(value);
  switch (field) {
    case SQL_DIAG_SQLSTATE: copyOut(record.sqlstate, out, capacity, length); return SQL_SUCCESS;
    case SQL_DIAG_NATIVE:
      if (value != nullptr) *static_cast<SQLINTEGER*>(value) = record.native;
      return SQL_SUCCESS;
    case SQL_DIAG_MESSAGE_TEXT: copyOut(record.message, out, capacity, length); return SQL_SUCCESS;
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN: copyOut("ISO 9075", out, capacity, length); return SQL_SUCCESS;
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME: copyOut("", out, capacity, length); return SQL_SUCCESS;
    default: return SQL_ERROR;
  }
}
