// Package bodies end to end at 100 KB, 500 KB and 2 MB: MB/s through the compile driver, the share of
// each stage, and the memory one compilation holds at the end of emission, as a multiple of the
// input (the pool's own bytes, and the heap in use as the allocator sees it). Throughput and the
// memory multiple should not change with the size: the translation is linear.
// With XCOMP_BENCH_PACKAGE_DIR set, the three generated bodies are also written there, so that the
// peak resident size of a whole `xcomp` run can be measured in a separate process.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "emit/emit.h"
#include "entry/driver.h"
#include "parser/parser.h"
#include "pool/pool.h"
#include "transform/transform.h"

namespace {

// One group of members as a package body holds them: module variables (a literal default, an
// expression default, an anchored type), now and then a cursor with parameters or a type, forward
// declarations, and a procedure and a function with the usual statements.
void appendMemberGroup(int n, std::string* declarations, std::string* routines) {
  const std::string i = std::to_string(n);
  *declarations += "  g_count_" + i + " PLS_INTEGER := 0;\n";
  *declarations += "  g_limit_" + i + " NUMBER := c_base * " + i + " + 1;\n";
  *declarations += "  g_last_" + i + " orders.order_id%TYPE;\n";
  if (n % 5 == 0) {
    *declarations += "  CURSOR c_lines_" + i + " (p_order NUMBER, p_min NUMBER) IS\n";
    *declarations += "    SELECT product_id, qty FROM order_lines WHERE order_id = p_order AND qty >= p_min;\n";
  }
  if (n % 7 == 0) {
    *declarations += "  TYPE line_" + i + " IS RECORD (product_id NUMBER, qty NUMBER(10,2));\n";
    *declarations += "  TYPE lines_" + i + " IS TABLE OF line_" + i + " INDEX BY PLS_INTEGER;\n";
  }
  if (n % 10 == 0) *declarations += "  PROCEDURE note_" + i + " (p_text IN VARCHAR2);\n";

  *routines += "  PROCEDURE process_" + i + " (p_order IN NUMBER, p_status OUT VARCHAR2) IS\n";
  *routines += "    v_total NUMBER := 0;\n    v_qty NUMBER;\n    v_step PLS_INTEGER := 1;\n";
  *routines += "  BEGIN\n";
  *routines += "    -- step " + i + ": price the order and mark it\n";
  *routines += "    SELECT SUM(qty * unit_price) INTO v_total FROM order_lines WHERE order_id = p_order;\n";
  *routines += "    IF v_total > g_limit_" + i + " THEN\n      p_status := 'REVIEW';\n";
  *routines += "    ELSIF v_total = 0 THEN\n      p_status := 'EMPTY';\n    ELSE\n";
  *routines += "      UPDATE orders SET status = 'PRICED', total = v_total WHERE order_id = p_order;\n";
  *routines += "      p_status := 'OK';\n    END IF;\n";
  *routines += "    FOR k IN 1 .. 3 LOOP\n      g_count_" + i + " := g_count_" + i + " + k;\n";
  *routines += "      EXIT WHEN g_count_" + i + " > 1000;\n    END LOOP;\n";
  *routines += "    WHILE v_step < 4 LOOP\n      v_step := v_step * 2;\n    END LOOP;\n";
  *routines += "    g_last_" + i + " := p_order;\n";
  *routines += "    log_event(p_order, 'processed " + i + "');\n";
  *routines += "  END process_" + i + ";\n\n";
  *routines += "  FUNCTION total_" + i + " (p_order IN NUMBER) RETURN NUMBER IS\n    v_sum NUMBER;\n  BEGIN\n";
  *routines += "    SELECT NVL(SUM(qty), 0) INTO v_sum FROM order_lines WHERE order_id = p_order;\n";
  *routines += "    RETURN v_sum * (1 + g_count_" + i + " / 100);\n  END total_" + i + ";\n\n";
  if (n % 10 == 0) {
    *routines += "  PROCEDURE note_" + i + " (p_text IN VARCHAR2) IS\n  BEGIN\n";
    *routines += "    INSERT INTO notes (at, text) VALUES (SYSDATE, p_text);\n  END note_" + i + ";\n\n";
  }
}

std::string generatePackageBody(size_t bytes) {
  const std::string head = "CREATE OR REPLACE PACKAGE BODY order_batch AS\n  c_base CONSTANT NUMBER := 10;\n";
  const std::string tail =
      "  PROCEDURE log_event (p_order IN NUMBER, p_text IN VARCHAR2) IS\n  BEGIN\n"
      "    INSERT INTO order_log (order_id, text) VALUES (p_order, p_text);\n  END log_event;\n"
      "BEGIN\n  g_count_0 := 0;\nEND order_batch;\n";
  std::string declarations;
  std::string routines;
  for (int n = 0; head.size() + declarations.size() + routines.size() + tail.size() < bytes; ++n) {
    appendMemberGroup(n, &declarations, &routines);
  }
  return head + declarations + "\n" + routines + tail;
}

// Sizes in KiB; 2000 KiB keeps the largest body under the caller's 2 MiB statement limit.
const std::string& packageText(int64_t kib) {
  static std::map<int64_t, std::string> texts;
  auto found = texts.find(kib);
  if (found != texts.end()) return found->second;
  std::string& text = texts[kib] = generatePackageBody(static_cast<size_t>(kib) * 1024);
  if (const char* dir = std::getenv("XCOMP_BENCH_PACKAGE_DIR")) {
    const std::string path = std::string(dir) + "/package_body_" + std::to_string(kib) + "k.sql";
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), out);
      std::fclose(out);
    }
  }
  return text;
}

