// The migration report: what it makes of each unit (kind, name, lines, errors and the construct they
// count for), its totals, the files it skips, and `xcomp --report` as a user runs it over a tree, on
// several threads and when interrupted. The page's rendering is checked in report_browser_test.cpp.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "command_helpers.h"
#include "json_reader.h"
#include "report/report_html.h"
#include "report/report_json.h"
#include "report/report_totals.h"
#include "report/report_units.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// An install script with one unit of every kind, among the comments, SQL and SQL*Plus commands it
// would really hold. Line numbers on the right.
const char* const installScript =
    "REM payroll install\n"                                                     // 1
    "SET ECHO OFF\n"                                                            // 2
    "CREATE TABLE pay_runs (id NUMBER, status VARCHAR2(10));\n"                 // 3
    "-- the interface\n"                                                        // 4
    "CREATE OR REPLACE PACKAGE hr.payroll AS\n"                                 // 5
    "  PROCEDURE run (p_id NUMBER);\n"                                          // 6
    "END payroll;\n"                                                            // 7
    "/\n"                                                                       // 8
    "CREATE OR REPLACE PACKAGE BODY hr.payroll AS\n"                            // 9
    "  PROCEDURE run (p_id NUMBER) IS\n"                                        // 10
    "  BEGIN\n"                                                                 // 11
    "    UPDATE pay_runs SET status = 'DONE' WHERE id = p_id;\n"                // 12
    "  END run;\n"                                                              // 13
    "END payroll;\n"                                                            // 14
    "/\n"                                                                       // 15
    "CREATE OR REPLACE PROCEDURE audit_all AUTHID CURRENT_USER IS\n"            // 16
    "BEGIN\n"                                                                   // 17
    "  NULL;\n"                                                                 // 18
    "END;\n"                                                                    // 19
    "/\n"                                                                       // 20
    "CREATE FUNCTION \"Net Pay\" (p NUMBER) RETURN NUMBER IS\n"                 // 21
    "BEGIN\n"                                                                   // 22
    "  RETURN p * 0.8;\n"                                                       // 23
    "END;\n"                                                                    // 24
    "/\n"                                                                       // 25
    "CREATE OR REPLACE TRIGGER pay_runs_biu\n"                                  // 26
    "  BEFORE INSERT ON pay_runs FOR EACH ROW\n"                                // 27
    "BEGIN\n"                                                                   // 28
    "  :NEW.status := 'NEW';\n"                                                 // 29
    "END;\n"                                                                    // 30
    "/\n"                                                                       // 31
    "CREATE OR REPLACE TYPE money_t AS OBJECT (amount NUMBER, cur CHAR(3));\n"  // 32
    "/\n"                                                                       // 33
    "CREATE OR REPLACE TYPE BODY money_t AS\n"                                  // 34
    "  MEMBER FUNCTION total RETURN NUMBER IS BEGIN RETURN amount; END;\n"      // 35
    "END;\n"                                                                    // 36
    "/\n"                                                                       // 37
    "<<nightly>>\n"                                                             // 38
    "BEGIN\n"                                                                   // 39
    "  hr.payroll.run(1);\n"                                                    // 40
    "END;\n"                                                                    // 41
    "/\n"                                                                       // 42
    "DECLARE\n"                                                                 // 43
    "  n NUMBER;\n"                                                             // 44
    "BEGIN\n"                                                                   // 45
    "  IF n > 0 THEN n := 1; END;\n"                                            // 46
    "END;\n"                                                                    // 47
    "/\n"                                                                       // 48
    "DROP PACKAGE BODY hr.payroll;\n"                                           // 49
    "GRANT EXECUTE ON hr.payroll TO clerk;\n"                                   // 50
    "PROMPT done\n";                                                            // 51

struct Seen {
  std::string kind, name;
  int first, last;
  bool translated;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  return out << "{" << s.kind << " '" << s.name << "' " << s.first << "-" << s.last
             << (s.translated ? " ok" : " rejected") << "}";
}

FileAnalysis analyze(const std::string& path, AnalysisListener* listener = nullptr) {
  InputFile input;
  input.path = path;
  input.shownName = path;
  return analyzeFile(input, TranslateOptions{}, listener);
}

TEST(ReportUnits, EveryKindIsCountedNamedAndPlacedOnItsOwnLines) {
  TempDir dir("xcomp-report");
  const FileAnalysis a = analyze(dir.add("install.sql", installScript));
  std::vector<Seen> seen;
  for (const ReportUnit& u : a.units) seen.push_back({u.kind, u.name, u.firstLine, u.lastLine, u.translated});
  // Units start where their text does, not at the comments and commands the reader skipped before them.
  EXPECT_EQ(seen, (std::vector<Seen>{{"package", "hr.payroll", 5, 7, true},
                                     {"package body", "hr.payroll", 9, 14, true},
                                     {"procedure", "audit_all", 16, 19, false},
                                     {"function", "\"Net Pay\"", 21, 24, true},
                                     {"trigger", "pay_runs_biu", 26, 30, true},
                                     {"type", "money_t", 32, 32, true},
                                     {"type body", "money_t", 34, 36, false},
                                     {"anonymous block", "nightly", 38, 41, false},
                                     {"anonymous block", "", 43, 47, false},
                                     {"drop", "hr.payroll", 49, 49, true}}));
  EXPECT_EQ(a.file.status, FileStatus::read);
  EXPECT_EQ(a.file.unitsFound, 10);
  EXPECT_EQ(a.file.sqlStatements, 2);
  EXPECT_EQ(a.file.sqlplusCommands, 2);
  EXPECT_EQ(a.file.lines, 51);
  // A unit's bytes are its own text, from its first line.
  EXPECT_EQ(a.units[5].bytes,
            std::string("CREATE OR REPLACE TYPE money_t AS OBJECT (amount NUMBER, cur CHAR(3));\n").size());
}

