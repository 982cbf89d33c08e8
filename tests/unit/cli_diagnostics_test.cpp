// What xcomp tells a person: the parser's messages in the user's words, where a compile error is
// placed and marked in the file, how a diagnostic is laid out, and the END-name warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compile.h"
#include "output/diagnostics.h"
#include "report/request_report.h"
#include "script/script_reader.h"

namespace {

TEST(FriendlyNames, GrammarNamesBecomeTheUsersWords) {
  struct Case {
    const char* message;
    const char* detail;
    const char* extra;
    const char* shown;
  };
  const Case cases[] = {
      {"syntax error, unexpected T_WORD", "rem", "PRAGMA, DECLARE, BEGIN, CREATE, DROP, TERMINATOR",
       "syntax error, unexpected identifier 'rem', expecting one of PRAGMA, DECLARE, BEGIN, CREATE, DROP, '/' line"},
      {"syntax error, unexpected T_END, expecting ';'", "END", "';'", "syntax error, unexpected END, expecting ';'"},
      {"syntax error, unexpected $end, expecting T_LABEL_BEG or T_END or T_EXCEPTION", ";", "LABEL_BEG, END, EXCEPTION",
       "syntax error, unexpected end of input, expecting '<<', END or EXCEPTION"},
      {"syntax error, unexpected $undefined", "&", "PRAGMA",
       "syntax error, unexpected invalid character '&', "
       "expecting one of PRAGMA"},
      {"syntax error, unexpected T_STRING, expecting T_ASSIGN or T_COMMA", "'", nullptr,
       "syntax error, unexpected string literal, expecting ':=' or ','"},
      {"syntax error, unexpected T_NUMERICNO", "1.5", nullptr, "syntax error, unexpected number '1.5'"},
      {"syntax error, unexpected T_AUTONOMOUS_XACT", "autonomous_transaction", nullptr,
       "syntax error, unexpected AUTONOMOUS_TRANSACTION"},
      // A full list of ten may have been cut.
      {"syntax error, unexpected T_END", "end",
       "WORD, EXECUTE, AFTER, ALIAS, AUTHID, AUTONOMOUS_XACT, INDEX, BY, ORDER, PARTITION",
       "syntax error, unexpected END, expecting one of identifier, EXECUTE, AFTER, ALIAS, AUTHID, "
       "AUTONOMOUS_TRANSACTION, INDEX, BY, ORDER, PARTITION, ..."},
      {"syntax error", ";", "<END-OF-STATEMENT>",
       "syntax error: a second program begins here; end each one with a '/' line"},
      {"Missing expression", ":=", "", "Missing expression"},
      {"Unterminated comment", "x", nullptr, "Unterminated comment"},
  };
  for (const Case& c : cases) EXPECT_EQ(friendlyMessage(c.message, c.detail, c.extra), c.shown) << c.message;
  EXPECT_EQ(friendlyTokenName("<$end>", nullptr), "end of input");
  EXPECT_EQ(friendlyTokenName("T_CURSOR_ISOPEN", "c"), "cursor%ISOPEN");
  EXPECT_EQ(friendlyTokenName("T_DIGITS", "12"), "number '12'");
}

TEST(Rendering, SourceLineWithTheTokenMarked) {
  Diagnostic d;
  d.line = 12;
  d.column = 5;
  d.length = 3;
  d.message = "syntax error, unexpected END, expecting ';'";
  d.source = "\t\xC3\xA9t END;";  // a tab, then a two-byte character: each one column wide
  d.notes.push_back("a note");
  EXPECT_EQ(renderDiagnostic("a.sql", d, false),
            "a.sql:12:5: error: syntax error, unexpected END, expecting ';'\n"
            "   12 | \t\xC3\xA9t END;\n"
            "      | \t  ^~~\n"
            "      note: a note\n");
  const std::string colored = renderDiagnostic("a.sql", d, true);
  EXPECT_NE(colored.find("\033[1;31merror:\033[0m"), std::string::npos);
  EXPECT_NE(colored.find("\033[1;32m^~~\033[0m"), std::string::npos);

  Diagnostic file;
  file.severity = Severity::warning;
  file.message = "empty file: nothing to translate";
  EXPECT_EQ(renderDiagnostic("e.sql", file, false), "e.sql: warning: empty file: nothing to translate\n");

  // A long line is cut around the marker.
  Diagnostic wide;
  wide.line = 3;
  wide.column = 1001;
  wide.source = std::string(1000, '(') + "x" + std::string(1000, ')');
  wide.message = "memory exhausted";
  const std::string shown = renderDiagnostic("w.sql", wide, false);
  const size_t sourceStart = shown.find("    3 | ") + 8;
  const std::string sourceLine = shown.substr(sourceStart, shown.find('\n', sourceStart) - sourceStart);
  EXPECT_LT(sourceLine.size(), 200u);
  EXPECT_EQ(sourceLine.substr(0, 3), "...");
  const size_t markerStart = shown.find("      | ") + 8;
  EXPECT_EQ(sourceLine[shown.find('^', markerStart) - markerStart], 'x');
}

// The one unit of a script, compiled.
struct Compiled {
  ScriptItem item;
  Outcome outcome;
};

Compiled compile(const std::string& script) {
  ScriptSettings settings;
  ScriptReading reading = readScript(script, settings);
  EXPECT_FALSE(reading.items.empty());
  Compiled c{reading.items.back(), {}};
  CompileSettings session;
  session.lineMarkers = false;
  c.outcome = compileRequest(session, c.item.text);
  return c;
}

TEST(CompileErrors, PlacedInTheFileAndMarked) {
  // The blank line 3 is the request's first line: the compiler counts from there.
  Compiled c = compile("REM x\nSET ECHO ON\n\nBEGIN\n  IF x THEN NULL; END;\nEND;\n/\n");
  std::vector<Diagnostic> shown = describeCompileErrors(c.item, c.outcome);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].line, 5);
  EXPECT_EQ(shown[0].column, 22);  // the second ';', the one the parser stopped at
  EXPECT_EQ(shown[0].source, "  IF x THEN NULL; END;");
  EXPECT_EQ(fileLineOf(c.item, 3), 5);

  // The end of the input is after the last thing written, never past the request.
  c = compile("BEGIN\n  NULL;\n\n\n");
  shown = describeCompileErrors(c.item, c.outcome);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].line, 2);
  EXPECT_EQ(shown[0].column, 8);
  EXPECT_NE(shown[0].message.find("unexpected end of input"), std::string::npos);

  // An open comment is marked where the outermost one began, also when a nested one closed.
  c = compile("BEGIN\n  NULL;\n  x := 1; /* outer\n  /* inner */\nEND;\n");
  shown = describeCompileErrors(c.item, c.outcome);
  ASSERT_GE(shown.size(), 1u);
  EXPECT_EQ(shown[0].message, "Unterminated comment");
  EXPECT_EQ(shown[0].line, 3);
  EXPECT_EQ(shown[0].column, 11);
  EXPECT_EQ(shown[0].length, 2);

  // The same record twice (each end of input reports the open literal) is shown once.
  c = compile("BEGIN x := 'never closed; END;\n");
  shown = describeCompileErrors(c.item, c.outcome);
  int literalReports = 0;
  for (const Diagnostic& d : shown) literalReports += d.message == "Unterminated quoted string";
  EXPECT_EQ(c.outcome.errors.size(), 4u);
  EXPECT_EQ(literalReports, 1);
}

