// xcomp.cpp - the command-line translator's main: expands the inputs, translates the files through
// the run's ordered runner (on -j threads through the thread-safe library), and prints each file's
// report in input order, with a progress line on a terminal. A failed request or a bad file never stops the next one.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "deploy.h"
#include "options.h"
#include "output/out_dir.h"
#include "report/ci_outputs.h"
#include "report/report.h"
#include "runner/ordered_runner.h"
#include "runner/progress_line.h"
#include "script/inputs.h"
#include "translate.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the run did, said in one line on standard error at its end.
class Summary {
 public:
  void add(const FileReport& report) {
    ++files_;
    refused_ += report.refusal.empty() ? 0 : 1;
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
  // What a CI pipeline reads beside the output: files named from their input, as the report names them.
  CiOutputs ci(options.ci, xcompVersion());
  std::string ciProblem;
  if (options.ci.asked() && !ci.open(&ciProblem)) {
    std::fprintf(stderr, "xcomp: %s\n", ciProblem.c_str());
    if (out != stdout) std::fclose(out);
    return 2;
  }
  const std::vector<std::string> inputDirs = inputDirectories(options.paths);
  const Clock::time_point start = Clock::now();
  const std::vector<size_t> sizes = inputSizes(inputs);
  size_t totalBytes = 0;
  for (const size_t size : sizes) totalBytes += size;
  ProgressLine progress(options.progress && inputs.size() > 1 && isatty(STDERR_FILENO) != 0, inputs.size(), totalBytes,
                        "errors");
  Summary summary;
  int status = 0;
  // The translation of a file that was read goes under --out-dir, written by the worker that made it
  // (files do not wait for each other); a failure is said in the file's place in the output.
  // Standard input's translation has no path there and goes to the output.
  auto keep = [&](const InputFile& input, FileReport& report) {
    if (options.outDir.empty() || !report.refusal.empty() || input.kind != InputFile::file) return;
    std::string error;
    if (outDir.write(input, report.translation, &error)) return;
    report.chunks.push_back({true, "xcomp: " + error + "\n"});
    report.status = 2;
  };
  // The progress line must go before anything is written to the terminal it is drawn on.
  const bool outputOnTerminal = out == stdout && isatty(STDOUT_FILENO) != 0;
  auto finish = [&](size_t index, FileReport&& report) {
    const bool writesToTerminal =
        std::any_of(report.chunks.begin(), report.chunks.end(),
                    [&](const FileReport::Chunk& chunk) { return chunk.diagnostics || outputOnTerminal; });
    if (writesToTerminal) progress.clear();
    print(report, out);
    if (!options.outDir.empty() && inputs[index].kind == InputFile::standardInput)
      std::fwrite(report.translation.data(), 1, report.translation.size(), out);
    ProgressCounts& counts = progress.counts();
    ++counts.files;
    counts.units += report.units;
    counts.failed += report.errors;
    counts.bytes += sizes[index];
    summary.add(report);
    progress.draw();
    status = std::max(status, report.status);
    if (options.ci.asked())
      ci.add(pathInReport(inputs[index].shownName, inputDirs), report.unitRecords, report.refusal);
  };
  Deployment* const deploying = deployment ? &*deployment : nullptr;
  runInOrder<FileReport>(
      inputs.size(), static_cast<size_t>(options.jobs),
      [&](size_t index) {
        FileReport report = translateFile(inputs[index], options.translate, deploying);
        keep(inputs[index], report);
        return report;
      },
      finish, [&] { progress.draw(); });
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
  return ci.finish(status);
}
