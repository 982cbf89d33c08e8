// report_html.h - report.html: one self-contained page (inline style and a little inline script, no
// network, no other file) with the headline, the blocking constructs as a bar chart, the units by kind,
// the files (sortable, filterable by outcome) and each rejected unit's first error with its source
// line. The file rows and the rejected units are written to scratch files as files finish and copied
// into the page at the end.
#pragma once

#include <cstdio>
#include <string>

#include "report_json.h"
#include "report_totals.h"
#include "report_units.h"

// How many constructs the chart shows; the table under it lists them all.
inline constexpr size_t chartedConstructs = 20;

// Appends all of scratch stream `from` (written so far, read from its start) to `to`.
bool copyScratch(std::FILE* from, std::FILE* to);

// `text` with &, <, >, " and ' as character references.
std::string htmlEscape(const std::string& text);

// The file table's row of the file numbered `index` (input order), showing its path as `shown` (the
// row keeps the whole path for sorting). `firstRejected` is the page anchor number of the file's first
// rejected unit, or -1 when it has none.
std::string htmlFileRow(const FileAnalysis& analysis, long index, long firstRejected, const std::string& shown);

// A rejected unit's entry, with anchor "u<number>": where it is, its kind and name, the first error as
// xcomp prints it, and how many more it has.
std::string htmlRejectedUnit(const std::string& file, const ReportUnit& unit, long number);

// The whole page, with the rows and entries read back from the two scratch files; with `changes`
// (--baseline), a section on what changed since the earlier report. False when writing fails.
bool writeHtmlPage(std::FILE* out, const ReportRun& run, const ReportTotals& totals, std::FILE* fileRows,
                   std::FILE* rejectedUnits, const ReportChanges* changes = nullptr);
