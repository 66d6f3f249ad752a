# Pictavo: the two commands of the README, and their parts.
#   make run   installs what is missing, builds what Pictavo needs to run and starts it
#   make test  installs what is missing, builds (normal, sanitizers, fuzzers) and runs every test

JOBS ?= $(shell nproc)
# CI=true (as CI sets it) turns warnings into errors.
WERROR := $(if $(filter true 1 yes,$(CI)),ON,OFF)

.PHONY: all deps configure build build-run build-asan build-fuzz test test-default test-asan fuzz run bench bench-peers install dist format clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake --preset default -DPICTAVO_WERROR=$(WERROR)

build: configure
	cmake --build --preset default -j $(JOBS)

# Only the program and what it loads: its libraries, the web view engine (a dependency of the
# target), the embedded skins, and icon.png and the ImageMagick policy beside it; no tests.
build-run: configure
	cmake --build --preset default -j $(JOBS) --target Pictavo

build-asan: deps
	cmake --preset asan -DPICTAVO_WERROR=$(WERROR)
	cmake --build --preset asan -j $(JOBS)

build-fuzz: deps
	cmake --preset fuzz -DPICTAVO_WERROR=$(WERROR)
	cmake --build --preset fuzz -j $(JOBS)

# Tests run offline: a network namespace with only the loopback device (scripts/offline.sh).
test-default: build
	bash scripts/offline.sh ctest --preset default

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		bash scripts/offline.sh ctest --preset asan

fuzz: build-fuzz
	bash scripts/run-fuzzers.sh build/fuzz/tests/fuzz

test: test-default test-asan fuzz

run: build-run
	./build/default/main/Pictavo

bench: build
	bash scripts/run-benchmarks.sh build/default/bench

# The conversion cases against vips, vipsthumbnail, heif-convert and ImageMagick's CLI.
bench-peers: configure
	cmake --build --preset default -j $(JOBS) --target bench_convert
	python3 scripts/bench-peers.py --build build/default

install: dist

# The release layout: the setup program beside its payload folder.
dist: build
	rm -rf dist
	cmake --install build/default --prefix dist

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build dist
