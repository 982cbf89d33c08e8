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
#include "unit_record.h"

enum class FileStatus { read, skipped, interrupted };

// Why a file was refused whole, before any unit of it was read. A file read but holding no unit is
// skipped, not refused.
enum class Refusal { none, binary, encoding, unreadable, tooLarge };

// Files larger than this are refused whole: the report holds each file being compiled in memory, on
// each of -j threads, and a file this size is a data dump rather than code someone maintains.
inline constexpr size_t reportFileLimit = size_t{32} << 20;

struct ReportFile {
  std::string path;
  FileStatus status = FileStatus::read;
  std::string reason;       // why a file was skipped or left unfinished; empty otherwise
  bool unreadable = false;  // skipped for its bytes (unreadable, binary, another code page), not its content
  Refusal refusal = Refusal::none;
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

// The record of a unit the command compiled (with `outcome`) or could not read (its errors among the
// item's diagnostics, `outcome` null): what the CI outputs are written from.
ReportUnit reportUnitOf(const ScriptItem& item, const Outcome* outcome);

// The input directories among the command's paths, each ending in '/'.
std::vector<std::string> inputDirectories(const std::vector<std::string>& paths);

// How the report and the CI outputs name a file: from the input directory it was found under; a file
// named itself keeps a relative name as given and an absolute one only its file name. Reports are read
// on other machines, where this one's folders mean nothing.
std::string pathInReport(const std::string& path, const std::vector<std::string>& directories);

// The kind the report counts a unit under: "procedure", "function", "package", "package body",
// "trigger", "type", "type body", "anonymous block", "drop", or "other" (a raw request that starts no
// unit, a PRAGMA before something else).
std::string reportKind(const ScriptItem& item);

// The unit's name as written after its kind ("hr.payroll", "\"Odd Name\""); a block's label; empty
// when there is none.
std::string unitName(const ScriptItem& item);

// The kinds in the order the report lists them.
const std::vector<std::string>& reportKinds();

const char* fileStatusName(FileStatus status);

// "binary", "encoding", "unreadable", "too large"; null for Refusal::none.
const char* refusalName(Refusal refusal);
