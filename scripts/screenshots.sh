#!/usr/bin/env bash
# Refreshes the README's pictures in docs/screenshots/: the main window monitoring the
# simulated inverter, the configuration panel after a Read, and the calibration window after a
# Read, in English and in Simplified Chinese. tools/screenshots drives the real windows against
# the in-process simulator on a virtual X display (Xvfb) and paints each window into its PNG.
# Needs xvfb and a font with Chinese characters (scripts/setup.sh installs fonts-wqy-microhei).
# usage: scripts/screenshots.sh [OUTPUT_FOLDER]     (default docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/screenshots}
scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target screenshots >/dev/null
fc-list :lang=zh-cn family | grep -q . || { echo "screenshots: no font with Chinese characters" >&2; exit 1; }

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
# Picker picture 0 is English, 10 Simplified Chinese.
XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  build/dev/bin/screenshots build/dev/bin "$output" 0:en 10:zh-Hans