TEST(EndNameWarning, OnlyWhereEndNameIsReallyACall) {
  struct Case {
    const char* script;
    std::vector<std::string> names;  // the names warned about
  };
  const Case cases[] = {
      {"BEGIN\n  <<inner>>\n  BEGIN\n    NULL;\n  END inner;\nEND;\n", {"inner"}},
      {"BEGIN\n  LOOP\n    BEGIN NULL; END cleanup;\n    EXIT;\n  END LOOP;\nEND;\n", {"cleanup"}},
      // The name may stand on the next line or after a comment, in any letter case.
      {"begin\n  begin null; end\n    tidy_up;\nend;\n", {"tidy_up"}},
      {"BEGIN\n  BEGIN NULL; END /* done */ wrap_up;\nEND;\n", {"wrap_up"}},
      {"CREATE PROCEDURE p IS\nBEGIN\n  BEGIN NULL; END step_one;\nEND p;\n", {"step_one"}},
      // The END of a routine may name it; a CASE expression's END closes no block.
      {"CREATE PROCEDURE p IS\n  x NUMBER;\nBEGIN\n  x := CASE WHEN x > 1 THEN 1 ELSE 2 END;\nEND p;\n", {}},
      // A routine declared in a nested block's declarations is not itself nested.
      {"CREATE PROCEDURE p IS\nBEGIN\n  DECLARE\n    PROCEDURE q IS BEGIN NULL; END q;\n  BEGIN\n    q;\n  END;\n"
       "END p;\n",
       {}},
      {"BEGIN\n  BEGIN NULL; END;\n  done;\nEND;\n", {}},
  };
  for (const Case& c : cases) {
    const Compiled compiled = compile(c.script);
    ASSERT_TRUE(compiled.outcome.ok) << c.script;
    std::vector<std::string> names;
    for (const Diagnostic& d : endNameCallWarnings(compiled.item, compiled.outcome)) {
      EXPECT_EQ(d.severity, Severity::warning);
      names.push_back(d.source.substr(static_cast<size_t>(d.column) - 1, static_cast<size_t>(d.length)));
      EXPECT_EQ(d.message, "'" + names.back() + "' after END is compiled as a call");
    }
    EXPECT_EQ(names, c.names) << c.script;
  }
}

}  // namespace