TEST(ReportUnits, RejectedUnitKeepsEachErrorAtItsFileLine) {
  TempDir dir("xcomp-report");
  const FileAnalysis a = analyze(dir.add("install.sql", installScript));
  const ReportUnit& authid = a.units[2];
  ASSERT_EQ(authid.errors.size(), 1u);
  EXPECT_EQ(authid.errors[0].domain, "unsupportedFeature");
  EXPECT_EQ(authid.errors[0].message, "AUTHID CURRENT_USER not supported");
  EXPECT_EQ(authid.errors[0].detail, "CREATE [OR REPLACE] PROCEDURE...");
  EXPECT_EQ(authid.errors[0].fileLine, 16);
  EXPECT_EQ(authid.errors[0].construct, "AUTHID CURRENT_USER");

  // The IF closed by END: the error is on the file's line 46, where ';' comes instead of END's IF.
  const ReportUnit& block = a.units[8];
  ASSERT_FALSE(block.errors.empty());
  EXPECT_EQ(block.errors[0].domain, "syntax");
  EXPECT_EQ(block.errors[0].fileLine, 46);
  EXPECT_EQ(block.errors[0].detail, ";");
  EXPECT_EQ(block.errors[0].message, "syntax error, unexpected ';', expecting IF");
  EXPECT_EQ(block.errors[0].construct, "syntax error, unexpected ';'");
  ASSERT_TRUE(block.firstError.has_value());
  EXPECT_EQ(block.firstError->line, 46);
  EXPECT_EQ(block.firstError->source, "  IF n > 0 THEN n := 1; END;");

  for (const ReportUnit& u : a.units) {
    EXPECT_EQ(u.translated, u.errors.empty()) << u.kind << " " << u.name;
    EXPECT_EQ(u.translated, !u.firstError.has_value()) << u.kind << " " << u.name;
  }
}

// Errors that differ only in where they are, or in a name, are one construct; different refusals are not.
TEST(ReportUnits, ConstructKeyGroupsErrorsThatDifferOnlyInPlaceOrName) {
  TempDir dir("xcomp-report");
  const FileAnalysis a =
      analyze(dir.add("keys.sql",
                      "BEGIN\n  WHILE x LOOP NULL; END bar;\nEND;\n/\n"
                      "BEGIN\n  CASE x WHEN 1 THEN NULL; END baz;\nEND;\n/\n"
                      "DECLARE\n  s VARCHAR2(9) := '&first';\nBEGIN NULL; END;\n/\n"
                      "DECLARE\n  s VARCHAR2(9) := '&second';\nBEGIN NULL; END;\n/\n"
                      "DECLARE\n  e EXCEPTION;\n  PRAGMA EXCEPTION_INIT(e, 12);\nBEGIN NULL; END;\n/\n"
                      "CREATE FUNCTION f RETURN NUMBER AUTHID CURRENT_USER IS BEGIN RETURN 1; END;\n/\n"
                      "CREATE OR REPLACE TRIGGER t FOR UPDATE ON x COMPOUND TRIGGER\n"
                      "  AFTER EACH ROW IS BEGIN NULL; END AFTER EACH ROW;\nEND;\n/\n"));
  ASSERT_EQ(a.units.size(), 7u);
  for (const ReportUnit& u : a.units) ASSERT_FALSE(u.errors.empty()) << u.kind << " " << u.name;
  // Two identifiers met where something else was expected (LOOP, CASE), with different names.
  EXPECT_NE(a.units[0].errors[0].message, a.units[1].errors[0].message);
  EXPECT_EQ(a.units[0].errors[0].construct, "syntax error, unexpected identifier");
  EXPECT_EQ(a.units[1].errors[0].construct, "syntax error, unexpected identifier");
  // Undefined substitution variables, whatever their names.
  EXPECT_EQ(a.units[2].errors[0].domain, "script");
  EXPECT_EQ(a.units[2].errors[0].construct, a.units[3].errors[0].construct);
  EXPECT_EQ(a.units[2].errors[0].construct, "substitution variable '...' has no value");
  // A later stage's bare syntax error is named by its construct, the refused number told.
  EXPECT_EQ(a.units[4].errors[0].construct, "EXCEPTION_INIT with a positive error number");
  EXPECT_EQ(a.units[4].errors[0].message, "syntax error: pragma exception_init");
  EXPECT_EQ(a.units[5].errors[0].construct, "AUTHID CURRENT_USER");
  EXPECT_NE(a.units[6].errors[0].construct, a.units[5].errors[0].construct);
}

