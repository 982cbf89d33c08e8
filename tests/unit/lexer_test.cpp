// Scanner: the token each rule family produces (code, text, line) for tables of small inputs, the values
// the parser relies on (token nodes, attribute pieces), the lexical error records, and hostile input
// (stray bytes, huge tokens, unterminated everything, exhausted memory) that must end cleanly.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/host.h"
#include "lexer/lexer.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

struct Tok {
  std::string name;
  std::string text;
  int line;  // 1-based
  bool operator==(const Tok&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Tok& t) {
  return out << "{" << t.name << " '" << t.text << "' " << t.line << "}";
}

struct Err {
  std::string message;
  int line;
  std::string detail;
  std::string nearText;
  bool operator==(const Err&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Err& e) {
  return out << "{" << e.message << " @" << e.line << " detail '" << e.detail << "' near '" << e.nearText << "'}";
}

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery_); }
  void TearDown() override {
    hostFailNthBlock(0);
    contextRelease();
  }

  ParseContext context(const char* text) {
    ParseContext ctx{};
    ctx.text = text;
    ctx.errors = &errors_;
    ctx.settings = &settings_;
    return ctx;
  }

  // The whole token sequence of `text`, through the token listing (LINE, code name, text per line).
  std::vector<Tok> scan(const std::string& text) {
    ParseContext ctx = context(text.c_str());
    const std::string listing = formatTokenListing(&ctx);
    std::vector<Tok> tokens;
    size_t pos = 0;
    while (pos < listing.size()) {
      const size_t end = listing.find('\n', pos);
      const std::string line = listing.substr(pos, end - pos);
      const size_t tab1 = line.find('\t');
      const size_t tab2 = line.find('\t', tab1 + 1);
      tokens.push_back(
          {line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1), std::stoi(line.substr(0, tab1))});
      pos = end + 1;
    }
    return tokens;
  }

  std::vector<Err> errorList() const {
    std::vector<Err> out;
    for (const CompileError* e = errors_; e != nullptr; e = e->next)
      out.push_back({e->message, e->line, e->detail ? e->detail : "<null>", e->nearText ? e->nearText : "<null>"});
    return out;
  }

  RecoveryPoint recovery_;
  CompileError* errors_ = nullptr;
  SessionSettings settings_ = defaultSessionSettings();
};

struct Case {
  const char* input;
  std::vector<Tok> expected;
};

class ScanTable : public ScannerTest {
 protected:
  void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(scan(c.input), c.expected) << "input: " << c.input;
    EXPECT_EQ(errors_, nullptr) << "unexpected error: " << errors_->message;
  }
};

TEST_F(ScanTable, KeywordsMatchInAnyCaseButNotAsPartOfWords) {
  check({
      {"begin BEGIN BeGiN", {{"T_BEGIN", "begin", 1}, {"T_BEGIN", "BEGIN", 1}, {"T_BEGIN", "BeGiN", 1}}},
      {"beginx begin1 begin$ _begin",
       {{"T_WORD", "beginx", 1}, {"T_WORD", "begin1", 1}, {"T_WORD", "begin$", 1}, {"T_WORD", "_begin", 1}}},
      {"autonomous_transaction Exception_Init nuv_exception_init current_user parallel_enable",
       {{"T_AUTONOMOUS_XACT", "autonomous_transaction", 1},
        {"T_EXCEPTION_INIT", "Exception_Init", 1},
        {"T_NUV_EXCEPTION_INIT", "nuv_exception_init", 1},
        {"T_CURRENT_USER", "current_user", 1},
        {"T_PARALLEL_ENABLE", "parallel_enable", 1}}},
      {"in index indices insert inserting into",
       {{"T_IN", "in", 1},
        {"T_INDEX", "index", 1},
        {"T_INDICES", "indices", 1},
        {"T_INSERT", "insert", 1},
        {"T_INSERTING", "inserting", 1},
        {"T_INTO", "into", 1}}},
      // Multi-word keywords take any gap between their words and end where the last word ends.
      {"REF CURSOR ref\n\t cursorx refcursor",
       {{"T_REFCURSOR", "REF CURSOR", 1},
        {"T_REFCURSOR", "ref\\n\\t cursor", 1},
        {"T_WORD", "x", 2},
        {"T_REFCURSOR", "refcursor", 2}}},
      {"reads  sql\ndata varying array varray",
       {{"T_READS_SQL_DATA", "reads  sql\\ndata", 1}, {"T_VARRAY", "varying array", 2}, {"T_VARRAY", "varray", 2}}},
      {"refcursorx ref", {{"T_WORD", "refcursorx", 1}, {"T_WORD", "ref", 1}}},
      {"sqlerrm (1) SQLERRM(sqlcode) sqlerrm;",
       {{"T_SQLERRMFUNC", "sqlerrm", 1},
        {"'('", "(", 1},
        {"T_DIGITS", "1", 1},
        {"')'", ")", 1},
        {"T_SQLERRMFUNC", "SQLERRM", 1},
        {"'('", "(", 1},
        {"T_SQLCODE", "sqlcode", 1},
        {"')'", ")", 1},
        {"T_SQLERRM", "sqlerrm", 1},
        {"';'", ";", 1}}},
      {"v t.c%type; r tab%RowType",
       {{"T_WORD", "v", 1},
        {"T_WORD", "t.c", 1},
        {"T_PERCENT_TYPE", "%type", 1},
        {"';'", ";", 1},
        {"T_WORD", "r", 1},
        {"T_WORD", "tab", 1},
        {"T_PERCENT_ROWTYPE", "%RowType", 1}}},
  });
}

