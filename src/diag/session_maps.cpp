// session_maps.cpp - the datatype maps and the Oracle-error map, and how a compilation's settings pick
// them. Row order is meaning: the first row whose words prefix a declared type wins, so longer names
// ("LONG RAW") stand before their prefixes ("LONG").
#include "diag/session.h"

#include <array>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "pool/pool.h"

static_assert(std::is_trivially_destructible_v<SessionSettings>);
static_assert(std::is_trivially_destructible_v<TypeMapRow>);  // copied into the pool for code-unit-32 sessions

namespace {

// What a PL/SQL type becomes outside Unicode, where that differs.
struct NonUnicodeType {
  const char* hostName;
  const char* declSuffix;
  const char* paramSuffix;
};

struct DatatypeRow {
  TypeMapRow row;               // the row of a Unicode database
  bool national;                // a national character type: databases outside Unicode have none
  NonUnicodeType nonUnicode{};  // hostName null: the same as in Unicode
};

constexpr bool national = true;

constexpr DatatypeRow datatypeRows[] = {
    {{"DOUBLE PRECISION", "DOUBLE", nullptr, nullptr}, false},
    {{"SYS_REFCURSOR", "CURSOR", nullptr, nullptr}, false},
    {{"BINARY_INTEGER", "INTEGER", nullptr, nullptr}, false},
    {{"BLOB", "BLOB", nullptr, nullptr}, false},
    {{"CHAR VARYING", "VARCHAR", nullptr, "(4096)"}, false},
    {{"CHAR", "CHARACTER", nullptr, "(255)"}, false},
    {{"CHARACTER VARYING", "VARCHAR", nullptr, "(4096)"}, false},
    {{"CHARACTER", "CHARACTER", nullptr, "(255)"}, false},
    {{"CLOB", "CLOB", nullptr, nullptr}, false},
    {{"LONG RAW", "BLOB", "(32760)", "(32760)"}, false},
    {{"LONG VARCHAR", "CLOB", "(32760)", "(32760)"}, false},
    {{"LONG", "CLOB", "(32760)", "(32760)"}, false},
    {{"NATURAL", "INTEGER", nullptr, nullptr}, false},
    {{"NCHAR", "NCHAR", nullptr, "(127)"}, national},
    {{"NCLOB", "NCLOB", nullptr, nullptr}, national},
    {{"NUMERIC", "NUMERIC", nullptr, nullptr}, false},
    {{"NVARCHAR2", "NVARCHAR", nullptr, "(2048)"}, national},
    {{"PLS_INTEGER", "INTEGER", nullptr, nullptr}, false},
    // Binary strings outside Unicode become BLOBs.
    {{"RAW", "VARBINARY", "(32672)", "(32672)"}, false, {"BLOB", "(32767)", "(32767)"}},
    {{"VARCHAR", "VARCHAR", nullptr, "(4096)"}, false},
    {{"VARCHAR2", "VARCHAR2", nullptr, "(4096)"}, false},
    {{"XMLTYPE", "XML", nullptr, nullptr}, false},
};

constexpr size_t nationalRowCount() {
  size_t count = 0;
  for (const DatatypeRow& row : datatypeRows) count += row.national ? 1 : 0;
  return count;
}

// The map of one kind of database, with the terminating row.
template <bool unicode>
constexpr auto typeMapFor() {
  std::array<TypeMapRow, std::size(datatypeRows) - (unicode ? 0 : nationalRowCount()) + 1> map{};
  size_t n = 0;
  for (const DatatypeRow& source : datatypeRows) {
    if (unicode) {
      map[n++] = source.row;
    } else if (!source.national) {
      const NonUnicodeType& other = source.nonUnicode;
      map[n++] = other.hostName == nullptr
                     ? source.row
                     : TypeMapRow{source.row.plsqlName, other.hostName, other.declSuffix, other.paramSuffix};
    }
  }
  map[n] = TypeMapRow{nullptr, nullptr, nullptr, nullptr};
  return map;
}

constexpr auto unicodeRows = typeMapFor<true>();
constexpr auto nonUnicodeRows = typeMapFor<false>();

}  // namespace

const TypeMapRow* const unicodeTypeMap = unicodeRows.data();
const TypeMapRow* const nonUnicodeTypeMap = nonUnicodeRows.data();

