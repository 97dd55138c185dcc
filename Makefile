# The newcomer's front door. `make test` sets up, builds both trees and runs every test;
# `make run [DEMO=path]` starts the program under Wine.
SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)
NATIVE := $(BUILD)/native
ASAN := $(BUILD)/asan
WIN := $(BUILD)/win

.PHONY: all setup build native asan win test run demo bench clean format

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

build: native asan win

test: build
	@tools/run-tests $(NATIVE) $(ASAN) $(WIN)

run: win
	@tools/run-program $(WIN) "$(DEMO)"

clean:
	rm -rf $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
