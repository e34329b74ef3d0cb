#!/usr/bin/env bash
# What a babbling line costs the tool. `inverter-sim --flood` streams random bytes into COM1 of a
# scratch program folder as fast as the pseudo-terminal takes them, while flood-probe (the main
# window with the real serial port, offscreen) monitors that port. Once a second this prints the
# tool's CPU share and resident memory, and the flooder's CPU share; at the end the averages and
# peaks, and the probe's own account (requests sent, per second, largest single take).
#
# usage: scripts/flood-check.sh [SECONDS]   (default 10; needs a build: scripts/test.sh or
#                                            cmake --build --preset dev)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
bin=${PV_BIN:-build/dev/bin}
for program in inverter-sim flood-probe; do
  [[ -x "$bin/$program" ]] || { echo "flood-check: $bin/$program is missing; build first" >&2; exit 1; }
done

dir=$(mktemp -d)
sim="" probe=""
cleanup() {
  [[ -n "$probe" ]] && kill "$probe" 2>/dev/null || true
  [[ -n "$sim" ]] && kill "$sim" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

mkdir -p "$dir/DataBase"
cp "$bin"/InitSet.txt "$bin"/LanguageSet.txt "$bin"/CountryParameter.txt "$dir"/
cp "$bin"/DataBase/Language.db "$dir"/DataBase/

"$bin/inverter-sim" --port COM1 --program-dir "$dir" --flood >/dev/null &
sim=$!
for _ in $(seq 50); do [[ -L "$dir/ports/COM1" ]] && break; sleep 0.1; done
[[ -L "$dir/ports/COM1" ]] || { echo "flood-check: the flooder made no ports/COM1" >&2; exit 1; }

"$bin/flood-probe" --program-dir "$dir" --seconds "$seconds" >"$dir/probe.txt" &
probe=$!

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }

printf '%6s %10s %12s %12s\n' second "tool CPU%" "tool RSS MiB" "flooder CPU%"
tool_last=$(cpu_ticks "$probe") sim_last=$(cpu_ticks "$sim")
n=0 tool_sum=0 tool_max=0 rss_max=0 sim_sum=0
while kill -0 "$probe" 2>/dev/null; do
  sleep 1
  kill -0 "$probe" 2>/dev/null || break
  tool_now=$(cpu_ticks "$probe") sim_now=$(cpu_ticks "$sim") rss=$(rss_kib "$probe")
  tool_pct=$(( (tool_now - tool_last) * 100 / ticks )) sim_pct=$(( (sim_now - sim_last) * 100 / ticks ))
  tool_last=$tool_now sim_last=$sim_now
  n=$((n + 1)) tool_sum=$((tool_sum + tool_pct)) sim_sum=$((sim_sum + sim_pct))
  (( tool_pct > tool_max )) && tool_max=$tool_pct
  (( rss > rss_max )) && rss_max=$rss
  printf '%6d %10d %12d %12d\n' "$n" "$tool_pct" $((rss / 1024)) "$sim_pct"
done
wait "$probe" || { echo "flood-check: flood-probe failed" >&2; exit 1; }
probe=""
(( n > 0 )) || n=1
echo "tool: CPU mean $((tool_sum / n)) %, peak $tool_max %; RSS peak $((rss_max / 1024)) MiB;" \
     "flooder CPU mean $((sim_sum / n)) %"
echo "probe: $(cat "$dir/probe.txt")"