const OraErrorRow oraErrorMap[] = {
    {100, "NO_DATA_FOUND", -438, "ORANF"},
    {100, "NUV_NOT_FOUND", 100, "02000"},
    {-1, "DUP_VAL_ON_INDEX", -803, "23505"},
    {-1001, "INVALID_CURSOR", -501, "24501"},
    {-1012, "NOT_LOGGED_ON", -1024, "08003"},
    {-1017, "LOGIN_DENIED", -30082, "08001"},
    {-1422, "TOO_MANY_ROWS", -811, "21000"},
    {-1476, "ZERO_DIVIDE", -801, "22012"},
    {-1722, "INVALID_NUMBER", -420, "22018"},
    {-6502, "VALUE_ERROR", -433, "22001"},
    {-6511, "CURSOR_ALREADY_OPEN", -502, "24502"},
    {-6532, "SUBSCRIPT_OUTSIDE_LIMIT", -20439, "2202E"},
    {-6533, "SUBSCRIPT_BEYOND_COUNT", -20439, "2202E"},
    {-6592, "CASE_NOT_FOUND", -773, "20000"},
    {-54, nullptr, -904, "57011"},
    {-60, nullptr, -911, "40001"},
    {-310, nullptr, -206, "42703"},
    {-595, nullptr, -390, "42887"},
    {-597, nullptr, -303, "42806"},
    {-598, nullptr, -407, "23502"},
    {-600, nullptr, -30071, "58015"},
    {-603, nullptr, -119, "42803"},
    {-604, nullptr, -119, "42803"},
    {-610, nullptr, -20500, "428HR"},
    {-611, nullptr, -117, "42802"},
    {-612, nullptr, -117, "42802"},
    {-613, nullptr, -811, "21000"},
    {-615, nullptr, -420, "22018"},
    {-616, nullptr, -420, "22018"},
    {-617, nullptr, -418, "42610"},
    {-618, nullptr, -420, "22018"},
    {-619, nullptr, -418, "42610"},
    {-620, nullptr, -171, "42815"},
    {-622, nullptr, -304, "22003"},
    {-623, nullptr, -604, "42611"},
    {-904, nullptr, -206, "42703"},
    {-911, nullptr, -7, "42601"},
    {-942, nullptr, -204, "42704"},
    {-955, nullptr, -601, "42710"},
    {-996, nullptr, -1022, "57011"},
    {-1002, nullptr, 231, "02000"},
    {-1119, nullptr, -292, "57047"},
    {-1403, nullptr, -100, "02000"},
    {-1430, nullptr, -612, "42711"},
    {-1436, nullptr, -20451, "560CO"},
    {-1438, nullptr, -413, "22003"},
    {-1450, nullptr, -614, "54008"},
    {-1578, nullptr, -1007, "58034"},
    {-2112, nullptr, -811, "21000"},
    {-2261, nullptr, 605, "01550"},
    {-2291, nullptr, -530, "23503"},
    {-2292, nullptr, -532, "23001"},
    {-2292, nullptr, -532, "23504"},
    {-3113, nullptr, -30081, "08001"},
    {-3114, nullptr, -1024, "08003"},
    {-3214, nullptr, -20170, "57059"},
    {-3297, nullptr, -20170, "57059"},
    {-4061, nullptr, -727, "56098"},
    {-4063, nullptr, -727, "56098"},
    {-4091, nullptr, -723, "09000"},
    {-6502, nullptr, -304, "22003"},
    {-6508, nullptr, -440, "42884"},
    {-6550, nullptr, -104, "42601"},
    {-6553, nullptr, -104, "42601"},
    {-14028, nullptr, -538, "42830"},
    {-19567, nullptr, -1523, "55039"},
    {-30006, nullptr, -904, "57011"},
    {0, nullptr, 0, ""},
};

SessionSettings defaultSessionSettings() {
  SessionSettings settings{};
  settings.size = sizeof(SessionSettings);
  settings.emitText = "";
  settings.ncharMapping = '0';
  settings.stringUnits = 'S';
  settings.compatMode = '0';
  settings.decimalSuffix = "(9,2)";
  settings.varcharSuffix = "(4096)";
  settings.reserved[0] = 0;
  settings.reserved[1] = -1;
  settings.reserved[2] = 0;
  settings.reserved[3] = -1;
  return settings;
}

size_t typeMapRowCount(const TypeMapRow* map) {
  size_t count = 0;
  while (map[count].plsqlName != nullptr) ++count;
  return count;
}

namespace {

// Code-unit-32 sessions count characters in four-byte units, so the default lengths that would not fit
// the host's row limit shrink to 63.
const TypeMapRow* codeUnit32Map(const SessionSettings& settings) {
  const size_t rows = typeMapRowCount(unicodeTypeMap) + 1;
  auto* copy = static_cast<TypeMapRow*>(ctxAlloc(rows * sizeof(TypeMapRow)));
  std::memcpy(copy, unicodeTypeMap, rows * sizeof(TypeMapRow));
  const bool wideNchar = settings.ncharMapping == '2' || settings.ncharMapping == '3';
  const bool wideChar = settings.stringUnits == '4';
  for (size_t i = 0; copy[i].plsqlName != nullptr; ++i) {
    const char* name = copy[i].plsqlName;
    if (wideNchar && std::strcmp(name, "NCHAR") == 0) copy[i].paramSuffix = "(63)";
    if (wideChar && (std::strcmp(name, "CHAR") == 0 || std::strcmp(name, "CHARACTER") == 0))
      copy[i].paramSuffix = "(63)";
  }
  return copy;
}

}  // namespace

void completeSettings(SessionSettings* settings, const SessionSettings* callerSettings) {
  *settings = callerSettings != nullptr ? *callerSettings : defaultSessionSettings();
  if (settings->emitText == nullptr) settings->emitText = "";
  if (settings->typeMap == nullptr) {
    const bool codeUnit32 =
        settings->ncharMapping == '2' || settings->ncharMapping == '3' || settings->stringUnits == '4';
    settings->typeMap = codeUnit32 ? codeUnit32Map(*settings) : unicodeTypeMap;
  }
  if (settings->errorMap == nullptr) settings->errorMap = oraErrorMap;
}
