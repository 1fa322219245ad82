#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time each.
# usage: scripts/fuzz.sh [BUILD_DIR] [TARGET ...]   (FUZZ_SECONDS per target, default 60;
# FUZZ_MAX_LEN the longest input, default 256). The working corpus starts from the seeds in
# fuzz/corpus/NAME/ and grows in BUILD_DIR; FUZZ_MAX_LEN_NAME overrides the length per target.
# fuzz/NAME.options, if present, holds further libFuzzer flags for that target, one per line.
set -euo pipefail
build=${1:-build/fuzz}
shift || true
only=("$@")
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=${FUZZ_SECONDS:-60}
shopt -s nullglob
found=0
for program in "$build"/fuzz/fuzz_*; do
  [ -x "$program" ] || continue
  found=1
  name=$(basename "$program")
  if [ ${#only[@]} -gt 0 ] && [[ ! " ${only[*]} " == *" $name "* ]]; then continue; fi
  corpus="$build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/fuzz/corpus/$name"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  len_var="FUZZ_MAX_LEN_$name"
  max_len=${!len_var:-${FUZZ_MAX_LEN:-256}}
  extra_args=()
  dict="$root/fuzz/$name.dict"
  [ -f "$dict" ] && extra_args=(-dict="$dict")
  options="$root/fuzz/$name.options"
  if [ -f "$options" ]; then
    while read -r flag; do
      if [[ -n "$flag" && "$flag" != \#* ]]; then extra_args+=("$flag"); fi
    done < "$options"
  fi
  echo "== $name (${seconds}s)"
  "$program" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 "${extra_args[@]}" "$corpus" 2>&1 |
    grep -E "stat::number_of_executed_units|Done|ERROR|SUMMARY" || true
  [ "${PIPESTATUS[0]}" = 0 ] || { echo "$name failed"; exit 1; }
done
[ "$found" = 1 ] || { echo "no fuzz targets were built"; exit 1; }