TEST_F(ScanTable, OperatorsAndPunctuation) {
  check({
      {", .. :: := << >> = <> < > <= >= != + - || **",
       {{"T_COMMA", ",", 1},
        {"T_DOTDOT", "..", 1},
        {"T_DCOLON", "::", 1},
        {"T_ASSIGN", ":=", 1},
        {"T_LABEL_BEG", "<<", 1},
        {"T_LABEL_END", ">>", 1},
        {"T_COMPARISON", "=", 1},
        {"T_COMPARISON", "<>", 1},
        {"T_COMPARISON", "<", 1},
        {"T_COMPARISON", ">", 1},
        {"T_COMPARISON", "<=", 1},
        {"T_COMPARISON", ">=", 1},
        {"T_COMPARISON", "!=", 1},
        {"T_PLUS", "+", 1},
        {"T_MINUS", "-", 1},
        {"T_CONCAT", "||", 1},
        {"T_EXPO", "**", 1}}},
      {"%()*./:;[]^",
       {{"'%'", "%", 1},
        {"'('", "(", 1},
        {"')'", ")", 1},
        {"'*'", "*", 1},
        {"'.'", ".", 1},
        {"'/'", "/", 1},
        {"':'", ":", 1},
        {"';'", ";", 1},
        {"'['", "[", 1},
        {"']'", "]", 1},
        {"'^'", "^", 1}}},
      // Characters the grammar does not know still arrive, as their own codes.
      {"~ & \v $ @builddate@",
       {{"'~'", "~", 1},
        {"'&'", "&", 1},
        {"'\\x0b'", "\v", 1},
        {"'$'", "$", 1},
        {"'@'", "@", 1},
        {"T_WORD", "builddate@", 1}}},
  });
}

TEST_F(ScanTable, Numbers) {
  check({
      {"1..10", {{"T_NUMERICNO", "1", 1}, {"T_DOTDOT", "..", 1}, {"T_DIGITS", "10", 1}}},
      {"1...5", {{"T_NUMERICNO", "1.", 1}, {"T_DOTDOT", "..", 1}, {"T_DIGITS", "5", 1}}},
      {"1.5 .5 1. 007",
       {{"T_NUMERICNO", "1.5", 1}, {"T_NUMERICNO", ".5", 1}, {"T_NUMERICNO", "1.", 1}, {"T_DIGITS", "007", 1}}},
      {"1e5 2.5E-3 .5e+2 3.e7",
       {{"T_NUMERICNO", "1e5", 1},
        {"T_NUMERICNO", "2.5E-3", 1},
        {"T_NUMERICNO", ".5e+2", 1},
        {"T_NUMERICNO", "3.e7", 1}}},
      {"x'0A' X'ff09'", {{"T_HEXLIT", "x'0A'", 1}, {"T_HEXLIT", "X'ff09'", 1}}},
      {"x'' X'0G'", {{"T_WORD", "x", 1}, {"T_STRING", "''", 1}, {"T_WORD", "X", 1}, {"T_STRING", "'0G'", 1}}},
      {"-1+2", {{"T_MINUS", "-", 1}, {"T_DIGITS", "1", 1}, {"T_PLUS", "+", 1}, {"T_DIGITS", "2", 1}}},
  });
}

