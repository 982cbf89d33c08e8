// libFuzzer target over the engine's entry point: the first bytes choose the session (code page,
// string units, NCHAR mapping, compatibility mode) and the mode bits, the rest is the statement, which
// goes through xcomp2 as an engine would pass it (length and text, no NUL). Whatever comes in, xcomp2
// must return 1 with a well-formed SQLCA and leave nothing behind: no crash, no sanitizer report, no
// leak. Execute mode meets no data source here, so it exercises the failed-connect path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "xcomp2.h"

namespace {

// Code pages the session may name: the four compiled as they come, converted ones, one the host does
// not know, and a few malformed spellings.
const char* const codePages[] = {"1208", "1252", "850", "819", "37", "1047", "932", "1200", "5348", "0", "abc", ""};
const char* const stringUnits[] = {"S", "4", "x"};
const char* const ncharMappings[] = {"0", "1", "2", "3", "9"};
const char* const compatModes[] = {"0", "1", "2", "?"};

template <size_t N>
const char* pick(const char* const (&values)[N], uint8_t byte) {
  return values[byte % N];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t session = data[0];
  const uint8_t modeByte = data[1];
  setenv("XCOMP_CODEPAGE", pick(codePages, session & 0x0f), 1);
  setenv("XCOMP_STRING_UNITS", pick(stringUnits, session >> 4), 1);
  setenv("XCOMP_NCHAR_MAPPING", pick(ncharMappings, modeByte >> 3), 1);
  setenv("XCOMP_COMPAT", pick(compatModes, modeByte >> 5), 1);
  // No data source: execute mode fails at the connect and must clean up after itself.
  setenv("ODBCSYSINI", "/nonexistent", 1);
  setenv("ODBCINI", "/nonexistent/odbc.ini", 1);

  const size_t length = size - 2 < XCOMP_MAX_STATEMENT ? size - 2 : XCOMP_MAX_STATEMENT;
  // The caller's area: the length word and the whole text area, as the engine provides it. Kept from
  // run to run: clearing 2 MB each time would cost more than most compilations.
  static std::vector<unsigned char> area(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1, 0);
  auto* statement = reinterpret_cast<XcompStatement*>(area.data());
  statement->length = static_cast<uint32_t>(length);
  std::memcpy(statement->text, data + 2, length);

  // Bit 2 (the dump) writes a file; leave it out so a run does not fill the disk.
  const XcompOptions options{static_cast<uint32_t>(modeByte & 0x3)};
  SQLCA sqlca;
  std::memset(&sqlca, 0, sizeof sqlca);
  std::memcpy(sqlca.sqlcaid, "SQLCA   ", 8);
  sqlca.sqlcabc = sizeof sqlca;
  if (xcomp2(statement, &options, &sqlca) != 1) std::abort();
  if (sqlca.sqlcode < 0 && std::memcmp(sqlca.sqlerrp, "SQLEXC02", 8) != 0 && sqlca.sqlerrd[4] == 0) std::abort();
  if (sqlca.sqlerrml < 0 || sqlca.sqlerrml > 70) std::abort();
  if (statement->length > XCOMP_MAX_STATEMENT) std::abort();
  return 0;
}
