// Token stream: pushback, the readers' depth rule, stops and modes, the first-token handshake with the
// parser's lookahead, the datatype reader and its error record, and the debug traces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "lexer/lexer.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

class TokenStream : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery_); }
  void TearDown() override {
    scannerDestroy(&ctx_);
    contextRelease();
  }

  void open(const char* text, bool trace = false) {
    settings_ = defaultSessionSettings();
    settings_.parserTrace = trace ? 1 : 0;
    ctx_ = ParseContext{};
    ctx_.settings = &settings_;
    ctx_.text = text;
    ctx_.errors = &errors_;
    scannerCreate(&ctx_);
  }
  int next() { return fetchToken(&value_, &ctx_); }

  // A token list as "TEXT TEXT ..." for comparing whole runs at once.
  static std::string texts(const AstList* list) {
    std::string out;
    for (AstListCell* c = listHeadCell(list); c != nullptr; c = c->next) {
      if (!out.empty()) out += ' ';
      out += static_cast<const TokenNode*>(c->item)->text;
    }
    return out;
  }
  static std::vector<uint32_t> codes(const AstList* list) {
    std::vector<uint32_t> out;
    for (AstListCell* c = listHeadCell(list); c != nullptr; c = c->next)
      out.push_back(static_cast<const TokenNode*>(c->item)->code);
    return out;
  }

  RecoveryPoint recovery_;
  SessionSettings settings_{};
  ParseContext ctx_{};
  CompileError* errors_ = nullptr;
  TokenValue value_{};
};

// A literal's text is the scanner's own until the next token. The parser must get a copy that outlives
// later scanning, also when a reader pushed the literal back; a reader keeps only its node's copy.
TEST_F(TokenStream, LiteralTextsOutliveScanningOnlyWhereTheyAreKept) {
  open("x := 42 'it''s' y; 7.5 'other' q");
  AstList* run = collectTokens(&ctx_, &value_, stopPushedBack, T_no_lookahead, T_DIGITS);
  EXPECT_EQ(texts(run), "x :=");
  ASSERT_EQ(next(), T_DIGITS);  // the pushed-back stop
  const char* digits = value_.text;
  ASSERT_EQ(next(), T_STRING);
  const char* literal = value_.text;
  ASSERT_EQ(next(), T_WORD);
  ASSERT_EQ(next(), ';');
  ASSERT_EQ(next(), T_NUMERICNO);
  EXPECT_STREQ(value_.text, "7.5");
  ASSERT_EQ(next(), T_STRING);
  ASSERT_EQ(next(), T_WORD);
  EXPECT_STREQ(digits, "42");
  EXPECT_STREQ(literal, "'it''s'");

  // A name a reader collects is the node the parser's list would hold: its text as written, its first
  // line, the dotted flag. One a reader pushes back reaches the parser as its one-token list.
  scannerDestroy(&ctx_);
  open("( 1 + sch .\n tab ) emp;");
  AstList* names = collectTokens(&ctx_, &value_, stopPushedBack, T_no_lookahead, T_WORD);
  ASSERT_EQ(listCount(names), 5u);
  const auto* qualified = static_cast<const TokenNode*>(listNth(names, 4));
  EXPECT_STREQ(qualified->text, "sch .\n tab");
  EXPECT_EQ(qualified->code, static_cast<uint32_t>(T_WORD));
  EXPECT_EQ(qualified->dotted, 1);
  EXPECT_EQ(qualified->line, 0);
  ASSERT_EQ(next(), T_WORD);
  ASSERT_EQ(listCount(value_.list), 1u);
  EXPECT_STREQ(tokenText(listFirst(value_.list)), "emp");
  EXPECT_EQ(static_cast<const TokenNode*>(listFirst(value_.list))->line, 1);

  // Literals and names collected by a reader cost their token node and list cell, not a copy besides.
  std::string many;
  for (int i = 0; i < 200; ++i) many += std::to_string(i) + " 'a' + v_" + std::to_string(i) + " ";
  many += ";";
  scannerDestroy(&ctx_);
  open(many.c_str());
  hostFailNthBlock(0);
  AstList* literals = collectTokens(&ctx_, &value_, stopIncluded, T_no_lookahead, 0);
  EXPECT_EQ(listCount(literals), 801u);
  EXPECT_LE(hostBlockRequestCount(), 2u * 801u + 10u);
}

