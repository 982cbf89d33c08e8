// Parser: the production numbering the later stages and the trace refer to, the grammar properties the
// actions rely on (no lookahead before readers and keyword names), the syntax-error record and its
// expected-token list, the BEGIN nesting limit, the stack limit, and the condition texts whose exact
// token boundaries a tree dump cannot show.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lexer/token_codes.h"
#include "parser/actions.h"
#include "parser/parser.h"
#include "pool/pool.h"

namespace {

class Parser : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery_); }
  void TearDown() override { contextRelease(); }

  int parse(const std::string& text, bool allowMultiple = false) {
    text_ = text;
    settings_ = defaultSessionSettings();
    settings_.allowMultiplePrograms = allowMultiple ? 1 : 0;
    ctx_ = ParseContext{};
    ctx_.settings = &settings_;
    ctx_.text = text_.c_str();
    ctx_.errors = &errors_;
    errors_ = nullptr;
    return parseRequest(&ctx_);
  }

  std::vector<const CompileError*> errors() const {
    std::vector<const CompileError*> out;
    for (const CompileError* e = errors_; e != nullptr; e = e->next) out.push_back(e);
    return out;
  }

  // The first statement of the first program, which the tests write as an anonymous block.
  AstNode* firstStatement() const {
    auto* block = static_cast<BlockNode*>(listFirst(ctx_.root));
    return static_cast<AstNode*>(listFirst(block->statements));
  }

  static std::vector<std::string> texts(const AstList* list) {
    std::vector<std::string> out;
    for (AstListCell* c = listHeadCell(list); c != nullptr; c = c->next)
      out.emplace_back(static_cast<const TokenNode*>(c->item)->text);
    return out;
  }

  RecoveryPoint recovery_;
  std::string text_;
  SessionSettings settings_{};
  ParseContext ctx_{};
  CompileError* errors_ = nullptr;
};

std::string nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "BEGIN\n";
  text += "NULL;\n";
  for (int i = 0; i < depth; ++i) text += "END;\n";
  return text;
}

// The rule number of the `alternative`-th production (from 1) of `lhs`, or -1: the tests name rules by
// their symbol so that a production added elsewhere in the grammar does not move them.
int ruleOf(const char* lhs, int alternative) {
  for (int rule = 0, seen = 0; rule < grammarRuleCount(); ++rule) {
    if (std::strcmp(grammarRuleLhs(rule), lhs) == 0 && ++seen == alternative) return rule;
  }
  return -1;
}

// The datatype reader fetches its own first token and an indexed assignment pushes its ';' back: both
// would lose a token if the parser had read one ahead before reducing these rules.
TEST(Grammar, RulesThatHandTheStreamOverNeverHoldALookahead) {
  struct Named {
    const char* lhs;
    int alternative;
  };
  const Named rules[] = {{"decl_datatype", 1}, {"formal_arg_type", 1}, {"param_exp", 1},    {"param_exp", 2},
                         {"typeName", 1},      {"typeName", 2},        {"typeName", 3},     {"varName", 2},
                         {"varName", 3},       {"typeKeyword", 1},     {"schemaKeyword", 1}};
  for (const Named& named : rules) {
    const int rule = ruleOf(named.lhs, named.alternative);
    ASSERT_GE(rule, 0) << named.lhs;
    EXPECT_EQ(grammarRuleReadsAhead(rule), 0) << named.lhs << " #" << named.alternative;
  }
  // A statement keyword that may also name a variable (CLOSE) is only known to be a name after the
  // next token: the name's text must not be taken from the scanner's buffer as it stands then. Some
  // keyword of varKeyword must therefore read ahead, or this check proves nothing.
  bool someReadsAhead = false;
  for (int alternative = 1; ruleOf("varKeyword", alternative) >= 0; ++alternative) {
    someReadsAhead = someReadsAhead || grammarRuleReadsAhead(ruleOf("varKeyword", alternative)) == 1;
  }
  EXPECT_TRUE(someReadsAhead);
}

