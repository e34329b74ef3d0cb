#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite in the dev build and
# again in the sanitizer build (address and undefined behaviour), the Debian package made from
# the dev build and its installed tool (scripts/package-check.sh), then every fuzz target for a
# short while (scripts/fuzz.sh SECONDS runs them longer).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in dev asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
scripts/package-check.sh build/dev
scripts/fuzz.sh "${PV_FUZZ_SECONDS:-10}"