struct ReaderCase {
  const char* input;
  ReaderStop mode;
  std::vector<int> stops;
  const char* collected;  // texts joined by blanks
  int end;                // the token that ended the run
  int following;          // what fetchToken gives next
};

TEST_F(TokenStream, ReadersStopAtDepthZeroAndHonourTheirMode) {
  const std::vector<ReaderCase> cases = {
      // A ';' inside open parentheses ends the run and is kept.
      {"x := f(a; b) ;", stopPushedBack, {';'}, "x := f ( a ;", ';', T_WORD},
      // A ')' at depth 0 ends every reader and is left for the parser, whatever the stops.
      {"g(1, (2)) ) x", stopPushedBack, {T_THEN}, "g ( 1 , ( 2 ) )", ')', ')'},
      {"a) x", stopIncluded, {')'}, "a )", ')', T_WORD},
      // The three modes: stop kept, stop dropped, stop pushed back.
      {"a + b then c", stopIncluded, {T_THEN}, "a + b then", T_THEN, T_WORD},
      {"a + b then c", stopDropped, {T_THEN}, "a + b", T_THEN, T_WORD},
      {"a + b then c", stopPushedBack, {T_THEN}, "a + b", T_THEN, T_THEN},
      // ';' stops at depth 0 even when it is not among the stops.
      {"a b; c", stopDropped, {T_THEN}, "a b", ';', T_WORD},
      // A stop inside parentheses is an ordinary token.
      {"f(a then b) then", stopPushedBack, {T_THEN}, "f ( a then b )", T_THEN, T_THEN},
      {"select a, b into x", stopPushedBack, {T_INTO, T_FROM, T_BULK}, "select a , b", T_INTO, T_INTO},
      {"x, y from t", stopPushedBack, {0, 0, 0, 0, 0, T_FROM}, "x , y", T_FROM, T_FROM},
      // A "/" line and end of input end the run; both are consumed.
      {"a b\n/\nc", stopPushedBack, {';'}, "a b", T_TERMINATOR, T_WORD},
      {"a (b", stopPushedBack, {';'}, "a ( b", 0, 0},
      {"", stopPushedBack, {';'}, "", 0, 0},
  };
  for (const ReaderCase& c : cases) {
    scannerDestroy(&ctx_);
    open(c.input);
    int s[6] = {0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < c.stops.size(); ++i) s[i] = c.stops[i];
    int end = -1;
    const AstList* list =
        collectTokensUntil(&ctx_, &value_, c.mode, T_no_lookahead, &end, s[0], s[1], s[2], s[3], s[4], s[5]);
    EXPECT_EQ(texts(list), c.collected) << c.input << " mode " << c.mode;
    EXPECT_EQ(end, c.end) << c.input << " mode " << c.mode;
    EXPECT_EQ(next(), c.following) << c.input << " mode " << c.mode;
  }
}

TEST_F(TokenStream, ReadersStartFromTheParsersLookaheadAndKeepItsValue) {
  EXPECT_EQ(readerFirstToken(-2), T_no_lookahead);  // the parser has no lookahead
  EXPECT_EQ(readerFirstToken(0), T_no_lookahead);   // its lookahead is end of input
  EXPECT_EQ(readerFirstToken(T_WORD), T_WORD);

  open("e.sal > 10 loop");
  const int lookahead = next();
  ASSERT_EQ(lookahead, T_WORD);
  int end = 0;
  const AstList* list = collectTokensUntil(&ctx_, &value_, stopDropped, readerFirstToken(lookahead), &end, T_LOOP);
  EXPECT_EQ(texts(list), "e.sal > 10");
  EXPECT_EQ(end, T_LOOP);
  // The lookahead's own node travels into the list, qualified-name flag included.
  const auto* first = static_cast<const TokenNode*>(listFirst(list));
  EXPECT_EQ(first->dotted, 1);
  EXPECT_EQ(codes(list), (std::vector<uint32_t>{T_WORD, T_COMPARISON, T_DIGITS}));
}

