// diag.h - what every stage and the driver share to describe an outcome: the error records, the
// session settings with the datatype and Oracle-error maps, and how a record becomes the caller's SQLCA.
// Owns the static maps and the two static error records. May use ast/, pool/, host/ and include/xcomp2.h;
// knows nothing of the stages or the driver.
#pragma once

#include <cstddef>
#include <cstdint>

#include "diag/errors.h"
#include "diag/failure_points.h"
#include "diag/session.h"
#include "xcomp2.h"

// Code pages whose text is compiled as it comes: UTF-8 (XCOMP_CODEPAGE_UTF8), 1252, 850 and 819.
bool needsConversion(uint16_t codePage);

// The settings xcomp2 builds for a session: terminator "", line markers on, the non-Unicode type map
// unless the code page is UTF-8 (XCOMP_CODEPAGE_UTF8).
SessionSettings sessionSettingsFor(uint16_t codePage, char stringUnits, char compatMode, char ncharMapping);

// Fills the SQLCA for a compile error record: code, state, tokens or message, line and failure point.
// With conversion, syntax-error tokens are converted to `codePage`, at most 22 bytes each.
void mapErrorToSqlca(const CompileError* error, SQLCA* sqlca, bool convert, uint16_t codePage);

// Writes one of xcomp2's own failures: code, state, message (at most 69 bytes), "SQLEXC02", point.
void setSqlcaFailure(SQLCA* sqlca, int32_t sqlcode, const char* sqlstate, const char* message,
                     FailurePoint failurePoint);

// The rows of xcomp2's own failures, each spelled once; the failure point is the caller's.
struct FailureRow {
  int32_t sqlcode;
  const char* sqlstate;
  const char* message;
};
inline constexpr FailureRow badModeFailure{-901, "58004", "XCOMP2: Bad xcompMode value"};
inline constexpr FailureRow allocHandleFailure{-901, "58004", "XCOMP2: SQLAllocHandle"};
inline constexpr FailureRow setConnectAttrFailure{-901, "58004", "XCOMP2: SQLSetConnectAttr"};
inline constexpr FailureRow cliSqlcaNotSet{-901, "58004", "SQLCA not set in CLI"};
inline constexpr FailureRow noMemoryFailure{-101, "54001", "couldn't get memory"};
inline constexpr FailureRow conversionFailure{-901, "58004", "failed cpcv"};
inline constexpr FailureRow dumpOpenFailure{-999, "99999", "Failed to open XCdump.txt"};
inline constexpr FailureRow unexpectedPlsql{-901, "58004", "Unexpected PL/SQL"};
inline constexpr FailureRow severalResultsFailure{-901, "58004", "XCOMP2: result->next != NULL"};
inline constexpr FailureRow tooLongFailure{-101, "54001", "stmt too long"};
inline constexpr FailureRow systemFailure{-901, "58004", "Unexpected system error"};
void setSqlcaFailure(SQLCA* sqlca, const FailureRow& row, FailurePoint failurePoint);

// "failed cpcv" at `failurePoint`, whatever made the conversion fail (an unknown code page included: the
// engine's message for it is the same).
void setConversionFailure(SQLCA* sqlca, FailurePoint failurePoint);

// A clean SQLCA: "SQLCA   ", state "00000", all else zero (sqlcabc included). What the caller sees after
// a missing wrap routine or a DROP PACKAGE that fell back to the engine's own statement, until a later
// call reports something.
void clearSqlca(SQLCA* sqlca);

// The StatementDomain name ("SQLEXC_PROCEDURE"), or "UNEXPECTED DOMAIN" for 13 and above.
const char* statementDomainName(uint32_t domain);
// Whether execute mode passes statements of this domain through the wrap routine; false past the table.
bool statementDomainWrapsBeforeRun(uint32_t domain);

// Code-page conversion as the host offers it (0 on success; a truncation code; other codes fail).
uint32_t convertCodepage(const char* source, size_t length, uint16_t fromCodePage, uint16_t toCodePage,
                         char* destination, size_t capacity, size_t* left);
bool isTruncation(uint32_t code);

// Whether the host converter knows the code page.
bool hostKnowsCodepage(uint16_t codePage);
