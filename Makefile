# Thin wrapper over CMake: each command installs what is missing, configures, builds, runs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
BENCH_PEERS := nlohmann-json3-dev
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
DEMO_ARGS  ?=
CTEST_ARGS ?=
WERROR     := $(if $(CI),ON,OFF)
# The sanitizer builds compile the sources again; ccache, where installed, keeps that cheap.
LAUNCHER   := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps build demo test bench check check-asan check-tsan fuzz mutants format clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_PROVIDER_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_PROVIDER_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target stats-demo
	@$(BUILD)/examples/stats_demo/stats-demo $(DEMO_ARGS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench:
	@scripts/install-deps.sh $(BENCH_PEERS)
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSTATS_PROVIDER_BENCH=ON -DSTATS_PROVIDER_TESTS=ON -DSTATS_PROVIDER_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target stats_bench stats_depth_probe stats_bench_report bench_tests
	@$(BENCH_BUILD)/tests/bench_tests --gtest_brief=1
	@bench/run.sh $(BENCH_BUILD)

# The whole suite under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, then the
# concurrency tests under ThreadSanitizer. Any sanitizer report fails the run.
check: check-asan check-tsan

check-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_PROVIDER_SANITIZE=ON -DSTATS_PROVIDER_WERROR=$(WERROR) $(LAUNCHER) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  LSAN_OPTIONS=exitcode=23:suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

check-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_PROVIDER_TSAN=ON -DSTATS_PROVIDER_WERROR=$(WERROR) $(LAUNCHER) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66" \
	  ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# libFuzzer ships with clang's runtime package; each harness runs FUZZ_SECONDS over a scratch
# copy of its corpus.
fuzz:
	@scripts/install-deps.sh clang-14 libclang-rt-14-dev
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DSTATS_PROVIDER_FUZZ=ON -DSTATS_PROVIDER_TESTS=OFF -DSTATS_PROVIDER_EXAMPLES=OFF -DSTATS_PROVIDER_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Each planted fault of scripts/mutants/ on its own, against the whole suite, in build-mutants/
# (slow: one incremental build and one suite run per fault). MUTANTS="name-pattern ..." selects.
MUTANTS ?=
mutants: deps
	@scripts/mutants.sh $(MUTANTS)

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) build-mutants
