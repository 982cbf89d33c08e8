# The two commands of the README, plus benchmarks and fuzzing. Each installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= 2
FUZZ_SECONDS ?= 600
PREFIX     ?= /usr/local

.PHONY: run test deps build build-asan build-tsan bench bench-compare fuzz golden-update format-check clean \
        install report-screenshot

deps:
	@sh scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

build-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DXCOMP_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)

# ThreadSanitizer build of the unit tests, for the concurrent-call test.
build-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DXCOMP_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_C_FLAGS=-fsanitize=thread \
	  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread >/dev/null
	@cmake --build $(TSAN_BUILD) -j$(JOBS) --target unit_tests

# Translates the shipped example script and prints the generated statements.
run: build
	./$(BUILD)/xcomp examples/example.sql

# Every test, in the normal build and again under AddressSanitizer and UndefinedBehaviorSanitizer;
# the concurrent calls and the region allocator once more under ThreadSanitizer.
test: build build-asan build-tsan
	@sh scripts/install-deps.sh chromium npm
	@sh scripts/install-sarif-validator.sh $(BUILD) || echo "the SARIF validator is not installed: its test is skipped"
	TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp" ./$(TSAN_BUILD)/unit_tests --gtest_filter='Threads*:Context*:Region*:SmallStacks.Concurrent*:CodePages*'
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j$(JOBS)

# The library (libxcomp2.so.1 and its link), xcomp2.h, xcomp, its manual page, xcomp2.pc and the CMake
# package, under PREFIX.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A migration report over a generated sample code base, and a picture of its page in headless Chromium:
# $(BUILD)/report-sample/report.html and $(BUILD)/report-screenshot.png.
report-screenshot: build
	@sh scripts/install-deps.sh python3 chromium
	sh scripts/report-screenshot.sh $(BUILD)

bench: build
	./$(BUILD)/benchmarks --benchmark_min_time=0.5

# The benchmarks of this tree against those of the git revisions in BASE (oldest first), all Release
# builds in COMPARE_DIR, run in turn ROUNDS times; prints the medians side by side. Examples:
#   make bench-compare BASE=main FILTER='BM_Pipeline/procedure'
#   make bench-compare BASE='main issue-perf~3' ROUNDS=5
BASE ?= HEAD
FILTER ?= BM_Pipeline|BM_Scaling|BM_HandWritten|BM_Xcomp2
ROUNDS ?= 3
MIN_TIME ?= 0.5
COMPARE_DIR ?= build-compare
bench-compare: deps
	@JOBS=$(JOBS) sh scripts/bench_compare.sh '$(BASE)' '$(FILTER)' $(ROUNDS) $(MIN_TIME) $(COMPARE_DIR)

# Two libFuzzer targets, each for FUZZ_SECONDS: the compile driver, and xcomp2 with the session and
# mode taken from the input's first bytes. Both start from the golden inputs and the PL/SQL dictionary.
fuzz:
	@sh scripts/install-deps.sh clang libclang-rt-14-dev
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DXCOMP_FUZZ=ON -DXCOMP_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_compile fuzz_xcomp2
	mkdir -p fuzz-corpus/compile fuzz-corpus/xcomp2
	./$(FUZZ_BUILD)/fuzz_compile -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -dict=tests/fuzz/plsql.dict \
	  fuzz-corpus/compile tests/golden
	./$(FUZZ_BUILD)/fuzz_xcomp2 -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -dict=tests/fuzz/plsql.dict \
	  fuzz-corpus/xcomp2 tests/golden

# Fails when a C or C++ source is not laid out as .clang-format says (CI runs it before the tests).
format-check:
	@sh scripts/install-deps.sh clang-format
	@git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
	@echo "clang-format: every source is laid out"

# Rewrites the expected outputs of the golden tests (all features, or FEATURES="a b").
golden-update: build
	tests/update_golden.sh $(FEATURES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(COMPARE_DIR)
