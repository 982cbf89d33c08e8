// The memory a request needs stays in proportion to its size, whatever its shape: one literal or one
// name filling the request, deep parentheses, very many short statements, nothing but one-byte tokens.
// Measured as the memory the thread maps while it compiles (the heap build under AddressSanitizer maps
// nothing of its own, so there the tests have nothing to measure and are skipped).
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "entry/driver.h"
#include "host/region_allocator.h"

namespace {

std::string repeatedTo(const std::string& piece, size_t bytes) {
  std::string out;
  while (out.size() < bytes) out += piece;
  return out;
}

struct Shape {
  const char* name;
  std::string (*make)(size_t bytes);
  // The memory allowed per byte of request at 2 MiB, a little above what it takes now. Every token
  // costs two pool blocks (its node and its list cell, each behind the pool's 32-byte header), so a
  // request of one- and two-byte tokens needs several times what code people write does.
  double mostPerByte;
};

const Shape shapes[] = {
    {"one literal", [](size_t n) { return "BEGIN v_note := '" + std::string(n, 'n') + "'; END;"; }, 10},
    {"one name", [](size_t n) { return "BEGIN " + std::string(n, 'v') + " := 1; END;"; }, 10},
    {"a long comment", [](size_t n) { return "BEGIN /* " + std::string(n, '-') + " */ NULL; END;"; }, 10},
    {"deep parentheses",
     [](size_t n) { return "BEGIN v := " + std::string(n / 2, '(') + "1" + std::string(n / 2, ')') + "; END;"; }, 140},
    {"short statements", [](size_t n) { return "BEGIN\n" + repeatedTo("  v_total := v_a + 1;\n", n) + "END;"; }, 45},
    {"one-byte tokens", [](size_t n) { return "BEGIN v := " + repeatedTo("a+", n) + "a; END;"; }, 140},
};

// The most the compiling thread had mapped at once, over what it had mapped before.
double peakPerByte(const std::string& text) {
  double perByte = 0;
  std::thread([&] {
    const int64_t before = regionThreadStats().mappedBytes;
    regionResetPeak();
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(text.c_str(), &results, &errors, nullptr);
    EXPECT_EQ(errors, nullptr) << (errors != nullptr ? errors->message : "");
    releaseCompilation(&results, &errors);
    perByte = static_cast<double>(regionThreadStats().peakMappedBytes - before) / static_cast<double>(text.size());
  }).join();
  return perByte;
}

TEST(MemoryBound, EveryShapeGrowsInProportionToTheRequest) {
  if (peakPerByte("BEGIN NULL; END;") == 0) GTEST_SKIP() << "blocks come from the heap in this build";
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    const std::string quarter = shape.make(512 * 1024);
    const std::string full = shape.make(2 * 1024 * 1024);
    const double small = peakPerByte(quarter);
    const double large = peakPerByte(full);
    EXPECT_LE(large, shape.mostPerByte);
    // Four times the request, at most four times the memory, give or take the granularity of mapping.
    EXPECT_LE(large * static_cast<double>(full.size()),
              4.0 * small * static_cast<double>(quarter.size()) + 4.0 * static_cast<double>(regionSegmentBytes));
  }
}

}  // namespace
