# The newcomer's front door. `make test` sets up, builds both trees and runs every test;
# `make run [DEMO=path]` starts the program under Wine.
SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)
NATIVE := $(BUILD)/native
ASAN := $(BUILD)/asan
WIN := $(BUILD)/win
FUZZ := $(BUILD)/fuzz
BENCH := $(BUILD)/bench
FUZZ_SECONDS ?= 600

.PHONY: all setup build native asan win fuzz-build fuzz test run bench clean format

all: build

setup:
	@tools/setup.sh

$(NATIVE)/CMakeCache.txt:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug

$(ASAN)/CMakeCache.txt:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DRD_SANITIZE=ON

$(WIN)/CMakeCache.txt:
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake

native: setup $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j$(JOBS)

asan: setup $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j$(JOBS)

win: setup $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j$(JOBS)

# libFuzzer targets (clang, ASan, UBSan); make test runs each for a few seconds.
$(FUZZ)/CMakeCache.txt:
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DRD_FUZZ=ON -DRD_BUILD_TESTS=ON

fuzz-build: setup $(FUZZ)/CMakeCache.txt
	cmake --build $(FUZZ) --target rd_fuzzers -j$(JOBS)

# The long run: make fuzz FUZZ_SECONDS=600 (seconds per target).
fuzz: fuzz-build
	@tools/fuzz $(FUZZ) $(FUZZ_SECONDS)

# Benchmarks under Wine, in a Windows tree of their own; not part of make test.
$(BENCH)/CMakeCache.txt:
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DRD_BENCH=ON -DRD_BUILD_TESTS=OFF \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake

bench: setup $(BENCH)/CMakeCache.txt
	cmake --build $(BENCH) -j$(JOBS)
	@tools/bench $(BENCH)

build: native asan win

test: build fuzz-build
	@tools/run-tests $(NATIVE) $(ASAN) $(WIN) $(FUZZ)/tests/fuzz

run: win
	@tools/run-program $(WIN) "$(DEMO)"

clean:
	rm -rf $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
