// xcomp.cpp - the command-line translator's main: expands the inputs, translates the files (on -j
// threads through the thread-safe library), and prints each file's report in input order, with a
// progress line on a terminal. A failed request or a bad file never stops the next one.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "deploy.h"
#include "options.h"
#include "output/out_dir.h"
#include "report/report.h"
#include "script/inputs.h"
#include "translate.h"

namespace {

using Clock = std::chrono::steady_clock;

// The line "xcomp: 12/340 files, 1234 units, 5.6 MB/s, 3 errors" on standard error, redrawn in place.
class Progress {
 public:
  Progress(bool enabled, size_t files) : enabled_(enabled), files_(files), start_(Clock::now()) {}

  void count(const FileReport& report) {
    ++done_;
    units_ += report.units;
    errors_ += report.errors;
    bytes_ += report.bytes;
  }

  // Removes the line before anything else is written.
  void clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", stderr);
    shown_ = false;
  }

  // Redraws at most ten times a second, so thousands of small files do not flood the terminal.
  void draw(FILE* out) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (shown_ && now - drawn_ < std::chrono::milliseconds(100)) return;
    drawn_ = now;
    std::fflush(out);
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(bytes_) / 1e6 / seconds : 0.0;
    std::fprintf(stderr, "\r\033[Kxcomp: %zu/%zu files, %d units, %.1f MB/s, %d error%s", done_, files_, units_, rate,
                 errors_, errors_ == 1 ? "" : "s");
    std::fflush(stderr);
    shown_ = true;
  }

 private:
  bool enabled_;
  size_t files_;
  Clock::time_point start_;
  size_t done_ = 0;
  int units_ = 0;
  int errors_ = 0;
  size_t bytes_ = 0;
  bool shown_ = false;
  Clock::time_point drawn_;
};

// What the run did, said in one line on standard error at its end.
class Summary {
 public:
  void add(const FileReport& report) {
    ++files_;
    refused_ += report.refused ? 1 : 0;
    translated_ += report.translated;
    failed_ += report.failed;
    statements_ += report.statements;
    commands_ += report.commands;
  }

  // "xcomp: 3 files (1 refused), 12 units translated, 1 failed, 4 statements copied, 2 commands
  // skipped, in 0.05 s"
  std::string line(double seconds) const {
    std::string out = "xcomp: " + counted(files_, "file");
    if (refused_ > 0) out += " (" + std::to_string(refused_) + " refused)";
    out += ", " + counted(translated_, "unit") + " translated, " + std::to_string(failed_) + " failed, ";
    out += counted(statements_, "statement") + " copied, " + counted(commands_, "command") + " skipped";
    char time[32];
    std::snprintf(time, sizeof time, ", in %.2f s\n", seconds);
    return out + time;
  }

 private:
  static std::string counted(size_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
  }

  size_t files_ = 0, refused_ = 0, translated_ = 0, failed_ = 0, statements_ = 0, commands_ = 0;
};

void print(const FileReport& report, FILE* out) {
  for (const FileReport::Chunk& chunk : report.chunks) {
    if (chunk.diagnostics) std::fflush(out);
    std::fwrite(chunk.text.data(), 1, chunk.text.size(), chunk.diagnostics ? stderr : out);
    if (chunk.diagnostics) std::fflush(stderr);
  }
}

// Reports come from the workers in any order and are printed in input order.
class ReportQueue {
 public:
  explicit ReportQueue(size_t size) : reports_(size) {}

