# KrelinChess: `make run` builds the engine and starts it on the shipped data; `make test` checks the
# formatting, then builds and runs every test, in a normal build and in a build with
# AddressSanitizer and UBSan; `make books`
# rebuilds the opening books in data/ from their text sources in data/books/.
JOBS ?= 2
WERROR := $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all run books test test-deps test-release test-sanitize test-threads test-fuzz fuzz fuzz-build format format-check clean pgo
.PHONY: install uninstall package windows play test-windows

all:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/release -j$(JOBS)

run:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/release -j$(JOBS) --target krelin
	cd data && ../build/release/krelin

# The opening books are built from their text sources; a line that does not replay legally stops
# the build and leaves the shipped book as it was.
books:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/release -j$(JOBS) --target krelin-dev
	build/release/krelin-dev mkbook white data/books/white.txt data/KrelinWhite.bk
	build/release/krelin-dev mkbook black data/books/black.txt data/KrelinBlack.bk

# A profile-guided build in build/pgo: an instrumented engine plays the bench, then the engine is
# rebuilt from that profile. Plays exactly as the plain build, only faster.
pgo:
	cmake -S . -B build/pgo -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKRELIN_PGO=generate -DKRELIN_WERROR=$(WERROR)
	find build/pgo -name '*.gcda' -delete
	cmake --build build/pgo -j$(JOBS) --target krelin krelin-dev
	build/pgo/krelin-dev bench 7 >/dev/null
	cmake -S . -B build/pgo -DKRELIN_PGO=use
	cmake --build build/pgo -j$(JOBS) --target krelin krelin-dev

test: format-check test-deps test-release test-sanitize test-threads test-fuzz test-windows

# The real-GUI games need xboard, Xvfb, Fairy-Max and polyglot (the UCI games), the Windows test
# mingw-w64 and wine: installed when run as root, otherwise those tests are skipped with their reason.
test-deps:
	@if command -v xboard >/dev/null && command -v xvfb-run >/dev/null && [ -x /usr/games/fairymax ] && [ -x /usr/games/polyglot ]; then \
	  echo "xboard, xvfb, fairymax and polyglot are installed"; \
	elif [ "$$(id -u)" = 0 ]; then \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq xboard xvfb xauth fairymax polyglot >/dev/null \
	    || echo "could not install xboard, xvfb, fairymax and polyglot: the xboard matches will be skipped"; \
	else \
	  echo "not root: xboard, xvfb, fairymax and polyglot are not installed, the xboard matches will be skipped"; \
	fi
	@if $(WINDOWS_TOOLS); then \
	  echo "mingw-w64 and wine are installed"; \
	elif [ "$$(id -u)" = 0 ]; then \
	  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mingw-w64 wine wine64 >/dev/null; } \
	    || echo "could not install mingw-w64 and wine: the Windows build will not be tested"; \
	fi

test-release:
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/test -j$(JOBS)
	cd build/test && ctest --output-on-failure -j$(JOBS)

test-sanitize:
	cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRELIN_SANITIZE=ON -DKRELIN_ASSERTS=ON -DKRELIN_WERROR=$(WERROR)
	cmake --build build/sanitize -j$(JOBS)
	cd build/sanitize && ctest --output-on-failure -j$(JOBS)

# The search threads under ThreadSanitizer: the tests that search on several threads, in this
# process and through the real binary. A race report ends the program with an error, so any race
# fails them; the shared tables' racy slots are the one access left out (search/TransTable.cpp).
test-threads:
	cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRELIN_TSAN=ON -DKRELIN_WERROR=$(WERROR)
	cmake --build build/tsan -j$(JOBS) --target krelin krelin_tests
	cd build/tsan && TSAN_OPTIONS="halt_on_error=1 exitcode=66" ctest --output-on-failure -j$(JOBS) -R Threads

# Fuzz targets, one per outside input (fuzz/, clang's libFuzzer with AddressSanitizer and UBSan):
# `make fuzz` runs each, one after the other on one core, for FUZZ_RUNS executions (a million; -1: no
# limit) or FUZZ_SECONDS seconds (0: no limit), from its seed corpus in fuzz/corpus; what it learns
# stays in build/fuzz/corpus for the next run, a crashing input goes to build/fuzz/crashes, and one
# summary line a target goes to build/fuzz/summary.txt. Every target runs at 1,000 executions a
# second or more on one core (the searching ones cap each search by nodes: fuzz/FuzzSearch.h), so
# a million take under twenty minutes each. `make test` runs each for a few seconds when clang is
# installed, so that a broken target is noticed.
FUZZ_TARGETS := $(patsubst fuzz/%Fuzz.cpp,%,$(wildcard fuzz/*Fuzz.cpp))
FUZZ_RUNS ?= 1000000
FUZZ_SECONDS ?= 0

fuzz-build:
	cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DKRELIN_WERROR=$(WERROR)
	cmake --build build/fuzz -j$(JOBS)

fuzz: fuzz-build
	tools/fuzz.sh $(FUZZ_RUNS) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

test-fuzz:
	@if command -v clang++ >/dev/null; then $(MAKE) --no-print-directory fuzz FUZZ_RUNS=-1 FUZZ_SECONDS=5; \
	else echo "clang++ is not installed: the fuzz targets are skipped"; fi

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Every source as clang-format leaves it; `make format` mends what this reports.
format-check:
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build

# Installing, packaging, Windows. `make install PREFIX=...` (default /usr/local) installs the engine
# as Debian's chess engines are: <prefix>/games/krelin, its data in <prefix>/share/krelin/, the
# manual page and xboard's plug-in file; `make uninstall` removes it again. `make package` builds
# build/release/krelin_<version>_<arch>.deb. `make windows` cross-builds build/windows/krelin.exe and
# krelin-dev.exe with mingw-w64 and packs the zip for WinBoard and Arena. `make play` opens xboard
# against the engine.
PREFIX ?= /usr/local
WINDOWS_TOOLS := command -v x86_64-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null && [ -x /usr/lib/wine/wine64 ]
WINDOWS_CONFIGURE := cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/MingwW64.cmake \
	-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKRELIN_WERROR=$(WERROR)

install: all
	cmake --install build/release --prefix $(PREFIX) --strip

uninstall:
	cmake -DMANIFEST=build/release/krelin_installed.txt -P cmake/Uninstall.cmake

package: all
	cd build/release && cpack -G DEB

windows:
	$(WINDOWS_CONFIGURE)
	cmake --build build/windows -j$(JOBS)
	cd build/windows && cpack -G ZIP

play: export PATH := $(PATH):/usr/games
play:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/release -j$(JOBS) --target krelin
	@command -v xboard >/dev/null || { echo "xboard is not installed (apt-get install xboard)"; exit 1; }
	@[ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] || { echo "make play needs a desktop: no DISPLAY is set"; exit 1; }
	xboard -fcp "$(CURDIR)/build/release/krelin" -fd "$(CURDIR)/data"

# The Windows build under wine, when mingw-w64 and wine are there (test-deps installs them as root).
test-windows:
	@if $(WINDOWS_TOOLS); then \
	  $(MAKE) --no-print-directory windows && tests/windows/WineTest.sh build/windows; \
	else \
	  echo "skipped: mingw-w64 or wine is not installed (make test installs them when run as root)"; \
	fi
