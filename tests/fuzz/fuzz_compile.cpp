// libFuzzer target over the whole compilation: any byte string goes through compileStatement (scanner,
// parser, transformer, emitter) and must come back as results or error records, never as a crash, a
// sanitizer report or a leak. Seed it with the golden inputs (tests/golden).
#include <cstddef>
#include <cstdint>
#include <string>

#include "entry/driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The entry point hands the compiler NUL-terminated text; an embedded NUL simply ends it early.
  const std::string text(reinterpret_cast<const char*>(data), size);
  SessionSettings settings = defaultSessionSettings();
  // Let one byte of the input choose whether several programs are allowed, so both paths are reached.
  settings.allowMultiplePrograms = (size > 0 && (data[0] & 1) != 0) ? 1 : 0;
  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  compileStatement(text.c_str(), &results, &errors, &settings);
  releaseCompilation(&results, &errors);
  return 0;
}
