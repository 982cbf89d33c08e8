// entry.h - the roof: what tools beside the engine (the command-line translator, tests, benchmarks) use
// of the library: the compile driver with its debugging views, the dump, execution over the call-level
// interface, and through diag/diag.h the SQLCA mapping, code-page conversion and the statement domain names.
// Owns a compilation's life (xcomp2, the recovery point, the pool's thread binding), the dump file and
// the interface handles of execute mode.
// May use every subsystem; nothing below it may use entry/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "diag/diag.h"
#include "entry/driver.h"
#include "xcomp2.h"

// How xcomp2 reports a compilation that ran: the head of the error chain mapped into *sqlca, or -901
// "Unexpected PL/SQL" when no statement came out. True when there are statements to use; *sqlca is
// untouched then.
bool reportCompilation(const XcompResult* results, const CompileError* errors, bool convert, uint16_t codePage,
                       SQLCA* sqlca);

// A generated statement (UTF-8) in `codePage`, into out[0..capacity); *length its bytes. A conversion
// that fails, or does not fit, is reported in *sqlca ("failed cpcv") and gives false.
bool convertResult(const XcompResult* result, uint16_t codePage, char* out, size_t capacity, size_t* length,
                   SQLCA* sqlca);

// Appends a dump record of one request (header, input, then the error or the statements), as xcomp2
// does with its dump bit. False when the dump file cannot be opened.
bool appendDumpRecord(uint16_t codePage, char stringUnits, char compatMode, char ncharMapping, const char* input,
                      const XcompResult* results, const CompileError* error, const SQLCA* sqlca);

// The driver's diagnostic record behind an SQLCA, whole: the SQLCA keeps 69 bytes of the message and
// reads a failure whose native error is not negative as -901; this keeps all of the message and the
// native error as the driver gave it. `sqlstate` is empty when no record stands behind the SQLCA (a
// report of our own, such as "SQLCA not set in CLI", or none at all).
struct DriverDiagnostic {
  std::string sqlstate;
  int32_t nativeError = 0;
  std::string message;
};

// Runs compiled statements as xcomp2's execute mode does, on a connection of their own opened with
// `connectString` ("DSN=;" is the default data source): one savepoint, wrapping, the DROP PACKAGE
// fallback, the kept warning, rollback to the savepoint on failure, every handle freed. `callerText`
// is the request as it came, in `codePage` (the DROP PACKAGE fallback runs it); the results are UTF-8
// and go back to `codePage` before they run. Only when `commit` is set, and the run succeeded, is the
// connection's work committed before it closes; xcomp2 itself never commits. The outcome is in *sqlca,
// which the caller provides clean; when `diagnostic` is not null, it gets the driver's record behind
// that SQLCA (empty when the SQLCA is clean or our own).
void executeStatements(const char* connectString, const XcompResult* results, const char* callerText,
                       size_t callerLength, uint16_t codePage, bool commit, SQLCA* sqlca,
                       DriverDiagnostic* diagnostic = nullptr);

// What one statement of a script connection did: its SQLCA, built by the same rule as execute mode's,
// and the driver's whole record behind it.
struct StatementReport {
  SQLCA sqlca;
  DriverDiagnostic diagnostic;
};

// A connection of the command line's own, for the plain SQL statements of a script (CREATE TABLE,
// INSERT, COMMIT, ...), which run on it as written, with no savepoint and no compiling. Autocommit is
// off: the caller ends each unit of work. Closing rolls back whatever is still open, so that a run that
// stops half-way leaves nothing uncommitted to a driver that would commit it on disconnect.
class ScriptConnection {
 public:
  ScriptConnection();
  ScriptConnection(const ScriptConnection&) = delete;
  ScriptConnection& operator=(const ScriptConnection&) = delete;
  ~ScriptConnection();

  // Connects with `connectString` as execute mode does (environment, connection, autocommit off and
  // checked, statement handle). On failure the report says why and the connection stays closed.
  bool open(const char* connectString, StatementReport* failure);
  // The data source's product name and version as its driver gives them; empty when it says nothing.
  std::string product();
  // Runs `length` bytes of `text` and closes any cursor it opened. A statement that affects no row is
  // a success; information from the driver is a warning (a positive sqlcode).
  StatementReport run(const char* text, size_t length);
  // Commits or rolls back the connection's unit of work.
  StatementReport endWork(bool commit);
  // Rolls back what is open and frees every handle. Does nothing when not open.
  void close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The library's release ("0.1.0"), the one the installed package files carry.
const char* xcompVersion();
