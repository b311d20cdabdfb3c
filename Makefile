# KrelinChess: `make run` builds the engine and starts it on the shipped data; `make test` builds
# and runs every test, in a normal build and in a build with AddressSanitizer and UBSan.
JOBS ?= 2
WERROR := $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all run test test-release test-sanitize format clean

all:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/release -j$(JOBS)

run:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKRELIN_WERROR=$(WERROR)
	cmake --build build/release -j$(JOBS) --target krelin
	cd data && ../build/release/krelin

test: test-release test-sanitize

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
