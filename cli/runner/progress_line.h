// progress_line.h - the line "xcomp: 12/340 files, 1234 units, 45.6/300.0 MB, 5.6 MB/s, ETA 0:21,
// 3 errors" on standard error, redrawn in place on a terminal while a run works through its inputs.
// The counts may be raised from any thread; only the runner's thread draws.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "script/inputs.h"

struct ProgressCounts {
  std::atomic<size_t> files{0};
  std::atomic<size_t> bytes{0};
  std::atomic<long> units{0};
  std::atomic<long> failed{0};
};

class ProgressLine {
 public:
  // `failures` names what `failed` counts ("errors", "rejected").
  ProgressLine(bool enabled, size_t files, size_t totalBytes, const char* failures);

  ProgressCounts& counts() { return counts_; }

  // Redraws at most ten times a second, so thousands of small files do not flood the terminal.
  void draw();
  // Removes the line, before anything else is written to the terminal or at the end.
  void clear();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  size_t files_;
  size_t totalBytes_;
  const char* failures_;
  ProgressCounts counts_;
  Clock::time_point start_;
  Clock::time_point drawn_;
  bool shown_ = false;
};

// The size of each input on disk; 0 for standard input, a directory, or a file that cannot be read.
std::vector<size_t> inputSizes(const std::vector<InputFile>& inputs);