// A reader marks the runs that hold no SQLCODE, SQLSTATE, SQLERRM or SQL% attribute, which the
// transformer's prescan then passes by without reading: a run holding any of them must stay unmarked.
TEST_F(TokenStream, ARunWithoutDiagnosticsTokensIsMarkedPlain) {
  open("x + f(y) > 0 THEN a := SQLCODE; b := sqlerrm || '!'; c := SQL%FOUND; d := n.sqlstate;");
  const AstList* plain = collectTokens(&ctx_, &value_, stopDropped, T_no_lookahead, T_THEN);
  EXPECT_EQ(plain->plainTokens, 1);
  for (const char* expected : {"a := SQLCODE", "b := sqlerrm || '!'", "c := SQL%FOUND"}) {
    const AstList* run = collectTokens(&ctx_, &value_, stopDropped, T_no_lookahead, ';');
    EXPECT_EQ(texts(run), expected);
    EXPECT_EQ(run->plainTokens, 0) << expected;
  }
  // A qualified name is a plain word to the reader.
  const AstList* qualified = collectTokens(&ctx_, &value_, stopDropped, T_no_lookahead, ';');
  EXPECT_EQ(qualified->plainTokens, 1);
}

struct DatatypeCase {
  const char* input;  // the first word is read as the parser would, the rest by readDatatype
  const char* collected;
  int following;
};

TEST_F(TokenStream, DatatypeReaderStopsBeforeWhatFollowsTheType) {
  const std::vector<DatatypeCase> cases = {
      {"VARCHAR2(10 CHAR) NOT NULL", "VARCHAR2 ( 10 CHAR )", T_NOT},
      {"NUMBER(9,2) := 0", "NUMBER ( 9 , 2 )", T_ASSIGN},
      {"NUMBER default 1", "NUMBER", T_DEFAULT},
      {"NUMBER;", "NUMBER", ';'},
      {"INTERVAL DAY TO SECOND(3) , b", "INTERVAL DAY TO SECOND ( 3 )", T_COMMA},
      {"NUMBER)", "NUMBER", ')'},
      {"NUMBER IS", "NUMBER", T_IS},
      {"NUMBER index by", "NUMBER", T_INDEX},
      {"NUMBER range 1..2", "NUMBER", T_RANGE},
      {"NUMBER deterministic", "NUMBER", T_DETERMINISTIC},
      {"long raw;", "long raw", ';'},
      {"t(1;", "t ( 1", ';'},
      // A T_DTYPE right after the first word is taken and dropped.
      {"NUMBER $1.t;", "NUMBER", ';'},
  };
  for (const DatatypeCase& c : cases) {
    scannerDestroy(&ctx_);
    open(c.input);
    ASSERT_EQ(next(), T_WORD) << c.input;
    // A name the parser takes holds no diagnostics token, nor does a type made of it and plain words.
    EXPECT_EQ(value_.list->plainTokens, 1) << c.input;
    const AstList* type = readDatatype(&ctx_, &value_, value_.list);
    EXPECT_EQ(texts(type), c.collected) << c.input;
    EXPECT_EQ(type->plainTokens, 1) << c.input;
    EXPECT_EQ(next(), c.following) << c.input;
  }
  EXPECT_EQ(errors_, nullptr);
  // A type that somehow holds one is not marked.
  scannerDestroy(&ctx_);
  open("t(sqlcode);");
  ASSERT_EQ(next(), T_WORD);
  EXPECT_EQ(readDatatype(&ctx_, &value_, value_.list)->plainTokens, 0);
}

const char* twoExpected(ParseContext*) { return ctxStrdup("IS, AS"); }

