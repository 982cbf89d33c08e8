// report.cpp - the assessment run: workers analyse files (at most `window` ahead of the writer), the
// main thread writes each file's records in input order as soon as it has them and draws the progress
// line, and a watcher thread turns Ctrl-C into a request to stop. Scratch streams hold the files array
// and the page's rows until the end; report.json and report.html appear whole, by renaming.
#include "report.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "entry/entry.h"
#include "report_html.h"
#include "report_json.h"
#include "report_totals.h"
#include "report_units.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// How many files the workers may finish ahead of the one the writer waits for: enough to keep them
// busy behind a slow file, few enough that waiting records stay small.
constexpr size_t window = 64;

// SIGINT and SIGTERM are blocked in every thread of the run and taken by this one, so a worker is
// never interrupted inside a compilation. The first asks the run to stop; a second one, once the first
// is taken, ends the process as usual.
class InterruptWatch {
 public:
  InterruptWatch() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    // Before any other thread starts, so that they all inherit the mask.
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    thread_ = std::thread([this] { watch(); });
  }
  ~InterruptWatch() {
    finished_ = true;
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool requested() const { return requested_; }

 private:
  void watch() {
    const timespec tick{0, 100'000'000};
    while (!finished_) {
      const int signal = sigtimedwait(&signals_, nullptr, &tick);
      if (signal != SIGINT && signal != SIGTERM) continue;
      requested_ = true;
      pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr);
      while (!finished_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  sigset_t signals_;
  sigset_t previous_;
  std::atomic<bool> requested_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

// What the workers have done so far, for the progress line.
struct Counters {
  std::atomic<long> unitsFound{0};
  std::atomic<size_t> filesCounted{0};  // files whose units are counted
  std::atomic<size_t> bytesCounted{0};  // their size on disk
  std::atomic<long> unitsDone{0};
  std::atomic<long> unitsRejected{0};
  std::atomic<size_t> bytesDone{0};
};

class FileListener : public AnalysisListener {
 public:
  FileListener(Counters& counters, const InterruptWatch& interrupt, size_t fileSize)
      : counters_(counters), interrupt_(interrupt), fileSize_(fileSize) {}
  void unitsFound(int units) override {
    counters_.unitsFound += units;
    counters_.bytesCounted += fileSize_;
    ++counters_.filesCounted;
  }
  void unitDone(const ReportUnit& unit) override {
    ++counters_.unitsDone;
    if (!unit.translated) ++counters_.unitsRejected;
    counters_.bytesDone += unit.bytes;
    bytes_ += unit.bytes;
  }
  bool stopRequested() const override { return interrupt_.requested(); }
  // Counts the bytes of the file that were not in a unit (comments, SQL, a skipped file).
  void fileDone(size_t fileBytes) {
    if (fileBytes > bytes_) counters_.bytesDone += fileBytes - bytes_;
  }

 private:
  Counters& counters_;
  const InterruptWatch& interrupt_;
  size_t fileSize_;
  size_t bytes_ = 0;
};

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

// "xcomp: 1234/5678 units, 45.6/300.0 MB, 12.3 MB/s, ETA 0:21, 56 rejected", redrawn in place at most
// ten times a second. Until every file is read the unit total is estimated ("~5700") from the units per
// byte of the files read so far.
class ProgressLine {
 public:
  ProgressLine(bool enabled, size_t files, size_t totalBytes, const Counters& counters)
      : enabled_(enabled), files_(files), totalBytes_(totalBytes), counters_(counters), start_(Clock::now()) {}

  void draw() {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (shown_ && now - drawn_ < std::chrono::milliseconds(100)) return;
    drawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const auto done = static_cast<double>(counters_.bytesDone.load());
    const double rate = seconds > 0 ? done / seconds : 0.0;
    const bool counted = counters_.filesCounted.load() >= files_;
    long total = counters_.unitsFound.load();
    const size_t bytesCounted = counters_.bytesCounted.load();
    if (!counted && bytesCounted > 0 && totalBytes_ > bytesCounted)
      total = static_cast<long>(static_cast<double>(total) * static_cast<double>(totalBytes_) / bytesCounted);
    std::string eta = "--:--";
    if (rate > 0 && seconds >= 1 && totalBytes_ > 0)
      eta = clock(std::max(0.0, static_cast<double>(totalBytes_) - done) / rate);
    std::fprintf(stderr, "\r\033[Kxcomp: %ld/%s%ld units, %.1f/%.1f MB, %.1f MB/s, ETA %s, %ld rejected",
                 counters_.unitsDone.load(), counted ? "" : "~", total, done / 1e6,
                 static_cast<double>(totalBytes_) / 1e6, rate / 1e6, eta.c_str(), counters_.unitsRejected.load());
    std::fflush(stderr);
    shown_ = true;
  }

  void clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
  }

 private:
  bool enabled_;
  size_t files_;
  size_t totalBytes_;
  const Counters& counters_;
  Clock::time_point start_;
  Clock::time_point drawn_;
  bool shown_ = false;
};

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool put(std::FILE* out, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

std::string localTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &parts);
  return buffer;
}

// Writes each file's records, in input order, to the report's streams and keeps the totals.
class ReportWriter {
 public:
  ReportWriter(std::FILE* json, std::FILE* files, std::FILE* rows, std::FILE* rejected,
               std::vector<std::string> directories)
      : json_(json), files_(files), rows_(rows), rejected_(rejected), directories_(std::move(directories)) {}

  bool add(const FileAnalysis& analysis) {
    bool ok = true;
    long firstRejected = -1;
    for (const ReportUnit& unit : analysis.units) {
      ok = ok && put(json_, (units_++ == 0 ? "\n" : ",\n") +
                                unitJson(unit.file.empty() ? analysis.file.path : unit.file, unit));
      if (unit.translated) continue;
      if (firstRejected < 0) firstRejected = rejectedUnits_;
      ok = ok &&
           put(rejected_, htmlRejectedUnit(unit.file.empty() ? analysis.file.path : unit.file, unit, rejectedUnits_++));
    }
    ok = ok && put(files_, (files_written_ == 0 ? "\n" : ",\n") + fileJson(analysis));
    ok = ok && put(rows_, htmlFileRow(analysis, files_written_++, firstRejected, shownPath(analysis.file.path)));
    totals_.add(analysis);
    // A file the command would report as bad: unreadable, or with text the reader could not place.
    const bool problem = std::any_of(analysis.file.problems.begin(), analysis.file.problems.end(),
                                     [](const Diagnostic& d) { return d.severity == Severity::error; });
    if (analysis.file.unreadable || problem) anyUnreadable_ = true;
    return ok;
  }

  const ReportTotals& totals() const { return totals_; }
  bool anyUnreadable() const { return anyUnreadable_; }

 private:
  // The page names a file found under an input directory from that directory, which its header names.
  std::string shownPath(const std::string& path) const {
    for (const std::string& directory : directories_) {
      if (path.size() > directory.size() && path.starts_with(directory)) return path.substr(directory.size());
    }
    return path;
  }

  std::FILE* json_;
  std::FILE* files_;
  std::FILE* rows_;
  std::FILE* rejected_;
  long units_ = 0;
  long files_written_ = 0;
  long rejectedUnits_ = 0;
  std::vector<std::string> directories_;  // the input directories, each ending in '/'
  ReportTotals totals_;
  bool anyUnreadable_ = false;
};

// Files finished by the workers and not yet written, and which file to start next.
class WorkQueue {
 public:
  explicit WorkQueue(size_t files) : files_(files) {}

  // The next file to analyse, or false when there is none or the run is stopping.
  bool take(size_t* index, const InterruptWatch& interrupt) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (interrupt.requested() || next_ >= files_) return false;
      if (next_ < written_ + window) break;
      changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
    *index = next_++;
    return true;
  }

  void finish(size_t index, FileAnalysis analysis) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      done_.emplace(index, std::move(analysis));
    }
    changed_.notify_all();
  }

  // File `index`'s analysis; nothing when it is not ready within `wait`, or will never be (the run
  // stopped before it was started: `*never` is set).
  std::optional<FileAnalysis> result(size_t index, Clock::duration wait, const InterruptWatch& interrupt, bool* never) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, wait, [&] { return done_.count(index) != 0; });
    const auto found = done_.find(index);
    if (found == done_.end()) {
      *never = interrupt.requested() && index >= next_;
      return std::nullopt;
    }
    std::optional<FileAnalysis> analysis = std::move(found->second);
    done_.erase(found);
    written_ = index + 1;
    lock.unlock();
    changed_.notify_all();
    return analysis;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t files_;
  size_t next_ = 0;
  size_t written_ = 0;
  std::map<size_t, FileAnalysis> done_;
};

