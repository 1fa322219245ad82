#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each.
# usage: scripts/fuzz.sh [BUILD_DIR]   (FUZZ_SECONDS per target, default 60)
set -euo pipefail
build=${1:-build/fuzz}
seconds=${FUZZ_SECONDS:-60}
shopt -s nullglob
found=0
for program in "$build"/fuzz/fuzz_*; do
  [ -x "$program" ] || continue
  found=1
  name=$(basename "$program")
  corpus="$build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  dict_args=()
  dict="$(dirname "$0")/../fuzz/$name.dict"
  [ -f "$dict" ] && dict_args=(-dict="$dict")
  echo "== $name (${seconds}s)"
  "$program" -max_total_time="$seconds" -max_len=256 -timeout=10 -print_final_stats=1 "${dict_args[@]}" "$corpus" 2>&1 |
    grep -E "stat::number_of_executed_units|Done|ERROR|SUMMARY" || true
  [ "${PIPESTATUS[0]}" = 0 ] || { echo "$name failed"; exit 1; }
done
[ "$found" = 1 ] || { echo "no fuzz targets were built"; exit 1; }
