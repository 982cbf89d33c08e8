// Emitter: the text buffer's chunk rule, line markers, token joining and the cut into result entries; whole
// programs written to text are the golden files' job.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "emit/emit.h"
#include "emit/emit_context.h"
#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

class EmitTest : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery); }
  void TearDown() override { contextRelease(); }

  // A context writing into a fresh buffer, as emitProgram builds it.
  EmitContext newContext(bool trackLines = false, const char* terminator = "") {
    EmitContext ctx{};
    ctx.buffer = newTextBuffer(80);
    ctx.terminator = terminator;
    ctx.trackLines = trackLines;
    ctx.errors = &errors;
    ctx.outputLine = 1;
    return ctx;
  }

  static std::string bufferText(const EmitContext& ctx) {
    std::string text(textLength(ctx.buffer), '\0');
    std::vector<char> copy(text.size() + 1);
    textCopyTo(copy.data(), ctx.buffer);
    return std::string(copy.data());
  }

  static std::vector<std::string> results(const XcompResult* head) {
    std::vector<std::string> texts;
    for (; head != nullptr; head = head->next) texts.emplace_back(head->text, head->length);
    return texts;
  }

  RecoveryPoint recovery;
  CompileError* errors = nullptr;
};

AstList* tokens(std::initializer_list<const char*> texts, int32_t line = 0) {
  AstList* list = nullptr;
  for (const char* text : texts) list = listAppend(list, newTokenNode(T_STRING, text, line));
  return list;
}

TEST_F(EmitTest, FirstChunkHoldsChunkSizeAndLaterOnesATenth) {
  TextBuffer* buffer = newTextBuffer(80);
  const std::string text(100, 'x');
  textAppend(buffer, text.c_str());
  std::vector<uint64_t> used, capacity;
  for (const TextChunk* c = buffer->first; c != nullptr; c = c->next) {
    used.push_back(c->used);
    capacity.push_back(c->capacity);
  }
  EXPECT_EQ(used, (std::vector<uint64_t>{80, 8, 8, 4}));
  EXPECT_EQ(capacity, (std::vector<uint64_t>{80, 8, 8, 8}));
  EXPECT_EQ(textLength(buffer), 100u);
  std::vector<char> copy(101);
  textCopyTo(copy.data(), buffer);
  EXPECT_EQ(std::string(copy.data()), text);

  // A reset keeps the chunks: the next text goes into the first one again, and nothing new is taken.
  const TextChunk* first = buffer->first;
  textReset(buffer);
  textAppend(buffer, "01234567890123456789");
  EXPECT_EQ(buffer->first, first);
  EXPECT_EQ(buffer->current, first);
  EXPECT_EQ(first->used, 20u);
  EXPECT_EQ(textLength(buffer), 20u);
  textAppend(buffer, std::string(70, 'y').c_str());
  EXPECT_EQ(buffer->current, first->next->next);
  EXPECT_EQ(first->next->used, 8u);
  EXPECT_EQ(first->next->next->used, 2u);
  EXPECT_EQ(first->next->next->next->used, 0u);
}

TEST_F(EmitTest, ChunksShareTheirPoolBlocksAndKeepTheirText) {
  // A long statement is tens of thousands of small chunks; they must not cost a pool block each, and the
  // text written piece by piece must come back whole.
  TextBuffer* buffer = newTextBuffer(80);
  std::string expected;
  hostFailNthBlock(0);
  for (int i = 0; i < 5000; ++i) {
    const std::string piece = "SET v_" + std::to_string(i) + " = v_" + std::to_string(i * 7) + ";\n";
    textAppend(buffer, piece.c_str());
    expected += piece;
  }
  EXPECT_LT(hostBlockRequestCount(), 40u);
  uint64_t chunks = 0;
  for (const TextChunk* c = buffer->first; c != nullptr; c = c->next) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(c) % 8, 0u);
    ++chunks;
  }
  EXPECT_EQ(chunks, 1 + (expected.size() - 80 + 7) / 8);
  std::vector<char> copy(expected.size() + 1);
  textCopyTo(copy.data(), buffer);
  EXPECT_EQ(std::string(copy.data()), expected);

  // A first chunk larger than any carving block still works, and the small chunks after it are carved.
  TextBuffer* wide = newTextBuffer(200000);
  const std::string big(200010, 'q');
  textAppend(wide, big.c_str());
  EXPECT_EQ(wide->first->capacity, 200000u);
  EXPECT_EQ(wide->first->next->capacity, 20000u);
  EXPECT_EQ(textLength(wide), big.size());
}

TEST_F(EmitTest, NullAndEmptyTextsAppendNothing) {
  TextBuffer* buffer = newTextBuffer(0);
  EXPECT_EQ(buffer->chunkSize, 1024u);
  textAppend(buffer, nullptr);
  textAppend(buffer, "");
  textAppend(nullptr, "x");
  EXPECT_EQ(buffer->first, nullptr);
  EXPECT_EQ(textLength(buffer), 0u);
}

