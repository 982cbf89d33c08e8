// entry.h - what tools beside the engine (the command-line translator, tests, benchmarks) use of the
// library: the compile driver, the SQLCA mapping, code-page conversion and the statement domain names.
// Owns a compilation's life (xcomp2, the recovery point, the pool's thread binding), the error records,
// session maps, dump and host shims. Top side of entry/: may use every subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

#include "entry/driver.h"
#include "entry/errors.h"
#include "entry/session.h"
#include "xcomp2.h"

// Code pages whose text is compiled as it comes: 1208, 1252, 850 and 819.
bool needsConversion(uint16_t codePage);

// The settings xcomp2 builds for a session: terminator "", line markers on, the non-Unicode type map
// unless the code page is 1208.
SessionSettings sessionSettingsFor(uint16_t codePage, char stringUnits, char compatMode, char ncharMapping);

// Fills the SQLCA for a compile error record: code, state, tokens or message, line and failure point.
// With conversion, syntax-error tokens are converted to `codePage`, at most 22 bytes each.
void mapErrorToSqlca(const CompileError* error, SQLCA* sqlca, bool convert, uint16_t codePage);

// Writes one of xcomp2's own failures: code, state, message (at most 69 bytes), "SQLEXC02", point.
void setSqlcaFailure(SQLCA* sqlca, int32_t sqlcode, const char* sqlstate, const char* message, int32_t failurePoint);

// A clean SQLCA: "SQLCA   ", 136 bytes, state "00000", all else zero.
void clearSqlca(SQLCA* sqlca);

// The StatementDomain name ("SQLEXC_PROCEDURE"), or "UNEXPECTED DOMAIN" for 13 and above.
const char* statementDomainName(uint32_t domain);
// Whether execute mode passes statements of this domain through the wrap routine; false past the table.
bool statementDomainWrapsBeforeRun(uint32_t domain);

// Code-page conversion as the host offers it (0 on success; a truncation code; other codes fail).
uint32_t convertCodepage(const char* source, size_t length, uint16_t fromCodePage, uint16_t toCodePage,
                         char* destination, size_t capacity, size_t* left);
bool isTruncation(uint32_t code);

// Appends a dump record of one request (header, input, then the error or the statements), as xcomp2
// does with its dump bit. False when the dump file cannot be opened.
bool appendDumpRecord(uint16_t codePage, char stringUnits, char compatMode, char ncharMapping, const char* input,
                      const XcompResult* results, const CompileError* error, const SQLCA* sqlca);

// Whether the host converter knows the code page.
bool hostKnowsCodepage(uint16_t codePage);
