// request_report.h - what xcomp says about one compiled request: the library's error records as
// diagnostics placed in the file, and warnings for accepted input that probably does not mean what it
// says. Neither changes what is compiled or written.
#pragma once

#include <vector>

#include "compile.h"
#include "output/diagnostics.h"
#include "script/script_reader.h"

// The request's errors in the user's words, at file lines, with the source line and the token marked.
// An error past the request's last line (the end of the input) is placed after its last non-blank
// line; repeated records of the same error are shown once. Without records, the SQLCA's message.
std::vector<Diagnostic> describeCompileErrors(const ScriptItem& item, const Outcome& outcome);

// Whether `line` holds what reads as an alternative-quoting literal (q'[...]', nq'{...}'), which
// without --extend q-quotes is a name followed by a string.
bool holdsQQuotedLiteral(std::string_view line);

// What the extensions accepted in the request, as warnings or notes at file lines with the construct
// marked, each naming the extension that accepted it.
std::vector<Diagnostic> describeExtensionNotes(const ScriptItem& item, const Outcome& outcome);

// "END name;" that closes a nested block is END followed by a call of `name`: one warning for each
// such name that the compiled statements do call.
std::vector<Diagnostic> endNameCallWarnings(const ScriptItem& item, const Outcome& outcome);

// The file line of an error's 1-based request line, kept inside the request; 0 when the line is
// unknown.
int fileLineOf(const ScriptItem& item, int requestLine);
