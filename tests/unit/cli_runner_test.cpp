// The ordered runner both the translation and the report go through: results in input order whatever
// order the workers finish in, never more than its window ahead, and a stop that loses nothing started.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "runner/ordered_runner.h"

namespace {

TEST(OrderedRunner, DeliversInInputOrderWithinItsWindow) {
  const size_t count = runnerWindow * 3;
  std::atomic<size_t> deliveredSoFar{0};
  std::atomic<size_t> furthestAhead{0};
  std::vector<size_t> order;
  const size_t delivered = runInOrder<size_t>(
      count, 4,
      [&](size_t i) {
        // Early files are slow, so later ones finish first.
        if (i % 7 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const size_t ahead = i - deliveredSoFar.load();
        if (ahead > furthestAhead) furthestAhead = ahead;
        return i * 10;
      },
      [&](size_t i, size_t&& result) {
        EXPECT_EQ(result, i * 10);
        order.push_back(i);
        ++deliveredSoFar;
      },
      [] {});
  EXPECT_EQ(delivered, count);
  ASSERT_EQ(order.size(), count);
  for (size_t i = 0; i < count; ++i) EXPECT_EQ(order[i], i);
  EXPECT_LE(furthestAhead.load(), runnerWindow);
}

TEST(OrderedRunner, AStopDeliversWhatWasStartedAndStartsNothingMore) {
  std::atomic<bool> stop{false};
  std::atomic<size_t> started{0};
  const size_t delivered = runInOrder<int>(
      1000, 2,
      [&](size_t i) {
        ++started;
        if (i == 5) stop = true;
        return 0;
      },
      [](size_t, int&&) {}, [] {}, [&] { return stop.load(); });
  EXPECT_EQ(delivered, started.load()) << "every file started is delivered";
  EXPECT_LT(started.load(), 1000u);
  EXPECT_EQ(runInOrder<int>(
                0, 4, [](size_t) { return 0; }, [](size_t, int&&) {}, [] {}),
            0u);
}

}  // namespace
