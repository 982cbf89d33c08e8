// Hand-written units end to end: every request of the golden inputs (PL/SQL written the way people
// write it: package bodies with handlers and cursors, triggers, types, scripts of small units) that
// translates without an error, each compiled through the compile driver as an engine would send it.
// Real units are small, so this is the figure where a request's fixed costs show, beside the generated
// shapes of pipeline_bench.cpp that grow one unit to 2 MB.
// XCOMP_BENCH_UNITS names another folder of .sql files to read instead (bench-compare points every build
// at the same one, so all sides compile the same requests).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "entry/driver.h"

namespace {

namespace fs = std::filesystem;

std::string unitsFolder() {
  if (const char* folder = std::getenv("XCOMP_BENCH_UNITS"); folder != nullptr && *folder != '\0') return folder;
  return (fs::path(__FILE__).parent_path() / ".." / "tests" / "golden").lexically_normal().string();
}

// The requests of one file as an engine is given them: the texts between lines holding only "/".
std::vector<std::string> requestsOf(const std::string& text) {
  std::vector<std::string> requests;
  std::string current;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::string bare = line;
    bare.erase(std::remove_if(bare.begin(), bare.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; }),
               bare.end());
    if (bare == "/") {
      if (current.find_first_not_of(" \t\r\n") != std::string::npos) requests.push_back(current);
      current.clear();
      continue;
    }
    current += line;
    current += '\n';
  }
  if (current.find_first_not_of(" \t\r\n") != std::string::npos) requests.push_back(current);
  return requests;
}

bool translates(const std::string& request) {
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  compileStatement(request.c_str(), &results, &errors, nullptr);
  const bool clean = errors == nullptr && results != nullptr;
  releaseCompilation(&results, &errors);
  return clean;
}

struct Units {
  std::vector<std::string> requests;
  size_t bytes = 0;
  size_t offered = 0;  // requests read, translated or not
};

// The command-line cases are left out: their inputs are about reading scripts, not about PL/SQL.
const Units& handWrittenUnits() {
  static const Units units = [] {
    Units found;
    const fs::path root = unitsFolder();
    std::error_code failure;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(root, failure), end; !failure && it != end; it.increment(failure)) {
      const fs::path& path = it->path();
      if (path.extension() != ".sql" || path.filename().string().rfind("fail_", 0) == 0) continue;
      if (path.parent_path().filename() == "cli") continue;
      files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files) {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      for (std::string& request : requestsOf(text.str())) {
        ++found.offered;
        if (!translates(request)) continue;
        found.bytes += request.size();
        found.requests.push_back(std::move(request));
      }
    }
    return found;
  }();
  return units;
}

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_HandWrittenUnits(benchmark::State& state) {
  const Units& units = handWrittenUnits();
  if (units.requests.empty()) {
    state.SkipWithError("no hand-written units found (set XCOMP_BENCH_UNITS)");
    return;
  }
  double seconds = 0;
  for (auto _ : state) {
    const double start = threadSeconds();
    for (const std::string& request : units.requests) {
      XcompResult* results = nullptr;
      CompileError* errors = nullptr;
      compileStatement(request.c_str(), &results, &errors, nullptr);
      benchmark::DoNotOptimize(results);
      releaseCompilation(&results, &errors);
    }
    seconds += threadSeconds() - start;
  }
  const double bytes = static_cast<double>(units.bytes) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["MBps"] = seconds > 0 ? bytes / (1024.0 * 1024.0) / seconds : 0;
  state.counters["units"] = static_cast<double>(units.requests.size());
  state.counters["units_read"] = static_cast<double>(units.offered);
  state.counters["bytes_per_unit"] = static_cast<double>(units.bytes) / static_cast<double>(units.requests.size());
}
BENCHMARK(BM_HandWrittenUnits)->Unit(benchmark::kMillisecond);

}  // namespace