TEST_F(Parser, SyntaxErrorRecordsTokenLineSourceLineAndExpectedTokens) {
  struct Case {
    const char* text;
    const char* message;
    int line;
    const char* detail;
    const char* extra;
    int column;  // where the unexpected token begins on its line; 0 at the end of the input
  };
  // The message and the list describe the state in which the unexpected token was read, not the one
  // the parser reaches by the default reductions it takes before finding that nothing accepts it:
  // after NULL a lone name could still become `NULL := ...`, but only ';' is written.
  const Case cases[] = {
      {"CREATE PROCEDURE p IS BEGIN NULL END;", "syntax error, unexpected T_END, expecting ';'", 1, "END", "';'", 34},
      {"BEGIN\n  RAISE e END;\nEND;", "syntax error, unexpected T_END, expecting ';'", 2, "END", "';'", 11},
      // Five or more acceptable tokens: the message stops after the unexpected token, the list does not.
      {"DECLARE TYPE end IS TABLE OF NUMBER; BEGIN NULL; END;", "syntax error, unexpected T_END", 1, "end",
       "WORD, EXECUTE, AFTER, ALIAS, AUTHID, AUTONOMOUS_XACT, INDEX, BY, ORDER, PARTITION", 14},
      {"BEGIN\n  NULL;\n", "syntax error, unexpected $end", -1, nullptr, "LABEL_BEG, END, ELSIF, ELSE, WHEN, EXCEPTION",
       0},
      // After a whole program only another program (six tokens start one) or the end may follow.
      {"BEGIN NULL; END; ~", "syntax error, unexpected $undefined", 1, "~",
       "PRAGMA, DECLARE, BEGIN, CREATE, DROP, TERMINATOR", 18},
      {"CREATE PROCEDURE p IS BEGIN NULL; END p q;", "syntax error, unexpected T_WORD, expecting ';'", 1, "q", "';'",
       41},
      // Between one and four: each named, in token-number order.
      {"BEGIN x := 1; END; BEGIN", "syntax error, unexpected $end, expecting T_LABEL_BEG or T_END or T_EXCEPTION", -1,
       nullptr, "LABEL_BEG, END, EXCEPTION", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parse(c.text), 1);
    const auto recorded = errors();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_STREQ(recorded[0]->message, c.message);
    EXPECT_EQ(recorded[0]->domain, syntax);
    if (c.line >= 0) {
      EXPECT_EQ(recorded[0]->line, c.line);
    }
    if (c.detail != nullptr) {
      EXPECT_STREQ(recorded[0]->detail, c.detail);
    }
    EXPECT_STREQ(recorded[0]->extra, c.extra);
    EXPECT_EQ(recorded[0]->column, c.column);
  }
}

TEST_F(Parser, NearTextIsTheWholeSourceLineOfTheError) {
  EXPECT_EQ(parse("BEGIN\n  x := 1;\n  RAISE e END;\r\nEND;"), 1);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_STREQ(errors()[0]->nearText, "  RAISE e END;");
}

TEST_F(Parser, RecordsOnOneLongLineShareOneCopyOfIt) {
  // A copy of the line per record would make this text cost memory in the square of its length.
  std::string line = "BEGIN";
  for (int i = 0; i < 10000; ++i) line += " x := ;";
  line += " END;";
  EXPECT_EQ(parse(line), 0);
  const auto recorded = errors();
  ASSERT_EQ(recorded.size(), 10000u);
  EXPECT_EQ(recorded[0]->nearText, line);
  for (const CompileError* e : recorded) {
    ASSERT_STREQ(e->message, "Missing expression");
    ASSERT_EQ(e->nearText, recorded[0]->nearText);
  }
}

TEST_F(Parser, TheHookListsExpectedTokensOnlyWhileAParseRuns) {
  EXPECT_EQ(parse("BEGIN NULL; END;"), 0);
  EXPECT_EQ(ctx_.expectedTokens, &expectedTokenList);
  EXPECT_EQ(ctx_.parserState, nullptr);
  EXPECT_EQ(ctx_.expectedTokens(&ctx_), nullptr);
}

