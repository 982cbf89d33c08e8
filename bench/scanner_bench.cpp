// Scanner throughput in MB/s over a few MB of package-body text, scanned the way the parser pulls it
// (fetchToken until end of input, one compilation per pass). A second benchmark scans text of the same
// size that needs no pool copies (keywords and punctuation only), so the gap between the two is what
// the per-token allocations cost; the counters give host allocations per token. A third scans nothing
// but nested comment openings at two sizes: its MB/s must not fall as the nesting gets deeper.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/host.h"
#include "lexer/lexer.h"
#include "pool/pool.h"

namespace {

// A small deterministic generator, so every run scans the same bytes.
struct Lcg {
  uint32_t state = 20260806;
  uint32_t next(uint32_t bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  }
};

// One package-body member: declarations, a cursor loop, SQL, IF/ELSIF, a call with named arguments,
// exception handling, comments of both kinds, string and numeric literals, qualified names.
void appendProcedure(std::string& out, int index, Lcg& rng) {
  static const char* const tables[] = {"employees", "departments", "hr.job_history", "sales.orders"};
  static const char* const columns[] = {"salary", "dept_id", "last_name", "hire_date", "status"};
  char buffer[2048];
  const char* table = tables[rng.next(4)];
  const char* column = columns[rng.next(5)];
  std::snprintf(buffer, sizeof buffer,
                "  /* Adjusts %s for one batch (member %d).\n"
                "     Called from the nightly job. */\n"
                "  PROCEDURE adjust_%d(p_id IN NUMBER, p_rate IN NUMBER DEFAULT 1.05,\n"
                "                     p_note IN OUT NOCOPY VARCHAR2) IS\n"
                "    v_total   NUMBER(12,2) := 0;\n"
                "    v_name    %s.%s%%TYPE;\n"
                "    v_row     %s%%ROWTYPE;\n"
                "    CURSOR c_items(p_key NUMBER) IS\n"
                "      SELECT e.%s, e.last_name FROM %s e WHERE e.dept_id = p_key AND e.status <> 'X';\n"
                "  BEGIN\n"
                "    -- walk the batch and accumulate\n"
                "    FOR r IN c_items(p_id) LOOP\n"
                "      v_total := v_total + NVL(r.%s, 0) * p_rate;\n"
                "      IF v_total > %u THEN\n"
                "        log_pkg.write(p_level => 2, p_text => 'limit reached for ' || p_id);\n"
                "        EXIT;\n"
                "      ELSIF MOD(v_total, 7) = 0 THEN\n"
                "        v_name := UPPER(r.last_name);\n"
                "      END IF;\n"
                "    END LOOP;\n"
                "    UPDATE %s SET %s = %s * 1.5e0 WHERE dept_id = p_id;\n"
                "    IF SQL%%ROWCOUNT = 0 THEN\n"
                "      p_note := 'nothing updated on ' || TO_CHAR(SYSDATE, 'YYYY-MM-DD');\n"
                "    END IF;\n"
                "    COMMIT;\n"
                "  EXCEPTION\n"
                "    WHEN NO_DATA_FOUND THEN\n"
                "      NULL;\n"
                "    WHEN OTHERS THEN\n"
                "      ROLLBACK;\n"
                "      RAISE_APPLICATION_ERROR(-20001, 'adjust_%d failed: ' || SQLERRM(SQLCODE));\n"
                "  END adjust_%d;\n\n",
                column, index, index, table, column, table, column, table, column, rng.next(100000), table, column,
                column, index, index);
  out += buffer;
}

std::string generatePackage(size_t bytes) {
  Lcg rng;
  std::string out = "CREATE OR REPLACE PACKAGE BODY payroll_pkg AS\n  g_count PLS_INTEGER := 0;\n\n";
  for (int i = 1; out.size() < bytes; ++i) appendProcedure(out, i, rng);
  out += "END payroll_pkg;\n/\n";
  return out;
}

// The same size of text made of tokens whose value points into the scanner's buffer.
std::string generateKeywordsOnly(size_t bytes) {
  std::string out;
  while (out.size() < bytes) out += "BEGIN IF NOT NULL THEN LOOP EXIT WHEN ( ) ; END LOOP ; END IF ; END ;\n";
  return out;
}

void scanAll(benchmark::State& state, const std::string& text) {
  const RecoveryPoint recovery;
  int64_t tokens = 0;
  uint64_t allocations = 0;
  for (auto _ : state) {
    hostFailNthBlock(0);  // also restarts the request count
    contextInit(&recovery);
    CompileError* errors = nullptr;
    ParseContext ctx{};
    ctx.text = text.c_str();
    ctx.errors = &errors;
    {
      ScannerGuard guard(&ctx);
      scannerCreate(&ctx);
      TokenValue value{};
      while (fetchToken(&value, &ctx) != 0) ++tokens;
    }
    allocations += hostBlockRequestCount();
    contextRelease();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  state.counters["tokens/s"] = benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kIsRate);
  state.counters["allocs/token"] = tokens == 0 ? 0.0 : static_cast<double>(allocations) / static_cast<double>(tokens);
}

void BM_ScanPackageBody(benchmark::State& state) {
  static const std::string text = generatePackage(4 * 1024 * 1024);
  scanAll(state, text);
}
BENCHMARK(BM_ScanPackageBody)->Unit(benchmark::kMillisecond);

void BM_ScanKeywordsOnly(benchmark::State& state) {
  static const std::string text = generateKeywordsOnly(4 * 1024 * 1024);
  scanAll(state, text);
}
BENCHMARK(BM_ScanKeywordsOnly)->Unit(benchmark::kMillisecond);

// Text that only opens comments, each inside the one before: the nesting depth must cost constant time
// per opening, so MB/s stays the same from the small size to the large one.
void BM_ScanNestedCommentOpenings(benchmark::State& state) {
  std::string text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += "/*";
  scanAll(state, text);
}
BENCHMARK(BM_ScanNestedCommentOpenings)->Arg(256 * 1024)->Arg(2 * 1024 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace
