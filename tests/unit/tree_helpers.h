// tree_helpers.h - what the tests of the tree stages share: a compilation context per test, a program
// parsed (and transformed) as the driver would do it, and a token list read back as text.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "entry/driver.h"
#include "pool/pool.h"
#include "transform/transform.h"

// Each test runs in a compilation context of its own; `parse` and `transformed` give the request's
// program list, null when the parser built none.
class ParsedTree : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery); }
  void TearDown() override { contextRelease(); }

  AstList* parse(const char* text) {
    completeSettings(&settings, nullptr);
    const ParsedProgram parsed = parseProgram(text, &settings, &errors);
    EXPECT_EQ(errors, nullptr) << errors->message;
    return parsed.root;
  }

  AstList* transformed(const char* text) {
    AstList* root = parse(text);
    if (root != nullptr) transformTree(root, &settings, &errors);
    return root;
  }

  RecoveryPoint recovery;
  SessionSettings settings{};
  CompileError* errors = nullptr;
};

// The texts of a token list joined by blanks; an item without text reads "?".
inline std::string joined(const AstList* list) {
  std::string text;
  for (AstListCell* cell = listHeadCell(list); cell != nullptr; cell = cell->next) {
    if (!text.empty()) text += ' ';
    const char* item = tokenText(cell->item);
    text += item != nullptr ? item : "?";
  }
  return text;
}
