// sqlexc_proc.cpp - xcomp2, the library's only exported function: prepares the caller's text, runs one
// compilation and reports the outcome in the caller's SQLCA. It always returns 1 and lets nothing
// escape: every path, failures included, ends in the same clean-up.
#include "xcomp2.h"

#include <cstring>

#include "entry/driver.h"
#include "entry/dump.h"
#include "entry/entry.h"
#include "host/host.h"

namespace {

const char* const sourceFile = "sqlexc_proc";

// Room for a full statement, its length word and a NUL.
constexpr size_t privateBlockSize = 2097161;

// The private block: converted input, converted output. Freed on every path.
struct PrivateBlock {
  XcompStatement* block = nullptr;
  ~PrivateBlock() { hostFreeMemoryBlock(sourceFile, 1060, block); }
};

// Releases the compilation on every path once it has run.
struct CompilationGuard {
  bool ran = false;
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  ~CompilationGuard() {
    if (ran) releaseCompilation(&results, &errors);
  }
};

void request(XcompStatement* statement, const XcompOptions* options, SQLCA* sqlca) {
  const HostStaticData session = hostStaticData();
  const bool convert = needsConversion(session.codePage);
  SQLCA keptWarning;
  clearSqlca(&keptWarning);
  bool hasKeptWarning = false;

  // Objects whose destructors are the clean-up, declared in reverse order of release: the compilation
  // goes last, after the dump is closed and the private block freed.
  CompilationGuard compilation;
  PrivateBlock privateBlock;
  DumpFile dump;

  auto finish = [&] {
    if (sqlca->sqlcode >= 0 && hasKeptWarning) {
      std::memcpy(sqlca, &keptWarning, sizeof *sqlca);
      if (sqlca->sqlcaid[5] == 'L' && sqlca->sqlerrd[2] < 1) sqlca->sqlcaid[5] = ' ';
    }
  };

  // A caller that breaks the record contract gets an answer, not a crash: no options is no mode, and a
  // missing statement or one longer than the text area cannot be compiled.
  const uint32_t mode = options == nullptr ? 0 : options->xcompMode;
  if ((mode & XCOMP_MODE_EXECUTE) != 0) {
    // No call-level-interface connection can be opened from this build: report the failed connect
    // rather than pretend that anything ran.
    setSqlcaFailure(sqlca, -901, "58004", "SQLCA not set in CLI", 229);
    return finish();
  }
  if ((mode & XCOMP_MODE_COMPILE_ONLY) == 0) {
    setSqlcaFailure(sqlca, -901, "58004", "XCOMP2: Bad xcompMode value", 202);
    return finish();
  }

  if (statement == nullptr) {
    setSqlcaFailure(sqlca, -901, "58004", "Unexpected PL/SQL", 788);
    return finish();
  }
  if (statement->length > XCOMP_MAX_STATEMENT) {
    setSqlcaFailure(sqlca, -101, "54001", "stmt too long", 598);
    return finish();
  }

  uint32_t rc = 0;
  privateBlock.block = static_cast<XcompStatement*>(hostGetMemoryBlock(privateBlockSize, &rc, sourceFile, 244));
  if (rc != 0 || privateBlock.block == nullptr) {
    privateBlock.block = nullptr;
    setSqlcaFailure(sqlca, -101, "54001", "couldn't get memory", 244);
    return finish();
  }

  XcompStatement* input = statement;
  if (convert) {
    size_t left = 0;
    rc = hostConvertCodepage(statement->text, statement->length, session.codePage, 1208, privateBlock.block->text,
                             XCOMP_MAX_STATEMENT, &left);
    if (rc != 0) {
      setSqlcaFailure(sqlca, -901, "58004", "failed cpcv", 268);
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
      setSqlcaFailure(sqlca, -999, "99999", "Failed to open XCdump.txt", 320);
      return finish();
    }
    dump.writeHeader(session, input->text);
  }

  const SessionSettings settings =
      sessionSettingsFor(session.codePage, session.stringUnits, session.compatMode, session.ncharMapping);
  compilation.ran = true;
  compileStatement(input->text, &compilation.results, &compilation.errors, &settings);

  if (compilation.errors != nullptr) {
    mapErrorToSqlca(compilation.errors, sqlca, convert, session.codePage);
    dump.writeError(*sqlca, *compilation.errors);
    return finish();
  }
  if (compilation.results == nullptr) {
    setSqlcaFailure(sqlca, -901, "58004", "Unexpected PL/SQL", 788);
    return finish();
  }
  dump.writeResults(compilation.results);

  const XcompResult* first = compilation.results;
  const char* text = first->text;
  size_t length = first->length;
  if (convert) {
    size_t left = 0;
    rc = hostConvertCodepage(first->text, first->length, 1208, session.codePage, privateBlock.block->text,
                             XCOMP_MAX_STATEMENT, &left);
    if (rc != 0) {
      setSqlcaFailure(sqlca, -901, "58004", "failed cpcv", 579);
      return finish();
    }
    text = privateBlock.block->text;
    length = XCOMP_MAX_STATEMENT - left;
  }
  if (first->next != nullptr) {
    setSqlcaFailure(sqlca, -901, "58004", "XCOMP2: result->next != NULL", 593);
    return finish();
  }
  if (length > XCOMP_MAX_STATEMENT) {
    setSqlcaFailure(sqlca, -101, "54001", "stmt too long", 598);
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
    setSqlcaFailure(sqlca, -901, "58004", "Unexpected system error", 514);
  }
  return 1;
}
