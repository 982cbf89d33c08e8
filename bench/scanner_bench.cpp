// Scanner throughput in MB/s over 2 MB of generated package-body text, scanned the way the parser pulls
// it (fetchToken until end of input, one compilation per pass). A second benchmark scans text of the
// size that needs no pool copies (keywords and punctuation only), so the gap between the two is what
// the per-token work costs; the counters give host allocations per token. A third scans nothing but
// nested comment openings at two sizes: its MB/s must not fall as the nesting gets deeper.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "host/host.h"
#include "lexer/lexer.h"
#include "plsql_generator.h"
#include "pool/pool.h"

namespace {

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
  static const std::string text = generatePlsqlText(PlsqlShape::packageBody, 2 * 1024 * 1024);
  scanAll(state, text);
}
BENCHMARK(BM_ScanPackageBody)->Unit(benchmark::kMillisecond);

void BM_ScanKeywordsOnly(benchmark::State& state) {
  static const std::string text = generateKeywordsOnly(2 * 1024 * 1024);
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