TEST_F(EmitTest, LineMarkerOnlyWhenOutputDrifted) {
  struct Case {
    bool trackLines;
    uint32_t outputLine;
    int32_t line;
    const char* text;
    uint32_t after;
  };
  const Case cases[] = {
      {true, 5, 4, "", 5},                      // in step: no marker
      {true, 5, 6, "--#line 007\n", 7},         // drifted
      {true, 1, 1233, "--#line 1234\n", 1234},  // four digits are not padded
      {true, 0, 0, "--#line 001\n", 1},         // first statement after a cut
      {true, 7, -1, "--#line 000\n", 0},        // a generated statement without a line
      {true, 0, -1, "", 0},                     // ... unless the count is already 0
      {false, 5, 6, "", 5},                     // markers off: nothing, count untouched
  };
  for (const Case& c : cases) {
    EmitContext ctx = newContext(c.trackLines);
    ctx.outputLine = c.outputLine;
    emitLineMarker(c.line, &ctx);
    EXPECT_EQ(bufferText(ctx), c.text) << "line " << c.line << " at " << c.outputLine;
    EXPECT_EQ(ctx.outputLine, c.after) << "line " << c.line << " at " << c.outputLine;
  }
}

TEST_F(EmitTest, WrittenNewlinesAdvanceTheCountButMarkerNewlinesDoNot) {
  EmitContext ctx = newContext(true);
  ctx.outputLine = 0;
  auto* first = makeNode<NullNode>(astNodeNull, 2);
  beginStatement(first, &ctx);
  EXPECT_EQ(ctx.outputLine, 3u);
  emitStrings({"a\n", "b\nc\n"}, &ctx);
  EXPECT_EQ(ctx.outputLine, 6u);
  // The statement on source line index 5 is where the output is: no marker.
  auto* second = makeNode<NullNode>(astNodeNull, 5);
  beginStatement(second, &ctx);
  EXPECT_EQ(bufferText(ctx), "--#line 003\na\nb\nc\n");
}

// Pieces are measured sixteen bytes at a time from an aligned address: a piece may start anywhere in
// its first sixteen bytes and end anywhere in its last, with newlines on either side of both ends.
TEST_F(EmitTest, PiecesOfEveryLengthAndAlignmentCountTheirOwnNewlinesOnly) {
  alignas(16) char area[96];
  for (size_t offset = 0; offset < 16; ++offset) {
    for (size_t length = 1; length <= 40; ++length) {
      std::memset(area, '\n', sizeof area);
      std::string piece;
      for (size_t i = 0; i < length; ++i) piece += (i * 7 + offset) % 5 == 0 ? '\n' : static_cast<char>('a' + i % 26);
      std::memcpy(area + offset, piece.c_str(), length + 1);
      EmitContext ctx = newContext(true);
      emitStrings({area + offset}, &ctx);
      const auto newlines = static_cast<uint32_t>(std::count(piece.begin(), piece.end(), '\n'));
      ASSERT_EQ(ctx.outputLine, 1 + newlines) << "offset " << offset << ", length " << length;
      ASSERT_EQ(bufferText(ctx), piece) << "offset " << offset << ", length " << length;
    }
  }
}

TEST_F(EmitTest, BeginStatementIndentsOneLevelAndWritesTheLabel) {
  EmitContext ctx = newContext();
  ctx.indent = 4;
  auto* labelled = makeNode<NullNode>(astNodeNull, 0);
  labelled->label = "L1";
  beginStatement(labelled, &ctx);
  // Declarations are not statements: no label even though the field layout would allow reading one.
  ctx.indent = 0;
  beginStatement(makeNode<FormalArgNode>(astNodeFormalArg, 0), &ctx);
  EXPECT_EQ(bufferText(ctx), "  L1: ");
}

TEST_F(EmitTest, TokensJoinWithBlanksExceptAroundParenthesesAndCommas) {
  struct Case {
    AstList* list;
    const char* prefix;
    const char* suffix;
    const char* text;
  };
  const Case cases[] = {
      {tokens({"SELECT", "COUNT", "(", "*", ")", "INTO", "n"}), "", "", "SELECT COUNT(*) INTO n"},
      {tokens({"f", "(", "a", ",", "b", ")"}), "CALL ", ";", "CALL f(a, b);"},
      {tokens({"(", "(", "x", ")", ")"}), nullptr, nullptr, "((x))"},
      {nullptr, "[", "]", "[]"},
      {tokens({"a"}), nullptr, "!", "a!"},
  };
  for (const Case& c : cases) {
    EmitContext ctx = newContext();
    ctx.indent = 2;
    emitTokens(c.list, c.prefix, c.suffix, &ctx);
    EXPECT_EQ(bufferText(ctx), c.text);
    EXPECT_EQ(ctx.indent, 2);
  }
}

TEST_F(EmitTest, FinishStatementCutsOnlyNonEmptyText) {
  EmitContext ctx = newContext(true);
  finishStatement(SQLEXC_PROCEDURE, &ctx);
  EXPECT_EQ(ctx.resultHead, nullptr);
  emitStrings({"one\n"}, &ctx);
  finishStatement(SQLEXC_SQL_STMT, &ctx);
  emitStrings({"two", nullptr, "never"}, &ctx);
  finishStatement(SQLEXC_FUNCTION, &ctx);
  ASSERT_NE(ctx.resultHead, nullptr);
  EXPECT_EQ(results(ctx.resultHead), (std::vector<std::string>{"one\n", "two"}));
  EXPECT_EQ(ctx.resultHead->domain, static_cast<uint32_t>(SQLEXC_SQL_STMT));
  EXPECT_EQ(ctx.resultTail->domain, static_cast<uint32_t>(SQLEXC_FUNCTION));
  EXPECT_EQ(ctx.resultTail->length, 3u);
  EXPECT_EQ(ctx.resultTail->next, nullptr);
  EXPECT_EQ(ctx.outputLine, 0u);
  EXPECT_EQ(textLength(ctx.buffer), 0u);
}

}  // namespace
