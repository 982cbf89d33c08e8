// Whole compilations of generated code that looks real (bench/plsql_generator.h), at 100 KB to 2 MB, one
// core. Each pass compiles the input the way the driver does, unit by unit for a script, and times the
// stages inside it; the counters are MB/s (MB = 2^20 bytes) per stage and end to end, host blocks per KB
// of input, peak memory as a multiple of the largest unit, and whether the whole pipeline ran
// ("complete" 0 means a stage recorded errors, so transform and emit were skipped or cut short: today
// exception handlers, cursors and package bodies are not translated yet).
// BM_Scaling compares 2 MB against 100 KB of the same shape in one run: 1.0 is perfectly flat.
// BM_Pathological: requests built to be hard, for linear time and bounded memory.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "emit/emit.h"
#include "entry/driver.h"
#include "host/host.h"
#include "lexer/lexer.h"
#include "parser/parser.h"
#include "plsql_generator.h"
#include "pool/pool.h"
#include "transform/transform.h"

// Hands this thread's idle memory back to the system, where the build has such a call: the peak
// measurement starts from nothing kept over from earlier passes.
void hostTrimThreadMemory() __attribute__((weak));

namespace {

// Stages are timed in this thread's CPU time (kernel time for page faults included), so other work on a
// shared machine stretches the wall clock but not the numbers.
struct Clock {
  using time_point = double;
  static double now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  }
};
constexpr double mebibyte = 1024.0 * 1024.0;

struct Input {
  std::string text;
  std::vector<std::string> units;  // what one call compiles each
  size_t largestUnit = 0;
};

const Input& inputFor(PlsqlShape shape, size_t bytes) {
  static std::map<std::pair<int, size_t>, std::unique_ptr<Input>> inputs;
  std::unique_ptr<Input>& slot = inputs[{static_cast<int>(shape), bytes}];
  if (slot == nullptr) {
    slot = std::make_unique<Input>();
    slot->text = generatePlsqlText(shape, bytes);
    if (shape == PlsqlShape::script) {
      slot->units = splitScriptUnits(slot->text);
    } else {
      slot->units.push_back(slot->text);
    }
    for (const std::string& unit : slot->units) slot->largestUnit = std::max(slot->largestUnit, unit.size());
  }
  return *slot;
}

struct StageSeconds {
  double scan = 0;
  double parse = 0;  // scanning included: the parser pulls its tokens
  double transform = 0;
  double emit = 0;
  double release = 0;
  bool complete = true;

  double total() const { return parse + transform + emit + release; }
};

double since(double start) { return Clock::now() - start; }

// One unit through the stages in the driver's order, each timed. Exhaustion is not expected here.
void compileStaged(const std::string& text, StageSeconds* seconds) {
  auto start = Clock::now();
  RecoveryPoint recovery;
  contextInit(&recovery);
  SessionSettings settings;
  completeSettings(&settings, nullptr);
  CompileError* errors = nullptr;
  const ParsedProgram parsed = parseProgram(text.c_str(), &settings, &errors);
  seconds->parse += since(start);
  XcompResult* results = nullptr;
  if (parsed.clean) {
    start = Clock::now();
    transformTree(parsed.root, &settings, &errors);
    seconds->transform += since(start);
    start = Clock::now();
    results = emitTree(parsed.root, &settings, &errors);
    seconds->emit += since(start);
  }
  benchmark::DoNotOptimize(results);
  if (!parsed.clean || errors != nullptr || results == nullptr) seconds->complete = false;
  start = Clock::now();
  contextRelease();
  seconds->release += since(start);
}

size_t scanOnly(const std::string& text) {
  RecoveryPoint recovery;
  contextInit(&recovery);
  SessionSettings settings;
  completeSettings(&settings, nullptr);
  CompileError* errors = nullptr;
  ParseContext ctx{};
  ctx.settings = &settings;
  ctx.text = text.c_str();
  ctx.errors = &errors;
  size_t tokens = 0;
  {
    ScannerGuard guard(&ctx);
    scannerCreate(&ctx);
    TokenValue value{};
    while (fetchToken(&value, &ctx) != 0) ++tokens;
  }
  contextRelease();
  return tokens;
}

// Host blocks one compilation of every unit asks for.
uint64_t blocksOf(const Input& input) {
  hostFailNthBlock(UINT64_MAX);  // armed beyond reach: only counts
  for (const std::string& unit : input.units) {
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(unit.c_str(), &results, &errors, nullptr);
    releaseCompilation(&results, &errors);
  }
  const uint64_t blocks = hostBlockRequestCount();
  hostFailNthBlock(0);
  return blocks;
}

