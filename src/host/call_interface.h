// call_interface.h - the call-level interface that execute mode runs statements through: one thin call
// per interface function over the standard ODBC API (unixODBC), plus the interface's two calls of its
// own, fetch SQLCA and close cursor. Nothing here decides what a failure means; execution does.
// Part of host/, the ground floor: may use the C and C++ libraries, ODBC and the public SQLCA record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "xcomp2.h"

// Return codes as the interface gives them.
constexpr int CLI_SUCCESS = 0;
constexpr int CLI_SUCCESS_WITH_INFO = 1;
constexpr int CLI_NO_DATA = 100;
constexpr int CLI_ERROR = -1;

// The handles of one request and what the interface needs to keep at a fixed address while they live:
// the bound parameter's length and the bound column's output length. Zero-initialised means nothing
// allocated. `lastHandle` remembers which handle the latest call went to, because standard ODBC keeps
// its diagnostics per handle.
struct CliHandles {
  void* environment = nullptr;
  void* connection = nullptr;
  void* statement = nullptr;
  int lastHandle = 0;  // 0 none, 1 environment, 2 connection, 3 statement
  int64_t parameterLength = 0;
  int64_t columnLength = 0;
};

// The environment handle, declared as an ODBC 3 application (the driver manager refuses a connection
// handle to an environment that has not said which version it speaks). Non-zero on failure; nothing is
// left allocated then.
int cliAllocEnvironment(CliHandles* handles);
int cliAllocConnection(CliHandles* handles);
int cliAllocStatement(CliHandles* handles);

// Autocommit off on the connection.
int cliAutocommitOff(CliHandles* handles);

// Whether the connected driver runs the connection with autocommit on. A driver manager keeps an
// attribute set before the connect and hands it to the driver while connecting, where a refusal is not
// reported: asking afterwards is how it is found. Negative when the driver cannot say.
int cliAutocommitIsOn(CliHandles* handles, bool* on);

// SQLDriverConnect with a NUL-terminated connection string, no window, no prompt, no output.
int cliDriverConnect(CliHandles* handles, const char* connectString);

// SQLExecDirect of `length` bytes of `text`.
int cliExecDirect(CliHandles* handles, const char* text, size_t length);
// SQLPrepare of a NUL-terminated text.
int cliPrepare(CliHandles* handles, const char* text);

// The statement's text as input parameter 1: a character buffer bound as the host's character large
// object (SQL type -99), column size and buffer length `capacity`, `length` bytes long.
int cliBindTextParameter(CliHandles* handles, const char* text, size_t length, size_t capacity);
// Column 1 into `buffer` as characters; the output length lands in handles->columnLength.
int cliBindTextColumn(CliHandles* handles, char* buffer, size_t capacity);
int cliExecute(CliHandles* handles);
int cliFetch(CliHandles* handles);
// Closes the statement's cursor (SQLCloseCursor).
int cliCloseCursor(CliHandles* handles);
// Closes any cursor the statement still has open and forgets its bound column and parameters, so that
// buffers bound for one statement are never read or written by a later one on the same handle. Its
// result tells nothing worth reporting.
void cliResetStatement(CliHandles* handles);

int cliDisconnect(CliHandles* handles);
// Ends the connection's unit of work: commit or roll back.
int cliEndTransaction(CliHandles* handles, bool commit);

// Each frees its handle if allocated and forgets it.
void cliFreeStatement(CliHandles* handles);
void cliFreeConnection(CliHandles* handles);
void cliFreeEnvironment(CliHandles* handles);

// The output length that marks a NULL column value.
constexpr int64_t CLI_NULL_DATA = -1;

// Fetch SQLCA: builds the SQLCA of the latest call, whose return code was `returnCode`, from the first
// diagnostic record on the handle it went to, and copies it over *sqlca. False, with *sqlca untouched,
// when that call left no record.
bool cliFetchSqlca(const CliHandles* handles, int returnCode, SQLCA* sqlca);

// The first diagnostic record of the latest call whole: its SQLSTATE (five characters and a NUL), its
// native error as the driver gave it, and all of its message, which the SQLCA cuts to 69 bytes. False,
// with nothing written, when that call left no record.
bool cliReadDiagnostic(const CliHandles* handles, char* sqlstate, int32_t* native, std::string* message);

// The connected data source's product name and version as the driver reports them ("SQLite 3.40.1");
// empty when the driver says neither.
std::string cliDataSourceProduct(CliHandles* handles);