// An action's record names the tokens of the state it was made in unless the caller gives its own text.
TEST_F(Parser, ActionRecordsListTheExpectedTokensWhenGivenNoTextOfTheirOwn) {
  int state = 0;  // where a program must start
  ctx_ = ParseContext{};
  ctx_.errors = &errors_;
  ctx_.parserState = newParserPosition(&state);
  const char* const programStarts = "PRAGMA, DECLARE, BEGIN, CREATE, DROP, TERMINATOR";
  reportSyntaxErrorWithText(&ctx_, "syntax error", "<END-OF-STATEMENT>");
  reportSyntaxErrorWithText(&ctx_, "syntax error", nullptr);
  reportErrorInDomain(&ctx_, "Max nexting depth exceeded", 4, statementTooBig, nullptr);
  reportSyntaxErrorAtLine(&ctx_, "Missing expression", 6);
  const auto recorded = errors();
  ASSERT_EQ(recorded.size(), 4u);
  EXPECT_STREQ(recorded[0]->extra, "<END-OF-STATEMENT>");
  EXPECT_STREQ(recorded[1]->extra, programStarts);
  EXPECT_STREQ(recorded[2]->extra, programStarts);
  EXPECT_EQ(recorded[2]->line, 5);
  EXPECT_EQ(recorded[2]->domain, statementTooBig);
  EXPECT_STREQ(recorded[3]->extra, programStarts);
  EXPECT_EQ(recorded[3]->line, 7);
  ctx_.parserState = nullptr;
}

TEST_F(Parser, BeginNestingStopsAt512) {
  EXPECT_EQ(parse(nested(512)), 0);
  EXPECT_TRUE(errors().empty());

  EXPECT_EQ(parse(nested(513)), 0);
  const auto recorded = errors();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_STREQ(recorded[0]->message, "Max nexting depth exceeded");
  EXPECT_EQ(recorded[0]->domain, statementTooBig);
  EXPECT_EQ(recorded[0]->line, 513);  // the BEGIN that went too deep
  EXPECT_NE(recorded[0]->extra, nullptr);

  // Deeper still: one record for the whole excursion, and the depth is back to 0 afterwards.
  EXPECT_EQ(parse(nested(600)), 0);
  EXPECT_EQ(errors().size(), 1u);
  EXPECT_EQ(ctx_.blockDepth, 0);
}

TEST_F(Parser, StacksStopAt10000EntriesWithMemoryExhausted) {
  // Each parenthesis level of a condition takes a few stack entries; 2 MB of them go far past the
  // limit, and nothing may recurse per level on the C++ stack on the way.
  std::string deep = "BEGIN IF " + std::string(2 * 1024 * 1024, '(');
  EXPECT_EQ(parse(deep), 2);
  const auto recorded = errors();
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_STREQ(recorded[0]->message, "memory exhausted");
  EXPECT_EQ(recorded[0]->domain, syntax);

  // 3000 levels fit: the stacks grow past their first 200 entries and come back.
  const std::string fits =
      "BEGIN IF " + std::string(3000, '(') + "x" + std::string(3000, ')') + " THEN NULL; END IF; END;";
  EXPECT_EQ(parse(fits), 0);
  EXPECT_TRUE(errors().empty());
}

