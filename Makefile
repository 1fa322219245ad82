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

# Tests run under a memory limit: a single allocation over 1 GiB fails (std::bad_alloc, as a
# failed allocation does) and a process whose resident memory passes 3 GiB is stopped, so a
# runaway allocation is a test failure rather than a machine running out of memory.
TEST_ASAN_OPTIONS := allocator_may_return_null=1:max_allocation_size_mb=1024:hard_rss_limit_mb=3072

test: deps build/asan/build.ninja
	cmake --build build/asan -j $(JOBS)
	cd build/asan && ASAN_OPTIONS=$(TEST_ASAN_OPTIONS) ctest --output-on-failure -j $(JOBS)

BENCH_TARGETS := $(notdir $(basename $(wildcard bench/bench_*.cpp)))

bench: deps build/release/build.ninja
	cmake --build build/release -j $(JOBS) --target $(BENCH_TARGETS)
	@bash scripts/bench.sh build/release

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVELLE_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS) --target fuzz_targets
	@bash scripts/fuzz.sh build/fuzz

clean:
	rm -rf build
