# The two commands a newcomer needs: `make run` and `make test`.

BUILD      := build
SAN_BUILD  := build-sanitize
JOBS       ?= 2

BUILD_PACKAGES := cmake make g++ libc6-dev
TEST_PACKAGES  := $(BUILD_PACKAGES) libgtest-dev tmux python3

.PHONY: all build run check-data test sanitize-test bench deps-build deps-test clean

all: build

deps-build:
	@tools/ensure-packages $(BUILD_PACKAGES)

deps-test:
	@tools/ensure-packages $(TEST_PACKAGES)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps-build $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target console-rpg

# Plays on the bundled sample data. Ctrl+C ends the game.
run: build
	cd game && ../$(BUILD)/console-rpg

# Checks the sample data as the game reads it: findings, then the rules sheet.
check-data: deps-build $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target console-rpg-check
	$(BUILD)/console-rpg-check game

test: deps-test windows deps-wine package $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)
	$(MAKE) --no-print-directory fuzz-smoke
	$(MAKE) --no-print-directory sanitize-test
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test:
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,float-cast-overflow,float-divide-by-zero -fno-sanitize-recover=all -fno-omit-frame-pointer"
	cmake --build $(SAN_BUILD) -j$(JOBS) --target unit_tests
	cd $(SAN_BUILD) && ctest --output-on-failure -j$(JOBS) -E '^e2e_'

clean:
	rm -rf $(BUILD) $(SAN_BUILD) build-windows build-fuzz

# Figures measured on the real binary through a pseudo-terminal (about two minutes).
bench: build
	python3 tools/bench/bench.py $(BUILD)/console-rpg game

# The libFuzzer targets (fuzz/), built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer. `make fuzz` runs each for FUZZ_SECONDS and keeps
# what it learns in $(FUZZ_BUILD)/corpus; `make fuzz-smoke`, part of `make test`,
# runs each for a few seconds from the saved seeds in fuzz/corpus. A failure
# stops the run, its input saved in $(FUZZ_BUILD)/artifacts.
FUZZ_BUILD         := build-fuzz
FUZZ_SECONDS       ?= 60
FUZZ_SMOKE_SECONDS ?= 5
FUZZ_TARGETS       := status_files field_map key_decoder screen_drawing
FUZZ_PACKAGES      := cmake make clang libclang-rt-dev
FUZZ_RUN           = $(FUZZ_BUILD)/fuzz/$${t}_fuzz -timeout=10 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t-

.PHONY: fuzz fuzz-smoke fuzz-build

fuzz-build:
	@tools/ensure-packages $(FUZZ_PACKAGES)
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DCONSOLE_RPG_FUZZ=ON -DCONSOLE_RPG_TESTS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets

fuzz: fuzz-build
	@set -e; for t in $(FUZZ_TARGETS); do \
	  echo "fuzzing $$t for $(FUZZ_SECONDS) s"; mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/artifacts; \
	  $(FUZZ_RUN) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t; \
	done

fuzz-smoke: fuzz-build
	@set -e; for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_BUILD)/smoke/$$t; mkdir -p $(FUZZ_BUILD)/smoke/$$t $(FUZZ_BUILD)/artifacts; \
	  $(FUZZ_RUN) -max_total_time=$(FUZZ_SMOKE_SECONDS) $(FUZZ_BUILD)/smoke/$$t fuzz/corpus/$$t \
	    2>$(FUZZ_BUILD)/smoke/$$t.log || { tail -n 40 $(FUZZ_BUILD)/smoke/$$t.log; exit 1; }; \
	  echo "fuzz-smoke $$t: $$(grep '^Done' $(FUZZ_BUILD)/smoke/$$t.log), no property failed"; \
	done

# The Windows build: cross-compiled with mingw-w64 into $(WINDOWS_BUILD)/console-rpg.exe
# and console-rpg-check.exe, each one .exe that needs no DLL beside it. `make test` runs
# the game under wine, whose prefix lives in $(WINDOWS_BUILD)/wine-prefix
# (tests/e2e/test_windows.py).
WINDOWS_BUILD    := build-windows
WINDOWS_PACKAGES := cmake make g++-mingw-w64-x86-64-win32
WINE_PACKAGES    := wine wine64

.PHONY: windows deps-wine

windows:
	@tools/ensure-packages $(WINDOWS_PACKAGES)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target console-rpg console-rpg-check

deps-wine:
	@tools/ensure-packages $(WINE_PACKAGES)

# Installing and the release packages (cmake/install.cmake, cmake/packaging.cmake).
# `make install` puts the game under PREFIX (DESTDIR is honoured as usual);
# `make package` makes the Debian package, checked with lintian, in $(BUILD) and
# the Windows zip in $(WINDOWS_BUILD).
PREFIX           ?= /usr/local
PACKAGE_PACKAGES := dpkg-dev lintian

.PHONY: install package

# Configured afresh first: an older build directory may predate the install rules.
install: deps-build
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j$(JOBS) --target programs
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

package: deps-build windows
	@tools/ensure-packages $(PACKAGE_PACKAGES)
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j$(JOBS) --target programs
	rm -f $(BUILD)/console-rpg_*.deb
	cd $(BUILD) && cpack
	lintian --fail-on error,warning $(BUILD)/console-rpg_*.deb
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target programs
	rm -f $(WINDOWS_BUILD)/console-rpg-*-win64.zip
	cd $(WINDOWS_BUILD) && cpack
