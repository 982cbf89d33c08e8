// execute.h - execute mode: the generated statements run over the call-level interface on a connection
// of the request's own, inside one savepoint, routines and triggers through the wrap routine first.
// Owns the request's interface handles and the kept warning; frees every handle on every path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "diag/failure_points.h"
#include "host/call_interface.h"
#include "xcomp2.h"

struct DriverDiagnostic;

// The request's private block: the converted input or output and the wrapped text, laid out like a
// statement record with room for a full statement and its NUL. Freed on every path.
struct PrivateBlock {
  XcompStatement* block = nullptr;
  PrivateBlock() = default;
  PrivateBlock(const PrivateBlock&) = delete;
  PrivateBlock& operator=(const PrivateBlock&) = delete;
  ~PrivateBlock();
  // False when the host refuses the block.
  bool allocate();
};

// What a run needs besides the connection.
struct ExecuteInput {
  const XcompResult* results;  // in list order, UTF-8
  bool convert;                // results go back to `codePage` before they run
  uint16_t codePage;           // the database code page
  const char* callerText;      // the caller's own statement, unconverted: the DROP PACKAGE fallback runs it
  size_t callerLength;
  XcompStatement* privateBlock;  // room for one converted or wrapped statement
};

// One request's connection, savepoint and kept warning, reporting into the caller's SQLCA. Closing
// (explicitly or by the destructor) ends the savepoint and frees the handles in the order they must go.
class Execution {
 public:
  explicit Execution(SQLCA* sqlca) : sqlca_(sqlca) {}
  Execution(const Execution&) = delete;
  Execution& operator=(const Execution&) = delete;
  ~Execution() { close(false); }

  // Environment, connection, autocommit off, connect with `connectString`, statement handle. False
  // when the request must end; the SQLCA says why.
  bool open(const char* connectString);

  // Sets the savepoint and runs every result in order until one fails; a warning is kept (+20480 wins
  // over any other, otherwise the first). Only after a successful open.
  void run(const ExecuteInput& input);

  // Puts the kept warning over the SQLCA unless the request failed.
  void restoreKeptWarning();

  // From now on, each driver record that becomes the SQLCA is also read whole into *diagnostic (a
  // kept warning keeps its own). Null, as xcomp2 has it, reads nothing more than the SQLCA.
  void captureDiagnostics(DriverDiagnostic* diagnostic) { capture_ = diagnostic; }

  // The command line's plain statements, on a connection opened for them: `text` runs as it is, with
  // no savepoint, and any cursor it opens is closed again.
  void runPlain(const char* text, size_t length);
  // Commits or rolls back the connection's unit of work.
  void endWork(bool commit);
  // The connected data source's product name and version.
  std::string product() { return cliDataSourceProduct(&handles_); }

  // Rolls back to the savepoint when the SQLCA reports a failure and releases it; then, only if
  // `commit` is set and the request succeeded, commits the connection's work; then frees the
  // statement, disconnects and frees the connection and the environment. Does nothing the second time.
  void close(bool commit);

 private:
  bool callFailed(int returnCode, FailurePoint failurePoint);
  void reportCall(int returnCode, FailurePoint failurePoint);
  bool wrap(XcompStatement* privateBlock, const char** text, size_t* length);
  void dropPackageFallback(const ExecuteInput& input);
  void keepWarning();
  void endSavepoint();
  void disconnect();

  void captureRecord(bool fetched);

  SQLCA* sqlca_;
  DriverDiagnostic* capture_ = nullptr;
  CliHandles handles_;
  bool connected_ = false;
  bool savepointSet_ = false;
  bool closed_ = false;
  bool hasKeptWarning_ = false;
  SQLCA keptWarning_{};
  std::string keptState_, keptMessage_;
  int32_t keptNative_ = 0;
};
