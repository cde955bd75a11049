# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
# The two commands a newcomer needs: `make run` and `make test`.
#
# Each build has a folder of its own: $(BUILD) is the development build, a
# plain one that is quick to make, which `make run`, `make check`, `make test`
# and `make bench` use; the packages are made from release builds with the
# distribution's hardening ($(PACKAGE_BUILD), $(WINDOWS_BUILD), $(WEB_BUILD)).

BUILD         := build
SAN_BUILD     := build-sanitize
FUZZ_BUILD    := build-fuzz
WINDOWS_BUILD := build-windows
PACKAGE_BUILD := build-package
RELEASE_DIR   := build-release
JOBS          ?= 2

BUILD_PACKAGES := cmake make g++ libc6-dev gettext
TEST_PACKAGES  := $(BUILD_PACKAGES) libgtest-dev tmux python3

.PHONY: all build run check-data bench deps-build deps-test check test lint sanitize-test clean

all: build

deps-build:
	@tools/ensure-packages $(BUILD_PACKAGES)

deps-test:
	@tools/ensure-packages $(TEST_PACKAGES)

# ---- The development build -------------------------------------------------------

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

# Figures measured on the real binary through a pseudo-terminal (about two minutes).
bench: build
	python3 tools/bench/bench.py $(BUILD)/console-rpg game

# ---- The tests -------------------------------------------------------------------

# The quick way in while changing the code: the unit tests and the end-to-end
# tests labelled quick in tests/CMakeLists.txt, on the development build. It
# installs nothing and needs no root (a missing package is named, not
# installed), and ends by saying what it left to `make test` (tools/check-quick).
# Its end-to-end tests spend their time waiting on a terminal, so they run
# CHECK_JOBS at once, twice the cores.
CHECK_JOBS ?= 4
check:
	@tools/ensure-packages --check $(TEST_PACKAGES)
	@$(MAKE) --no-print-directory $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target unit_tests console-rpg console-rpg-check
	@JOBS=$(CHECK_JOBS) tools/check-quick $(BUILD)

# Everything: the packages and the Windows and browser builds first, since
# their tests run here too.
test: deps-test windows deps-wine package web-test $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)
	$(MAKE) --no-print-directory lint
	$(MAKE) --no-print-directory fuzz-smoke
	$(MAKE) --no-print-directory sanitize-test
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Static analysis, part of `make test`: clang-tidy with the checks in
# .clang-tidy and cppcheck over src/ and tools/ (tools/lint); clang-tidy reads
# the Windows back end once its build is configured, the browser's where
# Emscripten is installed.
LINT_PACKAGES := clang-tidy cppcheck

lint: deps-build $(BUILD)/CMakeCache.txt
	@tools/ensure-packages $(LINT_PACKAGES)
	@cmake -S . -B $(BUILD) >/dev/null
	JOBS=$(JOBS) tools/lint $(BUILD) $(WINDOWS_BUILD)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test:
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,float-cast-overflow,float-divide-by-zero -fno-sanitize-recover=all -fno-omit-frame-pointer"
	cmake --build $(SAN_BUILD) -j$(JOBS) --target unit_tests
	cd $(SAN_BUILD) && ctest --output-on-failure -j$(JOBS) -E '^e2e_'

# The libFuzzer targets (fuzz/), built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer. `make fuzz` runs each for FUZZ_SECONDS and keeps
# what it learns in $(FUZZ_BUILD)/corpus; `make fuzz-smoke`, part of `make test`,
# runs each for a few seconds from the saved seeds in fuzz/corpus. A failure
# stops the run, its input saved in $(FUZZ_BUILD)/artifacts.
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
WINDOWS_PACKAGES := cmake make g++-mingw-w64-x86-64-win32 python3
WINE_PACKAGES    := wine wine64

.PHONY: windows deps-wine

windows:
	@tools/ensure-packages $(WINDOWS_PACKAGES)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target console-rpg console-rpg-check

