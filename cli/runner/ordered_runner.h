// ordered_runner.h - the one way xcomp works through its inputs, translating or assessing: workers
// take the files in turn, and the calling thread receives each result in input order as soon as it
// is there, redrawing the progress line while it waits. Workers run at most `runnerWindow` files
// ahead of the one awaited, so results waiting to be delivered stay few.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

constexpr size_t runnerWindow = 64;

// Runs `work(i)` for i in [0, count) on min(jobs, count) threads and calls `deliver(i, result)` on
// the calling thread in order of i; `waiting()` is called about ten times a second while the next
// result is not ready. Once `stop()` returns true no further file is started, and delivery ends at
// the first file that was never started. Returns how many results were delivered.
template <typename Result>
size_t runInOrder(
    size_t count, size_t jobs, const std::function<Result(size_t)>& work,
    const std::function<void(size_t, Result&&)>& deliver, const std::function<void()>& waiting,
    const std::function<bool()>& stop = [] { return false; }) {
  std::mutex mutex;
  std::condition_variable changed;
  std::map<size_t, Result> done;
  size_t next = 0;
  size_t delivered = 0;
  auto take = [&](size_t* index) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      if (stop() || next >= count) return false;
      if (next < delivered + runnerWindow) break;
      changed.wait_for(lock, std::chrono::milliseconds(100));
    }
    *index = next++;
    return true;
  };
  std::vector<std::thread> workers;
  const size_t threads = std::max<size_t>(1, std::min(jobs, count));
  for (size_t w = 0; w < threads; ++w) {
    workers.emplace_back([&] {
      size_t index;
      while (take(&index)) {
        Result result = work(index);
        {
          const std::lock_guard<std::mutex> lock(mutex);
          done.emplace(index, std::move(result));
        }
        changed.notify_all();
      }
    });
  }
  while (delivered < count) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return done.count(delivered) != 0; });
    const auto found = done.find(delivered);
    if (found == done.end()) {
      const bool never = stop() && delivered >= next;
      lock.unlock();
      if (never) break;
      waiting();
      continue;
    }
    Result result = std::move(found->second);
    done.erase(found);
    const size_t index = delivered++;
    lock.unlock();
    changed.notify_all();
    deliver(index, std::move(result));
  }
  for (std::thread& worker : workers) worker.join();
  return delivered;
}
