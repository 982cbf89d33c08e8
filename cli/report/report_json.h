// report_json.h - the pieces of report.json. The units and files arrays are written one record at a
// time as files finish; the totals and the blocking constructs close the object at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report_baseline.h"
#include "report_totals.h"
#include "report_units.h"
#include "xcomp2.h"

// What the report says about its own run.
struct ReportRun {
  std::string version;
  std::vector<std::string> inputs;
  int jobs = 1;
  uint16_t codePage = XCOMP_CODEPAGE_UTF8;
  bool raw = false;
  std::string started;  // local time, "2024-05-01 14:03:07"
  double seconds = 0;
  bool interrupted = false;
  int filesNotRead = 0;                 // inputs never started because the run was interrupted
  std::vector<std::string> extensions;  // --extend: what more would translate with these
  std::string baseline;                 // --baseline: the earlier report.json compared with
};

// How blocking constructs are keyed and counted, as the report explains it.
extern const char* const blockingConstructExplanation;

// {"file", "firstLine", "lastLine", "kind", "name", "bytes", "lines", "outcome", "errors": [{"domain",
// "message", "detail", "fileLine", "column", "construct"}]}
std::string unitJson(const std::string& file, const ReportUnit& unit);

// {"path", "status", "reason", "bytes", "lines", "units", "translated", "rejected", "sqlStatements",
// "sqlplusCommands", "problems": [{"line", "message"}]}
std::string fileJson(const FileAnalysis& analysis);

// The opening of the object, up to and including the "units" array's "[".
std::string reportJsonHead(const ReportRun& run);

// "totals": {...}, "blockingConstructs": {...} and the run's outcome, closing the object. Written after
// the "files" array. With `changes` (--baseline), a "changes" record too.
std::string reportJsonTail(const ReportRun& run, const ReportTotals& totals, const ReportChanges* changes = nullptr);