deps-wine:
	@tools/ensure-packages $(WINE_PACKAGES)

# ---- Installing and the release packages ----------------------------------------
#
# cmake/install.cmake and cmake/packaging.cmake say what goes where; how the
# native programs are hardened and every package made reproducible: below.
# `make install` puts the game under PREFIX (DESTDIR is honoured as usual);
# `make package` makes the Debian package, checked with lintian, in
# $(PACKAGE_BUILD), the Windows zip in $(WINDOWS_BUILD) and the page's zip in
# $(WEB_BUILD).
PREFIX           ?= /usr/local
PACKAGE_PACKAGES := dpkg-dev lintian

.PHONY: package-build install package

# The native programs as released: configured afresh every time, so that they
# always have the release flags.
package-build: deps-build
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCONSOLE_RPG_TESTS=OFF \
	  $(RELEASE_CMAKE_FLAGS) >/dev/null
	cmake --build $(PACKAGE_BUILD) -j$(JOBS) --target programs

install: package-build
	cmake --install $(PACKAGE_BUILD) --prefix $(PREFIX) --strip

package: package-build windows web-package
	@tools/ensure-packages $(PACKAGE_PACKAGES)
	rm -f $(PACKAGE_BUILD)/console-rpg_*.deb
	cd $(PACKAGE_BUILD) && umask 022 && cpack # the modes of the members of a .deb follow the umask
	lintian -I --fail-on error,warning $(PACKAGE_BUILD)/console-rpg_*.deb >$(PACKAGE_BUILD)/lintian.txt || { cat $(PACKAGE_BUILD)/lintian.txt; exit 1; }
	@cat $(PACKAGE_BUILD)/lintian.txt; ! grep ' hardening-' $(PACKAGE_BUILD)/lintian.txt >/dev/null || { echo "lintian: not hardened"; exit 1; }
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target programs
	rm -f $(WINDOWS_BUILD)/console-rpg-*-win64.zip
	cd $(WINDOWS_BUILD) && TZ=UTC0 cpack # a zip's times are local times: one zone for all

# ---- Release builds: hardened and reproducible ---------------------------------
#
# The installed programs are built with the hardening flags Debian builds its
# own packages with, asked of dpkg-buildflags (all of its hardening features:
# PIE, stack protector, _FORTIFY_SOURCE, format checks, RELRO and immediate
# binding), so that they follow the distribution rather than a list copied
# here. Stack clash protection, which dpkg-buildflags gives from dpkg 1.22 on,
# is added where it does not. Without dpkg-buildflags, the same set by hand.
# The packages and `make install` are built with them, in $(PACKAGE_BUILD).
ifneq ($(shell command -v dpkg-buildflags),)
buildflag        = $(shell DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $(1))
RELEASE_CPPFLAGS := $(call buildflag,CPPFLAGS)
RELEASE_CXXFLAGS := $(call buildflag,CXXFLAGS)
RELEASE_LDFLAGS  := $(call buildflag,LDFLAGS)
else
RELEASE_CPPFLAGS := -D_FORTIFY_SOURCE=2
RELEASE_CXXFLAGS := -g -O2 -ffile-prefix-map=$(CURDIR)=. -fPIE -fstack-protector-strong -Wformat -Werror=format-security
RELEASE_LDFLAGS  := -pie -Wl,-z,relro -Wl,-z,now
endif
RELEASE_CXXFLAGS += $(if $(findstring -fstack-clash-protection,$(RELEASE_CXXFLAGS)),,-fstack-clash-protection)
RELEASE_CMAKE_FLAGS = -DCMAKE_CXX_FLAGS="$(strip $(RELEASE_CPPFLAGS) $(RELEASE_CXXFLAGS))" \
                      -DCMAKE_EXE_LINKER_FLAGS="$(strip $(RELEASE_LDFLAGS))"

