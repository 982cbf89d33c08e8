// options.h - xcomp's command line: every option, its checks, and the --help text.
#pragma once

#include <string>
#include <vector>

#include "output/diagnostics.h"
#include "report/ci_outputs.h"
#include "translate.h"

struct Options {
  std::vector<std::string> paths;  // files and directories; "-" is standard input
  std::string output;              // -o FILE, empty for standard output
  TranslateOptions translate;
  ColorChoice color = ColorChoice::automatic;
  int jobs = 1;
  bool progress = true;   // on a terminal, for runs over several files
  std::string reportDir;  // --report DIR: assess the inputs instead of translating them
  std::string baseline;   // --baseline OLD/report.json: with --report, what changed since then
  CiRequest ci;           // --sarif, --junit, --fail-under
  std::string outDir;     // --out-dir DIR: each file's translation under DIR, at its relative path
};

// Parses the arguments; prints help or the version and exits 0 when asked, and exits 2 with a
// message on a bad option or value.
Options parseOptions(int argc, char** argv);
