# KrelinChess: `make run` builds the engine and starts it on the shipped data; `make test` builds
# and runs every test, in a normal build and in a build with AddressSanitizer and UBSan; `make books`
# rebuilds the opening books in data/ from their text sources in data/books/.
JOBS ?= 2
WERROR := $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all run books pgo test test-release test-sanitize format clean

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

test: test-deps test-release test-sanitize

# The real-GUI games need xboard, Xvfb and Fairy-Max: installed when run as root, otherwise that
# test is skipped with its reason.
test-deps:
	@if command -v xboard >/dev/null && command -v xvfb-run >/dev/null && [ -x /usr/games/fairymax ]; then \
	  echo "xboard, xvfb and fairymax are installed"; \
	elif [ "$$(id -u)" = 0 ]; then \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq xboard xvfb xauth fairymax >/dev/null \
	    || echo "could not install xboard, xvfb and fairymax: the xboard match will be skipped"; \
	else \
	  echo "not root: xboard, xvfb and fairymax are not installed, the xboard match will be skipped"; \
	fi

test-release:
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/test -j$(JOBS)
	cd build/test && ctest --output-on-failure -j$(JOBS)

test-sanitize:
	cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRELIN_SANITIZE=ON -DKRELIN_WERROR=$(WERROR)
	cmake --build build/sanitize -j$(JOBS)
	cd build/sanitize && ctest --output-on-failure -j$(JOBS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