# The time every release file carries: the last commit's (the source release
# holds it in source-date-epoch, for there is no .git there). The compiler, the
# Debian package and the zips take it from SOURCE_DATE_EPOCH, never from the
# clock, so a rebuild at any time gives the same bytes.
ifndef SOURCE_DATE_EPOCH
ifneq ($(wildcard source-date-epoch),)
SOURCE_DATE_EPOCH := $(shell cat source-date-epoch)
else
SOURCE_DATE_EPOCH := $(shell git -C $(CURDIR) log -1 --format=%ct 2>/dev/null)
endif
endif
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

# `make dist`: the source release $(RELEASE_DIR)/console-rpg-VERSION.tar.gz, the
# last commit as it is (what is not committed is not in it), the same bytes
# from any clone: git archive gives every file the commit's time and mode 644
# or 755 in the commit's order, gzip -n writes no name or time.
# `make release`: the packages and the source release in $(RELEASE_DIR), with
# their SHA256SUMS. RELEASE_FILES lists what a release holds.
# `make repro-check`: two releases built from two clones of the last commit at
# different paths, times, umasks, locales and time zones, compared byte for
# byte; diffoscope shows where two files differ (tools/repro-check).
VERSION     := $(shell sed -n 's/^project(console_rpg VERSION \([^ )]*\).*/\1/p' CMakeLists.txt)
DIST_FILE   := $(RELEASE_DIR)/console-rpg-$(VERSION).tar.gz
RELEASE_FILES = $(PACKAGE_BUILD)/console-rpg_$(VERSION)_*.deb $(WINDOWS_BUILD)/console-rpg-$(VERSION)-win64.zip \
                $(WEB_BUILD)/console-rpg-$(VERSION)-web.zip

.PHONY: dist release repro-check clean-release

dist:
	@[ -z "$$(git status --porcelain --untracked-files=no)" ] || echo "note: changes not committed are not in $(DIST_FILE)"
	@mkdir -p $(RELEASE_DIR)
	echo $(SOURCE_DATE_EPOCH) >$(RELEASE_DIR)/source-date-epoch
	git -c tar.umask=022 archive --format=tar --prefix=console-rpg-$(VERSION)/ \
	  --add-file=$(RELEASE_DIR)/source-date-epoch HEAD | gzip -9n >$(DIST_FILE).part
	mv $(DIST_FILE).part $(DIST_FILE) && rm $(RELEASE_DIR)/source-date-epoch

release: package
	rm -rf $(RELEASE_DIR)
	$(MAKE) --no-print-directory dist
	cp $(RELEASE_FILES) $(RELEASE_DIR)/
	cd $(RELEASE_DIR) && LC_ALL=C sha256sum $$(LC_ALL=C ls | grep -vx SHA256SUMS) >SHA256SUMS
	@cat $(RELEASE_DIR)/SHA256SUMS

repro-check:
	@tools/ensure-packages git
	JOBS=$(JOBS) tools/repro-check

clean-release:
	rm -rf $(RELEASE_DIR)

# Every build folder, the release's and the browser's included.
clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) $(PACKAGE_BUILD) $(RELEASE_DIR) $(WEB_BUILD)

