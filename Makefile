# The two commands a newcomer needs: `make run` and `make test`.

BUILD      := build
SAN_BUILD  := build-sanitize
JOBS       ?= 2

BUILD_PACKAGES := cmake make g++ libc6-dev
TEST_PACKAGES  := $(BUILD_PACKAGES) libgtest-dev tmux python3

.PHONY: all build run test sanitize-test bench deps-build deps-test clean

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

test: deps-test windows deps-wine $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory sanitize-test

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

# The Windows build: cross-compiled with mingw-w64 into $(WINDOWS_BUILD)/console-rpg.exe,
# one .exe that needs no DLL beside it. `make test` runs it under wine, whose prefix
# lives in $(WINDOWS_BUILD)/wine-prefix (tests/e2e/test_windows.py).
WINDOWS_BUILD    := build-windows
WINDOWS_PACKAGES := cmake make g++-mingw-w64-x86-64-win32
WINE_PACKAGES    := wine wine64

.PHONY: windows deps-wine

windows:
	@tools/ensure-packages $(WINDOWS_PACKAGES)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target console-rpg

deps-wine:
	@tools/ensure-packages $(WINE_PACKAGES)
