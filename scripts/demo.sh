#!/usr/bin/env bash
# The main job of `make demo`: with the freshly built CLI, render the drawing-layer sample sheet
# and the showcase form to PNG, then run the shell tour and print what it says.
set -euo pipefail
build=${1:-build/release}
orvelle="$build/tools/orvelle/orvelle"

"$orvelle" gdi-sample demo.png
echo "wrote $(pwd)/demo.png (drawing-layer sample sheet)"

"$orvelle" render examples/showcase.json -o showcase.png
echo "wrote $(pwd)/showcase.png (examples/showcase.json)"

echo "== orvelle shell examples/tour.orv"
"$orvelle" shell examples/tour.orv
echo "the tour wrote hotlabel.png, maskedit.png, gradient-linear.png, gradient-elliptical.png and gradient-rectangular.png"
