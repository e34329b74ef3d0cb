#!/usr/bin/env bash
# Installs what is missing, builds, starts the inverter simulator on COM1 and opens the tool.
# Pick COM1 on the CONNECTION panel to see live readings.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
bin=build/dev/bin
"$bin/inverter-sim" --port COM1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
sleep 0.5
"$bin/pv-service"
