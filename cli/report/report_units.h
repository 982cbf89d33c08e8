// report_units.h - one input file as the migration report sees it: read and checked as xcomp reads
// it, cut into items by the SQL*Plus-aware reader, each PL/SQL unit compiled, and what became of each
// unit kept as a small record. No record holds the unit's text (only its first error's source line),
// so a whole code base can be reported without keeping it in memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "compile.h"
#include "output/diagnostics.h"
#include "script/inputs.h"
#include "script/script_reader.h"
#include "translate.h"

// One error of a rejected unit.
struct ReportError {
  std::string domain;                 // the library's domain key, "script" for a reading error
  std::string message;                // in the user's words, as xcomp prints it
  std::optional<std::string> detail;  // the record's detail: the refused construct, the token met
  int fileLine = 0;                   // 0 when unknown
  int column = 0;                     // 0 when unknown
  std::string feature;                // the blocking feature it counts for (blockingFeature)
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

enum class FileStatus { read, skipped, interrupted };

struct ReportFile {
  std::string path;
  FileStatus status = FileStatus::read;
  std::string reason;       // why a file was skipped or left unfinished; empty otherwise
  bool unreadable = false;  // skipped for its bytes (unreadable, binary, another code page), not its content
  size_t bytes = 0;
  int lines = 0;
  int unitsFound = 0;  // units the reader cut, compiled or not (an interrupted file has fewer records)
  int sqlStatements = 0;
  int sqlplusCommands = 0;
  std::vector<Diagnostic> problems;  // reading problems outside any unit, e.g. a comment never closed
};

struct FileAnalysis {
  ReportFile file;
  std::vector<ReportUnit> units;
};

// Told about a file's progress by analyzeFile, on the thread that analyses it.
class AnalysisListener {
 public:
  virtual ~AnalysisListener() = default;
  // The file is read and cut: it holds `units` units.
  virtual void unitsFound(int units) = 0;
  virtual void unitDone(const ReportUnit& unit) = 0;
  // Checked before each unit: true leaves the rest of the file uncompiled (status interrupted).
  virtual bool stopRequested() const = 0;
};

// Reads, checks and cuts one input as the command does, and compiles each unit. A file that cannot be
// read, is binary, is not in the session's code page, is empty or holds no PL/SQL unit comes back
// skipped with its reason; so does a directory with no sources. `listener` may be null.
FileAnalysis analyzeFile(const InputFile& input, const TranslateOptions& options, AnalysisListener* listener);

// The kind the report counts a unit under: "procedure", "function", "package", "package body",
// "trigger", "type", "type body", "anonymous block", "drop", or "other" (a raw request that starts no
// unit, a PRAGMA before something else).
std::string reportKind(const ScriptItem& item);

// The unit's name as written after its kind ("hr.payroll", "\"Odd Name\""); a block's label; empty
// when there is none.
std::string unitName(const ScriptItem& item);

// What an error blocks, as one key for many units: an unsupported feature's message; for a syntax
// error the token the parser met, in the user's words, without the list it expected (which differs
// with the place); a later stage's bare "syntax error" with the reason it gives; any other message as
// it is, with quoted names left out ('...'), so one undefined variable per unit does not make a row
// of its own.
std::string blockingFeature(const ErrorCopy& error, const ScriptItem& item);
std::string blockingFeature(const Diagnostic& scriptError);

// The kinds in the order the report lists them.
const std::vector<std::string>& reportKinds();

const char* fileStatusName(FileStatus status);
