# Thin wrapper over CMake: each command installs what is missing, configures, builds, runs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
WERROR     := $(if $(CI),ON,OFF)

.PHONY: all deps build demo test bench check fuzz format clean

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

check: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSTATS_PROVIDER_SANITIZE=ON -DSTATS_PROVIDER_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer ships with clang's runtime package; each harness runs FUZZ_SECONDS over a scratch
# copy of its corpus.
fuzz:
	@scripts/install-deps.sh clang-14 libclang-rt-14-dev
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DSTATS_PROVIDER_FUZZ=ON -DSTATS_PROVIDER_TESTS=OFF -DSTATS_PROVIDER_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