TEST_F(TokenStream, DatatypeAtEndOfInput) {
  open("NUMBER");
  ASSERT_EQ(next(), T_WORD);
  EXPECT_EQ(readDatatype(&ctx_, &value_, value_.list), nullptr);

  scannerDestroy(&ctx_);
  open("NUMBER(5)");
  ctx_.allowEofInDatatype = true;
  ASSERT_EQ(next(), T_WORD);
  EXPECT_EQ(texts(readDatatype(&ctx_, &value_, value_.list)), "NUMBER ( 5 )");

  scannerDestroy(&ctx_);
  open("x\n  NUMBER(5, (2)");
  ctx_.allowEofInDatatype = true;
  ctx_.expectedTokens = twoExpected;
  next();
  ASSERT_EQ(next(), T_WORD);
  EXPECT_EQ(readDatatype(&ctx_, &value_, value_.list), nullptr);
  ASSERT_NE(errors_, nullptr);
  EXPECT_STREQ(errors_->message, "Mismatched parentheses in datatype");
  EXPECT_EQ(errors_->domain, syntax);
  EXPECT_EQ(errors_->line, 3);         // the text's final newline has been read at end of input
  EXPECT_STREQ(errors_->detail, ")");  // the last token read, not the empty end-of-input text
  EXPECT_STREQ(errors_->extra, "IS, AS");
  EXPECT_EQ(errors_->next, nullptr);
}

TEST_F(TokenStream, EndOfInputReportsOpenCommentThenOpenString) {
  open("a /* b\n");
  EXPECT_EQ(next(), T_WORD);
  EXPECT_EQ(next(), 0);
  ASSERT_NE(errors_, nullptr);
  EXPECT_STREQ(errors_->message, "Unterminated comment");
  EXPECT_EQ(errors_->domain, lexical);
  EXPECT_EQ(errors_->line, 1);
  EXPECT_STREQ(errors_->detail, "a");
  // A later end of input reports it again: the comment is still open.
  EXPECT_EQ(next(), 0);
  ASSERT_NE(errors_->next, nullptr);
  EXPECT_STREQ(errors_->next->message, "Unterminated comment");
  EXPECT_STREQ(errors_->next->detail, "a");
  EXPECT_EQ(errors_->next->next, nullptr);
}

TEST_F(TokenStream, TracesGoToStandardErrorOnlyWhenAsked) {
  open("a;", false);
  testing::internal::CaptureStderr();
  next();
  pushBackToken(&ctx_, T_WORD);
  next();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  scannerDestroy(&ctx_);
  open("x;", true);
  testing::internal::CaptureStderr();
  next();
  pushBackToken(&ctx_, T_WORD);
  next();
  readDatatype(&ctx_, &value_, nullptr);
  const std::string trace = testing::internal::GetCapturedStderr();
  EXPECT_NE(trace.find("** returning 271 - x\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("** pushed back 271 - x\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("** returning pushback 271\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("** read_datatype...\n"), std::string::npos) << trace;
  // readDatatype read ';', pushed it back; the end of input names the last token read.
  testing::internal::CaptureStderr();
  next();
  next();
  const std::string end = testing::internal::GetCapturedStderr();
  EXPECT_NE(end.find("** returning pushback 59\n"), std::string::npos) << end;
  EXPECT_NE(end.find("** returning 0 - ;\n"), std::string::npos) << end;
}

TEST_F(TokenStream, PositionForErrorRecords) {
  open("a\n  bb cc\nd");
  next();
  next();
  EXPECT_EQ(currentLine(&ctx_), 1);
  EXPECT_STREQ(currentTokenText(&ctx_), "bb");
  EXPECT_STREQ(currentSourceLine(&ctx_), "  bb cc");

  // At end of input (asked for twice, as the parser does) the token is still the last one read; the
  // line has moved past the text's end.
  next();
  next();
  EXPECT_EQ(next(), 0);
  EXPECT_EQ(next(), 0);
  EXPECT_STREQ(currentTokenText(&ctx_), "d");
  EXPECT_EQ(currentLine(&ctx_), 3);
  EXPECT_STREQ(currentSourceLine(&ctx_), "");
}

}  // namespace