TEST_F(ScanTable, NamesQualifiedNamesAndParameters) {
  check({
      {"a.b.c.d.e", {{"T_WORD", "a.b.c.d", 1}, {"'.'", ".", 1}, {"T_WORD", "e", 1}}},
      {"a . b\t.c", {{"T_WORD", "a . b\\t.c", 1}}},
      {"s.\"My Tab\" .x", {{"T_WORD", "s.\"My Tab\" .x", 1}}},
      {"a\n.\nb c", {{"T_WORD", "a\\n.\\nb", 1}, {"T_WORD", "c", 3}}},
      {"t.* a..b",
       {{"T_WORD", "t", 1},
        {"'.'", ".", 1},
        {"'*'", "*", 1},
        {"T_WORD", "a", 1},
        {"T_DOTDOT", "..", 1},
        {"T_WORD", "b", 1}}},
      {"\"My \"\"Col\"\"\" \"\" \"a\nb\" z",
       {{"T_WORD", "\"My \"\"Col\"\"\"", 1}, {"T_WORD", "\"\"", 1}, {"T_WORD", "\"a\\nb\"", 1}, {"T_WORD", "z", 2}}},
      {"ab#c$d@e \xc3\xa9t\xc3\xa9 \x80\xff",
       {{"T_WORD", "ab#c$d@e", 1}, {"T_WORD", "\xc3\xa9t\xc3\xa9", 1}, {"T_WORD", "\x80\xff", 1}}},
      {"$1 $1.x $1 . x . y $$plsql_line",
       {{"T_WORD", "$1", 1}, {"T_DTYPE", "$1.x", 1}, {"T_DTYPE", "$1 . x . y", 1}, {"T_WORD", "$$plsql_line", 1}}},
      {"f(p => 1, \"Q\"\n=> 2)",
       {{"T_WORD", "f", 1},
        {"'('", "(", 1},
        {"T_ARGNAME", "p =>", 1},
        {"T_DIGITS", "1", 1},
        {"T_COMMA", ",", 1},
        {"T_ARGNAME", "\"Q\"\\n=>", 1},
        {"T_DIGITS", "2", 2},
        {"')'", ")", 2}}},
      {":new.col :1 :x ? :old . c x:=1",
       {{"T_TRIG_VAR", ":new.col", 1},
        {"T_TRIG_VAR", ":1", 1},
        {"T_TRIG_VAR", ":x", 1},
        {"T_TRIG_VAR", "?", 1},
        {"T_TRIG_VAR", ":old . c", 1},
        {"T_WORD", "x", 1},
        {"T_ASSIGN", ":=", 1},
        {"T_DIGITS", "1", 1}}},
      {"begin.x end =>", {{"T_WORD", "begin.x", 1}, {"T_ARGNAME", "end =>", 1}}},
  });
}

