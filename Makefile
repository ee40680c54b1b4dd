# Front door: `make test` runs every test, `make demo` runs the example host's tour.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build test demo bench consumer-check install sanitize clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo-tour $(BUILD)/ekyc-demo

bench: build
	@$(BUILD)/ekyc_bench

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

clean:
	rm -rf $(BUILD) build-asan build-consumer build-consumer-ekyc