TEST(ReportUnits, ScriptsAFileRunsAreReportedAsTheirOwnFiles) {
  TempDir dir("xcomp-report");
  dir.add("lib/body.sql", "\nCREATE PROCEDURE p IS\nBEGIN\n  NULL;\nEND;\n/\n@@gone\n");
  const FileAnalysis a = analyze(dir.add("install.sql", "@@missing\n@@lib/body\n"));
  ASSERT_EQ(a.units.size(), 1u);
  EXPECT_EQ(a.units[0].file, dir.path("lib/body.sql"));
  EXPECT_EQ(a.units[0].firstLine, 2);
  ASSERT_EQ(a.file.problems.size(), 2u);
  EXPECT_EQ(a.file.problems[0].line, 1);
  EXPECT_EQ(a.file.problems[0].message.rfind("cannot run '" + dir.path("missing.sql") + "'", 0), 0u);
  EXPECT_EQ(a.file.problems[1].line, 0) << "a line of the script that runs it, not of this file";
  EXPECT_EQ(a.file.problems[1].message.rfind(dir.path("lib/body.sql") + ":7: cannot run", 0), 0u);
}

TEST(ReportUnits, FilesWithoutUnitsAreSkippedWithTheirReason) {
  TempDir dir("xcomp-report");
  struct Case {
    std::string path;
    const char* reason;
    bool unreadable;
  };
  const std::vector<Case> cases = {
      {dir.add("bin.sql", std::string("BEGIN NULL; END;\n\0\x01\x02", 20)), "binary file (a NUL byte on line 2)", true},
      {dir.add("neither.sql", "-- r\x81sum\nBEGIN NULL; END;\n"), "line 1: byte 0x81 is not valid in UTF-8 or", true},
      {dir.add("empty.sql", ""), "empty file", false},
      {dir.add("tables.sql", "CREATE TABLE t (a NUMBER);\nSET ECHO ON\n"),
       "no PL/SQL unit (1 SQL statement, 1 SQL*Plus command)", false},
      {dir.path("missing.sql"), "cannot read this file: No such file or directory", true},
  };
  for (const Case& c : cases) {
    const FileAnalysis a = analyze(c.path);
    EXPECT_EQ(a.file.status, FileStatus::skipped) << c.path;
    EXPECT_EQ(a.file.reason.rfind(c.reason, 0), 0u) << a.file.reason;
    EXPECT_EQ(a.file.unreadable, c.unreadable) << c.path;
    EXPECT_TRUE(a.units.empty());
  }
  fs::create_directories(dir.path("docs"));
  dir.add("docs/readme.txt", "not a source\n");
  const std::vector<InputFile> inputs = expandInputs({dir.path("docs")});
  ASSERT_EQ(inputs.size(), 1u);
  const FileAnalysis a = analyzeFile(inputs[0], TranslateOptions{}, nullptr);
  EXPECT_EQ(a.file.status, FileStatus::skipped);
  EXPECT_EQ(a.file.reason, "no PL/SQL source files in this directory");
}

class StopAfter : public AnalysisListener {
 public:
  explicit StopAfter(int units) : left_(units) {}
  void unitsFound(int units) override { found = units; }
  void unitDone(const ReportUnit&) override { --left_; }
  bool stopRequested() const override { return left_ <= 0; }
  int found = -1;

 private:
  int left_;
};

TEST(ReportUnits, StopRequestEndsTheFileAtAUnitBoundary) {
  TempDir dir("xcomp-report");
  StopAfter listener(3);
  const FileAnalysis a = analyze(dir.add("install.sql", installScript), &listener);
  EXPECT_EQ(listener.found, 10);
  EXPECT_EQ(a.units.size(), 3u);
  EXPECT_EQ(a.file.status, FileStatus::interrupted);
  EXPECT_EQ(a.file.reason, "interrupted after 3 of 10 units");
}

ReportUnit unitWith(const std::string& kind, int lines, std::vector<std::string> constructs) {
  ReportUnit u;
  u.kind = kind;
  u.firstLine = 10;
  u.lastLine = 10 + lines - 1;
  u.bytes = static_cast<size_t>(lines) * 10;
  u.translated = constructs.empty();
  for (const std::string& f : constructs) {
    ReportError e;
    e.domain = "syntax";
    e.construct = f;
    e.fileLine = 11;
    u.errors.push_back(e);
  }
  return u;
}

TEST(ReportTotals, UnitsCountOnceForTheirFirstErrorAndOnceForEachConstruct) {
  FileAnalysis one;
  one.file.path = "one.sql";
  one.units = {unitWith("procedure", 5, {"f1", "f2", "f1"}), unitWith("procedure", 3, {"f2"}),
               unitWith("package body", 20, {}), unitWith("function", 4, {"f3", "f1"})};
  FileAnalysis skipped;
  skipped.file.path = "bin.sql";
  skipped.file.status = FileStatus::skipped;
  ReportTotals totals;
  totals.add(one);
  totals.add(skipped);

  EXPECT_EQ(totals.files(), 2);
  EXPECT_EQ(totals.filesSkipped(), 1);
  EXPECT_EQ(totals.all().units, 4);
  EXPECT_EQ(totals.all().translated, 1);
  EXPECT_EQ(totals.all().lines, 32u);
  EXPECT_EQ(totals.all().linesTranslated, 20u);
  const auto kinds = totals.byKind();
  ASSERT_EQ(kinds.size(), reportKinds().size());
  EXPECT_EQ(kinds[0].first, "procedure");
  EXPECT_EQ(kinds[0].second.units, 2);
  EXPECT_EQ(kinds[0].second.rejected(), 2);
  EXPECT_EQ(kinds[3].first, "package body");
  EXPECT_EQ(kinds[3].second.translated, 1);

  // Each construct has one first error; the ties are broken by units with any error, then by name.
  const std::vector<ConstructCount> ranked = totals.rankedConstructs();
  ASSERT_EQ(ranked.size(), 3u);
  EXPECT_EQ(ranked[0].construct, "f1");
  EXPECT_EQ(ranked[0].firstError, 1);
  EXPECT_EQ(ranked[0].anyError, 2) << "a unit with f1 twice counts once";
  EXPECT_EQ(ranked[1].construct, "f2");
  EXPECT_EQ(ranked[1].anyError, 2);
  EXPECT_EQ(ranked[2].construct, "f3");
  EXPECT_EQ(ranked[2].anyError, 1);
  EXPECT_EQ(ranked[0].file, "one.sql");
  // Solving f1 frees nothing alone; f1 and f2 free the first two units; all three free the fourth.
  EXPECT_EQ(totals.unblockedCumulative(ranked), (std::vector<int>{0, 2, 3}));
}

