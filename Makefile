# make run   installs what is missing, builds koraven.scr and runs it under Wine: in a window on
#            $DISPLAY, or recorded on a private Xvfb into out/koraven.gif and PNGs when there is
#            none. ARGS=/s (default), /c or /p picks the mode, INI=file a settings file, NEWS=1
#            news from a local server (docs/koraven.gif: see scripts/run-saver.sh).
# make test  installs what is missing, builds every configuration and runs every test
# make dist  builds dist/koraven-$(VERSION)-win64.zip: koraven.scr, the block shapes, a read-me
# make soak  the soak test (tests/e2e/soak.sh) for SOAK_SECONDS (default 600) on a bench of its own
#            in build/win/wine-soak; `make test` runs it for two minutes

JOBS ?= 2
B := build
VERSION := 1.7

SOAK_SECONDS ?= 600

.PHONY: run test dist soak deps native asan fuzz win test-native test-asan test-fuzz test-win clean

run: deps win
	NEWS="$(NEWS)" scripts/run-saver.sh $(B)/win "$(ARGS)" "$(INI)"

test: deps
	$(MAKE) test-native test-asan test-fuzz test-win

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
	cmake -S . -B $(B)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(B)/native -j$(JOBS)

asan:
	cmake -S . -B $(B)/asan -DCMAKE_BUILD_TYPE=Debug -DKORAVEN_SANITIZE=ON >/dev/null
	cmake --build $(B)/asan -j$(JOBS)

fuzz:
	CC=clang CXX=clang++ cmake -S . -B $(B)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORAVEN_FUZZ=ON >/dev/null
	cmake --build $(B)/fuzz -j$(JOBS)

win:
	cmake -S . -B $(B)/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(B)/win -j$(JOBS)

test-native: native
	cd $(B)/native && ctest --output-on-failure -j$(JOBS)

test-asan: asan
	cd $(B)/asan && ctest --output-on-failure -j$(JOBS)

test-fuzz: fuzz
	cd $(B)/fuzz && ctest --output-on-failure -j$(JOBS)

test-win: win
	cd $(B)/win && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(B)
