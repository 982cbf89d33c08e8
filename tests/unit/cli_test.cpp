// The xcomp command as a user meets it: exit codes, standard input, -o, option errors, code pages,
// directories and -j, bad files among good ones, colour.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "command_helpers.h"

namespace {

// Runs xcomp through the shell with `args`, feeding `input` on standard input; stderr joins stdout
// unless `args` redirects it.
CommandRun xcomp(const std::string& args, const std::string& input = "", const std::string& environment = "") {
  char inputPath[] = "/tmp/xcomp-cli-in-XXXXXX";
  const int fd = mkstemp(inputPath);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(write(fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
  close(fd);
  const std::string command =
      environment + " " + std::string(XCOMP_BINARY_DIR) + "/xcomp " + args + " <" + inputPath + " 2>&1";
  CommandRun run = runCommand(command);
  std::remove(inputPath);
  return run;
}

std::string tempFile(const std::string& content) {
  char path[] = "/tmp/xcomp-cli-XXXXXX";
  const int fd = mkstemp(path);
  EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  close(fd);
  return path;
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

TEST(Cli, ExitStatusTellsWhetherEveryRequestCompiled) {
  EXPECT_EQ(xcomp("", "BEGIN NULL; END;\n").status, 0);
  const CommandRun failed = xcomp("", "BEGIN NULL; END;\n/\nBEGIN IF x THEN NULL; END;\n/\nBEGIN NULL; END;\n");
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.out.find("<stdin>:3:"), std::string::npos) << failed.out;
  EXPECT_EQ(count(failed.out, "BEGIN\n"), 2u) << "the requests around the failed one are still translated";
  EXPECT_NE(
      failed.out.find("\nxcomp: 1 file, 2 units translated, 1 failed, 0 statements copied, 0 commands skipped, in "),
      std::string::npos)
      << failed.out;
  EXPECT_EQ(xcomp("/nonexistent/file.sql").status, 2);
  EXPECT_EQ(xcomp("--no-such-option").status, 2);
  EXPECT_EQ(xcomp("--codepage 4242").status, 2);
  EXPECT_EQ(xcomp("--compat 9").status, 2);
  EXPECT_EQ(xcomp("-o").status, 2);
  EXPECT_EQ(xcomp("--sql maybe").status, 2);
  EXPECT_EQ(xcomp("--define novalue").status, 2);
  EXPECT_EQ(xcomp("-j 0").status, 2);
  EXPECT_EQ(xcomp("--color sometimes").status, 2);
  // The parser's own words for a problem are not shown: the command names it as it always has.
  EXPECT_EQ(xcomp("--sql").out, "xcomp: option --sql needs a value\nTry 'xcomp --help'.\n");
  EXPECT_NE(xcomp("--no-such-option a.sql").out.find("unknown option '--no-such-option'"), std::string::npos);
  // A value after '=', -j's joined, and '--' before a file that looks like an option.
  EXPECT_EQ(xcomp("--sql=error", "COMMIT;\n").status, 1);
  EXPECT_EQ(xcomp("-j2 --sql=skip --define=a=1 -- -", "SELECT &a FROM t;\n").status, 0);
  // Plain SQL is an error only when asked; warnings never fail a run.
  EXPECT_EQ(xcomp("", "COMMIT;\n").status, 0);
  EXPECT_EQ(xcomp("--sql error", "COMMIT;\n").status, 1);
  EXPECT_EQ(xcomp("", "BEGIN\n  BEGIN NULL; END x;\nEND;\n").status, 0);
}

TEST(Cli, VersionAndOutputFile) {
  // What --help lists is checked against the manual page with the report's tests.
  const CommandRun version = xcomp("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("xcomp ", 0), 0u);

  const std::string out = tempFile("");
  const CommandRun run = xcomp("--quiet -o " + out + " -", "DROP PACKAGE pk\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  std::ifstream in(out);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_NE(written.str().find("DROP MODULE pk"), std::string::npos) << written.str();
  std::remove(out.c_str());
}

TEST(Cli, CodePageInputIsConvertedAndOutputConvertedBack) {
  // 'caf\xE9' in code page 37 (EBCDIC): the script is read from EBCDIC into UTF-8 and the statement
  // converted back to the session's code page, so the output is EBCDIC too; so is a plain statement.
  const std::string ebcdic =
      "\xC2\xC5\xC7\xC9\xD5\x40\xA7\x40\x7A\x7E\x40\x7D\x83\x81\x86\x51\x7D\x5E\x40\xC5\xD5\xC4\x5E\x25"
      "\x61\x25\xC3\xD6\xD4\xD4\xC9\xE3\x5E\x25";
  const CommandRun run = xcomp("--no-line-markers --encoding IBM037 --codepage 37", ebcdic);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("\x7D\x83\x81\x86\x51\x7D"), std::string::npos) << "the literal comes back in EBCDIC";
  EXPECT_NE(run.out.find("\xC3\xD6\xD4\xD4\xC9\xE3"), std::string::npos) << "COMMIT in EBCDIC";
  EXPECT_EQ(run.out.find("BEGIN"), std::string::npos) << "no ASCII text in the converted output";
}

TEST(Cli, JsonNamesKindsAndFileLines) {
  // Code page 1252 is compiled as it comes, so the byte 0xFF reaches the output and JSON escapes it.
  const CommandRun run = xcomp("--json --codepage 1252", "SET ECHO OFF\nBEGIN x := 'a\tb\xFF';\n\nEND;\n/\nCOMMIT;\n");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("a\\tb\\u00ff"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"request\": 1, \"kind\": \"sqlplus\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"request\": 2, \"kind\": \"block\", \"firstLine\": 2, \"lastLine\": 4"), std::string::npos);
  EXPECT_NE(run.out.find("\"kind\": \"sql\", \"firstLine\": 6, \"lastLine\": 6, \"ok\": true"), std::string::npos);
  EXPECT_NE(run.out.find("{\"domain\": null, \"text\": \"COMMIT\\n\"}"), std::string::npos);

  // An error's request line and file line side by side.
  const CommandRun failed = xcomp("--json", "REM x\nPROMPT y\n\nBEGIN\n  x := ;\nEND;\n");
  EXPECT_NE(failed.out.find("\"line\": 3, \"fileLine\": 5, \"column\": 8"), std::string::npos) << failed.out;
}

TEST(Cli, DirectoriesAreWalkedInOrderAndJobsKeepThatOrder) {
  TempDir tree("xcomp-tree");
  // Enough files that parallel jobs finish out of order; names sort differently from their creation.
  for (int i = 0; i < 24; ++i) {
    const std::string name = "pkg" + std::to_string(i % 3) + "/unit_" + std::to_string(23 - i) + ".PRC";
    tree.add(name, "CREATE PROCEDURE p" + std::to_string(i) + " IS BEGIN NULL; END;\n/\n");
  }
  tree.add("notes.txt", "not PL/SQL");
  tree.add("pkg1/readme.md", "# not PL/SQL either");
  tree.add("deep/er/still.sql", "COMMIT;\n");
  tree.add("deep/runs_still.sql", "@@er/still\n");  // an input of its own here
  // Quiet: the summary's run time is the one thing that differs.
  const CommandRun one = xcomp("-q --no-line-markers " + tree.root());
  const CommandRun four = xcomp("-q --no-line-markers -j 4 " + tree.root());
  EXPECT_EQ(one.status, 0) << one.out;
  EXPECT_EQ(four.status, 0) << four.out;
  EXPECT_EQ(one.out, four.out);
  EXPECT_EQ(count(one.out, "CREATE PROCEDURE"), 24u);
  EXPECT_EQ(count(one.out, "COMMIT"), 1u);
  EXPECT_EQ(one.out.find("PL/SQL"), std::string::npos) << "other extensions are not read";
  // deep/ sorts before pkg0/.
  EXPECT_LT(one.out.find("COMMIT"), one.out.find("CREATE PROCEDURE"));

  TempDir empty("xcomp-tree");
  empty.add("docs/readme.txt", "nothing here");
  const CommandRun none = xcomp(empty.root());
  EXPECT_EQ(none.status, 0);
  EXPECT_NE(none.out.find("warning: no PL/SQL source files in this directory"), std::string::npos) << none.out;
}

TEST(Cli, BadFilesAreReportedAndTheOthersStillRead) {
  TempDir tree("xcomp-tree");
  tree.add("a_binary.sql", std::string("BEGIN\n\0\x01\x02", 9));
  tree.add("b_latin1.sql", "BEGIN\n  x := 'caf\xE9';\nEND;\n");
  tree.add("c_empty.sql", "");
  tree.add("d_comments.sql", "-- nothing but\n/* comments */\nREM and remarks\n");
  tree.add("e_open_unit.sql", "CREATE PROCEDURE p IS\nBEGIN\n  NULL;\n");
  tree.add("f_good.sql", "BEGIN NULL; END;\n");
  const std::string unreadable = tree.add("g_unreadable.sql", "BEGIN NULL; END;\n");
  chmod(unreadable.c_str(), 0);
  const CommandRun run = xcomp("--no-line-markers -j 3 " + tree.root());
  EXPECT_EQ(run.status, getuid() == 0 ? 1 : 2) << run.out;
  EXPECT_NE(run.out.find("a_binary.sql: error: binary file (a NUL byte on line 2); not read"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("b_latin1.sql:2: warning: the file's first line that is not UTF-8"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("SET x = 'caf\xC3\xA9'"), std::string::npos) << "read as Windows-1252";
  EXPECT_NE(run.out.find("c_empty.sql: warning: empty file"), std::string::npos);
  EXPECT_NE(run.out.find("d_comments.sql: warning: nothing to translate"), std::string::npos);
  EXPECT_NE(run.out.find("e_open_unit.sql:3:8: error: syntax error, unexpected end of input"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("BEGIN\n  -- NULL;\nEND"), std::string::npos) << "the good file is translated";
  if (getuid() != 0) {
    EXPECT_NE(run.out.find("g_unreadable.sql: error: cannot read this file"), std::string::npos);
  }
  // --json accounts for every file refused whole, in input order, with no results (read as UTF-8 only,
  // the Windows-1252 file is refused too).
  const CommandRun json = xcomp("--json --encoding utf-8 -j 3 " + tree.root());
  const std::string refused = "\"kind\": \"file\", \"firstLine\": null, \"lastLine\": null, \"ok\": false";
  const size_t binary = json.out.find("a_binary.sql\", \"request\": null, " + refused);
  const size_t latin = json.out.find("b_latin1.sql\", \"request\": null, " + refused);
  EXPECT_NE(binary, std::string::npos) << json.out;
  EXPECT_LT(binary, latin) << json.out;
  EXPECT_EQ(count(json.out, "\"domain\": \"script\""), getuid() == 0 ? 2u : 3u) << json.out;
  EXPECT_EQ(count(json.out, "\"ok\": false"), count(json.out, "{\"file\"") - count(json.out, "\"results\""))
      << json.out;
}

// --out-dir mirrors the tree below the named directory; errors and --json records stay on the
// command's own streams, and a refused file leaves no file behind.
TEST(Cli, OutDirWritesATranslatedTree) {
  TempDir tree("xcomp-outdir");
  tree.add("src/billing/due.fnc", "CREATE FUNCTION due RETURN DATE IS\nBEGIN\n  RETURN SYSDATE;\nEND;\n/\n");
  tree.add("src/install.sql", "SET ECHO OFF\nCREATE TABLE t (id NUMBER);\nBEGIN x := ; END;\n/\n");
  tree.add("src/logo.sql", std::string("\x89PNG\0\0", 6));
  const CommandRun run = xcomp("--no-line-markers -j 2 --out-dir " + tree.path("out") + " " + tree.path("src"));
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_EQ(run.out.find("CREATE TABLE"), std::string::npos) << "statements go to the files only";
  EXPECT_NE(run.out.find("install.sql:3:12: error: Missing expression"), std::string::npos) << run.out;
  const std::string function = readFile(tree.path("out/billing/due.fnc"));
  EXPECT_NE(function.find("RETURN SYSDATE;\n  END\n@\n"), std::string::npos) << function;
  EXPECT_EQ(readFile(tree.path("out/install.sql")), "CREATE TABLE t (id NUMBER)\n@\n")
      << "the failed unit writes nothing";
  EXPECT_FALSE(std::filesystem::exists(tree.path("out/logo.sql")));

  const CommandRun json = xcomp("--json --out-dir " + tree.path("again") + " " + tree.path("src/install.sql"));
  EXPECT_EQ(count(json.out, "{\"file\""), 3u) << json.out;
  EXPECT_TRUE(std::filesystem::exists(tree.path("again/install.sql")));

  const CommandRun blocked = xcomp("--out-dir " + tree.path("src/install.sql/out") + " " + tree.path("src"));
  EXPECT_EQ(blocked.status, 2);
  EXPECT_EQ(blocked.out, "xcomp: cannot write to '" + tree.path("src/install.sql/out") + "': Not a directory\n");
}

TEST(Cli, ColourOnlyWhenWantedAndNeverInAPipeByDefault) {
  const std::string bad = "BEGIN x := ; END;\n";
  EXPECT_EQ(xcomp("", bad).out.find('\033'), std::string::npos);
  EXPECT_NE(xcomp("--color always", bad).out.find("\033[1;31merror:"), std::string::npos);
  EXPECT_EQ(xcomp("--color never", bad).out.find('\033'), std::string::npos);
  EXPECT_EQ(xcomp("--color auto", bad, "NO_COLOR=1").out.find('\033'), std::string::npos);
}

}  // namespace

namespace {

TEST(Cli, ExtensionsAreChosenByNameAndReportedOnlyWhenAsked) {
  const CommandRun unknown = xcomp("--extend q-quotes,nesting -");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.out.find("unknown extension 'nesting' for --extend"), std::string::npos) << unknown.out;
  EXPECT_EQ(xcomp("--extend '' -").status, 2);

  const std::string unit = "BEGIN\n  msg := q'[it's]';\nEND;\n/\n";
  const CommandRun plain = xcomp("--json -", unit);
  EXPECT_EQ(plain.out.find("\"notes\""), std::string::npos) << plain.out;
  for (const char* choice : {"--extend q-quotes", "--extend all", "--extend q-quotes --extend all"}) {
    const CommandRun extended = xcomp(std::string(choice) + " --json -", unit);
    EXPECT_EQ(extended.status, 0) << choice;
    EXPECT_NE(extended.out.find("SET msg = 'it''s'"), std::string::npos) << extended.out;
    EXPECT_NE(extended.out.find("\"notes\": [{\"message\": \"q-quoted literal read as one string literal "
                                "[--extend q-quotes]\", \"fileLine\": 2, \"column\": 10}]"),
              std::string::npos)
        << extended.out;
  }
}

}  // namespace