// With --extend the outcome stays the engine's own; a rejected unit says which extensions would take
// it, and the totals group those units by what blocks them by default.
TEST(ReportUnits, ExtensionsSayWhatMoreTranslatesWithoutChangingTheOutcome) {
  TempDir dir("xcomp-report");
  const std::string path =
      dir.add("api.sql",
              "CREATE OR REPLACE PROCEDURE a AUTHID CURRENT_USER IS BEGIN NULL; END;\n/\n"
              "CREATE OR REPLACE PROCEDURE b IS\n  e EXCEPTION;\n"
              "  PRAGMA EXCEPTION_INIT(e, -1400);\nBEGIN NULL;\nEND;\n/\n"
              "CREATE OR REPLACE PROCEDURE c IS\n  n NUMBER := 1;\n  FUNCTION f RETURN NUMBER IS BEGIN RETURN n; END;\n"
              "BEGIN NULL;\nEND;\n/\n"
              "CREATE OR REPLACE PROCEDURE d IS BEGIN NULL; END;\n/\n");
  InputFile input;
  input.path = path;
  input.shownName = path;
  TranslateOptions options;
  options.compile.extensions = allExtensions();
  const FileAnalysis a = analyzeFile(input, options, nullptr);
  ASSERT_EQ(a.units.size(), 4u);
  EXPECT_FALSE(a.units[0].translated);
  EXPECT_EQ(a.units[0].translatesWith, std::vector<std::string>{"authid"});
  EXPECT_FALSE(a.units[1].translated);
  EXPECT_EQ(a.units[1].translatesWith, std::vector<std::string>{"error-map"});
  EXPECT_FALSE(a.units[2].translated);
  EXPECT_TRUE(a.units[2].translatesWith.empty())
      << "a nested function that reads its routine's local is beyond every extension";
  EXPECT_TRUE(a.units[3].translated);
  EXPECT_TRUE(a.units[3].translatesWith.empty());
  ReportTotals totals;
  totals.add(a);
  EXPECT_EQ(totals.unitsTranslatedWithExtensions(), 2);
  const auto extended = totals.translatedWithExtensions();
  ASSERT_EQ(extended.size(), 2u);
  EXPECT_EQ(extended[0].construct, "AUTHID CURRENT_USER");
  EXPECT_EQ(extended[0].extensions, "authid");
  EXPECT_EQ(extended[1].extensions, "error-map");

  const FileAnalysis plain = analyze(path);
  for (const ReportUnit& u : plain.units) EXPECT_TRUE(u.translatesWith.empty());
}

