#!/usr/bin/env bash
# What a babbling line costs the tool. `inverter-sim --flood` streams random bytes into COM1 of a
# scratch program folder as fast as the pseudo-terminal takes them, while the tool monitors that
# port. Once a second this prints the tool's CPU share and resident memory and the flooder's CPU
# share; at the end the means and peaks, and how often the tool still polled (a monitor request
# is eight bytes; a healthy cycle sends one every 700 ms, 1.43 a second).
#
# usage: scripts/flood-check.sh [--window] [SECONDS]     (default 10 seconds)
#   default   the tool is flood-probe: the main window with the real serial port, offscreen,
#             choosing COM1 by itself; it also reports its largest single take
#   --window  the tool is pv-service itself, on a virtual X display (Xvfb), COM1 chosen with
#             xdotool as a technician would (click the port list, Down, Return)
# Needs a build (scripts/test.sh or cmake --build --preset dev); --window needs xvfb and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
window=false
[[ "${1:-}" == "--window" ]] && { window=true; shift; }
seconds=${1:-10}
bin=${PV_BIN:-build/dev/bin}
for program in inverter-sim flood-probe pv-service; do
  [[ -x "$bin/$program" ]] || { echo "flood-check: $bin/$program is missing; build first" >&2; exit 1; }
done
if $window; then
  for program in Xvfb xdotool; do
    command -v "$program" >/dev/null || { echo "flood-check: --window needs $program" >&2; exit 1; }
  done
fi

dir=$(mktemp -d)
sim="" tool="" xvfb=""
cleanup() {
  for pid in $tool $sim $xvfb; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$dir/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A program folder of its own: settings, language database and, for --window, the tool itself.
mkdir -p "$dir/DataBase"
cp "$bin"/InitSet.txt "$bin"/LanguageSet.txt "$bin"/CountryParameter.txt "$dir"/
cp "$bin"/DataBase/Language.db "$dir"/DataBase/

"$bin/inverter-sim" --port COM1 --program-dir "$dir" --flood >"$dir/sim.txt" &
sim=$!
for _ in $(seq 50); do [[ -L "$dir/ports/COM1" ]] && break; sleep 0.1; done
[[ -L "$dir/ports/COM1" ]] || { echo "flood-check: the flooder made no ports/COM1" >&2; exit 1; }

if $window; then
  cp "$bin/pv-service" "$dir/"
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
  "$dir/pv-service" >"$dir/tool.txt" 2>&1 &
  tool=$!
  win=$(xdotool search --sync --onlyvisible --pid "$tool" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # The port list: 1380,450 twips inside the connection frame at 60,60; 15 twips to a pixel.
  xdotool mousemove $((X + 96 + 70)) $((Y + 34 + 10)) click 1
  sleep 0.5
  xdotool key Down Return
  sleep 0.5
  ls -l "/proc/$tool/fd" | grep -q /dev/pts/ || { echo "flood-check: COM1 did not open" >&2; exit 1; }
  ( sleep "$seconds"; kill "$tool" 2>/dev/null ) &
else
  "$bin/flood-probe" --program-dir "$dir" --seconds "$seconds" >"$dir/tool.txt" 2>/dev/null &
  tool=$!
fi

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }

printf '%6s %10s %12s %12s\n' second "tool CPU%" "tool RSS MiB" "flooder CPU%"
tool_last=$(cpu_ticks "$tool") sim_last=$(cpu_ticks "$sim")
n=0 tool_sum=0 tool_max=0 rss_max=0 sim_sum=0
while kill -0 "$tool" 2>/dev/null; do
  sleep 1
  kill -0 "$tool" 2>/dev/null || break
  tool_now=$(cpu_ticks "$tool") sim_now=$(cpu_ticks "$sim") rss=$(rss_kib "$tool")
  tool_pct=$(( (tool_now - tool_last) * 100 / ticks )) sim_pct=$(( (sim_now - sim_last) * 100 / ticks ))
  tool_last=$tool_now sim_last=$sim_now
  n=$((n + 1)) tool_sum=$((tool_sum + tool_pct)) sim_sum=$((sim_sum + sim_pct))
  (( tool_pct > tool_max )) && tool_max=$tool_pct
  (( rss > rss_max )) && rss_max=$rss
  printf '%6d %10d %12d %12d\n' "$n" "$tool_pct" $((rss / 1024)) "$sim_pct"
done
wait "$tool" 2>/dev/null || true
tool=""
kill "$sim" && wait "$sim" || true
sim=""
(( n > 0 )) || n=1
received=$(grep -o 'received [0-9]*' "$dir/sim.txt" | grep -o '[0-9]*' || echo 0)
echo "tool: CPU mean $((tool_sum / n)) %, peak $tool_max %; RSS peak $((rss_max / 1024)) MiB;" \
     "flooder CPU mean $((sim_sum / n)) %"
echo "polls: $((received / 8)) requests in about $n s"
$window || echo "probe: $(cat "$dir/tool.txt")"
