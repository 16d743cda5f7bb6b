# Kestrin: `make` builds all three programs, `make run` starts the window (under wine on Linux), `make test` runs every test.
SHELL := /bin/bash
MAKEFLAGS += --no-print-directory
JOBS  ?= $(shell nproc)
ARGS  ?=
CMAKE_BUILD = cmake --build $(1) -j $(JOBS)
WIN32_CONFIGURE = cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null

.PHONY: all deps native win32 win64 check fuzz run test screenshot bench dist clean

all: native win32 win64

deps:
	@bash scripts/install-deps.sh

native: deps
	@cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DKESTRIN_TESTS=OFF >/dev/null
	@$(call CMAKE_BUILD,build/native)

win32: deps
	@$(WIN32_CONFIGURE)
	@$(call CMAKE_BUILD,build/win32)

win64: deps
	@cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@$(call CMAKE_BUILD,build/win64)

# The portable code's tests, under AddressSanitizer and UndefinedBehaviorSanitizer.
check: deps
	@cmake -S . -B build/check -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_SANITIZE=ON >/dev/null
	@$(call CMAKE_BUILD,build/check)

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_FUZZ=ON >/dev/null
	@$(call CMAKE_BUILD,build/fuzz)

run: win32 win64 native
	@bash scripts/run.sh $(ARGS)

test: all check fuzz
	@bash scripts/test.sh

screenshot: win64
	@bash scripts/screenshot.sh

# The release zip and its checksum, from the 32-bit program alone (its tests need not be built for it).
dist: deps
	@$(WIN32_CONFIGURE)
	@cmake --build build/win32 -j $(JOBS) --target Kestrin
	@python3 scripts/dist.py

bench: native win64
	@for b in bench/*.sh; do bash "$$b"; done

clean:
	rm -rf build
