# Thin wrapper over CMake: each command installs what is missing, configures, builds, runs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
CTEST_ARGS ?=
WERROR     := $(if $(CI),ON,OFF)
# The sanitizer builds compile the sources again; ccache, where installed, keeps that cheap.
LAUNCHER   := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps build demo test bench check check-asan check-tsan format clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_PROVIDER_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@echo "stats-demo: not built yet; the host-statistics demo arrives with the provider examples."

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@echo "bench: no benchmark suite yet."

# The whole suite under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, then the
# concurrency tests under ThreadSanitizer. Any sanitizer report fails the run.
check: check-asan check-tsan

check-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSTATS_PROVIDER_SANITIZE=ON -DSTATS_PROVIDER_WERROR=$(WERROR) $(LAUNCHER) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 LSAN_OPTIONS=exitcode=23 \
	  ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

check-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTATS_PROVIDER_TSAN=ON -DSTATS_PROVIDER_WERROR=$(WERROR) $(LAUNCHER) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66" \
	  ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
