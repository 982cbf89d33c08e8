// translate.h - one input file through xcomp: checked, read as a script, each unit compiled, each
// item reported. The report is built whole before anything is printed, so files can be translated
// on several threads and still be printed in input order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "compile.h"
#include "report/unit_record.h"
#include "script/inputs.h"
#include "script/script_reader.h"

enum class SqlMode { pass, skip, error };

struct TranslateOptions {
  CompileSettings compile;
  ScriptSettings script;  // each file starts from these (the --define values among them)
  SqlMode sql = SqlMode::pass;
  std::string terminator = "@";   // a line of its own after each statement written; empty for none
  std::string encoding = "auto";  // --encoding: how the bytes of every file are read
  bool followScripts = true;      // @, @@ and START read the scripts they name (not --no-follow)
  bool raw = false;
  bool json = false;
  bool verbose = false;
  bool quiet = false;  // errors only: no warnings or notes
  // --out-dir: the statements go to FileReport::translation instead of the output (--json still
  // writes its records there).
  bool keepTranslation = false;
  bool color = false;      // of the diagnostics
  bool keepUnits = false;  // --sarif, --junit, --fail-under: keep a record of each unit (FileReport::unitRecords)
};

struct FileReport {
  struct Chunk {
    bool diagnostics;  // standard error rather than the output
    std::string text;
  };
  std::vector<Chunk> chunks;  // in the order they were made
  std::string translation;    // the file's statements, when TranslateOptions::keepTranslation
  int status = 0;             // 0 all well, 1 a request failed or the file is bad, 2 the file cannot be read
  size_t bytes = 0;
  int units = 0;                        // requests given to the compiler
  int errors = 0;                       // error diagnostics
  std::vector<ReportUnit> unitRecords;  // with keepUnits: each unit compiled or not readable, in file order
  std::string refusal;                  // why the file was not read at all; empty when it was read
  // For the run's summary: what became of the file's items.
  int translated = 0;  // units that compiled (and ran, with --execute)
  int failed = 0;      // units that did not
  int statements = 0;  // plain SQL statements copied to the output
  int commands = 0;    // SQL*Plus commands left out
};

class Deployment;

// With a `deployment` (xcomp --execute), every unit and plain statement also runs against its data
// source in file order, WHENEVER SQLERROR and EXIT are followed, and nothing runs once the run stopped
// (the file's items are only counted as skipped).
FileReport translateFile(const InputFile& input, const TranslateOptions& options, Deployment* deployment = nullptr);
