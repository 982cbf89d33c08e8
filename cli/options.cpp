// options.cpp - parsing xcomp's command line. A bad value is a usage error (exit 2) before any file
// is read.
#include "options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "entry/entry.h"

namespace {

const char* const usageText =
    "usage: xcomp [OPTIONS] [FILE|DIRECTORY ...]\n"
    "Translates PL/SQL scripts as SQL*Plus reads them: PL/SQL units and EXEC lines are compiled, plain\n"
    "SQL statements are copied, the scripts that @, @@ and START run are read where they stand, other\n"
    "SQL*Plus commands and comments are left out. A directory stands for the PL/SQL sources\n"
    "under it (.sql .pks .pkb .pkg .pls .plb .prc .fnc .trg .tps .tpb .typ .bdy .spc, any case).\n"
    "Reads standard input when no FILE is given or FILE is '-'.\n"
    "\n"
    "Reading scripts:\n"
    "  --sql pass|skip|error  plain SQL statements: copied to the output in place (pass, the default),\n"
    "                         left out (skip), or reported as errors (error)\n"
    "  --define NAME=VALUE    value of the substitution variable &NAME (may be repeated)\n"
    "  --raw                  no SQL*Plus reading: every text between lines holding only '/' is compiled\n"
    "  --set \"OPTION VALUE\"   SET a script option before the first line of every file, e.g. --set \"define off\"\n"
    "                         (sqlblanklines, sqlterminator, blockterminator, define, scan; may be repeated)\n"
    "  --no-follow            @, @@ and START lines are left out like other commands instead of running\n"
    "                         the scripts they name\n"
    "  --encoding NAME        how files are read: auto (the default: UTF-8 when valid, else Windows-1252,\n"
    "                         with a warning), utf-8, windows-1252 or any iconv name\n"
    "\n"
    "Output:\n"
    "  -o FILE                write the generated statements to FILE\n"
    "  --terminator TEXT      session terminator written after each statement (default: none)\n"
    "  --no-line-markers      do not write --#line markers\n"
    "  --json                 one JSON object per item instead of statements\n"
    "  --verbose              also list the SQL*Plus commands and statements that are left out\n"
    "  --color auto|always|never  colour the diagnostics (auto: on a terminal, unless NO_COLOR is set)\n"
    "\n"
    "Whole code bases:\n"
    "  -j N                   translate N files at a time (output stays in input order)\n"
    "  --no-progress          no progress line on a terminal\n"
    "  --report DIR           write a migration assessment to DIR (report.json, report.html) instead of\n"
    "                         translating: every unit compiled, what translates, what blocks the rest\n"
    "\n"
    "Session:\n"
    "  --codepage N           the session's code page N: what the output is written in (files are read\n"
    "                         as --encoding says)\n"
    "  --string-units S|4     SYSTEM or CODEUNITS32 string units\n"
    "  --nchar-mapping 0..3   NCHAR mapping of the session\n"
    "  --compat 0|1|2         SQL compatibility mode of the session\n"
    "  --allow-multiple       accept several programs in one request\n"
    "\n"
    "Beyond the engine's language (xcomp2 itself never does this; see docs/extensions.md):\n"
    "  --extend NAME[,NAME...]  translate these constructs too, each reported as a warning or note:\n"
    "                         authid, comments, corrections, error-map, type-force,\n"
    "                         q-quotes;\n"
    "                         'all' for every one (may be repeated; with --report: what more translates)\n"
    "\n"
    "Deploying:\n"
    "  --execute              run the script over ODBC (default data source), item by item in file order:\n"
    "                         plain SQL as written, units through the library's execute mode; each item\n"
    "                         that succeeds is committed; WHENEVER SQLERROR and EXIT are followed\n"
    "  --dry-run              with --execute: connect and report what would run, without running it\n"
    "  --stop-on-error        with --execute: start each file under WHENEVER SQLERROR EXIT FAILURE\n"
    "  --dsn NAME             with --execute: the ODBC data source NAME\n"
    "  --connect STRING       with --execute: a whole ODBC connection string (DSN=, FILEDSN= or DRIVER=)\n"
    "\n"
    "Debugging:\n"
    "  --dump                 append a record of each request to the diagnostic dump file\n"
    "  --trace-parser         write the parser's trace to standard error\n"
    "  --print-tokens         list the tokens of each request instead of compiling\n"
    "  --print-tree           print the syntax tree of each request instead of compiling\n"
    "\n"
    "  --help                 show this text\n"
    "  --version              show the version\n"
    "\n"
    "Environment:\n"
    "  XCOMP_INSTANCE_PATH    the directory whose nuvdump/ holds the diagnostic dump (--dump)\n"
    "  NO_COLOR               when set and not empty, --color auto does not colour\n"
    "  XCOMP_CODEPAGE, XCOMP_STRING_UNITS, XCOMP_COMPAT, XCOMP_NCHAR_MAPPING\n"
    "                         the session of the library's xcomp2 outside an engine; xcomp takes its\n"
    "                         own from the options above\n"
    "\n"
    "Examples:\n"
    "  xcomp install.sql > install_host.sql\n"
    "  xcomp -j 2 --json src/ > units.jsonl\n"
    "  xcomp --report assessment -j 2 src/\n"
    "  xcomp --execute --dsn payroll_test --stop-on-error install.sql\n"
    "\n"
    "Exit status: 0 everything translated, 1 a request or file failed, 2 bad usage or an unreadable file;\n"
    "with --execute: also 1 when the data source cannot be reached, or what a WHENEVER SQLERROR EXIT asks;\n"
    "with --report: 0 every unit translates, 1 a unit is rejected or a file unreadable, 2 bad usage or the\n"
    "report cannot be written, 130 interrupted (a partial report is written).\n"
    "See xcomp(1) for more.\n";

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "xcomp: %s\n%s", message.c_str(), "Try 'xcomp --help'.\n");
  std::exit(2);
}

