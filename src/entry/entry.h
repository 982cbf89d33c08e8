// entry.h - the roof: what tools beside the engine (the command-line translator, tests, benchmarks) use
// of the library: the compile driver with its debugging views, the dump, execution over the call-level
// interface, and through diag/diag.h the SQLCA mapping, code-page conversion and the statement domain names.
// Owns a compilation's life (xcomp2, the recovery point, the pool's thread binding), the dump file and
// the interface handles of execute mode.
// May use every subsystem; nothing below it may use entry/.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Runs compiled statements as xcomp2's execute mode does, on a connection of their own opened with
// `connectString` ("DSN=;" is the default data source): one savepoint, wrapping, the DROP PACKAGE
// fallback, the kept warning, rollback to the savepoint on failure, every handle freed. `callerText`
// is the request as it came, in `codePage` (the DROP PACKAGE fallback runs it); the results are UTF-8
// and go back to `codePage` before they run. Only when `commit` is set, and the run succeeded, is the
// connection's work committed before it closes; xcomp2 itself never commits. The outcome is in *sqlca,
// which the caller provides clean.
void executeStatements(const char* connectString, const XcompResult* results, const char* callerText,
                       size_t callerLength, uint16_t codePage, bool commit, SQLCA* sqlca);

// The library's release ("0.1.0"), the one the installed package files carry.
const char* xcompVersion();
