// What execute mode costs a request beyond compiling it: the same input through xcomp2 compile-only
// and in execute mode, against the test driver (connect, savepoint, wrap, run, release, disconnect
// through the real driver manager, with a database that does no work of its own).
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "entry/entry.h"
#include "plsql_generator.h"
#include "test_driver.h"

namespace {

// The test driver as the default data source, loaded and told to keep no log and no work.
bool useTestDriver() {
  static const bool ready = [] {
    setenv("ODBCSYSINI", XCOMP_ODBC_DIR, 1);
    setenv("ODBCINI", XCOMP_ODBC_DIR "/engine.ini", 1);
    void* library = dlopen(XCOMP_TEST_DRIVER, RTLD_NOW);
    if (library == nullptr) return false;
    auto* find = reinterpret_cast<TestDriver* (*)()>(dlsym(library, "xcompTestDriver"));
    if (find == nullptr) return false;
    TestDriver* driver = find();
    const std::lock_guard<std::mutex> lock(driver->mutex);
    driver->reset();
    driver->logCalls = false;
    driver->keepWork = false;
    return true;
  }();
  return ready;
}

std::string input(int64_t size) {
  if (size == 0) {
    return "CREATE OR REPLACE PROCEDURE raise_salary(p_id IN NUMBER, p_pct IN NUMBER) IS\n"
           "BEGIN\n"
           "  UPDATE emp SET sal = sal * (1 + p_pct / 100) WHERE empno = p_id;\n"
           "END raise_salary;\n";
  }
  return generatePlsqlText(PlsqlShape::procedure, static_cast<size_t>(size));
}

// range(0): the input size in bytes (0: one short procedure); range(1): the mode word.
void BM_Request(benchmark::State& state) {
  if (!useTestDriver()) {
    state.SkipWithError("the test driver could not be loaded");
    return;
  }
  const std::string text = input(state.range(0));
  std::vector<char> storage(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
  auto* statement = reinterpret_cast<XcompStatement*>(storage.data());
  const XcompOptions options{static_cast<uint32_t>(state.range(1))};
  for (auto _ : state) {
    statement->length = static_cast<uint32_t>(text.size());
    std::memcpy(statement->text, text.data(), text.size());
    SQLCA sqlca;
    clearSqlca(&sqlca);
    xcomp2(statement, &options, &sqlca);
    if (sqlca.sqlcode != 0) {
      state.SkipWithError("the request failed");
      break;
    }
  }
  state.SetLabel(options.xcompMode == XCOMP_MODE_EXECUTE ? "execute" : "compile-only");
}
BENCHMARK(BM_Request)
    ->ArgsProduct({{0, 100 * 1024}, {XCOMP_MODE_COMPILE_ONLY, XCOMP_MODE_EXECUTE}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
