#!/usr/bin/env bash
# Makes docs/designer.png: Qt Designer under a virtual X server with the plugin of an installed
# prefix, the widget box filtered to the OrvelleControls group, a form of the seven controls open
# and the hot label's colour properties in the property editor.
#
#   scripts/designer-screenshot.sh PREFIX FORM.ui OUT.png
#
# PREFIX is a `cmake --install` prefix (a sanitized build also needs LD_PRELOAD of its runtime);
# FORM.ui, for one, is what the package.qt_designer test writes (seven_controls.ui in its work
# folder). Needs designer-qt6, xvfb, xdotool and imagemagick.
set -euo pipefail
prefix=$(realpath "$1")
form=$(realpath "$2")
out=$(realpath -m "$3")
plugins=$(find "$prefix" -type d -path '*/qt6/plugins' | head -n 1)
[ -n "$plugins" ] || { echo "no qt6/plugins folder below $prefix" >&2; exit 1; }
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME=$config QT_PLUGIN_PATH=$plugins QT_QPA_PLATFORM=xcb
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
xvfb-run -a -s "-screen 0 1440x860x24" sh -c '
  /usr/lib/qt6/bin/designer -qwindowgeometry 1440x860+0+0 "$1" & pid=$!
  sleep 10
  xdotool mousemove 120 91 click 1; sleep 1; xdotool type "ov::"; sleep 1   # widget box filter
  xdotool mousemove 400 160 click 1; sleep 1                               # select the hot label
  xdotool mousemove 1130 342 click 1; sleep 1; xdotool type "Co"; sleep 2  # property editor filter
  import -window root "$2"
  kill $pid' sh "$form" "$out"
echo "$out"
