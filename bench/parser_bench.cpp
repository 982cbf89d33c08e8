// Whole-parse throughput in MB/s (scanner, parser and tree-building actions, one compilation per pass)
// over generated package-procedure text, next to a scan-only pass over the same bytes; the counter
// "parse_per_scan" says how many times longer the parse takes than scanning alone.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "lexer/lexer.h"
#include "parser/parser.h"
#include "pool/pool.h"
#include "workload.h"

namespace {

constexpr size_t benchBytes = 2 * 1024 * 1024;

const std::string& benchText() {
  static const std::string text = generatePlsql(benchBytes);
  return text;
}

ParseContext contextFor(const std::string& text, SessionSettings* settings, CompileError** errors) {
  *settings = defaultSessionSettings();
  ParseContext ctx{};
  ctx.settings = settings;
  ctx.text = text.c_str();
  ctx.errors = errors;
  return ctx;
}

// One compilation's worth of parsing; returns the parser's result so the work cannot be dropped.
int parseOnce(const std::string& text) {
  RecoveryPoint recovery;
  contextInit(&recovery);
  SessionSettings settings;
  CompileError* errors = nullptr;
  ParseContext ctx = contextFor(text, &settings, &errors);
  const int result = parseRequest(&ctx);
  contextRelease();
  return result + (errors != nullptr ? 10 : 0);
}

size_t scanOnce(const std::string& text) {
  RecoveryPoint recovery;
  contextInit(&recovery);
  SessionSettings settings;
  CompileError* errors = nullptr;
  ParseContext ctx = contextFor(text, &settings, &errors);
  scannerCreate(&ctx);
  size_t tokens = 0;
  {
    ScannerGuard guard(&ctx);
    TokenValue value{};
    while (fetchToken(&value, &ctx) != 0) tokens += 1;
  }
  contextRelease();
  return tokens;
}

double secondsOf(void (*run)(const std::string&), const std::string& text, int passes) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < passes; ++i) run(text);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / passes;
}

void BM_ParseWhole(benchmark::State& state) {
  const std::string& text = benchText();
  if (parseOnce(text) != 0) {
    state.SkipWithError("the generated text does not parse cleanly");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(parseOnce(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  const double parse = secondsOf([](const std::string& t) { benchmark::DoNotOptimize(parseOnce(t)); }, text, 3);
  const double scan = secondsOf([](const std::string& t) { benchmark::DoNotOptimize(scanOnce(t)); }, text, 3);
  state.counters["parse_per_scan"] = parse / scan;
}
BENCHMARK(BM_ParseWhole)->Unit(benchmark::kMillisecond);

void BM_ScanOnlySameText(benchmark::State& state) {
  const std::string& text = benchText();
  for (auto _ : state) benchmark::DoNotOptimize(scanOnce(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ScanOnlySameText)->Unit(benchmark::kMillisecond);

}  // namespace
