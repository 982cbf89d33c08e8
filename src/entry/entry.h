// entry.h - the roof: what tools beside the engine (the command-line translator, tests, benchmarks) use
// of the library: the compile driver with its debugging views, the dump, and through diag/diag.h the
// SQLCA mapping, code-page conversion and the statement domain names.
// Owns a compilation's life (xcomp2, the recovery point, the pool's thread binding) and the dump file.
// May use every subsystem; nothing below it may use entry/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "diag/diag.h"
#include "entry/driver.h"
#include "xcomp2.h"

// Appends a dump record of one request (header, input, then the error or the statements), as xcomp2
// does with its dump bit. False when the dump file cannot be opened.
bool appendDumpRecord(uint16_t codePage, char stringUnits, char compatMode, char ncharMapping, const char* input,
                      const XcompResult* results, const CompileError* error, const SQLCA* sqlca);

// The library's release ("0.1.0"), the one the installed package files carry.
const char* xcompVersion();
