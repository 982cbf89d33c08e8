// The call an engine makes: xcomp2 through the shared library, loaded with dlopen, once per unit of a
// schema's source, many calls in a row on the same threads. The units follow real code's sizes (median
// about 1 KB, a tail to hundreds of KB) and take every shape in turn; what a call costs beyond its bytes
// (mapping, clearing, converting, looking things up) shows here and hides in the large-input benchmarks.
// Counters: per-call percentiles in microseconds of the calling thread's processor time, and MB/s.
// XCOMP_BENCH_LIBRARY names the library to load; the build passes its own.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "plsql_generator.h"
#include "xcomp2.h"

namespace {

using Xcomp2Entry = int32_t (*)(XcompStatement*, const XcompOptions*, SQLCA*);

Xcomp2Entry loadEntry() {
  const char* path = std::getenv("XCOMP_BENCH_LIBRARY");
#ifdef XCOMP_SHARED_LIBRARY
  if (path == nullptr || *path == '\0') path = XCOMP_SHARED_LIBRARY;
#endif
  void* library = path != nullptr ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
  return library != nullptr ? reinterpret_cast<Xcomp2Entry>(dlsym(library, "xcomp2")) : nullptr;
}

double threadMicros() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) * 1e-3;
}

// One caller's statement record: the engine's 2 MiB text area.
class Caller {
 public:
  Caller() : storage_(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1) {}
  // One compile-only call on `unit`; whether it translated.
  bool compile(Xcomp2Entry entry, const std::string& unit) {
    auto* statement = reinterpret_cast<XcompStatement*>(storage_.data());
    statement->length = static_cast<uint32_t>(unit.size());
    std::memcpy(statement->text, unit.data(), unit.size());
    SQLCA sqlca{};
    std::memcpy(sqlca.sqlcaid, "SQLCA   ", 8);
    sqlca.sqlcabc = sizeof(SQLCA);
    const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
    entry(statement, &options, &sqlca);
    return sqlca.sqlcode >= 0;
  }

 private:
  std::vector<char> storage_;
};

struct Stream {
  Xcomp2Entry entry = nullptr;
  std::vector<std::string> units;  // those the library translates in compile-only mode
  size_t bytes = 0;
};

// Package heads and bodies become several statements, which compile-only mode refuses, and a few of the
// largest collection units grow past the caller's area: the stream keeps what an engine gets back.
const Stream& engineStream() {
  static const Stream stream = [] {
    Stream s;
    s.entry = loadEntry();
    if (s.entry == nullptr) return s;
    Caller caller;
    for (std::string& unit : generateUnitStream(2000)) {
      if (unit.size() > XCOMP_MAX_STATEMENT || !caller.compile(s.entry, unit)) continue;
      s.bytes += unit.size();
      s.units.push_back(std::move(unit));
    }
    return s;
  }();
  return stream;
}

double percentile(std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  return sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * static_cast<double>(sorted.size())))];
}

void BM_Xcomp2Stream(benchmark::State& state) {
  const Stream& stream = engineStream();
  if (stream.entry == nullptr || stream.units.empty()) {
    state.SkipWithError("the shared library could not be loaded (set XCOMP_BENCH_LIBRARY)");
    return;
  }
  Caller caller;
  std::vector<double> micros;
  micros.reserve(stream.units.size());
  double seconds = 0;
  for (auto _ : state) {
    for (const std::string& unit : stream.units) {
      const double start = threadMicros();
      benchmark::DoNotOptimize(caller.compile(stream.entry, unit));
      const double took = threadMicros() - start;
      micros.push_back(took);
      seconds += took * 1e-6;
    }
  }
  std::sort(micros.begin(), micros.end());
  const double bytes = static_cast<double>(stream.bytes) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  // Each thread runs the whole stream; the counters are the threads' average.
  using C = benchmark::Counter;
  state.counters["p50_us"] = C(percentile(micros, 0.50), C::kAvgThreads);
  state.counters["p90_us"] = C(percentile(micros, 0.90), C::kAvgThreads);
  state.counters["p99_us"] = C(percentile(micros, 0.99), C::kAvgThreads);
  state.counters["MBps"] = C(seconds > 0 ? bytes / 1e6 / seconds : 0, C::kAvgThreads);
  state.counters["units"] = C(static_cast<double>(stream.units.size()), C::kAvgThreads);
}
BENCHMARK(BM_Xcomp2Stream)->Unit(benchmark::kMillisecond)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace
