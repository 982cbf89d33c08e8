// extensions.cpp - the names of the opt-in translations, and the error table of the error-map one. The
// command line, the migration report and the notes a compilation records all spell an extension from
// this one table.
#include "diag/session.h"

#include <cstring>

const ExtensionRow extensionTable[] = {
    {"error-map", extendErrorMap, "EXCEPTION_INIT numbers beyond the built-in map, from the extended error table"},
    {"authid", extendAuthid, "AUTHID CURRENT_USER, run with the definer's rights (a warning says so)"},
    {"comments", extendComments, "comments that end at their first */ instead of nesting"},
    {"type-force", extendTypeForce, "CREATE TYPE ... FORCE, written without FORCE"},
    {"corrections", extendCorrections, "places written as the source means them where the default writes otherwise"},
    {"nested-functions", extendNestedFunctions,
     "a FUNCTION declared in a declaration section, written as a routine of its own with a generated name"},
    {"save-exceptions", extendSaveExceptions,
     "FORALL ... SAVE EXCEPTIONS and INDICES OF ... BETWEEN, failures collected and signalled after the loop"},
    {"autonomous-functions", extendAutonomousFunctions,
     "PRAGMA AUTONOMOUS_TRANSACTION in a function, its body run as an autonomous procedure it calls"},
    {"updating-columns", extendUpdatingColumns,
     "UPDATING('column') in a row trigger, tested as a change of the column's value (a warning says so)"},
    {"q-quotes", extendQQuotes, "q'[...]', Q'{...}' and nq'<...>' string literals"},
    {nullptr, 0, nullptr},
};

uint32_t allExtensions() {
  uint32_t bits = 0;
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) bits |= row->bit;
  return bits;
}

uint32_t extensionNamed(const char* name) {
  if (name == nullptr) return 0;
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) {
    if (std::strcmp(row->name, name) == 0) return row->bit;
  }
  return 0;
}

const char* extensionName(uint32_t bit) {
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) {
    if (row->bit == bit) return row->name;
  }
  return nullptr;
}

// Each row: the error number and its message text as the source database documents it, then where the
// SQLSTATE comes from. "Standard" is the SQLSTATE table of the SQL standard (ISO/IEC 9075-2, the
// SQLSTATE subclause); "host" is a state the host engine itself raises for the condition, named by its
// own SQLCODE, the way the built-in map's rows are. A number missing here keeps its EXCEPTION_INIT error.
const ExtendedErrorRow extendedErrorMap[] = {
    // ORA-01400 "cannot insert NULL into (...)": host -407, a NULL in a NOT NULL column (the built-in map
    // binds ORA-00598 to the same state).
    {-1400, "23502", "not-null violation"},
    // ORA-01407 "cannot update (...) to NULL": host -407, as above.
    {-1407, "23502", "not-null violation"},
    // ORA-02290 "check constraint (...) violated": host -545, a row that fails a check constraint.
    {-2290, "23513", "check violation"},
    // ORA-02260 "table can have only one primary key":
    // host -624, a second primary key.
    {-2260, "42889", "second primary key"},
    // ORA-12899 "value too large for column": standard 22001, string data, right truncation.
    {-12899, "22001", "string truncation"},
    // ORA-01401 "inserted value too large for column" (the older number): standard 22001.
    {-1401, "22001", "string truncation"},
    // ORA-01426 "numeric overflow": standard 22003, numeric value out of range.
    {-1426, "22003", "numeric overflow"},
    // ORA-01830 "date format picture ends before converting entire input string": standard 22007,
    // invalid datetime format.
    {-1830, "22007", "invalid datetime format"},
    // ORA-01858 "a non-numeric character was found where a numeric was expected": standard 22007.
    {-1858, "22007", "invalid datetime format"},
    // ORA-01843 "not a valid month": standard 22008, datetime field overflow.
    {-1843, "22008", "datetime field overflow"},
    // ORA-01847 "day of month must be between 1 and last day of month": standard 22008.
    {-1847, "22008", "datetime field overflow"},
    // ORA-04043 "object (...) does not exist": host -204, an undefined object name (the built-in map binds
    // ORA-00942 to the same state).
    {-4043, "42704", "undefined object"},
    // ORA-02289 "sequence does not exist": host -204.
    {-2289, "42704", "undefined object"},
    // ORA-01418 "specified index does not exist": host -204.
    {-1418, "42704", "undefined object"},
    // ORA-01432 and ORA-01434 "public / private synonym to be dropped does not exist": host -204.
    {-1432, "42704", "undefined object"},
    {-1434, "42704", "undefined object"},
    // ORA-04080 "trigger (...) does not exist": host -204.
    {-4080, "42704", "undefined object"},
    // ORA-01918 "user (...) does not exist" and ORA-01919 "role (...) does not exist": host -204.
    {-1918, "42704", "undefined object"},
    {-1919, "42704", "undefined object"},
    // ORA-02443 "Cannot drop constraint - nonexistent constraint": host -204.
    {-2443, "42704", "undefined object"},
    // ORA-02275 "such a referential constraint already exists in the table": host -601, a name that is
    // already defined (the built-in map binds ORA-00955 to the same state).
    {-2275, "42710", "duplicate object"},
    // ORA-01920 "user name (...) conflicts with another user or role name": host -601.
    {-1920, "42710", "duplicate object"},
    // ORA-02303 "cannot drop or replace a type with type or table dependents": host -478, an object that
    // others depend on.
    {-2303, "42893", "object has dependents"},
    // ORA-01031 "insufficient privileges": host -551, the authorization ID lacks the privilege.
    {-1031, "42501", "insufficient privilege"},
    // ORA-08177 "can't serialize access for this transaction": standard 40001, serialization failure.
    {-8177, "40001", "serialization failure"},
    // ORA-01013 "user requested cancel of current operation": host -952, processing was cancelled.
    {-1013, "57014", "cancelled"},
    {0, nullptr, nullptr},
};

const ExtendedErrorRow* extendedErrorRow(int32_t oraCode) {
  for (const ExtendedErrorRow* row = extendedErrorMap; row->oraCode != 0; ++row) {
    if (row->oraCode == oraCode) return row;
  }
  return nullptr;
}
