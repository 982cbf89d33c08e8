// script_runs.h - the scripts a script runs: @name and START name from the working directory, @@name
// from the running script's folder, ".sql" added to a name without an extension. Each is read where it
// stands, in the same SQL*Plus session, and its items keep its own file and lines.
#pragma once

#include <string>
#include <string_view>

#include "inputs.h"
#include "script_reader.h"

// Reads `text`, the checked text of `input`, as a script. With `follow`, the scripts it runs are read
// (in `encoding`) where it runs them, unless the input was found under a directory (where they are
// inputs of their own); a script that is missing, a directory, unreadable or already running is one
// error on the line that runs it, and the reading goes on after that line.
ScriptReading readInputScript(const InputFile& input, std::string_view text, ScriptSettings& settings,
                              const std::string& encoding, bool follow);