// What a name begins is decided by reading on after it: the longest form wins, across gaps and newlines.
TEST_F(ScanTable, ANameTakesTheLongestFormTheTextAfterItAllows) {
  check({
      {"a.b.c.d.e%found", {{"T_WORD", "a.b.c.d", 1}, {"'.'", ".", 1}, {"T_CURSOR_FOUND", "e", 1}}},
      {"if % rowcount", {{"T_CURSOR_ROWCOUNT", "if ", 1}}},
      {"x'0A'y X'ff' x'0g'",
       {{"T_HEXLIT", "x'0A'", 1},
        {"T_WORD", "y", 1},
        {"T_HEXLIT", "X'ff'", 1},
        {"T_WORD", "x", 1},
        {"T_STRING", "'0g'", 1}}},
      {"sqlerrm\n (1) sqlerrm.x",
       {{"T_SQLERRMFUNC", "sqlerrm", 1},
        {"'('", "(", 2},
        {"T_DIGITS", "1", 2},
        {"')'", ")", 2},
        {"T_WORD", "sqlerrm.x", 2}}},
      {"reads sql\n data REF CURSORx varying  arrays",
       {{"T_READS_SQL_DATA", "reads sql\\n data", 1},
        {"T_REFCURSOR", "REF CURSOR", 2},
        {"T_WORD", "x", 2},
        {"T_VARRAY", "varying  array", 2},
        {"T_WORD", "s", 2}}},
      {"reads sqlx data ref . cursor",
       {{"T_WORD", "reads", 1}, {"T_WORD", "sqlx", 1}, {"T_WORD", "data", 1}, {"T_WORD", "ref . cursor", 1}}},
      // The indentation of a line goes with its newline, but not before a slash.
      {"a\n    b\n  / c", {{"T_WORD", "a", 1}, {"T_WORD", "b", 2}, {"'/'", "/", 3}, {"T_WORD", "c", 3}}},
  });
}

TEST_F(ScanTable, CursorAndSqlAttributes) {
  check({
      {"c % found", {{"T_CURSOR_FOUND", "c ", 1}}},
      {"c%NOTFOUND c%rowcount c%IsOpen",
       {{"T_CURSOR_NOTFOUND", "c", 1}, {"T_CURSOR_ROWCOUNT", "c", 1}, {"T_CURSOR_ISOPEN", "c", 1}}},
      {"pkg.cur%found \"a%b\"%notfound", {{"T_CURSOR_FOUND", "pkg.cur", 1}, {"T_CURSOR_NOTFOUND", "\"a%b\"", 1}}},
      {"SQL%FOUND sql % NotFound SQL%rowcount",
       {{"T_SQL_FOUND", "SQL%FOUND", 1},
        {"T_SQL_NOTFOUND", "sql % NotFound", 1},
        {"T_SQL_ROWCOUNT", "SQL%rowcount", 1}}},
      {"SQL%ISOPEN", {{"T_CURSOR_ISOPEN", "SQL", 1}}},
      {"c\n%\nfound x", {{"T_CURSOR_FOUND", "c\\n", 1}, {"T_WORD", "x", 3}}},
  });
}

TEST_F(ScanTable, StringLiterals) {
  check({
      {"'it''s' 'a'", {{"T_STRING", "'it''s'", 1}, {"T_STRING", "'a'", 1}}},
      {"'' ''''", {{"T_STRING", "''", 1}, {"T_STRING", "''''", 1}}},
      {"'one\ntwo\n' x", {{"T_STRING", "'one\\ntwo\\n'", 1}, {"T_WORD", "x", 3}}},
      {"'/* not a comment */' '-- nor this'",
       {{"T_STRING", "'/* not a comment */'", 1}, {"T_STRING", "'-- nor this'", 1}}},
  });
}

TEST_F(ScanTable, QQuotedLiteralsAreOneStringOnlyWithTheirExtension) {
  check({{"q'[it]'", {{"T_WORD", "q", 1}, {"T_STRING", "'[it]'", 1}}}});
  settings_.extensions = extendQQuotes;
  check({
      {"q'[it's]' Q'{a}b}'", {{"T_STRING", "'it''s'", 1}, {"T_STRING", "'a}b'", 1}}},
      {"nq'<x>' Nq'(y)'", {{"T_STRING", "N'x'", 1}, {"T_STRING", "N'y'", 1}}},
      // Any other delimiter closes itself; brackets only close their own partner.
      {"q'!a'b!' q'[)]'", {{"T_STRING", "'a''b'", 1}, {"T_STRING", "')'", 1}}},
      {"q'|\n'|'\nz", {{"T_STRING", "'\\n'''", 1}, {"T_WORD", "z", 3}}},
      // Not alternative quoting: a name ending in q, a blank after the quote, q as a plain name.
      {"seq'a'", {{"T_WORD", "seq", 1}, {"T_STRING", "'a'", 1}}},
      {"q' a'", {{"T_WORD", "q", 1}, {"T_STRING", "' a'", 1}}},
      {"q := 1", {{"T_WORD", "q", 1}, {"T_ASSIGN", ":=", 1}, {"T_DIGITS", "1", 1}}},
  });
  // Never closed: read as without the extension, so the usual unterminated-string error names it.
  scan("x := q'[abc;");
  ASSERT_NE(errors_, nullptr);
  EXPECT_STREQ(errors_->message, "Unterminated quoted string");
}