void compileUnits(const Input& input) {
  for (const std::string& unit : input.units) {
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(unit.c_str(), &results, &errors, nullptr);
    releaseCompilation(&results, &errors);
  }
}

long statusKilobytes(const char* field) {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long value = -1;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, field, length) == 0) value = std::strtol(line + length, nullptr, 10);
  }
  std::fclose(status);
  return value;
}

// The most memory one compilation of the units adds to the process, over its largest unit. Measured in a
// child process, so the high-water mark can be reset and nothing the benchmark itself holds counts:
// resident size when it starts against the resident high-water mark when it ends. A first pass before
// the measured one brings in the library's code and tables, which a small unit would otherwise be
// charged with. -1 when the system does not tell.
double peakMultiple(const Input& input) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    close(channel[0]);
    compileUnits(input);
    malloc_trim(0);
    if (hostTrimThreadMemory != nullptr) hostTrimThreadMemory();
    FILE* clear = std::fopen("/proc/self/clear_refs", "w");
    long grown = -1;
    if (clear != nullptr && std::fputs("5", clear) >= 0 && std::fclose(clear) == 0) {
      const long before = statusKilobytes("VmRSS:");
      compileUnits(input);
      grown = statusKilobytes("VmHWM:") - before;
    }
    const ssize_t written = write(channel[1], &grown, sizeof grown);
    _exit(written == sizeof grown ? 0 : 1);
  }
  close(channel[1]);
  long grown = -1;
  const ssize_t got = read(channel[0], &grown, sizeof grown);
  close(channel[0]);
  waitpid(child, nullptr, 0);
  if (got != sizeof grown || grown < 0) return -1;
  return static_cast<double>(grown) * 1024.0 / static_cast<double>(input.largestUnit);
}

double megabytesPerSecond(double bytes, double seconds) { return seconds > 0 ? bytes / mebibyte / seconds : 0; }

