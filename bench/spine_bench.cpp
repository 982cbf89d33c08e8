// The compile spine's own costs: pool allocation rate, and a whole xcomp2 call on a 100 KB request
// (the share of a call that is not scanning, parsing or writing shows up against the stage benchmarks).
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "entry/entry.h"
#include "plsql_generator.h"
#include "pool/pool.h"

namespace {

void BM_PoolAllocate(benchmark::State& state) {
  const auto size = static_cast<uint64_t>(state.range(0));
  const RecoveryPoint recovery;
  for (auto _ : state) {
    Pool* pool = poolCreate(&recovery);
    for (int i = 0; i < 1000; ++i) benchmark::DoNotOptimize(poolAlloc(pool, size));
    poolDestroy(pool);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_PoolAllocate)->Arg(16)->Arg(48)->Arg(512);

// Reference point measured in the same run: plain malloc/free of the same sizes.
void BM_MallocBaseline(benchmark::State& state) {
  const auto size = static_cast<size_t>(state.range(0));
  std::vector<void*> blocks(1000);
  for (auto _ : state) {
    for (void*& b : blocks) benchmark::DoNotOptimize(b = std::malloc(size + 32));
    for (void* b : blocks) std::free(b);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_MallocBaseline)->Arg(16)->Arg(48)->Arg(512);

using Xcomp2Entry = int32_t (*)(XcompStatement*, const XcompOptions*, SQLCA*);

// Compile-only calls of `entry` on a 100 KB procedure, as an engine makes them.
void callRepeatedly(benchmark::State& state, Xcomp2Entry entry) {
  const std::string text = generatePlsqlText(PlsqlShape::procedure, 100 * 1024);
  std::vector<char> storage(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
  auto* statement = reinterpret_cast<XcompStatement*>(storage.data());
  const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
  for (auto _ : state) {
    statement->length = static_cast<uint32_t>(text.size());
    std::memcpy(statement->text, text.data(), text.size());
    SQLCA sqlca;
    clearSqlca(&sqlca);
    entry(statement, &options, &sqlca);
    benchmark::DoNotOptimize(sqlca.sqlcode);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_Xcomp2Call(benchmark::State& state) { callRepeatedly(state, xcomp2); }
BENCHMARK(BM_Xcomp2Call)->Unit(benchmark::kMillisecond);

// The same call into the shared library, loaded as the engine loads it: what differs from the call above
// (linked into this program) is how the library reaches its per-thread state and its own symbols.
// XCOMP_BENCH_LIBRARY names the library to load; the build passes its own.
void BM_Xcomp2SharedLibrary(benchmark::State& state) {
  const char* path = std::getenv("XCOMP_BENCH_LIBRARY");
#ifdef XCOMP_SHARED_LIBRARY
  if (path == nullptr || *path == '\0') path = XCOMP_SHARED_LIBRARY;
#endif
  void* library = path != nullptr ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
  auto entry = library != nullptr ? reinterpret_cast<Xcomp2Entry>(dlsym(library, "xcomp2")) : nullptr;
  if (entry == nullptr) {
    state.SkipWithError("the shared library could not be loaded (set XCOMP_BENCH_LIBRARY)");
    return;
  }
  callRepeatedly(state, entry);
}
BENCHMARK(BM_Xcomp2SharedLibrary)->Unit(benchmark::kMillisecond);

}  // namespace
