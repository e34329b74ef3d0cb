#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 60) from its checked-in seed corpus, with the
# address and undefined-behaviour sanitizers. New inputs go to build/fuzz/work/, never into the
# repository; a crash stops the run with its input saved as build/fuzz/crashes/<target>-*.
# Keep a crash as a test: fix the fault, then copy its input into tests/fuzz/corpus/<target>/
# (the ordinary build replays every corpus file as a unit test).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
bin=build/fuzz/bin
mkdir -p build/fuzz/crashes
for target in fuzz_numbers fuzz_language_source fuzz_settings_files fuzz_reply fuzz_entry_checks; do
  work=build/fuzz/work/$target
  mkdir -p "$work"
  echo "fuzz: $target for ${seconds}s"
  "$bin/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 \
    -artifact_prefix="build/fuzz/crashes/$target-" "$work" "tests/fuzz/corpus/$target" \
    2>"build/fuzz/$target.log" || {
      tail -n 40 "build/fuzz/$target.log"
      echo "fuzz: $target found a fault; its input is in build/fuzz/crashes/" >&2
      exit 1
    }
  grep -E '^Done|#[0-9]+ +DONE' "build/fuzz/$target.log" | tail -n 1 || true
done
