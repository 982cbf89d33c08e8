// options.cpp - parsing xcomp's command line. A bad value is a usage error (exit 2) before any file
// is read.
#include "options.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <CLI/CLI.hpp>

#include "entry/entry.h"

namespace {

const char* const usageText =
    "usage: xcomp [OPTIONS] [FILE|DIRECTORY ...]\n"
    "Translates PL/SQL scripts as SQL*Plus reads them: PL/SQL units and EXEC lines are compiled, plain\n"
    "SQL statements are copied, the scripts that @, @@ and START run are read where they stand, other\n"
    "SQL*Plus commands and comments are left out. A directory stands for the PL/SQL sources\n"
    "under it (.sql .pks .pkb .pkg .pls .plb .prc .fnc .trg .tps .tpb .typ .bdy .spc, any case).\n"
    "Reads standard input when no FILE is given or FILE is '-'. An option's value may follow it as the\n"
    "next word or after '=' (--sql=skip); -j also takes it joined (-j2); '--' ends the options.\n"
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
    "  --terminator TEXT      written on a line of its own after each statement, so the output runs\n"
    "                         statement by statement (default: @; '' for none); with --raw, the session\n"
    "                         terminator the library writes after each END (default: none)\n"
    "  --no-line-markers      do not write --#line markers\n"
    "  --json                 one JSON object per item instead of statements\n"
    "  --verbose              also list the SQL*Plus commands and statements that are left out\n"
    "  -q, --quiet            errors only: no warnings, notes, progress line or summary\n"
    "  --color auto|always|never  colour the diagnostics (auto: on a terminal, unless NO_COLOR is set)\n"
    "\n"
    "Whole code bases:\n"
    "  -j N                   translate N files at a time (output stays in input order)\n"
    "  --no-progress          no progress line on a terminal\n"
    "  --out-dir DIR          write each file's translation to DIR, at its path below the directory it\n"
    "                         was found in (a file named itself: its relative path, or its name); errors\n"
    "                         still go to standard error, --json records to the output\n"
    "  --report DIR           write a migration assessment to DIR (report.json, report.html) instead of\n"
    "                         translating: every unit compiled, what translates, what blocks the rest\n"
    "  --baseline FILE        with --report: what changed since the earlier report.json FILE\n"
    "  --sarif FILE           also write every error as SARIF 2.1.0 (paths relative to their input)\n"
    "  --junit FILE           also write JUnit XML: a test case per unit, the first error of a rejected one\n"
    "  --fail-under PCT       exit 0 when at least PCT % of the units translate, 1 otherwise\n"
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
    "                         authid, autonomous-functions, comments, corrections, error-map,\n"
    "                         nested-functions, save-exceptions, type-force, updating-columns,\n"
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
    "  -h, --help             show this text\n"
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
    "Exit status: 0 everything translated, 1 a request or file failed, 2 bad usage, an unreadable file or\n"
    "an --out-dir file that cannot be written;\n"
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

// The words CLI11 did not take: an option xcomp does not know is an error; the '--' that ended the
// options is left over too, and is not.
void checkLeftOver(const std::vector<std::string>& left) {
  for (const std::string& word : left) {
    if (word != "--") usageError("unknown option '" + word + "'");
  }
}

// CLI11 names a missing value "--sql: 1 required TEXT missing"; said here as the command always has.
[[noreturn]] void parseFailure(const CLI::ParseError& error) {
  const std::string what = error.what();
  const size_t colon = what.find(": ");
  if (error.get_name() == "ArgumentMismatch" && colon != std::string::npos && what.starts_with("-"))
    usageError("option " + what.substr(0, colon) + " needs a value");
  usageError(what);
}

// The options whose values are taken as text and checked after parsing, so that a bad one is named as
// the command names it.
struct TextValues {
  std::optional<std::string> codePage, stringUnits, ncharMapping, compat, sql, color, jobs, terminator, dsn, connect,
      failUnder, encoding;
  std::vector<std::string> defines, extensions, presets;
  bool help = false, version = false;
};

void declareOptions(CLI::App& app, Options& options, TextValues& text) {
  TranslateOptions& translate = options.translate;
  CompileSettings& compile = translate.compile;
  app.set_help_flag();
  app.allow_extras();
  // An option given twice keeps its last value, as before; --define, --extend and --set keep them all.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.positionals_at_end(false);
  app.add_flag("-h,--help", text.help);
  app.add_flag("--version", text.version);
  // Options whose text is checked after parsing.
  const std::pair<const char*, std::optional<std::string> TextValues::*> checked[] = {
      {"--terminator", &TextValues::terminator},
      {"--codepage", &TextValues::codePage},
      {"--string-units", &TextValues::stringUnits},
      {"--nchar-mapping", &TextValues::ncharMapping},
      {"--compat", &TextValues::compat},
      {"--sql", &TextValues::sql},
      {"--encoding", &TextValues::encoding},
      {"--color", &TextValues::color},
      {"-j", &TextValues::jobs},
      {"--dsn", &TextValues::dsn},
      {"--connect", &TextValues::connect},
      {"--fail-under", &TextValues::failUnder}};
  for (const auto& [name, value] : checked) app.add_option(name, text.*value);
  // Repeated, each use kept.
  app.add_option("--extend", text.extensions)->allow_extra_args(false);
  app.add_option("--define", text.defines)->allow_extra_args(false);
  app.add_option("--set", text.presets)->allow_extra_args(false);
  // Flags and names taken as they are.
  const std::pair<const char*, bool*> flags[] = {{"!--no-line-markers", &compile.lineMarkers},
                                                 {"--allow-multiple", &compile.allowMultiple},
                                                 {"--json", &translate.json},
                                                 {"--dump", &compile.dump},
                                                 {"--trace-parser", &compile.traceParser},
                                                 {"--print-tokens", &compile.printTokens},
                                                 {"--print-tree", &compile.printTree},
                                                 {"!--no-follow", &translate.followScripts},
                                                 {"--raw", &translate.raw},
                                                 {"--verbose", &translate.verbose},
                                                 {"-q,--quiet", &translate.quiet},
                                                 {"!--no-progress", &options.progress},
                                                 {"--execute", &compile.execute.enabled},
                                                 {"--dry-run", &compile.execute.dryRun},
                                                 {"--stop-on-error", &compile.execute.stopOnError}};
  for (const auto& [name, flag] : flags) app.add_flag(name, *flag);
  const std::pair<const char*, std::string*> names[] = {
      {"-o", &options.output},           {"--report", &options.reportDir}, {"--out-dir", &options.outDir},
      {"--baseline", &options.baseline}, {"--sarif", &options.ci.sarif},   {"--junit", &options.ci.junit}};
  for (const auto& [name, value] : names) app.add_option(name, *value);
  app.add_option("paths", options.paths);
}

// The session's values and how scripts are read.
void takeSessionAndReading(const TextValues& text, TranslateOptions& translate) {
  CompileSettings& compile = translate.compile;
  // --raw shows the engine's exact results: the terminator is the session's, written by the library.
  if (translate.raw) {
    compile.terminator = text.terminator.value_or("");
    translate.terminator.clear();
  } else if (text.terminator) {
    translate.terminator = *text.terminator;
  }
  if (text.codePage) {
    const std::string& v = *text.codePage;
    char* end = nullptr;
    const long cp = std::strtol(v.c_str(), &end, 10);
    if (end == v.c_str() || *end != '\0' || cp <= 0 || cp > 65535 || !hostKnowsCodepage(static_cast<uint16_t>(cp)))
      usageError("unknown code page '" + v + "'");
    compile.codePage = static_cast<uint16_t>(cp);
  }
  if (text.stringUnits) compile.stringUnits = oneOf("--string-units", *text.stringUnits, "S4");
  if (text.ncharMapping) compile.ncharMapping = oneOf("--nchar-mapping", *text.ncharMapping, "0123");
  if (text.compat) compile.compatMode = oneOf("--compat", *text.compat, "012");
  for (const std::string& list : text.extensions) compile.extensions |= extensionList(list);
  if (text.sql) {
    if (*text.sql == "pass") {
      translate.sql = SqlMode::pass;
    } else if (*text.sql == "skip") {
      translate.sql = SqlMode::skip;
    } else if (*text.sql == "error") {
      translate.sql = SqlMode::error;
    } else {
      usageError("invalid value '" + *text.sql + "' for --sql (pass, skip or error)");
    }
  }
  for (const std::string& v : text.defines) {
    if (!defineVariable(v, translate.script) || v.find('=') == std::string::npos)
      usageError("invalid value '" + v + "' for --define (NAME=VALUE)");
  }
  if (text.encoding) {
    translate.encoding = *text.encoding;
    if (!isKnownEncoding(translate.encoding))
      usageError("unknown encoding '" + translate.encoding +
                 "' for --encoding (auto, utf-8, windows-1252 or an iconv name)");
  }
  for (const std::string& v : text.presets) {
    if (!presetSetting(v, translate.script))
      usageError("invalid value '" + v + "' for --set (sqlblanklines, sqlterminator, blockterminator, define or " +
                 "scan, with its value)");
  }
  // The script reader must see where a unit's literals and comments end as the compiler will.
  translate.script.plsqlQQuotes = (compile.extensions & extendQQuotes) != 0;
  translate.script.plsqlFlatComments = (compile.extensions & extendComments) != 0;
}

// Where the results go: the terminal, the files beside the output, and what decides the exit status.
void takeOutputs(const CLI::App& app, const TextValues& text, Options& options) {
  if (text.color) {
    if (*text.color == "auto") {
      options.color = ColorChoice::automatic;
    } else if (*text.color == "always") {
      options.color = ColorChoice::always;
    } else if (*text.color == "never") {
      options.color = ColorChoice::never;
    } else {
      usageError("invalid value '" + *text.color + "' for --color (auto, always or never)");
    }
  }
  if (text.jobs) options.jobs = jobCount(*text.jobs);
  if (options.translate.quiet) options.progress = false;
  if (app.count("--report") > 0 && options.reportDir.empty()) usageError("--report needs a directory");
  if (app.count("--out-dir") > 0 && options.outDir.empty()) usageError("--out-dir needs a directory");
  options.translate.keepTranslation = !options.outDir.empty();
  if (app.count("--baseline") > 0 && options.baseline.empty()) usageError("--baseline needs an earlier report.json");
  if (app.count("--sarif") > 0 && options.ci.sarif.empty()) usageError("--sarif needs a file");
  if (app.count("--junit") > 0 && options.ci.junit.empty()) usageError("--junit needs a file");
  if (text.failUnder) {
    const std::string& v = *text.failUnder;
    char* end = nullptr;
    const double pct = std::strtod(v.c_str(), &end);
    if (v.empty() || *end != '\0' || !(pct >= 0 && pct <= 100))
      usageError("invalid value '" + v + "' for --fail-under (a percentage from 0 to 100)");
    options.ci.failUnder = pct;
  }
  if (!options.baseline.empty() && options.reportDir.empty()) usageError("--baseline needs --report");
  options.translate.keepUnits = options.ci.asked();
}

}  // namespace