TEST(ReportJson, RecordsStayValidJsonWhateverTheText) {
  ReportUnit u = unitWith("procedure", 2, {"syntax error, unexpected 'x'"});
  u.name = "\"odd \\ name\"\n\t\x01";
  u.errors[0].message = "bad byte \xFF here";
  u.errors[0].detail = "</script>";
  const Json unit = parseJson(unitJson("dir/a \"b\".sql", u));
  EXPECT_EQ(unit.at("file").get<std::string>(), "dir/a \"b\".sql");
  EXPECT_EQ(unit.at("name").get<std::string>(), "\"odd \\ name\"\n\t\x01");
  EXPECT_EQ(unit.at("outcome").get<std::string>(), "rejected");
  EXPECT_EQ(unit.at("lines").get<long>(), 2);
  EXPECT_EQ(unit.at("errors").at(0).at("detail").get<std::string>(), "</script>");
  EXPECT_EQ(unit.at("errors").at(0).at("fileLine").get<long>(), 11);
  EXPECT_EQ(unit.at("errors").at(0).at("message").get<std::string>(), "bad byte \xC3\xBF here");

  EXPECT_EQ(htmlEscape("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

// ---- the command ----

CommandRun xcomp(const std::string& args) {
  return runCommand(std::string(XCOMP_BINARY_DIR) + "/xcomp " + args + " 2>&1");
}

// A small code base: the install script, a package split in head and body files, a file that holds only
// tables, a binary file, one in Latin-1, and a file whose extension is not a PL/SQL source's.
void writeTree(const TempDir& dir) {
  dir.add("src/install.sql", installScript);
  dir.add("src/billing/billing.pks", "CREATE OR REPLACE PACKAGE billing AS\n  FUNCTION due RETURN DATE;\nEND;\n/\n");
  dir.add("src/billing/billing.pkb",
          "CREATE OR REPLACE PACKAGE BODY billing AS\n  FUNCTION due RETURN DATE IS\n  BEGIN\n"
          "    RETURN SYSDATE + 30;\n  END;\nEND;\n/\n");
  dir.add("src/billing/tables.sql", "CREATE TABLE invoices (id NUMBER);\n");
  dir.add("src/billing/logo.sql", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  // 0x81 is neither UTF-8 nor a Windows-1252 character.
  dir.add("src/legacy/old.prc", "CREATE PROCEDURE old IS\nBEGIN\n  -- \x81t\x81\n  NULL;\nEND;\n/\n");
  dir.add("src/notes.txt", "BEGIN NULL; END;\n");
}

TEST(ReportCommand, ReportsEveryUnitAndFileOfATree) {
  TempDir dir("xcomp-report");
  writeTree(dir);
  const CommandRun run = xcomp("--report " + dir.path("out") + " -j 2 " + dir.path("src"));
  EXPECT_EQ(run.status, 1) << "units are rejected: " << run.out;
  EXPECT_NE(run.out.find("8 of 12 units translate (66.7 %)"), std::string::npos) << run.out;
  const Json report = parseJson(readFile(dir.path("out/report.json")));
  EXPECT_TRUE(report.at("complete").get<bool>());
  EXPECT_EQ(report.at("options").at("jobs").get<long>(), 2);

  // Files in path order, each with its outcome; the .txt file is not a source.
  const Json& files = report.at("files");
  std::vector<std::string> paths;
  for (const Json& f : files) paths.push_back(f.at("path").get<std::string>());
  EXPECT_EQ(paths, (std::vector<std::string>{"billing/billing.pkb", "billing/billing.pks", "billing/logo.sql",
                                             "billing/tables.sql", "install.sql", "legacy/old.prc"}));
  EXPECT_EQ(files[2].at("status").get<std::string>(), "skipped");
  EXPECT_EQ(files[2].at("reason").get<std::string>(), "binary file (a NUL byte on line 3); not read");
  EXPECT_EQ(files[3].at("status").get<std::string>(), "skipped");
  EXPECT_EQ(files[5].at("status").get<std::string>(), "skipped");
  EXPECT_NE(files[5].at("reason").get<std::string>().find("not valid in UTF-8 or Windows-1252"), std::string::npos);
  EXPECT_EQ(files[4].at("units").get<long>(), 10);
  EXPECT_EQ(files[4].at("rejected").get<long>(), 4);

  // Units in file order; the totals agree with them.
  const Json& units = report.at("units");
  ASSERT_EQ(units.size(), 12u);
  EXPECT_EQ(units[0].at("kind").get<std::string>(), "package body");
  EXPECT_EQ(units[1].at("kind").get<std::string>(), "package");
  std::map<std::string, long> byKind;
  long translated = 0;
  long lines = 0;
  for (const Json& u : units) {
    ++byKind[u.at("kind").get<std::string>()];
    translated += u.at("outcome").get<std::string>() == "translated";
    lines += u.at("lines").get<long>();
    EXPECT_EQ(u.at("lines").get<long>(), u.at("lastLine").get<long>() - u.at("firstLine").get<long>() + 1);
    EXPECT_EQ(u.at("errors").size() == 0, u.at("outcome").get<std::string>() == "translated");
  }
  const Json& totals = report.at("totals");
  EXPECT_EQ(totals.at("units").at("units").get<long>(), 12);
  EXPECT_EQ(totals.at("units").at("translated").get<long>(), translated);
  EXPECT_EQ(totals.at("units").at("lines").get<long>(), lines);
  EXPECT_EQ(totals.at("byOutcome").at("rejected").at("units").get<long>(), 12 - translated);
  EXPECT_EQ(totals.at("filesSkipped").get<long>(), 3);
  for (const Json& k : totals.at("byKind"))
    EXPECT_EQ(k.at("units").get<long>(), byKind[k.at("kind").get<std::string>()]) << k.at("kind").get<std::string>();
  EXPECT_EQ(totals.at("byKind").size(), byKind.size());
  // Refused whole: the binary file and the Latin-1 one; the file of tables only is skipped, not refused.
  EXPECT_EQ(totals.at("filesRefused").get<long>(), 2);
  EXPECT_EQ(totals.at("skippedByReason").at("binary").get<long>(), 1);
  EXPECT_EQ(totals.at("skippedByReason").at("encoding").get<long>(), 1);
  EXPECT_EQ(totals.at("skippedByReason").at("too large").get<long>(), 0);
  // Folders that hold units, named from the input: "." for the input directory itself.
  std::vector<std::string> folders;
  for (const Json& f : totals.at("byFolder")) folders.push_back(f.at("folder").get<std::string>());
  EXPECT_EQ(folders, (std::vector<std::string>{".", "billing"}));
  EXPECT_EQ(totals.at("byFolder").at(0).at("units").get<long>(), 10);
  EXPECT_EQ(totals.at("byFolder").at(0).at("rejected").get<long>(), 4);
  EXPECT_EQ(totals.at("byFolder").at(1).at("translated").get<long>(), 2);

  // units.csv: a header and a row per unit, in the order of report.json.
  std::istringstream csv(readFile(dir.path("out/units.csv")));
  std::vector<std::string> rows;
  for (std::string row; std::getline(csv, row);) rows.push_back(row);
  ASSERT_EQ(rows.size(), 13u);
  EXPECT_EQ(rows[0], "file,line,kind,name,outcome,construct,lines\r");
  EXPECT_EQ(rows[1], "billing/billing.pkb,1,package body,billing,translated,,6\r");
  EXPECT_NE(std::find(rows.begin(), rows.end(), "install.sql,21,function,\"\"\"Net Pay\"\"\",translated,,4\r"),
            rows.end());

  // Four rejected units, each with one construct of its own.
  const Json& ranked = report.at("blockingConstructs").at("ranked");
  ASSERT_EQ(ranked.size(), 4u);
  std::set<std::string> constructs;
  for (const Json& f : ranked) {
    EXPECT_EQ(f.at("firstError").get<long>(), 1);
    constructs.insert(f.at("construct").get<std::string>());
  }
  EXPECT_EQ(constructs, (std::set<std::string>{"AUTHID CURRENT_USER", "CREATE TYPE BODY",
                                               "syntax error, unexpected '<<'", "syntax error, unexpected ';'"}));
  EXPECT_EQ(ranked[0].at("unblockedCumulative").get<long>(), 1);
  EXPECT_EQ(ranked[3].at("unblockedCumulative").get<long>(), 4);
  for (const Json& f : ranked) EXPECT_EQ(f.at("unblockedAlone").get<long>(), 1) << f.at("construct").get<std::string>();
  long blocked = 0;
  for (const Json& f : ranked) blocked += f.at("linesBlocked").get<long>();
  EXPECT_EQ(blocked, totals.at("byOutcome").at("rejected").at("lines").get<long>());

  // The page stands alone: nothing is fetched from anywhere.
  const std::string html = readFile(dir.path("out/report.html"));
  for (const char* outside : {"http:", "https:", "<link", " src=", "@import", "url("})
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  // Nor does it name where the code base lay on this machine.
  EXPECT_EQ(html.find(dir.path("src/billing")), std::string::npos);
  EXPECT_EQ(readFile(dir.path("out/report.json")).find(dir.path("src/billing")), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path("out/report.json.part")));
}

// Workers finish files in any order; the report is written in input order all the same.
TEST(ReportCommand, ReportIsTheSameOnOneThreadAndOnSeveral) {
  TempDir dir("xcomp-report");
  for (int i = 0; i < 40; ++i) {
    // Sizes vary so that the workers overtake each other.
    std::string body;
    for (int k = 0; k < (i * 7) % 23 + 1; ++k) body += "  n := n + " + std::to_string(k) + ";\n";
    const std::string name = "p" + std::to_string(i);
    dir.add("src/" + name + ".prc", "CREATE PROCEDURE " + name + (i % 5 == 0 ? " AUTHID CURRENT_USER" : "") +
                                        " IS\n  n NUMBER := 0;\nBEGIN\n" + body + "END;\n/\n");
  }
  xcomp("--report " + dir.path("one") + " -j 1 " + dir.path("src"));
  xcomp("--report " + dir.path("many") + " -j 4 " + dir.path("src"));
  const Json one = parseJson(readFile(dir.path("one/report.json")));
  const Json many = parseJson(readFile(dir.path("many/report.json")));
  ASSERT_EQ(one.at("units").size(), 40u);
  ASSERT_EQ(many.at("units").size(), 40u);
  for (size_t i = 0; i < 40; ++i) {
    EXPECT_EQ(one.at("units").at(i).at("name").get<std::string>(), many.at("units").at(i).at("name").get<std::string>())
        << i;
    EXPECT_EQ(one.at("units").at(i).at("outcome").get<std::string>(),
              many.at("units").at(i).at("outcome").get<std::string>())
        << i;
    EXPECT_EQ(one.at("files").at(i).at("path").get<std::string>(), many.at("files").at(i).at("path").get<std::string>())
        << i;
  }
  EXPECT_EQ(one.at("totals").at("units").at("translated").get<long>(), 32);
  EXPECT_EQ(many.at("totals").at("units").at("translated").get<long>(), 32);
}

// The last input is a pipe that nothing has written to: the run waits on it after the files before it,
// is interrupted there, and writes the report of what it has done.
TEST(ReportCommand, CtrlCLeavesAValidPartialReport) {
  TempDir dir("xcomp-report");
  dir.add("a.sql", "BEGIN NULL; END;\n/\n");
  dir.add("b.sql", "CREATE PROCEDURE b IS BEGIN NULL; END;\n/\n");
  const std::string pipe = dir.path("c.sql");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string binary = std::string(XCOMP_BINARY_DIR) + "/xcomp";
  const std::string out = dir.path("out");
  std::vector<std::string> args = {binary, "--report",       out, "-j", "1", dir.path("a.sql"), dir.path("b.sql"),
                                   pipe,   dir.path("a.sql")};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  // Opening the pipe waits for xcomp to open it, which it does after the first two files.
  const int fd = open(pipe.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(kill(pid, SIGINT), 0);
  // Give the watcher time to take the signal before the pipe's unit is compiled.
  usleep(500 * 1000);
  const std::string unit = "BEGIN NULL; END;\n/\nBEGIN NULL; END;\n/\n";
  ASSERT_EQ(write(fd, unit.data(), unit.size()), static_cast<ssize_t>(unit.size()));
  close(fd);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);

  const Json report = parseJson(readFile(out + "/report.json"));
  EXPECT_FALSE(report.at("complete").get<bool>());
  EXPECT_TRUE(report.at("interrupted").get<bool>());
  EXPECT_EQ(report.at("units").size(), 2u);
  ASSERT_EQ(report.at("files").size(), 3u);
  EXPECT_EQ(report.at("files").at(2).at("status").get<std::string>(), "interrupted");
  EXPECT_EQ(report.at("files").at(2).at("reason").get<std::string>(), "interrupted after 0 of 2 units");
  EXPECT_EQ(report.at("totals").at("filesNotRead").get<long>(), 1);
  EXPECT_EQ(report.at("totals").at("units").at("units").get<long>(), 2);
  const std::string html = readFile(out + "/report.html");
  EXPECT_NE(html.find("id=\"partial\""), std::string::npos);
  EXPECT_NE(html.find("</html>"), std::string::npos);
}

TEST(ReportCommand, UsageAndUnwritableReports) {
  TempDir dir("xcomp-report");
  const std::string source = dir.add("a.sql", "BEGIN NULL; END;\n");
  for (const char* clash : {"--json", "-o x.sql", "--print-tokens", "--print-tree"}) {
    const CommandRun run = xcomp(std::string(clash) + " --report " + dir.path("out") + " " + source);
    EXPECT_EQ(run.status, 2) << clash;
    EXPECT_NE(run.out.find("cannot be used with --report"), std::string::npos) << run.out;
  }
  EXPECT_EQ(xcomp("--report").status, 2);
  const std::string file = dir.add("taken", "a file where the report's folder would go");
  const CommandRun blocked = xcomp("--report " + file + " " + source);
  EXPECT_EQ(blocked.status, 2);
  EXPECT_NE(blocked.out.find("cannot write the report"), std::string::npos) << blocked.out;
  // Everything translates: status 0, and a folder without sources is listed, not an error.
  fs::create_directories(dir.path("empty"));
  const CommandRun clean = xcomp("--report " + dir.path("out") + " " + source + " " + dir.path("empty"));
  EXPECT_EQ(clean.status, 0) << clean.out;
  const Json report = parseJson(readFile(dir.path("out/report.json")));
  EXPECT_EQ(report.at("files").at(1).at("reason").get<std::string>(), "no PL/SQL source files in this directory");
  // Text the reader cannot place (a comment never closed after the last unit) fails the run, as it
  // fails the command, and the file says why.
  const std::string open = dir.add("open.sql", "BEGIN NULL; END;\n/\n/* never closed\nBEGIN NULL; END;\n");
  EXPECT_EQ(xcomp("--report " + dir.path("out") + " " + open).status, 1);
  const Json problems = parseJson(readFile(dir.path("out/report.json"))).at("files").at(0).at("problems");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].at("message").get<std::string>(), "Unterminated comment");
  EXPECT_EQ(problems[0].at("line").get<long>(), 3);
}

// Units are matched across runs by file, kind and name; two blocks alike in all three by their order.
TEST(ReportCommand, BaselineSaysWhatWasFixedRegressedAddedAndGone) {
  TempDir dir("xcomp-report");
  dir.add("src/a.sql",
          "CREATE PROCEDURE p1 AUTHID CURRENT_USER IS BEGIN NULL; END;\n/\nBEGIN NULL; END;\n/\n"
          "BEGIN x := 1; END;\n/\nCREATE PROCEDURE p2 IS BEGIN NULL; END;\n/\n");
  dir.add("src/b.sql", "CREATE FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;\n/\n");
  ASSERT_EQ(xcomp("--report " + dir.path("old") + " " + dir.path("src")).status, 1);
  // p1 is fixed and moves down a line; the second block breaks; p2 is renamed p3; b.sql goes.
  dir.add("src/a.sql",
          "\nCREATE PROCEDURE p1 IS BEGIN NULL; END;\n/\nBEGIN NULL; END;\n/\n"
          "BEGIN x := ; END;\n/\nCREATE PROCEDURE p3 IS BEGIN NULL; END;\n/\n");
  fs::remove(dir.path("src/b.sql"));
  const CommandRun run =
      xcomp("--report " + dir.path("new") + " --baseline " + dir.path("old/report.json") + " " + dir.path("src"));
  EXPECT_EQ(run.status, 1) << run.out;
  const Json changes = parseJson(readFile(dir.path("new/report.json"))).at("changes");
  const auto names = [&](const char* list) {
    std::vector<std::string> out;
    for (const Json& u : changes.at(list))
      out.push_back(u.at("file").get<std::string>() + ":" + u.at("kind").get<std::string>() + ":" +
                    (u.at("name").is_null() ? "-" : u.at("name").get<std::string>()));
    return out;
  };
  EXPECT_EQ(names("fixed"), (std::vector<std::string>{"a.sql:procedure:p1"}));
  EXPECT_EQ(names("regressed"), (std::vector<std::string>{"a.sql:anonymous block:-"}));
  EXPECT_EQ(changes.at("regressed").at(0).at("firstLine").get<long>(), 6);
  EXPECT_EQ(names("new"), (std::vector<std::string>{"a.sql:procedure:p3"}));
  EXPECT_EQ(names("gone"), (std::vector<std::string>{"a.sql:procedure:p2", "b.sql:function:f"}));
  EXPECT_NE(readFile(dir.path("new/report.html")).find("id=\"changes\""), std::string::npos);

  // A baseline that is not a report is refused before anything runs.
  const std::string notReport = dir.add("notes.json", "{\"units\": []}");
  EXPECT_EQ(xcomp("--report " + dir.path("x") + " --baseline " + notReport + " " + dir.path("src")).status, 2);
  EXPECT_EQ(xcomp("--baseline " + dir.path("old/report.json") + " " + dir.path("src")).status, 2);
}

// ---- the manual page ----

// Options as the first word of lines that start with two blanks and a dash ("  -j N  ...").
std::set<std::string> helpOptions(const std::string& help) {
  std::set<std::string> options;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  -", 0) != 0) continue;
    std::string option = line.substr(2, line.find(' ', 2) - 2);
    if (option.ends_with(',')) option.pop_back();  // "-h, --help"
    options.insert(option);
  }
  return options;
}