TEST_F(Parser, SecondProgramNeedsPermission) {
  const char* two = "BEGIN NULL; END;\n/\nBEGIN NULL; END;";
  EXPECT_EQ(parse(two), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_STREQ(errors()[0]->message, "syntax error");
  EXPECT_STREQ(errors()[0]->extra, "<END-OF-STATEMENT>");
  EXPECT_EQ(listCount(ctx_.root), 2u);

  EXPECT_EQ(parse(two, true), 0);
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(listCount(ctx_.root), 2u);

  // Programs without value never count: "/" lines and DROP FUNCTION.
  EXPECT_EQ(parse("/\nDROP FUNCTION f\n/\n"), 0);
  EXPECT_TRUE(errors().empty());
  EXPECT_EQ(ctx_.root, nullptr);
}

TEST_F(Parser, ConditionTextKeepsTokenBoundaries) {
  struct Case {
    const char* condition;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"done", {"done", " = TRUE"}},
      {"x > 0", {"x", ">", "0"}},
      {"x > -5", {"x", ">", "-5"}},
      {"x > - y", {"x", ">", "-", "y"}},
      {"a AND NOT b", {"(", "a", " = TRUE)", "AND", "NOT(", "b", " = TRUE)"}},
      {"NOT (a OR b)", {"NOT", "(", "(", "a", " = TRUE)", "OR", "(", "b", " = TRUE)", ")"}},
      {"x NOT BETWEEN 1 AND 2", {"x", "NOT BETWEEN", "1", "AND", "2"}},
      {"x IS NOT NULL", {"x", "IS NOT NULL"}},
      {"f(a, b) AND SQL%FOUND", {"(", "f", "(", "a", ",", "b", ")", " = TRUE)", "AND", "(", "SQL%FOUND", " = TRUE)"}},
      {"EXISTS (SELECT 1 FROM t)", {"EXISTS", "(SELECT ", "1", "FROM", "t", ")"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    ASSERT_EQ(parse(std::string("BEGIN IF ") + c.condition + " THEN NULL; END IF; END;"), 0);
    EXPECT_TRUE(errors().empty());
    auto* statement = static_cast<IfNode*>(firstStatement());
    ASSERT_EQ(statement->kind, astNodeIf);
    EXPECT_EQ(texts(statement->condition), c.tokens);
  }
}

// A keyword named as a variable keeps its own spelling even when the parser had read the next token
// before it knew the keyword was a name.
TEST_F(Parser, KeywordNamesKeepTheirTextAfterALookahead) {
  ASSERT_EQ(parse("BEGIN close := 1; Commit:=2; ref  cursor := 3; END;"), 0);
  EXPECT_TRUE(errors().empty());
  auto* block = static_cast<BlockNode*>(listFirst(ctx_.root));
  std::vector<std::string> targets;
  for (AstListCell* c = listHeadCell(block->statements); c != nullptr; c = c->next)
    targets.push_back(texts(static_cast<AssignNode*>(c->item)->target)[0]);
  EXPECT_EQ(targets, (std::vector<std::string>{"close", "Commit", "ref  cursor"}));
}

// Tokens the condition rules make up carry the line of the source token they stand for, so that a
// condition spread over lines is written back with its line markers where the source had them.
TEST_F(Parser, MadeUpConditionTokensTakeTheLineOfTheirSourceToken) {
  ASSERT_EQ(parse("BEGIN IF x IN (\n1,\n2)\nAND CAST(y\nAS\nNUMBER) > 0 THEN NULL; END IF; END;"), 0);
  EXPECT_TRUE(errors().empty());
  auto* statement = static_cast<IfNode*>(firstStatement());
  std::vector<std::pair<std::string, int>> lines;
  for (AstListCell* c = listHeadCell(statement->condition); c != nullptr; c = c->next) {
    const auto* token = static_cast<const TokenNode*>(c->item);
    lines.emplace_back(token->text, token->line);
  }
  const std::vector<std::pair<std::string, int>> expected = {
      {"x", 0},     {"IN", 0}, {"(", 0},  {"1", 1},      {",", 1}, {"2", 2}, {")", 2}, {"AND", 3},
      {"CAST(", 3}, {"y", 3},  {"AS", 4}, {"NUMBER", 5}, {")", 5}, {">", 5}, {"0", 5},
  };
  EXPECT_EQ(lines, expected);
}

// A trigger's UPDATE OF columns are those of its last UPDATE OF event; events after it that name no
// columns keep them.
TEST_F(Parser, TriggerUpdateColumnsComeFromTheLastUpdateOfEvent) {
  struct Case {
    const char* events;
    uint32_t bits;
    std::vector<std::string> columns;
  };
  const Case cases[] = {
      {"UPDATE OF a OR INSERT OR UPDATE OF b, c OR DELETE", eventInsert | eventUpdate | eventDelete, {"b", "c"}},
      {"UPDATE OF a, b OR INSERT", eventInsert | eventUpdate, {"a", "b"}},
      {"INSERT OR DELETE", eventInsert | eventDelete, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.events);
    ASSERT_EQ(parse(std::string("CREATE TRIGGER trg AFTER ") + c.events + " ON t FOR EACH ROW BEGIN NULL; END;"), 0);
    EXPECT_TRUE(errors().empty());
    auto* trigger = static_cast<CreateTriggerNode*>(listFirst(ctx_.root));
    ASSERT_EQ(trigger->kind, astNodeCreateTrigger);
    EXPECT_EQ(trigger->events, c.bits);
    EXPECT_EQ(texts(trigger->updateColumns), c.columns);
  }
}

}  // namespace
