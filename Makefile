# KrelinChess: `make run` builds the engine and starts it on the shipped data; `make test` checks the
# formatting, then builds and runs every test, in a normal build and in a build with
# AddressSanitizer and UBSan; `make books`
# rebuilds the opening books in data/ from their text sources in data/books/.
JOBS ?= 2
WERROR := $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all run books test test-deps test-release test-sanitize format format-check clean

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

test: format-check test-deps test-release test-sanitize

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

# Every source as clang-format leaves it; `make format` mends what this reports.
format-check:
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