// Options as the first word of the line after each .TP in the OPTIONS section, roff escapes undone.
std::set<std::string> manualOptions(const std::string& page) {
  std::set<std::string> options;
  std::istringstream lines(page);
  bool inOptions = false;
  bool tagNext = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(".SH ", 0) == 0) inOptions = line == ".SH OPTIONS";
    if (!inOptions) continue;
    if (line == ".TP") {
      tagNext = true;
      continue;
    }
    if (!tagNext) continue;
    tagNext = false;
    std::istringstream words(line);
    std::string macro, option;
    words >> macro >> option;
    std::string plain;
    for (size_t i = 0; i < option.size(); ++i) {
      if (option.compare(i, 2, "\\-") == 0) {
        plain += '-';
        ++i;
      } else if (option.compare(i, 2, "\\f") == 0) {
        i += 2;
      } else {
        plain += option[i];
      }
    }
    options.insert(plain);
  }
  return options;
}

std::set<std::string> environmentNames(const std::string& text) {
  std::set<std::string> names;
  for (const char* name : {"XCOMP_CODEPAGE", "XCOMP_STRING_UNITS", "XCOMP_COMPAT", "XCOMP_NCHAR_MAPPING",
                           "XCOMP_INSTANCE_PATH", "NO_COLOR"}) {
    if (text.find(name) != std::string::npos) names.insert(name);
  }
  return names;
}

