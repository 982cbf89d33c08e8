// End-to-end compile throughput in MB/s of PL/SQL over one large generated procedure, through the
// driver as the entry point calls it, next to the same text carried only through scan+parse and through
// parse+transform. BM_CompileStages times the three stages inside one compilation per pass and reports
// each stage's share of the whole, so the shares come from a single run.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <string>

#include "emit/emit.h"
#include "entry/driver.h"
#include "lexer/lexer.h"
#include "parser/parser.h"
#include "pool/pool.h"
#include "transform/transform.h"
#include "workload.h"

namespace {

constexpr size_t benchBytes = 2 * 1024 * 1024;

const std::string& benchText() {
  static const std::string text = generatePlsql(benchBytes);
  return text;
}

// Stage times are this thread's CPU time: on a machine shared with other work, wall time would charge a
// stage for whatever else ran meanwhile.
struct Clock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<Clock, duration>;
  static time_point now() {
    timespec spec{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &spec);
    return time_point(duration(static_cast<int64_t>(spec.tv_sec) * 1000000000 + spec.tv_nsec));
  }
};

struct StageSeconds {
  double parse = 0;
  double transform = 0;
  double emit = 0;
  bool clean = false;
};

// One compilation set up as the driver does it, stopping after `stages` stages (1 parse, 2 transform,
// 3 emit). Pool exhaustion is not expected here and would end the benchmark.
StageSeconds compileStages(const std::string& text, int stages) {
  StageSeconds seconds;
  RecoveryPoint recovery;
  contextInit(&recovery);
  SessionSettings settings;
  completeSettings(&settings, nullptr);
  CompileError* errors = nullptr;
  ParseContext parse{};
  parse.settings = &settings;
  parse.text = text.c_str();
  parse.errors = &errors;
  const auto start = Clock::now();
  const int parsed = parseRequest(&parse);
  const auto afterParse = Clock::now();
  seconds.parse = std::chrono::duration<double>(afterParse - start).count();
  XcompResult* results = nullptr;
  if (stages >= 2 && parsed == 0 && errors == nullptr && parse.root != nullptr) {
    transformTree(parse.root, &settings, &errors);
    const auto afterTransform = Clock::now();
    seconds.transform = std::chrono::duration<double>(afterTransform - afterParse).count();
    if (stages >= 3) {
      results = emitTree(parse.root, &settings, &errors);
      seconds.emit = std::chrono::duration<double>(Clock::now() - afterTransform).count();
    }
  }
  benchmark::DoNotOptimize(results);
  seconds.clean = parsed == 0 && errors == nullptr && (stages < 3 || results != nullptr);
  contextRelease();
  return seconds;
}

bool compilesCleanly(const std::string& text) {
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  compileStatement(text.c_str(), &results, &errors, nullptr);
  const bool clean = errors == nullptr && results != nullptr;
  releaseCompilation(&results, &errors);
  return clean;
}

void setThroughput(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_CompileFull(benchmark::State& state) {
  const std::string& text = benchText();
  if (!compilesCleanly(text)) {
    state.SkipWithError("the generated text does not compile cleanly");
    return;
  }
  for (auto _ : state) {
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(text.c_str(), &results, &errors, nullptr);
    benchmark::DoNotOptimize(results);
    releaseCompilation(&results, &errors);
  }
  setThroughput(state, text);
}
BENCHMARK(BM_CompileFull)->Unit(benchmark::kMillisecond);

void BM_CompileScanParse(benchmark::State& state) {
  const std::string& text = benchText();
  for (auto _ : state) benchmark::DoNotOptimize(compileStages(text, 1).parse);
  setThroughput(state, text);
}
BENCHMARK(BM_CompileScanParse)->Unit(benchmark::kMillisecond);

void BM_CompileParseTransform(benchmark::State& state) {
  const std::string& text = benchText();
  for (auto _ : state) benchmark::DoNotOptimize(compileStages(text, 2).transform);
  setThroughput(state, text);
}
BENCHMARK(BM_CompileParseTransform)->Unit(benchmark::kMillisecond);

void BM_CompileStages(benchmark::State& state) {
  const std::string& text = benchText();
  StageSeconds total;
  for (auto _ : state) {
    const StageSeconds pass = compileStages(text, 3);
    if (!pass.clean) {
      state.SkipWithError("the generated text does not compile cleanly");
      return;
    }
    total.parse += pass.parse;
    total.transform += pass.transform;
    total.emit += pass.emit;
  }
  setThroughput(state, text);
  const double all = total.parse + total.transform + total.emit;
  if (all <= 0) return;
  state.counters["scan_parse_share"] = total.parse / all;
  state.counters["transform_share"] = total.transform / all;
  state.counters["emit_share"] = total.emit / all;
}
BENCHMARK(BM_CompileStages)->Unit(benchmark::kMillisecond);

// The exception- and cursor-heavy procedure at the size given as the argument, through the driver and
// stage by stage: each stage's own throughput is reported, so two sizes show whether one of them grows
// faster than the text.
const std::string& exceptionCursorText(int64_t bytes) {
  static const std::string small = generateExceptionCursorPlsql(100 * 1024);
  static const std::string large = generateExceptionCursorPlsql(benchBytes);
  return bytes <= 100 * 1024 ? small : large;
}

void BM_CompileExceptionsCursors(benchmark::State& state) {
  const std::string& text = exceptionCursorText(state.range(0));
  if (!compilesCleanly(text)) {
    state.SkipWithError("the generated text does not compile cleanly");
    return;
  }
  for (auto _ : state) {
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(text.c_str(), &results, &errors, nullptr);
    benchmark::DoNotOptimize(results);
    releaseCompilation(&results, &errors);
  }
  setThroughput(state, text);
}
BENCHMARK(BM_CompileExceptionsCursors)->Arg(100 * 1024)->Arg(benchBytes)->Unit(benchmark::kMillisecond);

void BM_CompileStagesExceptionsCursors(benchmark::State& state) {
  const std::string& text = exceptionCursorText(state.range(0));
  StageSeconds total;
  for (auto _ : state) {
    const StageSeconds pass = compileStages(text, 3);
    if (!pass.clean) {
      state.SkipWithError("the generated text does not compile cleanly");
      return;
    }
    total.parse += pass.parse;
    total.transform += pass.transform;
    total.emit += pass.emit;
  }
  setThroughput(state, text);
  const double megabytes = static_cast<double>(text.size()) * static_cast<double>(state.iterations()) / 1e6;
  if (total.parse > 0) state.counters["scan_parse_MBps"] = megabytes / total.parse;
  if (total.transform > 0) state.counters["transform_MBps"] = megabytes / total.transform;
  if (total.emit > 0) state.counters["emit_MBps"] = megabytes / total.emit;
}
BENCHMARK(BM_CompileStagesExceptionsCursors)->Arg(100 * 1024)->Arg(benchBytes)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Collection- and dynamic-heavy text at two sizes: MB/s that holds from 100 KB to 2 MB means the
// generated blocks and declarations cost the same per statement however many came before.
void BM_CompileCollections(benchmark::State& state) {
  const std::string text = generateCollectionPlsql(static_cast<size_t>(state.range(0)));
  if (!compilesCleanly(text)) {
    state.SkipWithError("the generated text does not compile cleanly");
    return;
  }
  for (auto _ : state) {
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(text.c_str(), &results, &errors, nullptr);
    benchmark::DoNotOptimize(results);
    releaseCompilation(&results, &errors);
  }
  setThroughput(state, text);
}
BENCHMARK(BM_CompileCollections)->Arg(100 * 1024)->Arg(2 * 1024 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace
