// compile.h - one request through the library's compile driver, with everything xcomp shows of the
// outcome copied out of the compilation's pool before it is released.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "execute.h"
#include "xcomp2.h"

// The session and the debugging views a request is compiled with.
struct CompileSettings {
  uint16_t codePage = XCOMP_CODEPAGE_UTF8;
  char stringUnits = 'S';
  char ncharMapping = '0';
  char compatMode = '0';
  std::string terminator;
  bool lineMarkers = true;
  bool allowMultiple = false;
  bool traceParser = false;
  bool printTokens = false;
  bool printTree = false;
  bool dump = false;
  uint32_t extensions = 0;  // --extend: the Extension bits; xcomp2 itself always compiles with none
  ExecuteOptions execute;   // --execute: run what compiled over ODBC
};

// A copy of an error record.
struct ErrorCopy {
  std::optional<std::string> message, nearText, detail, extra;
  uint32_t domain = 0;
  int32_t line = -1;   // 1-based in the request, -1 when unknown
  int32_t column = 0;  // 0 when unknown
};

struct Outcome {
  bool ok = false;
  SQLCA sqlca{};
  bool compileError = false;  // the SQLCA comes from an error record (errorLine is meaningful)
  std::vector<ErrorCopy> errors;
  std::vector<ErrorCopy> notes;  // what the extensions accepted (domain: a NoteKind; extra: the extension)
  std::vector<std::pair<uint32_t, std::string>> results;  // domain and text, in the session's code page
  std::string view;                                       // the token listing or tree, when asked for
  bool executed = false;                                  // the statements ran; the SQLCA is the run's outcome
  DriverDiagnostic diagnostic;                            // a run's: the driver's whole record behind the SQLCA
};

// Compiles `text` (UTF-8) as xcomp2 would in compile-only mode: in the session's code page where the
// library reads that one as it is (a request with a character that code page lacks fails whole), and
// converts the statements back to the session's code page when it must. With
// --execute (but not --dry-run), a request that compiled is then run as execute mode runs it (its SQLCA
// the outcome).
Outcome compileRequest(const CompileSettings& settings, const std::string& text);

// Converts between code pages; false on failure (an invalid or unmappable byte).
bool convertText(const std::string& in, uint16_t from, uint16_t to, std::string* out);

// Whether text in this code page is converted to UTF-8 before compiling.
bool convertsInput(uint16_t codePage);