void BM_Pipeline(benchmark::State& state, PlsqlShape shape) {
  const Input& input = inputFor(shape, static_cast<size_t>(state.range(0)) * 1024);
  const double blocksPerKb = static_cast<double>(blocksOf(input)) * 1024.0 / static_cast<double>(input.text.size());
  const double peak = peakMultiple(input);
  StageSeconds seconds;
  size_t tokens = 0;
  for (auto _ : state) {
    for (const std::string& unit : input.units) compileStaged(unit, &seconds);
    state.PauseTiming();
    const auto start = Clock::now();
    for (const std::string& unit : input.units) tokens += scanOnly(unit);
    seconds.scan += since(start);
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(tokens);
  const double bytes = static_cast<double>(input.text.size()) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["MBps"] = megabytesPerSecond(bytes, seconds.total());
  state.counters["scan_MBps"] = megabytesPerSecond(bytes, seconds.scan);
  state.counters["parse_MBps"] = megabytesPerSecond(bytes, seconds.parse);
  state.counters["transform_MBps"] = megabytesPerSecond(bytes, seconds.transform);
  state.counters["emit_MBps"] = megabytesPerSecond(bytes, seconds.emit);
  state.counters["release_MBps"] = megabytesPerSecond(bytes, seconds.release);
  state.counters["blocks_per_KB"] = blocksPerKb;
  state.counters["peak_x"] = peak;
  state.counters["peak_KB"] = peak * static_cast<double>(input.largestUnit) / 1024.0;
  state.counters["complete"] = seconds.complete ? 1 : 0;
}

// Sizes in KB: 100 KB, 250 KB, 500 KB, 1 MB, 2 MB.
void pipelineSizes(benchmark::internal::Benchmark* b) {
  for (int kb : {100, 250, 500, 1024, 2048}) b->Arg(kb);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Pipeline, procedure, PlsqlShape::procedure)->Apply(pipelineSizes);
BENCHMARK_CAPTURE(BM_Pipeline, script, PlsqlShape::script)->Apply(pipelineSizes);
BENCHMARK_CAPTURE(BM_Pipeline, procedure_handlers, PlsqlShape::procedureWithHandlers)->Apply(pipelineSizes);
BENCHMARK_CAPTURE(BM_Pipeline, package_body, PlsqlShape::packageBody)->Apply(pipelineSizes);
BENCHMARK_CAPTURE(BM_Pipeline, exceptions_cursors, PlsqlShape::exceptionsCursors)->Apply(pipelineSizes);
BENCHMARK_CAPTURE(BM_Pipeline, collections, PlsqlShape::collections)->Apply(pipelineSizes);

// Requests built to be hard: one literal or one name filling the request, deep nesting, very many short
// statements, nothing but one-byte tokens. MB/s should hold from 512 KB to 2 MB (linear time); peak_x is
// the memory one request needs over its size.
enum class Pathology { oneString, oneIdentifier, nestedParentheses, shortStatements, smallTokens };

std::string repeatedTo(const std::string& piece, size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

const Input& pathologicalInput(Pathology shape, size_t bytes) {
  static std::map<std::pair<int, size_t>, std::unique_ptr<Input>> inputs;
  std::unique_ptr<Input>& slot = inputs[{static_cast<int>(shape), bytes}];
  if (slot == nullptr) {
    slot = std::make_unique<Input>();
    std::string& text = slot->text;
    switch (shape) {
      case Pathology::oneString: text = "BEGIN v_note := '" + std::string(bytes, 'n') + "'; END;"; break;
      case Pathology::oneIdentifier: text = "BEGIN " + std::string(bytes, 'v') + " := 1; END;"; break;
      case Pathology::nestedParentheses:
        text = "BEGIN v_total := " + std::string(bytes / 2, '(') + "1" + std::string(bytes / 2, ')') + "; END;";
        break;
      case Pathology::shortStatements: text = "BEGIN\n" + repeatedTo("  v_total := v_a + 1;\n", bytes) + "END;"; break;
      case Pathology::smallTokens: text = "BEGIN v_total := " + repeatedTo("a+", bytes) + "a; END;"; break;
    }
    slot->units.push_back(text);
    slot->largestUnit = text.size();
  }
  return *slot;
}

void BM_Pathological(benchmark::State& state, Pathology shape) {
  const Input& input = pathologicalInput(shape, static_cast<size_t>(state.range(0)) * 1024);
  const double peak = peakMultiple(input);
  StageSeconds seconds;
  for (auto _ : state) compileStaged(input.text, &seconds);
  const double bytes = static_cast<double>(input.text.size()) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["MBps"] = megabytesPerSecond(bytes, seconds.total());
  state.counters["peak_x"] = peak;
  state.counters["complete"] = seconds.complete ? 1 : 0;
}

void pathologicalSizes(benchmark::internal::Benchmark* b) {
  for (int kb : {512, 1024, 2048}) b->Arg(kb);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Pathological, one_string, Pathology::oneString)->Apply(pathologicalSizes);
BENCHMARK_CAPTURE(BM_Pathological, one_identifier, Pathology::oneIdentifier)->Apply(pathologicalSizes);
BENCHMARK_CAPTURE(BM_Pathological, nested_parentheses, Pathology::nestedParentheses)->Apply(pathologicalSizes);
BENCHMARK_CAPTURE(BM_Pathological, short_statements, Pathology::shortStatements)->Apply(pathologicalSizes);
BENCHMARK_CAPTURE(BM_Pathological, small_tokens, Pathology::smallTokens)->Apply(pathologicalSizes);

// End-to-end MB/s at 2 MB over MB/s at 100 KB, both measured in every pass over the same number of bytes
// (twenty passes over 100 KB against one over 2 MB), so drift on a shared machine hits both alike.
void BM_Scaling(benchmark::State& state, PlsqlShape shape) {
  const Input& small = inputFor(shape, 100 * 1024);
  const Input& large = inputFor(shape, 2048 * 1024);
  StageSeconds smallSeconds;
  StageSeconds largeSeconds;
  for (auto _ : state) {
    for (int pass = 0; pass < 20; ++pass)
      for (const std::string& unit : small.units) compileStaged(unit, &smallSeconds);
    for (const std::string& unit : large.units) compileStaged(unit, &largeSeconds);
  }
  const double n = static_cast<double>(state.iterations());
  const double smallRate = megabytesPerSecond(20.0 * n * static_cast<double>(small.text.size()), smallSeconds.total());
  const double largeRate = megabytesPerSecond(n * static_cast<double>(large.text.size()), largeSeconds.total());
  state.counters["MBps_100K"] = smallRate;
  state.counters["MBps_2M"] = largeRate;
  state.counters["scaling"] = smallRate > 0 ? largeRate / smallRate : 0;
}
BENCHMARK_CAPTURE(BM_Scaling, procedure, PlsqlShape::procedure)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scaling, script, PlsqlShape::script)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scaling, procedure_handlers, PlsqlShape::procedureWithHandlers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scaling, package_body, PlsqlShape::packageBody)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scaling, exceptions_cursors, PlsqlShape::exceptionsCursors)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Scaling, collections, PlsqlShape::collections)->Unit(benchmark::kMillisecond);

}  // namespace
