#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and benchmarks with.
# Idempotent: only packages that are missing are installed, so repeated `make`
# runs on a prepared machine cost a dpkg query and nothing else.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang                       # libFuzzer targets (make fuzz)
  libgtest-dev libgmock-dev   # unit tests
  libbenchmark-dev            # make bench
  libfreetype-dev libfontconfig-dev   # text rendering and face matching
  libpng-dev                  # PNG loading and export
  nlohmann-json3-dev          # forms on disk and the reference manifest
  libcairo2-dev               # benchmark comparison only
  fonts-liberation fonts-dejavu-core  # metric-compatible faces for classic names
  python3
  python3-jsonschema          # validating the designer metadata against its schema (tests)
  qt6-base-dev                # the optional live host (src/qt, orvelle run)
  xvfb xauth                  # a virtual X server for the live-host tests (xvfb-run)
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
