// Engine threads often have small stacks. On a thread of 256 KiB every input compiles or fails with the
// statement-too-big record, at the deepest nesting the parser accepts of every construct that nests;
// on a thread with room to spare the same inputs compile as before. Concurrent calls on small stacks give
// what one thread gives.
#include <gtest/gtest.h>

#include <pthread.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "entry/entry.h"

namespace {

constexpr size_t smallStack = 256 * 1024;

// Runs `work` on a new thread with a stack of `stackSize` bytes and waits for it.
void onThread(size_t stackSize, const std::function<void()>& work) {
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, stackSize), 0);
  pthread_t thread;
  auto* task = new std::function<void()>(work);
  auto body = [](void* arg) -> void* {
    auto* f = static_cast<std::function<void()>*>(arg);
    (*f)();
    delete f;
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, task), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

struct Outcome {
  bool compiled = false;
  uint32_t domain = 0;
  std::string message;
  std::string text;
};

Outcome compile(const std::string& text) {
  SessionSettings settings = sessionSettingsFor(1208, 'S', '0', '0');
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  compileStatement(text.c_str(), &results, &errors, &settings);
  Outcome outcome;
  outcome.compiled = errors == nullptr && results != nullptr;
  if (errors != nullptr) {
    outcome.domain = errors->domain;
    outcome.message = errors->message;
  }
  for (const XcompResult* r = results; r != nullptr; r = r->next) outcome.text.append(r->text, r->length);
  releaseCompilation(&results, &errors);
  return outcome;
}

struct Nesting {
  const char* name;
  std::function<std::string(int)> text;
};

std::string nested(const std::string& open, const std::string& inner, const std::string& close, int depth) {
  std::string text = "CREATE PROCEDURE deep(x NUMBER) IS\n  y NUMBER;\nBEGIN\n";
  for (int d = 0; d < depth; ++d) text += open;
  text += inner;
  for (int d = 0; d < depth; ++d) text += close;
  return text + "EXCEPTION\n  WHEN OTHERS THEN\n    RAISE;\nEND;\n";
}

const std::vector<Nesting>& nestings() {
  static const std::vector<Nesting> all = {
      {"IF", [](int d) { return nested("IF x > 0 THEN\n", "y := 1;\n", "END IF;\n", d); }},
      {"LOOP", [](int d) { return nested("LOOP\n", "EXIT;\n", "END LOOP;\n", d); }},
      {"CASE", [](int d) { return nested("CASE WHEN x = 1 THEN\n", "y := 1;\n", "END CASE;\n", d); }},
      {"FOR", [](int d) { return nested("FOR i IN 1 .. 2 LOOP\n", "y := i;\n", "END LOOP;\n", d); }},
      {"blocks", [](int d) { return nested("BEGIN\n", "y := 1;\n", "END;\n", d); }},
      {"blocks with handlers",
       [](int d) { return nested("BEGIN\n", "y := 1;\n", "EXCEPTION WHEN OTHERS THEN y := SQLCODE;\nEND;\n", d); }},
      {"parentheses",
       [](int d) {
         return "CREATE PROCEDURE deep(x NUMBER) IS\n  y NUMBER;\nBEGIN\n  y := " + std::string(d, '(') + "x" +
                std::string(d, ')') + ";\nEND;\n";
       }},
  };
  return all;
}

// The deepest nesting the parser takes, found on this thread's ample stack: past it the parser itself
// refuses the text, so nothing deeper can reach the walks.
int deepestAccepted(const Nesting& nesting) {
  int low = 1;
  int high = 20000;
  while (low < high) {
    const int mid = (low + high + 1) / 2;
    if (compile(nesting.text(mid)).compiled) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

TEST(SmallStacks, DeepestAcceptedNestingCompilesOrFailsCleanlyOn256KiB) {
  for (const Nesting& nesting : nestings()) {
    SCOPED_TRACE(nesting.name);
    const int depth = deepestAccepted(nesting);
    EXPECT_GT(depth, 100) << "the parser should take real code's nesting";
    const std::string text = nesting.text(depth);
    const Outcome ample = compile(text);
    ASSERT_TRUE(ample.compiled);
    Outcome small;
    onThread(smallStack, [&] { small = compile(text); });
    if (small.compiled) {
      EXPECT_EQ(small.text, ample.text);
    } else {
      EXPECT_EQ(small.domain, statementTooBig);
      EXPECT_EQ(small.message, maxNestingMessage);
    }
    // Shallow enough code is not affected by the small stack at all.
    const std::string shallow = nesting.text(100);
    Outcome shallowSmall;
    onThread(smallStack, [&] { shallowSmall = compile(shallow); });
    EXPECT_TRUE(shallowSmall.compiled);
    EXPECT_EQ(shallowSmall.text, compile(shallow).text);
  }
}

// The report of a walk stopped short reaches the caller as the SQLCA of a statement too big.
TEST(SmallStacks, TooDeepForTheThreadIsStatementTooBigInTheSqlca) {
  const std::string text = nestings()[0].text(deepestAccepted(nestings()[0]));
  std::vector<char> area(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
  auto* statement = reinterpret_cast<XcompStatement*>(area.data());
  statement->length = static_cast<uint32_t>(text.size());
  std::memcpy(statement->text, text.data(), text.size());
  SQLCA sqlca;
  clearSqlca(&sqlca);
  const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
  // A stack this small cannot walk the deepest IF nesting in any build.
  onThread(96 * 1024, [&] { EXPECT_EQ(xcomp2(statement, &options, &sqlca), 1); });
  EXPECT_EQ(sqlca.sqlcode, -101);
  EXPECT_EQ(std::string(sqlca.sqlstate, 5), "54001");
  EXPECT_EQ(std::string(sqlca.sqlerrmc, sqlca.sqlerrml), "Statement too big");
}

TEST(SmallStacks, ConcurrentCallsOnSmallStacksGiveWhatOneThreadGives) {
  std::vector<std::string> inputs = {"BEGIN NULL; END;", "CREATE PROCEDURE p IS BEGIN x := ; END;"};
  // Nesting as deep as real code goes, which a small stack must take in every build.
  for (const Nesting& nesting : nestings()) inputs.push_back(nesting.text(40));
  std::vector<Outcome> expected;
  for (const std::string& input : inputs) expected.push_back(compile(input));
  constexpr int threadCount = 8;
  std::vector<int> mismatches(threadCount, 0);
  std::vector<pthread_t> threads(threadCount);
  struct Work {
    const std::vector<std::string>* inputs;
    const std::vector<Outcome>* expected;
    int* mismatches;
    int offset;
  };
  std::vector<Work> work(threadCount);
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, smallStack), 0);
  for (int t = 0; t < threadCount; ++t) {
    work[t] = {&inputs, &expected, &mismatches[t], t};
    auto body = [](void* arg) -> void* {
      auto* w = static_cast<Work*>(arg);
      for (int i = 0; i < 100; ++i) {
        const size_t which = static_cast<size_t>(i + w->offset) % w->inputs->size();
        const Outcome got = compile((*w->inputs)[which]);
        const Outcome& want = (*w->expected)[which];
        if (got.compiled != want.compiled || got.text != want.text || got.message != want.message) ++*w->mismatches;
      }
      return nullptr;
    };
    ASSERT_EQ(pthread_create(&threads[t], &attr, body, &work[t]), 0);
  }
  for (pthread_t thread : threads) pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  for (int t = 0; t < threadCount; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
