# make run    installs what is missing, builds koraven.scr and runs it under Wine: in a window on
#             $DISPLAY, or recorded on a private Xvfb into out/koraven.gif and PNGs when there is
#             none. ARGS=/s (default), /c or /p picks the mode, INI=file a settings file, NEWS=1
#             news from a local server (docs/koraven.gif: see scripts/run-saver.sh).
# make test   installs what is missing, builds the two test configurations and runs every test:
#             native (g++, address and undefined-behaviour sanitizers: the unit tests) together
#             with fuzz (clang: the libFuzzer targets, each run briefly), and win (mingw: the
#             program, the Win32 tests and the end-to-end tests under Wine). The two halves run
#             side by side: the Wine half waits on Wine and X much of the time.
# make dist   builds dist/koraven-$(VERSION)-win64.zip: koraven.scr, the block shapes, a read-me
# make bench  builds the benchmarks and tools (render_png, game_sim) unsanitized in build/release,
#             with what the llvmpipe comparison needs (scripts/install-bench-deps.sh)
# make soak   the soak test (tests/e2e/soak.sh) for SOAK_SECONDS (default 600) on a bench of its
#             own in build/win/wine-soak; `make test` runs it for two minutes

JOBS ?= 2
B := build
VERSION := $(shell awk '/^project.koraven VERSION/ { print $$3 }' CMakeLists.txt)

SOAK_SECONDS ?= 600

.PHONY: run test dist soak deps native fuzz win release bench test-native test-fuzz test-win test-unit clean

run: deps win
	NEWS="$(NEWS)" scripts/run-saver.sh $(B)/win "$(ARGS)" "$(INI)"

test: deps
	tools/layers.sh
	$(MAKE) -j2 --output-sync=target test-unit test-win

dist: deps win
	scripts/make-dist.sh $(B)/win dist $(VERSION)

soak: deps win
	scripts/wine-env.sh start $(B)/win/wine-soak >/dev/null
	SOAK_SECONDS=$(SOAK_SECONDS) WINE_ENV=$(CURDIR)/$(B)/win/wine-soak KORAVEN_BIN=$(CURDIR)/$(B)/win/bin \
	  KORAVEN_OUT=$(CURDIR)/$(B)/win/screenshots bash tests/e2e/soak.sh; \
	  rc=$$?; scripts/wine-env.sh stop $(B)/win/wine-soak >/dev/null; exit $$rc

deps:
	scripts/install-deps.sh

native:
	cmake -S . -B $(B)/native -DCMAKE_BUILD_TYPE=Debug -DKORAVEN_SANITIZE=ON >/dev/null
	cmake --build $(B)/native -j$(JOBS)

fuzz:
	CC=clang CXX=clang++ cmake -S . -B $(B)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORAVEN_FUZZ=ON >/dev/null
	cmake --build $(B)/fuzz -j$(JOBS)

win:
	cmake -S . -B $(B)/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(B)/win -j$(JOBS)

release:
	cmake -S . -B $(B)/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(B)/release -j$(JOBS) --target bench_and_tools

bench: deps
	scripts/install-bench-deps.sh
	$(MAKE) release

test-native: native
	cd $(B)/native && ctest --output-on-failure -j$(JOBS)

test-fuzz: fuzz
	cd $(B)/fuzz && ctest --output-on-failure -j$(JOBS)

# The native half: unit tests, then the fuzz targets.
test-unit: test-native
	$(MAKE) test-fuzz

test-win: win
	cd $(B)/win && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(B)