// The extensions' record and section appear only when asked for; the outcomes stay the same.
TEST(ReportCommand, ExtendAddsWhatMoreTranslatesAndNothingElse) {
  TempDir dir("xcomp-report");
  const std::string source = dir.add("api.sql",
                                     "CREATE OR REPLACE PROCEDURE a AUTHID CURRENT_USER IS BEGIN NULL; END;\n/\n"
                                     "CREATE OR REPLACE PROCEDURE b IS BEGIN NULL; END;\n/\n");
  const CommandRun plain = xcomp("--report " + dir.path("plain") + " " + source);
  const CommandRun extended = xcomp("--report " + dir.path("extended") + " --extend authid " + source);
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(extended.status, 1) << "the engine's outcome decides the status";
  EXPECT_EQ(plain.out.find("--extend"), std::string::npos);
  EXPECT_NE(extended.out.find("with --extend, 1 more units translate (100.0 % in all)"), std::string::npos)
      << extended.out;
  const std::string plainHtml = readFile(dir.path("plain/report.html"));
  const std::string extendedHtml = readFile(dir.path("extended/report.html"));
  EXPECT_EQ(plainHtml.find("id=\"extensions\""), std::string::npos);
  EXPECT_NE(extendedHtml.find("<span id=\"extended-units\">1</span>"), std::string::npos);
  const std::string plainJson = readFile(dir.path("plain/report.json"));
  const std::string extendedJson = readFile(dir.path("extended/report.json"));
  EXPECT_EQ(plainJson.find("translatesWith"), std::string::npos);
  EXPECT_NE(extendedJson.find("\"translatesWith\": [\"authid\"]"), std::string::npos);
  EXPECT_NE(extendedJson.find("\"unitsTranslated\": 1"), std::string::npos);
}

