// report.cpp - the assessment run: the run's ordered runner has workers analyse the files and hands
// each file's records to the main thread in input order, which writes them and draws the progress
// line; a watcher thread turns Ctrl-C into a request to stop. Scratch streams hold the files array
// and the page's rows until the end; report.json and report.html appear whole, by renaming.
#include "report.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

#include "ci_outputs.h"
#include "entry/entry.h"
#include "report_baseline.h"
#include "report_csv.h"
#include "report_html.h"
#include "report_json.h"
#include "report_totals.h"
#include "report_units.h"
#include "runner/ordered_runner.h"
#include "runner/progress_line.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

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

class FileListener : public AnalysisListener {
 public:
  // The progress line counts each unit as it is done, so a large file moves it too.
  FileListener(ProgressCounts& counts, const InterruptWatch& interrupt) : counts_(counts), interrupt_(interrupt) {}
  void unitsFound(int) override {}
  void unitDone(const ReportUnit& unit) override {
    ++counts_.units;
    if (!unit.translated) ++counts_.failed;
    counts_.bytes += unit.bytes;
    bytes_ += unit.bytes;
  }
  bool stopRequested() const override { return interrupt_.requested(); }
  // Counts the file, and its bytes that were not in a unit (comments, SQL, a skipped file).
  void fileDone(size_t fileBytes) {
    if (fileBytes > bytes_) counts_.bytes += fileBytes - bytes_;
    ++counts_.files;
  }

 private:
  ProgressCounts& counts_;
  const InterruptWatch& interrupt_;
  size_t bytes_ = 0;
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
  ReportWriter(std::FILE* json, std::FILE* csv, std::FILE* files, std::FILE* rows, std::FILE* rejected,
               std::vector<std::string> directories, BaselineComparison* baseline, CiOutputs* ci)
      : baseline_(baseline),
        ci_(ci),
        json_(json),
        csv_(csv),
        files_(files),
        rows_(rows),
        rejected_(rejected),
        directories_(std::move(directories)) {}

  bool add(FileAnalysis& analysis) {
    bool ok = true;
    long firstRejected = -1;
    // The report may be read on another machine: it names files from the input they were found under.
    analysis.file.path = pathInReport(analysis.file.path, directories_);
    if (ci_ != nullptr)
      ci_->add(analysis.file.path, analysis.units, analysis.file.refusal == Refusal::none ? "" : analysis.file.reason);
    for (const ReportUnit& unit : analysis.units) {
      // A unit from a script the file runs (@, @@, START) is named by that script.
      const std::string path = unit.file.empty() ? analysis.file.path : pathInReport(unit.file, directories_);
      ok = ok && put(json_, (units_++ == 0 ? "\n" : ",\n") + unitJson(path, unit));
      ok = ok && put(csv_, unitCsvRow(path, unit));
      if (baseline_ != nullptr) baseline_->add(path, unit);
      if (unit.translated) continue;
      if (firstRejected < 0) firstRejected = rejectedUnits_;
      ok = ok && put(rejected_, htmlRejectedUnit(path, unit, rejectedUnits_++));
    }
    ok = ok && put(files_, (files_written_ == 0 ? "\n" : ",\n") + fileJson(analysis));
    ok = ok && put(rows_, htmlFileRow(analysis, files_written_++, firstRejected, analysis.file.path));
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
  BaselineComparison* baseline_;  // null without --baseline
  CiOutputs* ci_;                 // null without --sarif, --junit or --fail-under
  std::FILE* json_;
  std::FILE* csv_;
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
  const fs::path csvPath = directory / "units.csv";
  const fs::path csvPart = directory / "units.csv.part";
  File json(std::fopen(jsonPart.c_str(), "wb"));
  File csv(std::fopen(csvPart.c_str(), "wb"));
  File files(std::tmpfile());
  File rows(std::tmpfile());
  File rejected(std::tmpfile());
  if (!json || !csv || !files || !rows || !rejected) return cannotWrite("to '" + options.reportDir + "'", "");

  BaselineComparison baseline;
  if (!options.baseline.empty()) {
    std::string problem;
    if (!baseline.readEarlierReport(options.baseline, &problem)) {
      std::fprintf(stderr, "xcomp: --baseline '%s': %s\n", options.baseline.c_str(), problem.c_str());
      return 2;
    }
  }
  CiOutputs ci(options.ci, xcompVersion());
  if (options.ci.asked()) {
    std::string problem;
    if (!ci.open(&problem)) return cannotWrite(problem, "");
  }
  ReportRun run;
  run.baseline = options.baseline;
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
  bool written = put(json.get(), reportJsonHead(run)) && put(csv.get(), unitsCsvHeader);

  const std::vector<InputFile> inputs = expandInputs(options.paths);
  const std::vector<size_t> sizes = inputSizes(inputs);
  size_t totalBytes = 0;
  for (const size_t size : sizes) totalBytes += size;
  ProgressLine progress(options.progress && isatty(STDERR_FILENO) != 0, inputs.size(), totalBytes, "rejected");
  std::vector<std::string> directories = inputDirectories(options.paths);
  ReportWriter writer(json.get(), csv.get(), files.get(), rows.get(), rejected.get(), std::move(directories),
                      options.baseline.empty() ? nullptr : &baseline, options.ci.asked() ? &ci : nullptr);
  size_t finished = 0;
  {
    InterruptWatch interrupt;
    finished = runInOrder<FileAnalysis>(
        inputs.size(), static_cast<size_t>(options.jobs),
        [&](size_t index) {
          FileListener listener(progress.counts(), interrupt);
          FileAnalysis analysis = analyzeFile(inputs[index], options.translate, &listener);
          listener.fileDone(analysis.file.bytes);
          return analysis;
        },
        [&](size_t, FileAnalysis&& analysis) {
          written = writer.add(analysis) && written;
          progress.draw();
        },
        [&] { progress.draw(); }, [&] { return interrupt.requested(); });
    run.interrupted = interrupt.requested();
  }
  progress.clear();
  run.filesNotRead = static_cast<int>(inputs.size() - finished);
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();

  const ReportTotals& totals = writer.totals();
  written = put(json.get(), "],\n\"files\": [") && copyScratch(files.get(), json.get()) && written;
  const std::optional<ReportChanges> changes =
      options.baseline.empty() ? std::nullopt : std::optional<ReportChanges>(baseline.changes());
  const ReportChanges* changed = changes ? &*changes : nullptr;
  written = put(json.get(), "]" + reportJsonTail(run, totals, changed)) && written;
  written = std::fflush(json.get()) == 0 && written;
  json.reset();
  written = std::fflush(csv.get()) == 0 && written;
  csv.reset();
  File html(std::fopen(htmlPart.c_str(), "wb"));
  written = html && writeHtmlPage(html.get(), run, totals, rows.get(), rejected.get(), changed) &&
            std::fflush(html.get()) == 0 && written;
  html.reset();
  if (!written) {
    fs::remove(jsonPart, error);
    fs::remove(htmlPart, error);
    fs::remove(csvPart, error);
    return cannotWrite("to '" + options.reportDir + "'", "a write failed");
  }
  fs::rename(jsonPart, jsonPath, error);
  if (!error) fs::rename(csvPart, csvPath, error);
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
  if (run.interrupted) return ci.finish(130);
  return ci.finish(all.rejected() > 0 || writer.anyUnreadable() ? 1 : 0);
}
