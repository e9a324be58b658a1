# Drives CMake, with Ninja where it is installed. `make demo` runs the checker on the bundled
# examples; `make test` builds and runs every test. Each has a build folder of its own, so that
# neither is spoiled by what the other did before it.
BUILD ?= build
TEST_BUILD ?= build-test
SANITIZE_BUILD ?= build-sanitize
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
LIBCXX_BUILD ?= build-libcxx
ARM64_BUILD ?= build-arm64
WINDOWS_BUILD ?= build-windows
S390X_BUILD ?= build-s390x
STATIC_BUILD ?= build-static
WEB_BUILD ?= build-web
FUZZ_SECONDS ?= 300
# Sizes of the passing pair; the failing pair has 10^6 values, or fewer if every N is smaller.
N ?= 1000000 10000000 50000000
RUNS ?= 5
CMAKE ?= cmake
# The compiler: CXX when it is set, else clang++ where it is installed (it builds the scanner
# about a tenth faster), else c++. Any C++20 compiler works.
ifeq ($(origin CXX),default)
COMPILER ?= $(shell command -v clang++ 2>/dev/null || echo c++)
else
COMPILER ?= $(CXX)
endif
GENERATOR := $(if $(shell command -v ninja 2>/dev/null),-G Ninja)
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CONFIGURE = $(CMAKE) $(GENERATOR) -DCMAKE_CXX_COMPILER=$(COMPILER)
PARALLEL = --parallel $(JOBS)

.PHONY: all build demo test static sanitize test-libcxx test-arm64 test-s390x test-windows web test-web dist \
  grading bench bench-lists bench-shapes bench-past-2-32 bench-web fuzz clean

all: build

