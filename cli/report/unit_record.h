// unit_record.h - what became of one PL/SQL unit, as the report and the CI outputs keep it: small,
// without the unit's text. Apart from report_units.h so that the command's per-file result can carry
// these records without knowing how the report reads files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "output/diagnostics.h"

// One error of a rejected unit.
struct ReportError {
  std::string domain;                 // the library's domain key, "script" for a reading error
  std::string message;                // in the user's words, as xcomp prints it
  std::optional<std::string> detail;  // the record's detail: the refused construct, the token met
  int fileLine = 0;                   // 0 when unknown
  int column = 0;                     // 0 when unknown
  std::string construct;              // what it is about (constructOf)
};

struct ReportUnit {
  std::string kind;  // reportKind
  std::string name;  // unitName; empty when the unit has none
  std::string file;  // the script the file runs it from (@, @@, START); empty for the file's own units
  int firstLine = 0;
  int lastLine = 0;
  size_t bytes = 0;  // of the request given to the compiler
  bool translated = false;
  std::vector<ReportError> errors;  // empty when translated
  // A rejected unit's first error as xcomp shows it (message, place, source line).
  std::optional<Diagnostic> firstError;
  // A rejected unit that translates with the --extend set: the extensions it used (their notes), in the
  // order of the extension table. Empty otherwise, and always without --extend.
  std::vector<std::string> translatesWith;
  int lines() const { return lastLine - firstLine + 1; }
};
