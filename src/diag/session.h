// session.h - the session settings a compilation runs under, and the two read-only maps that tell the
// translation how PL/SQL datatypes and Oracle errors meet the host dialect.
// Part of diag/ (see diag.h); may use pool/.
#pragma once

#include <cstddef>
#include <cstdint>

struct TypeMapRow {
  const char* plsqlName;  // words separated by one blank; null ends the table
  const char* hostName;
  const char* declSuffix;   // appended for a variable or field declared without a length, or null
  const char* paramSuffix;  // appended for a parameter or return type without a length, or null
};

struct OraErrorRow {
  int32_t oraCode;            // 100 for no data found, otherwise negative; 0 ends the table
  const char* exceptionName;  // the predefined exception name, or null
  int32_t hostSqlcode;
  char sqlstate[12];  // five characters and a NUL
};

// The datatype maps of a Unicode database and of one outside Unicode (no national character types,
// RAW as a BLOB), both made from one table.
extern const TypeMapRow* const unicodeTypeMap;
extern const TypeMapRow* const nonUnicodeTypeMap;
extern const OraErrorRow oraErrorMap[];

struct SessionSettings {
  uint64_t size;                // the record's own size
  const char* emitText;         // handed to the emitter unchanged: the session terminator text
  void* emitHandle;             // handed to the emitter unchanged
  uint8_t trackLines;           // non-zero: the emitter writes line markers
  const TypeMapRow* typeMap;    // null: the driver chooses the Unicode map
  const OraErrorRow* errorMap;  // null: the driver puts in the Oracle-error map
  uint8_t parserTrace;          // non-zero switches the parser's debug trace on
  uint16_t ncharMapping;        // '0'..'3'
  uint16_t stringUnits;         // 'S' or '4'
  uint16_t compatMode;          // '0'..'2'
  uint8_t allowMultiplePrograms;
  // Extension bits: translations beyond the accepted language that a tool asks for. xcomp2 always
  // compiles with none, so what an engine gets never depends on them.
  uint32_t extensions;
  // Carried for the host's record layout; nothing reads them.
  const char* decimalSuffix;
  const char* varcharSuffix;
  int32_t reserved[4];
};

// Defaults: Unicode, SYSTEM string units, no terminator, no line markers, no trace.
SessionSettings defaultSessionSettings();

// The driver's copy of the caller's settings (defaults when null), with typeMap and errorMap settled:
// a given typeMap is kept; otherwise the Unicode map, copied into the pool and adjusted to "(63)" for
// code-unit-32 sessions.
void completeSettings(SessionSettings* settings, const SessionSettings* callerSettings);

// Number of rows before the terminating row.
size_t typeMapRowCount(const TypeMapRow* map);
// ---- extensions ----

// Each opt-in translation beyond the accepted language, one bit of SessionSettings::extensions. Without
// its bit a construct keeps the error it has always had.
enum Extension : uint32_t {
  extendQQuotes = 1u << 0,              // q'[...]' and nq'[...]' literals
  extendErrorMap = 1u << 1,             // EXCEPTION_INIT numbers from extendedErrorMap
  extendComments = 1u << 2,             // comments end at their first */, as PL/SQL reads them
  extendAuthid = 1u << 3,               // AUTHID CURRENT_USER, written with the definer's rights
  extendTypeForce = 1u << 4,            // CREATE TYPE ... FORCE, written without FORCE
  extendCorrections = 1u << 5,          // places written as the source means them where the default differs
  extendNestedFunctions = 1u << 6,      // a FUNCTION in a declaration section, as a routine of its own
  extendSaveExceptions = 1u << 7,       // FORALL ... SAVE EXCEPTIONS, failures collected, signalled after
  extendAutonomousFunctions = 1u << 8,  // PRAGMA AUTONOMOUS_TRANSACTION in a function, via a procedure
  extendUpdatingColumns = 1u << 9,      // UPDATING('column') in a row trigger, as a change of its value
};

struct ExtensionRow {
  const char* name;  // as the command line spells it ("error-map"); null ends the table
  uint32_t bit;
  const char* summary;  // one line: what it accepts
};

// Every extension, in the order tools list them.
extern const ExtensionRow extensionTable[];
// Every bit of extensionTable.
uint32_t allExtensions();
// The bit of the extension spelled `name`, 0 for an unknown name.
uint32_t extensionNamed(const char* name);
// The name of the extension whose bit is `bit` (one bit), or null.
const char* extensionName(uint32_t bit);

// Error numbers the Oracle-error map lacks, each with the host SQLSTATE that reports the same condition:
// what EXCEPTION_INIT binds them to with extendErrorMap. Ends with a zero oraCode.
struct ExtendedErrorRow {
  int32_t oraCode;
  const char* sqlstate;  // five characters
  const char* meaning;   // the condition, in a few words
};
extern const ExtendedErrorRow extendedErrorMap[];
// The row of `oraCode`, or null.
const ExtendedErrorRow* extendedErrorRow(int32_t oraCode);
