// sqlexc_proc.cpp - xcomp2, the library's only exported function: prepares the caller's text, runs one
// compilation, then returns the statement in place or runs the statements, and reports the outcome in
// the caller's SQLCA. It always returns 1 and lets nothing escape: every path, failures included, ends
// in the same clean-up.
#include "xcomp2.h"

#include <cstring>

#include "entry/driver.h"
#include "entry/dump.h"
#include "entry/entry.h"
#include "entry/execute.h"
#include "host/host.h"

namespace {

// Releases the compilation on every path once it has run.
struct CompilationGuard {
  bool ran = false;
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  ~CompilationGuard() {
    if (ran) releaseCompilation(&results, &errors);
  }
};

// The default data source of the engine's own call-level interface.
const char* const connectString = "DSN=;";

void request(XcompStatement* statement, const XcompOptions* options, SQLCA* sqlca) {
  // Objects whose destructors are the clean-up, declared in reverse order of release: the dump is
  // closed first, then the private block freed, then the savepoint ended and the interface handles
  // freed, and the compilation goes last.
  CompilationGuard compilation;
  Execution execution(sqlca);
  PrivateBlock privateBlock;
  DumpFile dump;

  auto finish = [&] { execution.restoreKeptWarning(); };

  const HostStaticData session = hostStaticData();
  if (session.problem[0] != '\0') {
    setSqlcaFailure(sqlca, -901, "58004", session.problem, pointSessionValues);
    return finish();
  }
  const bool convert = needsConversion(session.codePage);

  // A caller that breaks the record contract gets an answer, not a crash: no options is no mode, and a
  // missing statement or one longer than the text area cannot be compiled.
  const uint32_t mode = options == nullptr ? 0 : options->xcompMode;
  if ((mode & XCOMP_MODE_EXECUTE) != 0) {
    if (!execution.open(connectString)) return finish();
  } else if ((mode & XCOMP_MODE_COMPILE_ONLY) == 0) {
    setSqlcaFailure(sqlca, badModeFailure, pointBadMode);
    return finish();
  }

  if (statement == nullptr) {
    setSqlcaFailure(sqlca, unexpectedPlsql, pointNoStatement);
    return finish();
  }
  if (statement->length > XCOMP_MAX_STATEMENT) {
    setSqlcaFailure(sqlca, tooLongFailure, pointTooLong);
    return finish();
  }

  if (!privateBlock.allocate()) {
    setSqlcaFailure(sqlca, noMemoryFailure, pointPrivateBlock);
    return finish();
  }

  XcompStatement* input = statement;
  if (convert) {
    size_t left = 0;
    const uint32_t rc = hostConvertCodepage(statement->text, statement->length, session.codePage, XCOMP_CODEPAGE_UTF8,
                                            privateBlock.block->text, XCOMP_MAX_STATEMENT, &left);
    if (rc != 0) {
      setConversionFailure(sqlca, pointConvertInput);
      return finish();
    }
    privateBlock.block->length = static_cast<uint32_t>(XCOMP_MAX_STATEMENT - left);
    input = privateBlock.block;
  } else if (statement->length == XCOMP_MAX_STATEMENT) {
    // A statement that fills the caller's area has no room for the NUL there.
    std::memcpy(privateBlock.block->text, statement->text, statement->length);
    privateBlock.block->length = statement->length;
    input = privateBlock.block;
  }
  input->text[input->length] = '\0';

  if ((mode & XCOMP_MODE_DUMP) != 0) {
    if (!dump.open()) {
      setSqlcaFailure(sqlca, dumpOpenFailure, pointOpenDump);
      return finish();
    }
    dump.writeHeader(session, input->text);
  }

  const SessionSettings settings =
      sessionSettingsFor(session.codePage, session.stringUnits, session.compatMode, session.ncharMapping);
  compilation.ran = true;
  compileStatement(input->text, &compilation.results, &compilation.errors, &settings);

  if (!reportCompilation(compilation.results, compilation.errors, convert, session.codePage, sqlca)) {
    if (compilation.errors != nullptr) dump.writeError(*sqlca, *compilation.errors);
    return finish();
  }
  dump.writeResults(compilation.results);

  if ((mode & XCOMP_MODE_COMPILE_ONLY) == 0) {
    execution.run(ExecuteInput{compilation.results, convert, session.codePage, statement->text, statement->length,
                               privateBlock.block});
    return finish();
  }

  const XcompResult* first = compilation.results;
  const char* text = first->text;
  size_t length = first->length;
  if (convert) {
    if (!convertResult(first, session.codePage, privateBlock.block->text, XCOMP_MAX_STATEMENT, &length, sqlca))
      return finish();
    text = privateBlock.block->text;
  }
  if (first->next != nullptr) {
    setSqlcaFailure(sqlca, severalResultsFailure, pointSeveralResults);
    return finish();
  }
  if (length > XCOMP_MAX_STATEMENT) {
    setSqlcaFailure(sqlca, tooLongFailure, pointTooLong);
    return finish();
  }
  std::memmove(statement->text, text, length);
  statement->length = static_cast<uint32_t>(length);
  if (length < XCOMP_MAX_STATEMENT) statement->text[length] = '\0';
  return finish();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t xcomp2(XcompStatement* statement, const XcompOptions* options,
                                                                 SQLCA* sqlca) {
  if (sqlca == nullptr) return 1;  // nowhere to report anything
  try {
    request(statement, options, sqlca);
  } catch (...) {
    setSqlcaFailure(sqlca, systemFailure, pointInternal);
  }
  return 1;
}