Options parseOptions(int argc, char** argv) {
  Options options;
  TranslateOptions& translate = options.translate;
  CompileSettings& compile = translate.compile;
  CLI::App app("xcomp");
  TextValues text;
  declareOptions(app, options, text);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    parseFailure(error);
  }
  if (text.help) {
    std::fputs(usageText, stdout);
    std::exit(0);
  }
  if (text.version) {
    std::printf("xcomp %s\n", xcompVersion());
    std::exit(0);
  }
  checkLeftOver(app.remaining());
  takeSessionAndReading(text, translate);
  takeOutputs(app, text, options);
  std::string problem;
  if (text.dsn)
    takeExecuteOption(
        "--dsn", [&] { return *text.dsn; }, &compile.execute, &problem);
  if (!problem.empty()) usageError(problem);
  if (text.connect)
    takeExecuteOption(
        "--connect", [&] { return *text.connect; }, &compile.execute, &problem);
  if (!problem.empty()) usageError(problem);
  if (options.paths.empty()) options.paths.push_back("-");
  problem = checkExecuteOptions(compile.execute, text.dsn.has_value(), text.connect.has_value());
  if (!problem.empty()) usageError(problem);
  // A request that is only listed or printed is not compiled, and there would be nothing to run.
  if (compile.execute.enabled && (compile.printTokens || compile.printTree))
    usageError(std::string(compile.printTokens ? "--print-tokens" : "--print-tree") + " cannot be used with --execute");
  if (!options.reportDir.empty()) {
    // The report compiles every unit and writes no statements: the options that change what is printed
    // have nothing to act on.
    const char* printing = !options.output.empty()   ? "-o"
                           : !options.outDir.empty() ? "--out-dir"
                           : translate.json          ? "--json"
                           : compile.printTokens     ? "--print-tokens"
                           : compile.printTree       ? "--print-tree"
                           : compile.execute.enabled ? "--execute"
                                                     : nullptr;
    if (printing != nullptr) usageError(std::string(printing) + " cannot be used with --report");
  }
  return options;
}
