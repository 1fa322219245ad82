#!/usr/bin/env bash
# The main job of `make demo`: render the sample output with the freshly built CLI.
set -euo pipefail
build=${1:-build/release}
orvelle="$build/tools/orvelle/orvelle"
"$orvelle" help
