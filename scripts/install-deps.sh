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
  libsystemd-dev              # sd-bus: the desktop notification area on the session D-Bus
  libx11-dev                  # Xlib: the tray icon's XEmbed system tray when no StatusNotifierWatcher runs
  dbus-daemon                 # private session bus for the desktop tray round-trip test
  dunst                       # a real notification server for the tray icon's desktop tests
  haskell-status-notifier-item-utils  # status-notifier-watcher: a real StatusNotifierWatcher for them
  trayer                      # a real XEmbed system tray for them
  fonts-liberation fonts-dejavu-core  # metric-compatible faces for classic names
  python3
  python3-jsonschema          # validating the designer metadata against its schema (tests)
)

# The live host is optional: a machine that cannot have these still builds and tests the rest,
# and the build says the live host was left out.
optional=(
  qt6-base-dev                # the live host (src/qt, orvelle run)
  xvfb xauth                  # a virtual X server for the live-host tests (xvfb-run)
  at-spi2-core python3-pyatspi  # the accessibility bus and its Python client, reading the live host as a screen reader does
  qt6-tools-dev libqt6opengl6-dev  # the Designer plugin and QUiLoader (UiTools' CMake files want OpenGL's)
  qt6-tools-dev-tools designer-qt6  # Designer itself, for its test and for trying the plugin
  imagemagick                 # `import`: the screenshot of Designer in its test
  xdotool                     # scripts/designer-screenshot.sh (docs/designer.png)
)

# missing_of NAME...: the names among the arguments whose package is not installed.
missing_of() {
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_optional < <(missing_of "${optional[@]}")

if [ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq || [ ${#missing[@]} -eq 0 ]
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_optional[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing_optional[*]} (optional: the live host)"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing_optional[@]}" ||
    echo "install-deps: ${missing_optional[*]} could not be installed; the live host and its tests are left out"
fi
