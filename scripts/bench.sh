#!/usr/bin/env bash
# Runs every benchmark program of a Release build. Each program reports its own results as
# ratios against a baseline measured in the same run (see bench/*.cpp).
set -euo pipefail
build=${1:-build/release}
shopt -s nullglob
found=0
for program in "$build"/bench/bench_*; do
  [ -x "$program" ] || continue
  found=1
  echo "== $(basename "$program")"
  "$program" --benchmark_min_time=0.2
done
[ "$found" = 1 ] || echo "no benchmark programs were built"