TEST_F(ScanTable, CommentsAreDroppedWhenNotBeforeASemicolon) {
  check({
      {"a -- c ; d\nb", {{"T_WORD", "a", 1}, {"T_WORD", "b", 2}}},
      {"a /* x\n y */ b", {{"T_WORD", "a", 1}, {"T_WORD", "b", 2}}},
      {"/* a /* b\n */ c */ x", {{"T_WORD", "x", 2}}},
      {"x /* c */ ;", {{"T_WORD", "x", 1}, {"';'", ";", 1}}},
      {"a/**/b /*'*/ c", {{"T_WORD", "a", 1}, {"T_WORD", "b", 1}, {"T_WORD", "c", 1}}},
  });
}

TEST_F(ScanTable, TerminatorLines) {
  check({
      {"a\n/\nb", {{"T_WORD", "a", 1}, {"T_TERMINATOR", "/", 2}, {"T_WORD", "b", 3}}},
      {"a\n \t/ \t\nb", {{"T_WORD", "a", 1}, {"T_TERMINATOR", " \\t/ \\t", 2}, {"T_WORD", "b", 3}}},
      {"/", {{"T_TERMINATOR", "/", 1}}},
      {"end;\n/", {{"T_END", "end", 1}, {"';'", ";", 1}, {"T_TERMINATOR", "/", 2}}},
      {"a / b", {{"T_WORD", "a", 1}, {"'/'", "/", 1}, {"T_WORD", "b", 1}}},
      {"x /\n/ y", {{"T_WORD", "x", 1}, {"'/'", "/", 1}, {"'/'", "/", 2}, {"T_WORD", "y", 2}}},
      {"/*c*/\n/\r\n", {{"'/'", "/", 2}}},
  });
}

TEST_F(ScanTable, LinesCountEveryNewlineOnceIncludingThoseInsideTokens) {
  check({
      {"\n\na\r\nb", {{"T_WORD", "a", 3}, {"T_WORD", "b", 4}}},
      {"'x\n\ny' /* 1\n2 */ \"q\nq\" ref\ncursor p\n=> c\n%\nisopen SQL\n%found z",
       {{"T_STRING", "'x\\n\\ny'", 1},
        {"T_WORD", "\"q\\nq\"", 4},
        {"T_REFCURSOR", "ref\\ncursor", 5},
        {"T_ARGNAME", "p\\n=>", 6},
        {"T_CURSOR_ISOPEN", "c\\n", 7},
        {"T_SQL_FOUND", "SQL\\n%found", 9},
        {"T_WORD", "z", 10}}},
      {"$1\n.\nx :a\n.b y", {{"T_DTYPE", "$1\\n.\\nx", 1}, {"T_TRIG_VAR", ":a\\n.b", 3}, {"T_WORD", "y", 4}}},
  });
}

TEST_F(ScannerTest, EveryTokenCodeHasOneNameAndOthersAreMarked) {
  // The grammar numbers its named tokens consecutively; each gets its own name.
  std::set<std::string> names;
  for (int code = T_no_lookahead; code <= T_UPDATING_COLUMN; ++code) {
    const std::string name = tokenCodeName(code);
    EXPECT_EQ(name.rfind("T_", 0), 0u) << code;
    EXPECT_TRUE(names.insert(name).second) << name;
  }
  EXPECT_STREQ(tokenCodeName(T_WORD), "T_WORD");
  EXPECT_STREQ(tokenCodeName(';'), "';'");
  EXPECT_STREQ(tokenCodeName(0), "end of input");
  EXPECT_STREQ(tokenCodeName(0xe9), "'\\xe9'");
  EXPECT_STREQ(tokenCodeName(T_UPDATING_COLUMN + 1), "<unknown>");
}