uint64_t poolBytes() {
  uint64_t bytes = 0;
  const Pool* pool = currentPool();
  for (const PoolBlock* block = pool != nullptr ? pool->first : nullptr; block != nullptr; block = block->next) {
    bytes += block->size + sizeof(PoolBlock);
  }
  return bytes;
}

uint64_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

using Clock = std::chrono::steady_clock;

struct Pass {
  double parse = 0;
  double transform = 0;
  double emit = 0;
  uint64_t poolBytes = 0;
  uint64_t heapBytes = 0;
  bool clean = false;
};

// One compilation as the driver runs it, timed stage by stage, with the memory held at its end.
Pass compileTimed(const std::string& text) {
  Pass pass;
  const uint64_t heapBefore = heapInUse();
  RecoveryPoint recovery;
  contextInit(&recovery);
  SessionSettings settings;
  completeSettings(&settings, nullptr);
  CompileError* errors = nullptr;
  const auto start = Clock::now();
  const ParsedProgram parsed = parseProgram(text.c_str(), &settings, &errors);
  const auto afterParse = Clock::now();
  XcompResult* results = nullptr;
  if (parsed.clean) {
    transformTree(parsed.root, &settings, &errors);
    const auto afterTransform = Clock::now();
    results = emitTree(parsed.root, &settings, &errors);
    const auto afterEmit = Clock::now();
    pass.transform = std::chrono::duration<double>(afterTransform - afterParse).count();
    pass.emit = std::chrono::duration<double>(afterEmit - afterTransform).count();
  }
  pass.parse = std::chrono::duration<double>(afterParse - start).count();
  pass.poolBytes = poolBytes();
  pass.heapBytes = heapInUse() - heapBefore;
  pass.clean = errors == nullptr && results != nullptr;
  benchmark::DoNotOptimize(results);
  contextRelease();
  return pass;
}

void BM_PackageBody(benchmark::State& state) {
  const std::string& text = packageText(state.range(0));
  if (!compileTimed(text).clean) {
    state.SkipWithError("the generated package body does not compile cleanly");
    return;
  }
  for (auto _ : state) {
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(text.c_str(), &results, &errors, nullptr);
    benchmark::DoNotOptimize(results);
    releaseCompilation(&results, &errors);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["input_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_PackageBody)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_PackageBodyStages(benchmark::State& state) {
  const std::string& text = packageText(state.range(0));
  Pass total;
  for (auto _ : state) {
    const Pass pass = compileTimed(text);
    if (!pass.clean) {
      state.SkipWithError("the generated package body does not compile cleanly");
      return;
    }
    total.parse += pass.parse;
    total.transform += pass.transform;
    total.emit += pass.emit;
    total.poolBytes = pass.poolBytes;
    total.heapBytes = pass.heapBytes;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  const double all = total.parse + total.transform + total.emit;
  if (all <= 0) return;
  state.counters["scan_parse_share"] = total.parse / all;
  state.counters["transform_share"] = total.transform / all;
  state.counters["emit_share"] = total.emit / all;
  state.counters["pool_x_input"] = static_cast<double>(total.poolBytes) / static_cast<double>(text.size());
  state.counters["heap_x_input"] = static_cast<double>(total.heapBytes) / static_cast<double>(text.size());
}
BENCHMARK(BM_PackageBodyStages)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
