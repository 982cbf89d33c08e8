// progress_line.cpp - drawing the run's progress line.
#include "progress_line.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

std::string clock(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char buffer[32];
  if (s >= 3600) {
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld", s / 60, s % 60);
  }
  return buffer;
}

}  // namespace

ProgressLine::ProgressLine(bool enabled, size_t files, size_t totalBytes, const char* failures)
    : enabled_(enabled), files_(files), totalBytes_(totalBytes), failures_(failures), start_(Clock::now()) {}

void ProgressLine::draw() {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (shown_ && now - drawn_ < std::chrono::milliseconds(100)) return;
  drawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const auto done = static_cast<double>(counts_.bytes.load());
  const double rate = seconds > 0 ? done / seconds : 0.0;
  std::string eta = "--:--";
  if (rate > 0 && seconds >= 1 && totalBytes_ > 0)
    eta = clock(std::max(0.0, static_cast<double>(totalBytes_) - done) / rate);
  std::fprintf(stderr, "\r\033[Kxcomp: %zu/%zu files, %ld units, %.1f/%.1f MB, %.1f MB/s, ETA %s, %ld %s",
               counts_.files.load(), files_, counts_.units.load(), done / 1e6, static_cast<double>(totalBytes_) / 1e6,
               rate / 1e6, eta.c_str(), counts_.failed.load(), failures_);
  std::fflush(stderr);
  shown_ = true;
}

void ProgressLine::clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

std::vector<size_t> inputSizes(const std::vector<InputFile>& inputs) {
  std::vector<size_t> sizes;
  sizes.reserve(inputs.size());
  for (const InputFile& input : inputs) {
    std::error_code error;
    const std::uintmax_t size = input.kind == InputFile::file ? std::filesystem::file_size(input.path, error) : 0;
    sizes.push_back(error ? 0 : static_cast<size_t>(size));
  }
  return sizes;
}
