// report.h - xcomp --report DIR: a migration assessment of a code base. Every input is read as the
// command reads it and every PL/SQL unit compiled on -j threads; DIR gets report.json (a record per
// unit and per file, totals, the blocking constructs), units.csv (a row per unit) and report.html
// (the same for people to read).
// Records stream to disk as files finish, so memory holds a few files' units at a time, never the
// code base. Ctrl-C stops at the next unit and still writes a valid, partial report.
#pragma once

#include "options.h"

// Runs the assessment and prints a one-line summary. Returns the exit status: 0 every unit
// translates, 1 a unit is rejected or a file could not be read, 2 the report cannot be written, 130
// interrupted (the partial report is written).
int runReport(const Options& options);