// ---- values the parser keeps ----

class ScannerValues : public ScannerTest {
 protected:
  void open(const char* text) {
    ctx_ = context(text);
    scannerCreate(&ctx_);
  }
  void TearDown() override {
    scannerDestroy(&ctx_);
    ScannerTest::TearDown();
  }
  int next() { return fetchToken(&value_, &ctx_); }
  std::vector<std::string> nodeTexts() {
    std::vector<std::string> texts;
    for (AstListCell* c = listHeadCell(value_.list); c != nullptr; c = c->next)
      texts.push_back(static_cast<const TokenNode*>(c->item)->text);
    return texts;
  }

  ParseContext ctx_{};
  TokenValue value_{};
};

TEST_F(ScannerValues, SqlAttributesAreSplitAtThePercentSignKeepingGaps) {
  open("SQL % FOUND sql%rowcount");
  ASSERT_EQ(next(), T_SQL_FOUND);
  EXPECT_EQ(nodeTexts(), (std::vector<std::string>{"SQL ", " FOUND"}));
  EXPECT_EQ(static_cast<const TokenNode*>(listFirst(value_.list))->code, static_cast<uint32_t>(T_STRING));
  ASSERT_EQ(next(), T_SQL_ROWCOUNT);
  EXPECT_EQ(nodeTexts(), (std::vector<std::string>{"sql", "rowcount"}));
}

TEST_F(ScannerValues, AttributePiecesSurviveLongLiteralsAndLongGaps) {
  // A literal longer than the accumulator's first block before the attribute, and a gap longer than
  // it inside the attribute: each piece is exactly its own text, with nothing left over from the
  // literal, and the literal is unchanged.
  const std::string literal = "'" + std::string(100, 'q') + "'";
  const std::string gap(100, ' ');
  const std::string text = literal + " SQL %" + gap + "NotFound " + literal + " sql%found";
  open(text.c_str());
  ASSERT_EQ(next(), T_STRING);
  const char* first = value_.text;
  ASSERT_EQ(next(), T_SQL_NOTFOUND);
  EXPECT_EQ(nodeTexts(), (std::vector<std::string>{"SQL ", gap + "NotFound"}));
  ASSERT_EQ(next(), T_STRING);
  EXPECT_EQ(value_.text, literal);
  ASSERT_EQ(next(), T_SQL_FOUND);
  EXPECT_EQ(nodeTexts(), (std::vector<std::string>{"sql", "found"}));
  for (AstListCell* c = listHeadCell(value_.list); c != nullptr; c = c->next)
    EXPECT_EQ(static_cast<const TokenNode*>(c->item)->line, 0);
  EXPECT_EQ(first, literal);
}

TEST_F(ScannerValues, CommentBeforeSemicolonIsATokenOnlyWhileTheParserAsksForIt) {
  open("/* a /* b */\n c */ ; /* d */ ;");
  setCommentBeforeSemicolon(&ctx_, true);
  ASSERT_EQ(next(), T_COMMENT_SEMI);
  EXPECT_STREQ(value_.text, "/* a /* b */\n c */");
  EXPECT_EQ(value_.line, 1);
  EXPECT_EQ(next(), ';');
  setCommentBeforeSemicolon(&ctx_, false);
  EXPECT_EQ(next(), ';');
  EXPECT_EQ(next(), 0);
}

// ---- error records ----

