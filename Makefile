# Entry points: `make demo`, `make test`, `make bench`, `make fuzz`.
# Each target prepares the machine first, then configures and builds what it needs.
JOBS ?= $(shell nproc)
DEPS_STAMP := build/.deps-ok

.PHONY: deps demo test bench fuzz clean

deps:
	@bash scripts/install-deps.sh

build/release/build.ninja: | deps
	cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release

build/asan/build.ninja: | deps
	cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVELLE_SANITIZE=ON

demo: deps build/release/build.ninja
	cmake --build build/release -j $(JOBS) --target orvelle
	@bash scripts/demo.sh build/release

test: deps build/asan/build.ninja
	cmake --build build/asan -j $(JOBS)
	cd build/asan && ctest --output-on-failure -j $(JOBS)

BENCH_TARGETS := $(notdir $(basename $(wildcard bench/bench_*.cpp)))

bench: deps build/release/build.ninja
	cmake --build build/release -j $(JOBS) --target $(BENCH_TARGETS)
	@bash scripts/bench.sh build/release

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVELLE_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS) --target fuzz_pattern_matcher fuzz_numeric_check fuzz_masked_date fuzz_drawing_order
	@bash scripts/fuzz.sh build/fuzz

clean:
	rm -rf build
