// report_csv.h - units.csv beside report.json: one row per unit, for a spreadsheet. Written as files
// finish, like the units array of report.json.
#pragma once

#include <string>

#include "report_units.h"

// The header row: file,line,kind,name,outcome,construct,lines.
extern const char* const unitsCsvHeader;

// One row, ending in CRLF as spreadsheets expect; `file` as the report shows it. The construct is the
// first error's, empty for a unit that translates.
std::string unitCsvRow(const std::string& file, const ReportUnit& unit);