TEST(ManualPage, ListsTheOptionsHelpListsAndNoOthers) {
  const CommandRun help = xcomp("--help");
  ASSERT_EQ(help.status, 0);
  const std::string page = readFile(std::string(XCOMP_SOURCE_DIR) + "/cli/xcomp.1");
  const std::set<std::string> fromHelp = helpOptions(help.out);
  const std::set<std::string> fromPage = manualOptions(page);
  EXPECT_GE(fromHelp.size(), 20u) << "the help's option lines were not found";
  EXPECT_EQ(fromHelp, fromPage);
  for (const std::string& option : fromHelp) {
    if (option == "--help" || option == "--version") continue;
    // Every option the help lists is one the command takes (an unknown one is a usage error).
    const CommandRun run = xcomp(option + " 1 --no-such-option");
    EXPECT_EQ(run.out.find("unknown option '" + option + "'"), std::string::npos) << option;
  }
  const std::string environment = page.substr(page.find(".SH ENVIRONMENT"));
  EXPECT_EQ(environmentNames(help.out.substr(help.out.find("Environment:"))), environmentNames(environment));
  EXPECT_EQ(environmentNames(environment).size(), 6u);
  for (const char* section : {".SH EXIT STATUS", ".SH EXAMPLES", ".SH MIGRATION REPORT"})
    EXPECT_NE(page.find(section), std::string::npos) << section;
}

}  // namespace
