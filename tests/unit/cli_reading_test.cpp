// xcomp's reading of scripts: how SQL*Plus cuts a script into units, statements and commands, the
// settings a script changes as it goes, substitution variables, and the checks on a file's bytes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "script/inputs.h"
#include "script/script_reader.h"
#include "script/sql_text.h"

namespace {

// One item as "name first-last", with the text when asked for.
struct Seen {
  std::string name;
  int first;
  int last;
  bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
  return out << "{" << s.name << " " << s.first << "-" << s.last << "}";
}

std::vector<Seen> itemsOf(const ScriptReading& reading) {
  std::vector<Seen> seen;
  for (const ScriptItem& item : reading.items) seen.push_back({item.name, item.firstLine, item.lastLine});
  return seen;
}

// What SQL*Plus would send of a statement.
std::string statement(const ScriptItem& item) { return item.text.substr(0, item.statementLength); }

ScriptReading read(const std::string& text) {
  ScriptSettings settings;
  return readScript(text, settings);
}

TEST(ScriptReader, InstallScriptIsCutIntoUnitsStatementsAndCommands) {
  const std::string script =
      "REM install the payroll objects\n"             // 1
      "rem   (lower case too)\n"                      // 2
      "SET ECHO OFF\n"                                // 3
      "PROMPT creating tables\n"                      // 4
      "-- a line comment\n"                           // 5
      "CREATE TABLE t (a NUMBER, b VARCHAR2(10));\n"  // 6
      "/* a comment\n"                                // 7
      "   over two lines */\n"                        // 8
      "CREATE OR REPLACE PROCEDURE p IS\n"            // 9
      "BEGIN\n"                                       // 10
      "  INSERT INTO t VALUES (1, 'x;');\n"           // 11
      "END;\n"                                        // 12
      "/\n"                                           // 13
      "SHOW ERRORS\n"                                 // 14
      "ALTER TRIGGER trg DISABLE;\n"                  // 15
      "GRANT EXECUTE ON p TO clerk;\n"                // 16
      "COMMIT;\n"                                     // 17
      "EXIT\n";                                       // 18
  const ScriptReading reading = read(script);
  EXPECT_EQ(itemsOf(reading), (std::vector<Seen>{{"sqlplus", 3, 3},
                                                 {"sqlplus", 4, 4},
                                                 {"sql", 6, 6},
                                                 {"procedure", 7, 12},
                                                 {"sqlplus", 14, 14},
                                                 {"sql", 15, 15},
                                                 {"sql", 16, 16},
                                                 {"sql", 17, 17},
                                                 {"sqlplus", 18, 18}}));
  ASSERT_EQ(reading.items.size(), 9u);
  // The statement loses its terminator; the unit keeps the skipped comment lines as empty lines, so
  // the compiler counts from line 7.
  EXPECT_EQ(statement(reading.items[2]), "CREATE TABLE t (a NUMBER, b VARCHAR2(10))");
  EXPECT_EQ(reading.items[3].text,
            "\n\nCREATE OR REPLACE PROCEDURE p IS\nBEGIN\n  INSERT INTO t VALUES (1, 'x;');\nEND;\n");
  EXPECT_EQ(statement(reading.items[7]), "COMMIT");
  EXPECT_TRUE(reading.diagnostics.empty());
}

TEST(ScriptReader, UnitsEndOnlyAtASlashOrPeriodLineOrTheEnd) {
  struct Case {
    const char* text;
    std::vector<Seen> items;
  };
  const Case cases[] = {
      // Blank lines, ';' at line ends and plain SQL inside a unit do not end it.
      {"BEGIN\n  NULL;\n\n  COMMIT;\nEND;\n \t/ \r\nBEGIN NULL; END;", {{"block", 1, 5}, {"block", 7, 7}}},
      {"DECLARE\n  x NUMBER;\nBEGIN NULL; END;\n.\n/\n", {{"block", 1, 3}}},
      {"<<outer>>\nBEGIN NULL; END;\n", {{"block", 1, 2}}},
      // "/x" and "//" are not terminator lines.
      {"BEGIN\n  x := 4\n/2;\n//\nEND;\n/\n", {{"block", 1, 5}}},
      {"CREATE EDITIONABLE FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;\n/\n", {{"function", 1, 1}}},
      {"create or replace noneditionable package body pk as end;\n/\ncreate package pk as end;\n/\n",
       {{"package body", 1, 1}, {"package head", 3, 3}}},
      {"CREATE OR REPLACE\n  TYPE BODY t AS END;\n/\nCREATE TYPE t AS OBJECT (a NUMBER);\n/\n",
       {{"type body", 1, 2}, {"type", 4, 4}}},
      {"CREATE TRIGGER trg BEFORE INSERT ON t BEGIN NULL; END;\n/\n", {{"trigger", 1, 1}}},
      // Alias pragmas stand before the unit they serve.
      {"PRAGMA ALIAS NUMBER := 'DECFLOAT';\nCREATE PROCEDURE p IS BEGIN NULL; END;\n/\n", {{"procedure", 1, 2}}},
      {"PRAGMA ALIAS NUMBER := 'DECFLOAT'\n/\n", {{"pragma", 1, 1}}},
      // DROP PACKAGE is compiled, but read like a statement.
      {"DROP PACKAGE BODY pk;\nDROP PACKAGE pk\n/\nDROP PROCEDURE q;\n",
       {{"drop package body", 1, 1}, {"drop package", 2, 2}, {"sql", 4, 4}}},
  };
  for (const Case& c : cases) {
    const ScriptReading reading = read(c.text);
    EXPECT_EQ(itemsOf(reading), c.items) << "script: " << c.text;
    for (const ScriptItem& item : reading.items) EXPECT_TRUE(item.diagnostics.empty()) << c.text;
  }
}

TEST(ScriptReader, StatementsEndAtALineEndingSemicolonOutsideQuotesAndComments) {
  struct Case {
    const char* text;
    std::vector<std::string> statements;
  };
  const Case cases[] = {
      {"INSERT INTO t VALUES ('a;\nb');\nCOMMIT;", {"INSERT INTO t VALUES ('a;\nb')", "COMMIT"}},
      {"UPDATE t SET a = 1 -- done;\n WHERE b = 2;", {"UPDATE t SET a = 1 -- done;\n WHERE b = 2"}},
      {"UPDATE t SET a = 1 /* ;\n */ WHERE b = 2 ; -- the end\nCOMMIT;",
       {"UPDATE t SET a = 1 /* ;\n */ WHERE b = 2", "COMMIT"}},
      {"SELECT q'[it's;]' FROM dual;\nSELECT 1 FROM dual;", {"SELECT q'[it's;]' FROM dual", "SELECT 1 FROM dual"}},
      {"SELECT 'a' || \"x;\" FROM dual;", {"SELECT 'a' || \"x;\" FROM dual"}},
      // A ';' inside a line does not end the statement; a blank line, a '/' or '.' line does.
      {"COMMIT; COMMIT;\n", {"COMMIT; COMMIT"}},
      {"INSERT INTO t\n\nVALUES (1);\n", {"INSERT INTO t", "VALUES (1)"}},
      {"CREATE TABLE t (\n  a NUMBER\n) -- plain\n/\nCOMMIT\n.\n", {"CREATE TABLE t (\n  a NUMBER\n)", "COMMIT"}},
      // SET TRANSACTION and its kin are SQL, not SQL*Plus.
      {"SET TRANSACTION READ ONLY;\nset role all;\nSET CONSTRAINTS ALL DEFERRED;",
       {"SET TRANSACTION READ ONLY", "set role all", "SET CONSTRAINTS ALL DEFERRED"}},
  };
  for (const Case& c : cases) {
    const ScriptReading reading = read(c.text);
    std::vector<std::string> statements;
    for (const ScriptItem& item : reading.items) {
      EXPECT_EQ(item.kind, ItemKind::sql) << c.text;
      statements.push_back(statement(item));
    }
    EXPECT_EQ(statements, c.statements) << "script: " << c.text;
  }
}

TEST(ScriptReader, SqlPlusCommandsAndTheirAbbreviations) {
  const std::pair<const char*, const char*> lines[] = {
      {"set echo off", "SET"},
      {"  PRO Installing", "PROMPT"},
      {"col name format a20", "COLUMN"},
      {"sho err", "SHOW"},
      {"spool install.log", "SPOOL"},
      {"DEF owner = hr", "DEFINE"},
      {"undef owner", "UNDEFINE"},
      {"WHENEVER SQLERROR EXIT 1", "WHENEVER"},
      {"exec dbms_output.put_line('x');", "EXECUTE"},
      {"conn hr/hr@db", "CONNECT"},
      {"@@tables.sql", "@@"},
      {"@ /opt/x.sql", "@"},
      {"sta x.sql", "START"},
      {"var n NUMBER", "VARIABLE"},
      {"exit;", "EXIT"},
      {"quit", "QUIT"},
      {"!ls", "HOST"},
      {"ho ls", "HOST"},
      {"cl scr", "CLEAR"},
      {"attr emp.sal format 99990", "ATTRIBUTE"},
      {"ARCHIVE LOG LIST", "ARCHIVE"},
      {"sto set settings.sql", "STORE"},
      {"COPY FROM hr@db TO hr@test CREATE emp2 USING SELECT * FROM emp", "COPY"},
      {"SET TRANSACTION READ ONLY", ""},
      {"SE x", ""},          // shorter than SET
      {"COMMIT;", ""},       // SQL
      {"EXECUTED;", ""},     // longer than the command
      {"prompting x", ""},   // longer than the command
      {"set_value(1);", ""}  // a word of its own
  };
  for (const auto& [line, command] : lines) EXPECT_EQ(sqlPlusCommand(line), command) << line;

  // A trailing '-' continues a command; the next line is its own.
  const ScriptReading reading = read("COLUMN name -\n  HEADING 'Name' -\n  FORMAT a20\nCOMMIT;\n");
  EXPECT_EQ(itemsOf(reading), (std::vector<Seen>{{"sqlplus", 1, 3}, {"sql", 4, 4}}));
}

TEST(ScriptReader, SetCommandsChangeHowTheRestIsRead) {
  ScriptSettings settings;
  const ScriptReading reading = readScript(
      "SET SQLBLANKLINES ON\n"     // 1
      "INSERT INTO t\n"            // 2
      "\n"                         // 3
      "VALUES (1);\n"              // 4
      "SET SQLBL OFF SQLT #\n"     // 5
      "COMMIT#\n"                  // 6
      "SET SQLTERMINATOR OFF\n"    // 7
      "COMMIT;\n"                  // 8
      "ROLLBACK\n"                 // 9
      "/\n"                        // 10
      "SET BLOCKTERMINATOR OFF\n"  // 11
      "BEGIN NULL; END;\n"         // 12
      ".\n"                        // 13
      "/\n",                       // 14
      settings);
  EXPECT_EQ(itemsOf(reading), (std::vector<Seen>{{"sqlplus", 1, 1},
                                                 {"sql", 2, 4},
                                                 {"sqlplus", 5, 5},
                                                 {"sql", 6, 6},
                                                 {"sqlplus", 7, 7},
                                                 {"sql", 8, 9},
                                                 {"sqlplus", 11, 11},
                                                 {"block", 12, 13}}));
  EXPECT_EQ(statement(reading.items[3]), "COMMIT");
  EXPECT_EQ(settings.sqlTerminator, 0);
  EXPECT_EQ(settings.blockTerminator, 0);
  EXPECT_TRUE(settings.blankLinesEndSql);
}

TEST(ScriptReader, SubstitutionVariables) {
  ScriptSettings settings;
  ASSERT_TRUE(defineVariable("schema=HR", settings));
  EXPECT_FALSE(defineVariable("=x", settings));
  const ScriptReading reading = readScript(
      "DEFINE suffix = '_v2'\n"
      "BEGIN\n"
      "  x := '&schema..t&suffix';  -- &&schema & more\n"
      "  y := &missing + &missing + &&other.;\n"
      "END;\n"
      "/\n"
      "UNDEFINE suffix\n"
      "SET DEFINE ^\n"
      "SELECT '&suffix', '^schema.' FROM dual;\n"
      "SET DEFINE OFF\n"
      "SELECT '^schema' FROM dual;\n",
      settings);
  ASSERT_EQ(reading.items.size(), 7u);
  const ScriptItem& block = reading.items[1];
  EXPECT_EQ(block.text, "BEGIN\n  x := 'HR.t_v2';  -- HR & more\n  y := &missing + &missing + &&other.;\nEND;\n");
  // Each missing variable is reported once, where it is first used.
  ASSERT_EQ(block.diagnostics.size(), 2u);
  EXPECT_EQ(block.diagnostics[0].message, "substitution variable '&missing' has no value");
  EXPECT_EQ(block.diagnostics[0].line, 4);
  EXPECT_EQ(block.diagnostics[0].column, 8);
  EXPECT_EQ(block.diagnostics[0].length, 8);
  EXPECT_EQ(block.diagnostics[1].message, "substitution variable '&other' has no value");
  EXPECT_TRUE(block.hasErrors());
  EXPECT_EQ(statement(reading.items[4]), "SELECT '&suffix', 'HR' FROM dual");
  EXPECT_EQ(statement(reading.items[6]), "SELECT '^schema' FROM dual");
}

TEST(ScriptReader, DefineTakesTheValuesOfVariablesItNames) {
  // A job script passes its arguments on through DEFINE; one without a value stays as written and is
  // reported where a unit uses it.
  ScriptSettings settings;
  ASSERT_TRUE(defineVariable("1=2026-12-01", settings));
  const ScriptReading reading = readScript(
      "DEFINE run_date = '&1'\n"
      "DEFINE label = &&run_date._&2\n"
      "BEGIN load_day('&run_date', '&label'); END;\n"
      "/\n",
      settings);
  ASSERT_EQ(reading.items.size(), 3u);
  EXPECT_EQ(settings.defines.at("RUN_DATE"), "2026-12-01");
  EXPECT_EQ(reading.items[2].text, "BEGIN load_day('2026-12-01', '2026-12-01_&2'); END;\n");
  EXPECT_FALSE(reading.items[1].hasErrors());
}

TEST(ScriptReader, CommentsBetweenItemsAndSlashLinesInsideUnits) {
  // A comment ending mid-line lets an item start after it; one never closed ends the reading.
  ScriptReading reading = read("/* header\n */ COMMIT;\n/* never closed\nBEGIN NULL; END;\n");
  EXPECT_EQ(itemsOf(reading), (std::vector<Seen>{{"sql", 2, 2}}));
  EXPECT_EQ(statement(reading.items[0]), " COMMIT");
  ASSERT_EQ(reading.diagnostics.size(), 1u);
  EXPECT_EQ(reading.diagnostics[0].message, "Unterminated comment");
  EXPECT_EQ(reading.diagnostics[0].line, 3);

  // A '/' line inside a comment that closes later is comment text (with a warning); inside a comment
  // that never closes, or a literal, it ends the unit as in SQL*Plus.
  reading = read(
      "BEGIN\n  /* old\n/\n  */ NULL;\nEND;\n/\n"                 // 1-6
      "BEGIN\n  x := 'it's';\nEND;\n/\nCOMMIT;\n"                 // 7-11
      "BEGIN\n  /* open\n  NULL;\nEND;\n/\nBEGIN NULL; END;\n");  // 12-17
  EXPECT_EQ(
      itemsOf(reading),
      (std::vector<Seen>{{"block", 1, 5}, {"block", 7, 9}, {"sql", 11, 11}, {"block", 12, 15}, {"block", 17, 17}}));
  const int warningLines[] = {3, 10, 16};
  const size_t withWarnings[] = {0, 1, 3};
  for (size_t k = 0; k < 3; ++k) {
    const ScriptItem& item = reading.items[withWarnings[k]];
    ASSERT_EQ(item.diagnostics.size(), 1u);
    EXPECT_EQ(item.diagnostics[0].severity, Severity::warning);
    EXPECT_EQ(item.diagnostics[0].line, warningLines[k]);
  }
  EXPECT_NE(reading.items[0].diagnostics[0].message.find("read as comment text"), std::string::npos);
  EXPECT_NE(reading.items[1].diagnostics[0].message.find("quoted string opened on line 8"), std::string::npos);
}

TEST(ScriptReader, RawReadingGivesEveryTextBetweenSlashLinesToTheCompiler) {
  const ScriptReading reading = readRequestsRaw("REM x\nBEGIN NULL; END;\n  /\t\n\n/\nCOMMIT;\r\n");
  ASSERT_EQ(reading.items.size(), 2u);
  EXPECT_EQ(reading.items[0].text, "REM x\nBEGIN NULL; END;\n");
  EXPECT_EQ(reading.items[0].name, "sql");  // named by its first word, compiled all the same
  EXPECT_EQ(reading.items[0].kind, ItemKind::unit);
  EXPECT_EQ(reading.items[1].text, "COMMIT;\r\n");
  EXPECT_EQ(reading.items[1].firstLine, 6);
}

TEST(ScriptReader, InnerCommentThatLeftTheOuterOneOpen) {
  // The first '/*' inside the comment still open at the end, read as the compiler nests them.
  EXPECT_EQ(innerCommentOpening("BEGIN /* off:\n  /* old */ x := 1;\nEND;"), std::make_pair(2, 3));
  EXPECT_EQ(innerCommentOpening("/* a /* b */ */ BEGIN /* c\n /* d */"), std::make_pair(2, 2))
      << "a closed one is over";
  EXPECT_EQ(innerCommentOpening("BEGIN x := '/*'; -- /* \n /* open"), std::make_pair(0, 0))
      << "no inner '/*': quotes and line comments hold none";
  EXPECT_EQ(innerCommentOpening("BEGIN /* a /* b */ */ END;"), std::make_pair(0, 0)) << "nothing left open";
}

TEST(Inputs, SourceExtensionsInAnyCase) {
  for (const char* name : {"a.sql", "B.PKB", "c.Pks", "d.pkg", "e.pls", "f.plb", "g.prc", "h.fnc", "i.trg", "j.tps",
                           "k.tpb", "l.typ", "m.bdy", "n.spc"})
    EXPECT_TRUE(isSourceFileName(name)) << name;
  for (const char* name : {"a.txt", "sql", "a.sql~", "a.sql.bak", ".sqlrc"})
    EXPECT_FALSE(isSourceFileName(name)) << name;
}

TEST(Inputs, EachFileIsReadIntoUtf8InItsEncoding) {
  std::string text;
  Diagnostic problem;
  Diagnostic warning;
  EXPECT_FALSE(prepareText(std::string("BEGIN\nNULL;\n\0END;", 16), "auto", &text, &problem, &warning));
  EXPECT_EQ(problem.message, "binary file (a NUL byte on line 3); not read");

  EXPECT_TRUE(
      prepareText("\xEF\xBB\xBF"
                  "BEGIN 'caf\xC3\xA9'; END;",
                  "auto", &text, &problem, &warning));
  EXPECT_EQ(text, "BEGIN 'caf\xC3\xA9'; END;") << "the byte-order mark goes";
  EXPECT_TRUE(warning.message.empty());

  // auto: the first byte that is not UTF-8 makes the whole file Windows-1252, with one warning there.
  EXPECT_TRUE(prepareText("-- caf\xC3\xA9\nBEGIN\n  x := 'caf\xE9 \x80';\nEND;", "auto", &text, &problem, &warning));
  EXPECT_EQ(text, "-- caf\xC3\x83\xC2\xA9\nBEGIN\n  x := 'caf\xC3\xA9 \xE2\x82\xAC';\nEND;");
  EXPECT_EQ(warning.line, 3);
  EXPECT_EQ(warning.source, "  x := 'caf\xC3\xA9 \xE2\x82\xAC';") << "shown as read";
  // 0x81 is neither UTF-8 nor a Windows-1252 character.
  EXPECT_FALSE(prepareText("a\nb\nc\x81\n", "auto", &text, &problem, &warning));
  EXPECT_EQ(problem.line, 3);
  EXPECT_TRUE(warning.message.empty());

  EXPECT_FALSE(prepareText("BEGIN\n  x := 'caf\xE9';\nEND;", "utf-8", &text, &problem, &warning));
  EXPECT_EQ(problem.line, 2);
  EXPECT_EQ(problem.column, 12);
  EXPECT_NE(problem.message.find("0xE9"), std::string::npos);
  EXPECT_TRUE(prepareText("\xC2\xC5\xC7\xC9\xD5", "IBM037", &text, &problem, &warning));
  EXPECT_EQ(text, "BEGIN");

  EXPECT_TRUE(isKnownEncoding("Windows-1252"));
  EXPECT_TRUE(isKnownEncoding("UTF8"));
  EXPECT_FALSE(isKnownEncoding("no-such-encoding"));
}

}  // namespace