  void put(size_t index, FileReport report) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      reports_[index] = std::move(report);
    }
    ready_.notify_all();
  }

  // The report of file `index`, or nothing if it is not ready within `wait`.
  std::optional<FileReport> take(size_t index, Clock::duration wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!ready_.wait_for(lock, wait, [&] { return reports_[index].has_value(); })) return std::nullopt;
    std::optional<FileReport> report = std::move(reports_[index]);
    reports_[index].reset();
    return report;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<std::optional<FileReport>> reports_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options = parseOptions(argc, argv);
  options.translate.color = colorWanted(options.color, STDERR_FILENO);
  // The parser's trace switch is process-wide and the dump file is appended to by each request:
  // both want one request at a time.
  if (options.translate.compile.traceParser || options.translate.compile.dump) options.jobs = 1;
  if (!options.reportDir.empty()) return runReport(options);

  std::FILE* out = stdout;
  if (!options.output.empty()) {
    out = std::fopen(options.output.c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "xcomp: cannot write '%s'\n", options.output.c_str());
      return 2;
    }
  }

  // A deployment runs its items in file order, on one connection of its own for the plain SQL.
  std::optional<Deployment> deployment;
  if (options.translate.compile.execute.enabled) {
    options.jobs = 1;
    deployment.emplace(options.translate.compile.execute);
    std::string error;
    if (!deployment->connect(&error)) {
      std::fprintf(stderr, "xcomp: %s\n", error.c_str());
      if (options.translate.json) std::fputs(deployment->summaryJson(1, error).c_str(), out);
      if (out != stdout) std::fclose(out);
      return 1;
    }
  }

  // An out-dir that cannot be written is found before any file is read.
  OutDir outDir;
  std::string outDirError;
  if (!options.outDir.empty() && !outDir.open(options.outDir, &outDirError)) {
    std::fprintf(stderr, "xcomp: %s\n", outDirError.c_str());
    if (out != stdout) std::fclose(out);
    return 2;
  }

  const std::vector<InputFile> inputs = expandInputs(options.paths);
  const Clock::time_point start = Clock::now();
  Progress progress(options.progress && inputs.size() > 1 && isatty(STDERR_FILENO) != 0, inputs.size());
  Summary summary;
  int status = 0;
  // The progress line must go before anything is written to the terminal it is drawn on.
  const bool outputOnTerminal = out == stdout && isatty(STDOUT_FILENO) != 0;
  // The translation of a file that was read goes under --out-dir; standard input's has no path there
  // and goes to the output.
  auto keep = [&](const InputFile& input, const FileReport& report) {
    if (options.outDir.empty() || report.refused) return;
    if (input.kind == InputFile::standardInput) {
      std::fwrite(report.translation.data(), 1, report.translation.size(), out);
    } else if (input.kind == InputFile::file && !outDir.write(input, report.translation, &outDirError)) {
      std::fflush(out);
      std::fprintf(stderr, "xcomp: %s\n", outDirError.c_str());
      status = 2;
    }
  };
  auto finish = [&](const InputFile& input, const FileReport& report) {
    const bool writesToTerminal =
        std::any_of(report.chunks.begin(), report.chunks.end(),
                    [&](const FileReport::Chunk& chunk) { return chunk.diagnostics || outputOnTerminal; });
    if (writesToTerminal) progress.clear();
    print(report, out);
    keep(input, report);
    progress.count(report);
    summary.add(report);
    progress.draw(out);
    status = std::max(status, report.status);
  };

  const size_t workers = std::min(static_cast<size_t>(options.jobs), inputs.size());
  if (workers <= 1) {
    for (const InputFile& input : inputs)
      finish(input, translateFile(input, options.translate, deployment ? &*deployment : nullptr));
  } else {
    ReportQueue queue(inputs.size());
    std::mutex nextMutex;
    size_t next = 0;
    std::vector<std::thread> threads;
    for (size_t w = 0; w < workers; ++w) {
      threads.emplace_back([&] {
        for (;;) {
          size_t index;
          {
            const std::lock_guard<std::mutex> lock(nextMutex);
            if (next >= inputs.size()) return;
            index = next++;
          }
          queue.put(index, translateFile(inputs[index], options.translate));
        }
      });
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
      std::optional<FileReport> report;
      while (!(report = queue.take(i, std::chrono::milliseconds(200)))) progress.draw(out);
      finish(inputs[i], *report);
    }
    for (std::thread& thread : threads) thread.join();
  }
  progress.clear();
  if (deployment) {
    status = deployment->exitStatus(status);
    if (options.translate.json) {
      std::fputs(deployment->summaryJson(status, "").c_str(), out);
    } else if (!options.translate.quiet) {
      std::fflush(out);
      std::fputs(deployment->summaryText().c_str(), stderr);
    }
  }
  // A deployment's own summary says what ran; the run's would say it twice.
  if (!options.translate.quiet && !deployment) {
    std::fflush(out);
    std::fputs(summary.line(std::chrono::duration<double>(Clock::now() - start).count()).c_str(), stderr);
  }
  if (out != stdout) std::fclose(out);
  return status;
}