// The size of each input on disk; 0 for standard input, a directory, or a file that cannot be read.
std::vector<size_t> inputSizes(const std::vector<InputFile>& inputs) {
  std::vector<size_t> sizes;
  sizes.reserve(inputs.size());
  for (const InputFile& input : inputs) {
    std::error_code error;
    const std::uintmax_t size = input.kind == InputFile::file ? fs::file_size(input.path, error) : 0;
    sizes.push_back(error ? 0 : static_cast<size_t>(size));
  }
  return sizes;
}

int cannotWrite(const std::string& what, const std::string& why) {
  std::fprintf(stderr, "xcomp: cannot write the report %s%s%s\n", what.c_str(), why.empty() ? "" : ": ", why.c_str());
  return 2;
}

}  // namespace

int runReport(const Options& options) {
  const fs::path directory = options.reportDir;
  std::error_code error;
  fs::create_directories(directory, error);
  if (error || !fs::is_directory(directory)) return cannotWrite("to '" + options.reportDir + "'", error.message());
  const fs::path jsonPath = directory / "report.json";
  const fs::path htmlPath = directory / "report.html";
  const fs::path jsonPart = directory / "report.json.part";
  const fs::path htmlPart = directory / "report.html.part";
  File json(std::fopen(jsonPart.c_str(), "wb"));
  File files(std::tmpfile());
  File rows(std::tmpfile());
  File rejected(std::tmpfile());
  if (!json || !files || !rows || !rejected) return cannotWrite("to '" + options.reportDir + "'", "");

  ReportRun run;
  run.version = xcompVersion();
  run.inputs = options.paths;
  run.jobs = options.jobs;
  run.codePage = options.translate.compile.codePage;
  run.raw = options.translate.raw;
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) {
    if ((options.translate.compile.extensions & row->bit) != 0) run.extensions.emplace_back(row->name);
  }
  run.started = localTime();
  const Clock::time_point start = Clock::now();
  bool written = put(json.get(), reportJsonHead(run));

  const std::vector<InputFile> inputs = expandInputs(options.paths);
  Counters counters;
  const std::vector<size_t> sizes = inputSizes(inputs);
  size_t totalBytes = 0;
  for (const size_t size : sizes) totalBytes += size;
  ProgressLine progress(options.progress && isatty(STDERR_FILENO) != 0, inputs.size(), totalBytes, counters);
  std::vector<std::string> directories;
  for (const std::string& path : options.paths) {
    if (path != "-" && fs::is_directory(path, error)) directories.push_back(path.ends_with('/') ? path : path + "/");
  }
  ReportWriter writer(json.get(), files.get(), rows.get(), rejected.get(), std::move(directories));
  size_t finished = 0;
  {
    InterruptWatch interrupt;
    WorkQueue queue(inputs.size());
    std::vector<std::thread> workers;
    const size_t count = std::max<size_t>(1, std::min(static_cast<size_t>(options.jobs), inputs.size()));
    for (size_t w = 0; w < count; ++w) {
      workers.emplace_back([&] {
        size_t index;
        while (queue.take(&index, interrupt)) {
          FileListener listener(counters, interrupt, sizes[index]);
          FileAnalysis analysis = analyzeFile(inputs[index], options.translate, &listener);
          listener.fileDone(analysis.file.bytes);
          queue.finish(index, std::move(analysis));
        }
      });
    }
    for (; finished < inputs.size(); ++finished) {
      std::optional<FileAnalysis> analysis;
      bool never = false;
      while (!(analysis = queue.result(finished, std::chrono::milliseconds(100), interrupt, &never)) && !never)
        progress.draw();
      if (!analysis) break;
      written = writer.add(*analysis) && written;
      progress.draw();
    }
    for (std::thread& worker : workers) worker.join();
    run.interrupted = interrupt.requested();
  }
  progress.clear();
  run.filesNotRead = static_cast<int>(inputs.size() - finished);
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();

  const ReportTotals& totals = writer.totals();
  written = put(json.get(), "],\n\"files\": [") && copyScratch(files.get(), json.get()) && written;
  written = put(json.get(), "]" + reportJsonTail(run, totals)) && written;
  written = std::fflush(json.get()) == 0 && written;
  json.reset();
  File html(std::fopen(htmlPart.c_str(), "wb"));
  written = html && writeHtmlPage(html.get(), run, totals, rows.get(), rejected.get()) &&
            std::fflush(html.get()) == 0 && written;
  html.reset();
  if (!written) {
    fs::remove(jsonPart, error);
    fs::remove(htmlPart, error);
    return cannotWrite("to '" + options.reportDir + "'", "a write failed");
  }
  fs::rename(jsonPart, jsonPath, error);
  if (!error) fs::rename(htmlPart, htmlPath, error);
  if (error) return cannotWrite("to '" + options.reportDir + "'", error.message());

  const UnitCounts& all = totals.all();
  std::printf("xcomp: %s: %d of %d units translate (%.1f %%), %zu of %zu lines; %d rejected, %d files skipped%s\n",
              htmlPath.c_str(), all.translated, all.units, all.units == 0 ? 0.0 : 100.0 * all.translated / all.units,
              all.linesTranslated, all.lines, all.rejected(), totals.filesSkipped(),
              run.interrupted ? "; interrupted, the report is partial" : "");
  if (!run.extensions.empty()) {
    std::printf("xcomp: with --extend, %d more units translate (%.1f %% in all)\n",
                totals.unitsTranslatedWithExtensions(),
                all.units == 0 ? 0.0 : 100.0 * (all.translated + totals.unitsTranslatedWithExtensions()) / all.units);
  }
  std::fflush(stdout);
  if (run.interrupted) return 130;
  return all.rejected() > 0 || writer.anyUnreadable() ? 1 : 0;
}