TEST_F(ScannerTest, LexicalErrorsAreRecordedAndScanningGoesOn) {
  struct ErrorCase {
    const char* input;
    std::vector<Tok> tokens;
    std::vector<Err> errors;
  };
  const std::vector<ErrorCase> cases = {
      {"x := 1;\n  y := 12abc;\nz",
       {{"T_WORD", "x", 1},
        {"T_ASSIGN", ":=", 1},
        {"T_DIGITS", "1", 1},
        {"';'", ";", 1},
        {"T_WORD", "y", 2},
        {"T_ASSIGN", ":=", 2},
        {"T_WORD", "bc", 2},
        {"';'", ";", 2},
        {"T_WORD", "z", 3}},
       {{"Invalid token", 2, "12a", "  y := 12abc;"}}},
      {"a 1e+ 2.5e- 1e5x .5_\r\nb",
       {{"T_WORD", "a", 1}, {"T_WORD", "b", 2}},
       {{"Invalid token", 1, "1e+", "a 1e+ 2.5e- 1e5x .5_"},
        {"Invalid token", 1, "2.5e-", "a 1e+ 2.5e- 1e5x .5_"},
        {"Invalid token", 1, "1e5x", "a 1e+ 2.5e- 1e5x .5_"},
        {"Invalid token", 1, ".5_", "a 1e+ 2.5e- 1e5x .5_"}}},
      {"a \"abc\nb",
       {{"T_WORD", "a", 1}, {"T_WORD", "abc", 1}, {"T_WORD", "b", 2}},
       {{"Unterminated quoted identifier", 1, "\"", "a \"abc"}}},
      // A doubled quote that no later quote follows closes the name with its first quote.
      {"\"a\"\" z",
       {{"T_WORD", "\"a\"", 1}, {"T_WORD", "z", 1}},
       {{"Unterminated quoted identifier", 1, "\"", "\"a\"\" z"}}},
      // A nested comment closing does not close the one around it: still reported where it opened.
      {"x\n/* open\n /* nested */\n", {{"T_WORD", "x", 1}}, {{"Unterminated comment", 2, "x", ""}}},
      {"/* a /* b */ c */ x /* d\n/* e */", {{"T_WORD", "x", 1}}, {{"Unterminated comment", 1, "x", ""}}},
      // At end of input the detail is the last token read, not the empty end-of-input text; the source
      // line of an open comment is the empty one after the text, an open string keeps its own line.
      {"x\n/* never\nclosed", {{"T_WORD", "x", 1}}, {{"Unterminated comment", 2, "x", ""}}},
      {"x := 'no\nend;",
       {{"T_WORD", "x", 1}, {"T_ASSIGN", ":=", 1}},
       {{"Unterminated quoted string", 1, ":=", "x := 'no"}}},
      {"a 'b' 9z /* c",
       {{"T_WORD", "a", 1}, {"T_STRING", "'b'", 1}},
       {{"Invalid token", 1, "9z", "a 'b' 9z /* c"}, {"Unterminated comment", 1, "'", ""}}},
      {"/* nothing before", {}, {{"Unterminated comment", 1, "", ""}}},
  };
  for (const ErrorCase& c : cases) {
    errors_ = nullptr;
    EXPECT_EQ(scan(c.input), c.tokens) << "input: " << c.input;
    EXPECT_EQ(errorList(), c.errors) << "input: " << c.input;
    for (const CompileError* e = errors_; e != nullptr; e = e->next) {
      EXPECT_EQ(e->domain, lexical);
      EXPECT_EQ(e->extra, nullptr);
    }
  }
}

TEST_F(ScannerTest, LexicalErrorsKnowTheirColumnRecordsAtTheEndDoNot) {
  scan("a\n\t1x \"b 2y\n'c\nd");
  std::vector<int> columns;
  for (const CompileError* e = errors_; e != nullptr; e = e->next) columns.push_back(e->column);
  // The tab counts as one column; the open string is reported at the end, away from its line.
  EXPECT_EQ(columns, (std::vector<int>{2, 5, 8, 0}));
}

// ---- hostile input ----

TEST_F(ScannerTest, TextEndsAtItsFirstNul) {
  const char text[] = "a\0b";
  EXPECT_EQ(scan(std::string(text, sizeof text - 1).c_str()), (std::vector<Tok>{{"T_WORD", "a", 1}}));
}

TEST_F(ScannerTest, EveryByteScansWithoutCrashOrHang) {
  // All 255 non-NUL bytes, in a few orders, and each one alone: the scanner must return to the end.
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  std::string reversed(all.rbegin(), all.rend());
  for (const std::string& text : {all, reversed, all + all + "'", "\"" + reversed + "/*"}) {
    errors_ = nullptr;
    EXPECT_FALSE(scan(text).empty());
  }
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    scan(one);
  }
  // A pseudo-random byte soup, deterministic.
  uint32_t seed = 12345;
  std::string soup;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245 + 12345;
    soup += static_cast<char>(1 + (seed >> 16) % 255);
  }
  errors_ = nullptr;
  EXPECT_FALSE(scan(soup).empty());
}