char oneOf(const std::string& option, const std::string& value, const char* allowed) {
  if (value.size() != 1 || std::strchr(allowed, value[0]) == nullptr)
    usageError("invalid value '" + value + "' for " + option);
  return value[0];
}

int jobCount(const std::string& value) {
  char* end = nullptr;
  const long n = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || n < 1 || n > 256) usageError("invalid value '" + value + "' for -j");
  return static_cast<int>(n);
}

// The Extension bits of a comma-separated list of names, or "all".
uint32_t extensionList(const std::string& value) {
  uint32_t bits = 0;
  size_t start = 0;
  while (start <= value.size()) {
    const size_t comma = std::min(value.find(',', start), value.size());
    const std::string name = value.substr(start, comma - start);
    const uint32_t bit = name == "all" ? allExtensions() : extensionNamed(name.c_str());
    if (bit == 0) {
      std::string known;
      for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row)
        known += std::string(row->name) + ", ";
      usageError("unknown extension '" + name + "' for --extend (" + known + "or all)");
    }
    bits |= bit;
    start = comma + 1;
  }
  return bits;
}

}  // namespace

Options parseOptions(int argc, char** argv) {
  Options options;
  TranslateOptions& translate = options.translate;
  CompileSettings& compile = translate.compile;
  bool onlyFiles = false;
  bool dsnGiven = false;
  bool connectGiven = false;
  std::string problem;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usageError("option " + arg + " needs a value");
      return argv[++i];
    };
    if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
      options.paths.push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "-o") {
      options.output = value();
    } else if (arg == "--terminator") {
      compile.terminator = value();
    } else if (arg == "--no-line-markers") {
      compile.lineMarkers = false;
    } else if (arg == "--codepage") {
      const std::string v = value();
      char* end = nullptr;
      const long cp = std::strtol(v.c_str(), &end, 10);
      if (end == v.c_str() || *end != '\0' || cp <= 0 || cp > 65535 || !hostKnowsCodepage(static_cast<uint16_t>(cp)))
        usageError("unknown code page '" + v + "'");
      compile.codePage = static_cast<uint16_t>(cp);
    } else if (arg == "--string-units") {
      compile.stringUnits = oneOf(arg, value(), "S4");
    } else if (arg == "--nchar-mapping") {
      compile.ncharMapping = oneOf(arg, value(), "0123");
    } else if (arg == "--compat") {
      compile.compatMode = oneOf(arg, value(), "012");
    } else if (arg == "--allow-multiple") {
      compile.allowMultiple = true;
    } else if (arg == "--extend") {
      compile.extensions |= extensionList(value());
    } else if (arg == "--json") {
      translate.json = true;
    } else if (arg == "--dump") {
      compile.dump = true;
    } else if (arg == "--trace-parser") {
      compile.traceParser = true;
    } else if (arg == "--print-tokens") {
      compile.printTokens = true;
    } else if (arg == "--print-tree") {
      compile.printTree = true;
    } else if (arg == "--sql") {
      const std::string v = value();
      if (v == "pass") {
        translate.sql = SqlMode::pass;
      } else if (v == "skip") {
        translate.sql = SqlMode::skip;
      } else if (v == "error") {
        translate.sql = SqlMode::error;
      } else {
        usageError("invalid value '" + v + "' for --sql (pass, skip or error)");
      }
    } else if (arg == "--define") {
      const std::string v = value();
      if (!defineVariable(v, translate.script) || v.find('=') == std::string::npos)
        usageError("invalid value '" + v + "' for --define (NAME=VALUE)");
    } else if (arg == "--encoding") {
      translate.encoding = value();
      if (!isKnownEncoding(translate.encoding))
        usageError("unknown encoding '" + translate.encoding +
                   "' for --encoding (auto, utf-8, windows-1252 or an iconv name)");
    } else if (arg == "--set") {
      const std::string v = value();
      if (!presetSetting(v, translate.script))
        usageError("invalid value '" + v + "' for --set (sqlblanklines, sqlterminator, blockterminator, define or " +
                   "scan, with its value)");
    } else if (arg == "--no-follow") {
      translate.followScripts = false;
    } else if (arg == "--raw") {
      translate.raw = true;
    } else if (arg == "--verbose") {
      translate.verbose = true;
    } else if (arg == "--color") {
      const std::string v = value();
      if (v == "auto") {
        options.color = ColorChoice::automatic;
      } else if (v == "always") {
        options.color = ColorChoice::always;
      } else if (v == "never") {
        options.color = ColorChoice::never;
      } else {
        usageError("invalid value '" + v + "' for --color (auto, always or never)");
      }
    } else if (arg == "-j") {
      options.jobs = jobCount(value());
    } else if (arg.starts_with("-j")) {
      options.jobs = jobCount(arg.substr(2));
    } else if (arg == "--no-progress") {
      options.progress = false;
    } else if (takeExecuteOption(arg, value, &compile.execute, &problem)) {
      if (!problem.empty()) usageError(problem);
      dsnGiven = dsnGiven || arg == "--dsn";
      connectGiven = connectGiven || arg == "--connect";
    } else if (arg == "--report") {
      options.reportDir = value();
      if (options.reportDir.empty()) usageError("--report needs a directory");
    } else if (arg == "--help") {
      std::fputs(usageText, stdout);
      std::exit(0);
    } else if (arg == "--version") {
      std::printf("xcomp %s\n", xcompVersion());
      std::exit(0);
    } else {
      usageError("unknown option '" + arg + "'");
    }
  }
  // The script reader must see where a unit's literals and comments end as the compiler will.
  translate.script.plsqlQQuotes = (compile.extensions & extendQQuotes) != 0;
  translate.script.plsqlFlatComments = (compile.extensions & extendComments) != 0;
  if (options.paths.empty()) options.paths.push_back("-");
  problem = checkExecuteOptions(compile.execute, dsnGiven, connectGiven);
  if (!problem.empty()) usageError(problem);
  // A request that is only listed or printed is not compiled, and there would be nothing to run.
  if (compile.execute.enabled && (compile.printTokens || compile.printTree))
    usageError(std::string(compile.printTokens ? "--print-tokens" : "--print-tree") + " cannot be used with --execute");
  if (!options.reportDir.empty()) {
    // The report compiles every unit and writes no statements: the options that change what is printed
    // have nothing to act on.
    const char* printing = !options.output.empty()   ? "-o"
                           : translate.json          ? "--json"
                           : compile.printTokens     ? "--print-tokens"
                           : compile.printTree       ? "--print-tree"
                           : compile.execute.enabled ? "--execute"
                                                     : nullptr;
    if (printing != nullptr) usageError(std::string(printing) + " cannot be used with --report");
  }
  return options;
}
