# Front door: `make test` runs every test, `make demo` runs the example host's tour.
BUILD ?= build
# The builds below are makes of their own: no "Entering/Leaving directory" lines from them.
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: deps configure build test demo bench stress consumer-check install sanitize tsan fuzz-build fuzz fuzz-coverage fuzz-corpus clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Builds only the example host (the library, the virtual cards and the stand-in it links) and the
# stand-in as a program of its own, then the tour.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target ekyc-demo ekyc-verification-server
	@scripts/demo-tour $(BUILD)/ekyc-demo

bench: build
	@$(BUILD)/ekyc_bench

# Stress loops CI does not run: STRESS_REPEAT rounds of each (build dir BUILD; with BUILD=build-tsan
# after make tsan, under the thread sanitizer).
STRESS_REPEAT ?= 100
stress: configure
	@cmake --build $(BUILD) --target ekyc_stress -j $(JOBS)
	@$(BUILD)/ekyc_stress --gtest_repeat=$(STRESS_REPEAT) --gtest_brief=1

# A tiny host project built against the library both ways (installed package, subproject) and run.
consumer-check: build
	@BUILD=$(BUILD) JOBS=$(JOBS) scripts/consumer-check

# The library, its headers and its package config into PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DEKYC_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Every test again under the thread sanitizer (build dir build-tsan): a report ends its test with a
# failure. scripts/tsan.supp silences reports from libraries built without it, never our code.
tsan: deps
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEKYC_TSAN=ON >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/scripts/tsan.supp" \
		ctest --output-on-failure -j $(JOBS)

fuzz-build:
	@scripts/install-deps fuzz
	@cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build build-fuzz -j $(JOBS)

# Every fuzz target (fuzz/<Name>Fuzz.cpp, libFuzzer with clang) for FUZZ_SECONDS each, JOBS at a time.
fuzz: fuzz-build
	@scripts/run-fuzz build-fuzz $(FUZZ_SECONDS) $(JOBS)

# How far each target gets into its parser in FUZZ_SECONDS from its seeds: functions and edges
# reached, executions per second.
fuzz-coverage: fuzz-build
	@scripts/fuzz-coverage build-fuzz $(FUZZ_SECONDS) $(JOBS)

# Rewrites the seed corpora under fuzz/corpus/ from the virtual cards.
fuzz-corpus: configure
	@cmake --build $(BUILD) --target ekyc-fuzz-corpus -j $(JOBS)
	@$(BUILD)/ekyc-fuzz-corpus fuzz/corpus

clean:
	rm -rf $(BUILD) build-asan build-tsan build-consumer build-consumer-ekyc build-fuzz