TEST_F(ScannerTest, HugeTokensScanInOnePiece) {
  const size_t size = 2 * 1024 * 1024;
  const std::string word(size, 'w');
  std::vector<Tok> tokens = scan(word);
  ASSERT_EQ(tokens.size(), 1u);
  EXPECT_EQ(tokens[0].text.size(), size);

  const std::string literal = "'" + std::string(size, 's') + "'";
  tokens = scan(literal);
  ASSERT_EQ(tokens.size(), 1u);
  EXPECT_EQ(tokens[0].text, literal);

  // Unterminated: a string, a comment and a quoted identifier the size of the text.
  for (const std::string& open : {"'" + word, "/*" + word, "\"" + word}) {
    errors_ = nullptr;
    scan(open);
    ASSERT_NE(errors_, nullptr);
    EXPECT_EQ(errors_->line, 1);
  }

  // A long line full of bad tokens: each record shares the one copy of the line.
  std::string bad;
  for (int i = 0; i < 100000; ++i) bad += "1x ";
  errors_ = nullptr;
  scan(bad);
  size_t count = 0;
  for (const CompileError* e = errors_; e != nullptr; e = e->next, ++count) ASSERT_EQ(e->nearText, errors_->nearText);
  EXPECT_EQ(count, 100000u);
}

TEST_F(ScannerTest, DeeplyNestedCommentsCostAFewAllocationsNotOnePerNestingStep) {
  // Every pool allocation is one host block. A nesting depth kept on a stack that grows a fixed step
  // at a time costs an allocation (and a copy of the whole stack) per step, so doubling the depth
  // would double the count; the comment text buffer doubles its block and adds one allocation.
  auto blocksFor = [&](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "/*";
    for (int i = 0; i < depth; ++i) text += "*/";
    text += " x";
    hostFailNthBlock(0);
    const std::vector<Tok> tokens = scan(text);
    const uint64_t blocks = hostBlockRequestCount();
    EXPECT_EQ(tokens, (std::vector<Tok>{{"T_WORD", "x", 1}}));
    return blocks;
  };
  const uint64_t deep = blocksFor(40000);
  const uint64_t deeper = blocksFor(80000);
  EXPECT_LT(deep, 64u);
  EXPECT_LE(deeper, deep + 3);
  EXPECT_EQ(errors_, nullptr);
}

TEST_F(ScannerTest, ExhaustedMemoryUnwindsAndTheGuardReleasesTheScanner) {
  const char* text =
      "create procedure p is\n  /* c */ x varchar2(10) := 'a''b';\nbegin\n  x := a.b.c%rowcount;\nend;\n/";
  const size_t expected = scan(text).size();
  // How many host blocks one whole scan asks for: every one of them is made to fail in turn below.
  uint64_t blocks = 0;
  {
    ParseContext ctx = context(text);
    hostFailNthBlock(0);
    ScannerGuard guard(&ctx);
    scannerCreate(&ctx);
    TokenValue value{};
    while (fetchToken(&value, &ctx) != 0) {
    }
    blocks = hostBlockRequestCount();
  }
  bool completed = false;
  int failures = 0;
  for (uint64_t n = 1; !completed && n < 10000; ++n) {
    ParseContext ctx = context(text);
    hostFailNthBlock(n);
    try {
      ScannerGuard guard(&ctx);
      scannerCreate(&ctx);
      TokenValue value{};
      size_t count = 0;
      while (fetchToken(&value, &ctx) != 0) ++count;
      EXPECT_EQ(count, expected);
      completed = true;
    } catch (const PoolExhausted& e) {
      EXPECT_EQ(e.code, 1);
      ++failures;
    }
    hostFailNthBlock(0);
    EXPECT_EQ(ctx.scanner, nullptr) << "after failing allocation " << n;
  }
  EXPECT_TRUE(completed);
  EXPECT_EQ(static_cast<uint64_t>(failures), blocks);  // creation and every allocating rule of the scan
}

}  // namespace