# Without CMake (macOS's command-line tools bring make and clang, not CMake), the two programs
# are built by one compiler command each.
ifeq ($(shell command -v $(CMAKE) 2>/dev/null),)
VERSION := $(shell sed -n 's/^project.checker VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
build:
	mkdir -p $(BUILD)
	printf '#define CHECKER_VERSION "%s"\n' "$(VERSION)" >$(BUILD)/checker_version.hpp
	$(COMPILER) -std=c++20 -O2 -o $(BUILD)/checker src/*.cpp
	$(COMPILER) -std=c++20 -O2 -Isrc -I$(BUILD) -o $(BUILD)/checker-judge src/judge/*.cpp \
	  $(filter-out src/main.cpp src/run.cpp,$(wildcard src/*.cpp))
else
build:
	$(CONFIGURE) -S . -B $(BUILD) -DCHECKER_TESTS=OFF
	$(CMAKE) --build $(BUILD) $(PARALLEL)
endif

demo: build
	@for output in passing_output.txt failing_output.txt; do \
	  echo "\$$ $(BUILD)/checker examples/input.txt examples/$$output"; \
	  $(BUILD)/checker examples/input.txt examples/$$output; \
	  echo; \
	done

test:
	$(CONFIGURE) -S . -B $(TEST_BUILD) -DCHECKER_TESTS=ON -DCHECKER_WERROR=ON
	$(CMAKE) --build $(TEST_BUILD) $(PARALLEL)
	ctest --test-dir $(TEST_BUILD) --output-on-failure --timeout 300

# checker, checker-judge and cms/checker linked statically, to run on any Linux of their
# processor: in CMS's sandbox, and where DOMjudge runs a validator it built elsewhere.
static:
	$(CONFIGURE) -S . -B $(STATIC_BUILD) -DCHECKER_STATIC=ON -DCHECKER_TESTS=OFF
	$(CMAKE) --build $(STATIC_BUILD) $(PARALLEL) --target checker checker-judge checker-judge-cms

# The whole test suite again under AddressSanitizer and UndefinedBehaviorSanitizer, built by
# g++ so that both compilers see every test.
sanitize:
	$(CMAKE) -S . -B $(SANITIZE_BUILD) $(GENERATOR) -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Debug -DCHECKER_TESTS=ON \
	  -DCHECKER_WERROR=ON -DCHECKER_SANITIZE=ON
	$(CMAKE) --build $(SANITIZE_BUILD) $(PARALLEL)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure --timeout 600

# The whole suite built by clang against libc++, the standard library of macOS; GoogleTest is
# built from its sources to match.
test-libcxx:
	$(CMAKE) -S . -B $(LIBCXX_BUILD) $(GENERATOR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_FLAGS=-stdlib=libc++ -DCHECKER_GTEST_FROM_SOURCE=ON -DCHECKER_TESTS=ON -DCHECKER_WERROR=ON
	$(CMAKE) --build $(LIBCXX_BUILD) $(PARALLEL)
	ctest --test-dir $(LIBCXX_BUILD) --output-on-failure --timeout 300

# The whole suite cross-built for Linux on 64-bit ARM and run under qemu-user, and for Windows
# with MinGW-w64 and run under wine.
test-arm64:
	$(CMAKE) -S . -B $(ARM64_BUILD) $(GENERATOR) --toolchain platforms/linux-arm64.cmake \
	  -DCHECKER_TESTS=ON -DCHECKER_WERROR=ON
	$(CMAKE) --build $(ARM64_BUILD) $(PARALLEL)
	ctest --test-dir $(ARM64_BUILD) --output-on-failure --timeout 600

# Big-endian: cross-built for Linux on IBM Z, run under qemu-user.
test-s390x:
	$(CMAKE) -S . -B $(S390X_BUILD) $(GENERATOR) --toolchain platforms/linux-s390x.cmake \
	  -DCHECKER_TESTS=ON -DCHECKER_WERROR=ON
	$(CMAKE) --build $(S390X_BUILD) $(PARALLEL)
	ctest --test-dir $(S390X_BUILD) --output-on-failure --timeout 900

test-windows:
	$(CMAKE) -S . -B $(WINDOWS_BUILD) $(GENERATOR) --toolchain platforms/windows-x86_64.cmake \
	  -DCHECKER_TESTS=ON -DCHECKER_WERROR=ON
	$(CMAKE) --build $(WINDOWS_BUILD) $(PARALLEL)
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure --timeout 600

# The page: the checker built to WebAssembly with Debian's emscripten, whose optimizer finds
# Debian's node-acorn on node's module path; $(WEB_BUILD)/web/checker.html, one file.
EMCMAKE ?= emcmake
WEB_ENV = NODE_PATH=$(if $(NODE_PATH),$(NODE_PATH):)/usr/share/nodejs
web:
	@command -v $(EMCMAKE) >/dev/null || { echo "emcmake was not found: install the Debian packages emscripten and node-acorn"; exit 1; }
	$(WEB_ENV) $(EMCMAKE) $(CMAKE) -S . -B $(WEB_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DCHECKER_WERROR=ON
	$(WEB_ENV) $(CMAKE) --build $(WEB_BUILD) $(PARALLEL)
	@echo "the page: $(WEB_BUILD)/web/checker.html"

# Every golden case with two file arguments under node, and the page in headless Chromium; the
# page's screenshots are left in $(WEB_BUILD)/tests/web/page/out.
test-web: web
	ctest --test-dir $(WEB_BUILD) --output-on-failure --timeout 600

# The page in Chromium against checker-judge plain on the failing pair of the largest N.
bench-web: web
	$(CONFIGURE) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DCHECKER_BENCH=ON
	$(CMAKE) --build $(BENCH_BUILD) $(PARALLEL)
	n=$(lastword $(N)); pair=$(BENCH_BUILD)/data/failing_$$n; mkdir -p $(BENCH_BUILD)/data; \
	  test -f $$pair.out || $(BENCH_BUILD)/bench/generate_pair $$n failing 2026 $$pair.in $$pair.out; \
	  $(CMAKE) -DINSTALL_ONLY=ON -DNPM=npm -DSOURCE_DIR=$(CURDIR)/tests/web -DWORK_DIR=$(abspath $(WEB_BUILD))/tests/web/page \
	    -P tests/web/page_test.cmake && \
	  cp bench/page_bench.mjs $(WEB_BUILD)/tests/web/page/ && \
	  node $(WEB_BUILD)/tests/web/page/page_bench.mjs $(WEB_BUILD)/web/checker.html \
	    $$(command -v chromium || command -v chromium-browser || command -v google-chrome) $(BENCH_BUILD)/checker-judge \
	    $$pair.in $$pair.out $(RUNS)

# One download per platform into dist/, each then unpacked and run on every golden case.
dist:
	JOBS=$(JOBS) platforms/dist.sh

# The grading templates, ready to use, in $(BUILD)/grading: checker-judge's sources copied into
# those that build it.
grading:
	$(CMAKE) -DDEST=$(BUILD)/grading -P grading/assemble.cmake

# Times checker against the baseline; the pairs are generated once into $(BENCH_BUILD)/data
# (2.3 GB for the default N).
bench:
	$(CONFIGURE) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DCHECKER_BENCH=ON
	$(CMAKE) --build $(BENCH_BUILD) $(PARALLEL)
	$(BENCH_BUILD)/bench/run_bench $(BENCH_BUILD)/checker $(BENCH_BUILD)/bench/checker_baseline \
	  $(BENCH_BUILD)/bench/generate_pair $(BENCH_BUILD)/data $(RUNS) $(N)

# Large lists: peak memory a value and time, against a second checker if OTHER names one, on
# N_LISTS records as files, through pipes, and kept whole; then positions and lines past 2^32
# (16 GiB and minutes).
N_LISTS ?= 300000000
bench-lists:
	$(CONFIGURE) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DCHECKER_BENCH=ON
	$(CMAKE) --build $(BENCH_BUILD) $(PARALLEL)
	bench/lists.sh $(BENCH_BUILD)/data $(N_LISTS) $(RUNS) $(BENCH_BUILD)/checker $(OTHER)

# The same pair in each common line shape (tabs, runs of spaces, CR LF, blank and comment lines),
# each against the one-space file, for the checker and for a second one if OTHER names it.
N_SHAPES ?= 10000000
bench-shapes:
	$(CONFIGURE) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DCHECKER_BENCH=ON
	$(CMAKE) --build $(BENCH_BUILD) $(PARALLEL)
	bench/shapes.sh $(BENCH_BUILD)/data $(N_SHAPES) $(RUNS) $(BENCH_BUILD)/bench/generate_pair \
	  $(BENCH_BUILD)/checker $(OTHER)

bench-past-2-32:
	$(CONFIGURE) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DCHECKER_BENCH=ON
	$(CMAKE) --build $(BENCH_BUILD) $(PARALLEL)
	bench/past_2_32.sh $(BENCH_BUILD)/checker

# Differential fuzzing of the reader for FUZZ_SECONDS; fails on any difference or sanitizer
# report. Seeded from the golden cases and tests/corpus; what it finds new is kept in
# $(FUZZ_BUILD)/corpus.
fuzz:
	$(CMAKE) -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHECKER_FUZZ=ON
	$(CMAKE) --build $(FUZZ_BUILD) $(PARALLEL) --target value_reader_fuzz
	rm -rf $(FUZZ_BUILD)/seeds && mkdir -p $(FUZZ_BUILD)/seeds $(FUZZ_BUILD)/corpus
	for file in tests/cases/*/*.txt; do cp "$$file" "$(FUZZ_BUILD)/seeds/$$(echo "$$file" | tr / _)"; done
	$(FUZZ_BUILD)/fuzz/value_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	  -max_len=8192 -dict=fuzz/value_file.dict -print_final_stats=1 \
	  -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/seeds tests/corpus

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(SANITIZE_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(LIBCXX_BUILD) \
	  $(ARM64_BUILD) $(S390X_BUILD) $(WINDOWS_BUILD) $(STATIC_BUILD) $(WEB_BUILD) build-dist dist