# ---- The browser build -----------------------------------------------------------
# `make web` builds the game and the checker with Emscripten (src/platform/web/) and
# puts the page in $(WEB_SITE), a folder that holds only what the page serves: the
# page, its texts in every language, its service worker, the two modules (each with its worker), the manifest and icons, and
# the sample data (sample-data/) to start one's own from. `make web-serve` serves that
# folder on localhost; `make web-test` (part of `make test`) plays it in headless
# Chromium; `make bench-web` measures it; `make package` adds the zip. The npm
# packages pinned by src/platform/web/package-lock.json are the test's and the
# bench's, never served.
WEB_BUILD     := build-web
WEB_SITE      := $(WEB_BUILD)/site
WEB_SOURCE    := src/platform/web
WEB_PORT      ?= 8054
WEB_PACKAGES  := emscripten cmake make python3 gettext chromium fonts-ipafont-gothic
WEB_NPM       := $(WEB_BUILD)/npm
WEB_PAGE      := index.html boot.js page.js page.css manifest.webmanifest icon.svg icon-192.png icon-512.png
# The page's texts in every language, made from the catalogs in po/.
WEB_MADE      := messages.js
WEB_MODULES   := console-rpg.js console-rpg.wasm console-rpg-check.js console-rpg-check.wasm
WEB_SAMPLE    := $(sort $(notdir $(wildcard game/*)))
# Debian's emscripten finds its JavaScript tools there when the node on PATH is not Debian's.
WEB_ENV       := NODE_PATH=/usr/share/nodejs

.PHONY: web deps-web web-serve web-test bench-web web-package web-clean

deps-web:
	@tools/ensure-packages $(WEB_PACKAGES)
	@command -v npm >/dev/null || tools/ensure-packages npm

# The npm packages as the lockfile pins them, installed afresh when it changes.
$(WEB_NPM)/.installed: $(WEB_SOURCE)/package.json $(WEB_SOURCE)/package-lock.json
	mkdir -p $(WEB_NPM)
	cp $(WEB_SOURCE)/package.json $(WEB_SOURCE)/package-lock.json $(WEB_NPM)/
	cd $(WEB_NPM) && npm ci --no-audit --no-fund --ignore-scripts </dev/null
	touch $@

# The site is made afresh each time, so nothing stale is ever served. The
# service worker's version is a hash of every other file it serves: a change
# to any of them is a new version, which replaces the old at the next visit.
web: deps-web $(WEB_NPM)/.installed
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD)/cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCONSOLE_RPG_BACKEND=web -DCONSOLE_RPG_TESTS=OFF >/dev/null
	$(WEB_ENV) cmake --build $(WEB_BUILD)/cmake -j$(JOBS) --target console-rpg console-rpg-check
	rm -rf $(WEB_SITE) && mkdir -p $(WEB_SITE)/sample-data
	cp $(addprefix $(WEB_SOURCE)/,$(WEB_PAGE)) $(WEB_SITE)/
	python3 tools/i18n/page_catalogs.py $(WEB_SITE)/messages.js $(WEB_SOURCE)/page.js $(wildcard po/*.po)
	cp $(addprefix $(WEB_BUILD)/cmake/,$(WEB_MODULES)) $(WEB_SITE)/
	cp $(addprefix game/,$(WEB_SAMPLE)) $(WEB_SITE)/sample-data/
	version=$$(cd $(WEB_SITE) && cat $(WEB_PAGE) $(WEB_MADE) $(WEB_MODULES) | sha256sum | cut -c1-16) && \
	  sed "s/^const Version = 'unbuilt';/const Version = '$$version';/" $(WEB_SOURCE)/sw.js >$(WEB_SITE)/sw.js
	grep -q "^const Version = '[0-9a-f]\{16\}';" $(WEB_SITE)/sw.js

web-serve: web
	@echo "console-rpg in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB_SITE)

web-test: web
	node tests/web/test_web.mjs $(WEB_BUILD)

bench-web: web
	node tools/bench/bench_web.mjs $(WEB_BUILD)

# The site as one zip, the same bytes from the same commit: files in a fixed
# order, each dated at the last commit and with fixed permissions.
web-package: web
	rm -f $(WEB_BUILD)/console-rpg-*-web.zip
	python3 tools/web/make_zip.py $(WEB_BUILD)/console-rpg-$(VERSION)-web.zip console-rpg-$(VERSION)-web \
	  $(WEB_SITE) $(WEB_PAGE) $(WEB_MADE) sw.js $(WEB_MODULES) $(addprefix sample-data/,$(WEB_SAMPLE)) -- LICENSE README.md

web-clean:
	rm -rf $(WEB_BUILD)

# ---- end of the browser build
