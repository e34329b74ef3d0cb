#!/usr/bin/env bash
# What starting the tool and keeping it open cost, against the floor of the toolkit: a bare Qt 6
# Widgets window with as many controls of the same kinds (tools/bare_window.cpp), measured the
# same way in the same run. Both run RUNS times (default 5) in turn, the order swapped each round,
# on a virtual X display (Xvfb, no window manager), from the release build:
#   window   time from the launch to the main window being mapped (the MapNotify on the root
#            window, read from xev as it comes)
#   RSS      resident memory 1 s after the window was mapped
#   CPU      share of one core over 60 s (MONITOR_SECONDS) of the CPU time of the whole process,
#            all its threads (/proc/PID/stat, in clock ticks of 10 ms: 0.017 % of a core over
#            60 s): the tool while it monitors inverter-sim on COM1 (chosen with xdotool as a
#            technician would) and the simulator counts its requests, the bare window while it
#            just stands there
# and prints every run, then the medians in a Markdown table with the targets: window time and
# memory within 1.2 times the floor, CPU while monitoring under 0.2 % of a core.
#
# usage: scripts/startup-bench.sh [RUNS]        (MONITOR_SECONDS=60 by default; PV_BIN below)
# Needs xvfb, xdotool and xev (x11-utils); builds the release preset's programs when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
monitor_seconds=${MONITOR_SECONDS:-60}
for program in Xvfb xdotool xev stdbuf; do
  command -v "$program" >/dev/null || { echo "startup-bench: $program is missing (scripts/setup.sh)" >&2; exit 1; }
done
# PV_BIN: a program folder built elsewhere (with pv-service, inverter-sim and bare-window in it).
bin=${PV_BIN:-build/release/bin}
if [[ -z "${PV_BIN:-}" ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target pv-service inverter-sim bare-window language_db >/dev/null
fi

dir=$(mktemp -d)
xvfb="" sim="" program_pid=""
cleanup() {
  for pid in $program_pid $sim $xvfb; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$dir/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A program folder of its own, so the simulator's COM1 and the language choice stay in it.
mkdir -p "$dir/DataBase"
cp "$bin"/pv-service "$bin"/bare-window "$bin"/InitSet.txt "$bin"/LanguageSet.txt \
   "$bin"/CountryParameter.txt "$dir"/
cp "$bin"/DataBase/Language.db "$dir"/DataBase/
"$bin/inverter-sim" --port COM1 --program-dir "$dir" >"$dir/sim.txt" &
sim=$!
for _ in $(seq 50); do [[ -L "$dir/ports/COM1" ]] && break; sleep 0.1; done
[[ -L "$dir/ports/COM1" ]] || { echo "startup-bench: the simulator made no ports/COM1" >&2; exit 1; }

# Xvfb picks a free display itself and says which once it is ready.
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$dir/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [[ -s "$dir/display" ]] && break; sleep 0.1; done
[[ -s "$dir/display" ]] || { echo "startup-bench: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$dir/display") QT_QPA_PLATFORM=xcb

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
ticks_per_second=$(getconf CLK_TCK)
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
read_bytes() { awk '/^rchar:/ { print $2 }' "/proc/$1/io"; }

# Starts the program and waits for its window to be mapped; sets program_pid and window_ms.
launch() {
  local events line mapped=""
  exec {events}< <(exec stdbuf -oL xev -root -event substructure)
  local xev_pid=$!
  sleep 0.5 # xev has asked the root window for its events
  local start=$EPOCHREALTIME
  "$dir/$1" >"$dir/$1.txt" 2>&1 &
  program_pid=$!
  while IFS= read -r -t 30 line <&"$events"; do
    if [[ $line == MapNotify* ]]; then mapped=$EPOCHREALTIME; break; fi
  done
  kill "$xev_pid" 2>/dev/null || true
  exec {events}<&-
  [[ -n "$mapped" ]] || { echo "startup-bench: $1 mapped no window" >&2; exit 1; }
  window_ms=$(awk -v a="$start" -v b="$mapped" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
}

# Chooses COM1 in the tool's port list: 1380,450 twips inside the connection frame at 60,60;
# 15 twips to a pixel. Returns once the port is open.
choose_com1() {
  local win
  win=$(xdotool search --sync --onlyvisible --pid "$program_pid" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool mousemove $((X + 96 + 70)) $((Y + 34 + 10)) click 1
  sleep 0.5
  xdotool key Down Return
  for _ in $(seq 50); do
    ls -l "/proc/$program_pid/fd" 2>/dev/null | grep -q /dev/pts/ && return 0
    sleep 0.1
  done
  echo "startup-bench: COM1 did not open" >&2
  exit 1
}

# One run of a program; sets result to "window_ms rss_kib cpu_percent requests".
measure() {
  local program=$1
  launch "$program"
  sleep 1
  local rss
  rss=$(rss_kib "$program_pid")
  if [[ $program == pv-service ]]; then
    choose_com1
  else
    sleep 1 # as long as choosing the port takes
  fi
  sleep 4 # the version check is over and the readings come in
  local cpu0 cpu1 read0 read1
  cpu0=$(cpu_ticks "$program_pid") read0=$(read_bytes "$sim")
  sleep "$monitor_seconds"
  cpu1=$(cpu_ticks "$program_pid") read1=$(read_bytes "$sim")
  kill -0 "$program_pid" 2>/dev/null || { echo "startup-bench: $program ended early" >&2; exit 1; }
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=""
  local requests=$(( (read1 - read0) / 8 )) # a monitor request is eight bytes
  [[ $program == pv-service ]] || requests=0
  result=$(awk -v w="$window_ms" -v r="$rss" -v c0="$cpu0" -v c1="$cpu1" -v s="$monitor_seconds" \
      -v t="$ticks_per_second" -v q="$requests" \
      'BEGIN { printf "%d %d %.3f %d", w, r, 100 * (c1 - c0) / (s * t), q }')
}

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One start of each that is not counted: fonts and libraries come into the page cache.
launch pv-service; kill "$program_pid"; wait "$program_pid" 2>/dev/null || true
launch bare-window; kill "$program_pid"; wait "$program_pid" 2>/dev/null || true
program_pid=""

printf '%-5s %-12s %10s %9s %9s %9s\n' run program "window ms" "RSS MiB" "CPU %" requests
: >"$dir/results"
for round in $(seq "$runs"); do
  order=(pv-service bare-window)
  (( round % 2 == 0 )) && order=(bare-window pv-service)
  for program in "${order[@]}"; do
    measure "$program"
    read -r w r c q <<<"$result"
    echo "$program $w $r $c $q" >>"$dir/results"
    printf '%-5s %-12s %10d %9s %9.3f %9d\n' "$round" "$program" "$w" "$(mib "$r")" "$c" "$q"
  done
done

column_median() { awk -v p="$1" -v f="$2" '$1 == p { print $f }' "$dir/results" | median; }
tool_window=$(column_median pv-service 2) bare_window=$(column_median bare-window 2)
tool_rss=$(column_median pv-service 3) bare_rss=$(column_median bare-window 3)
tool_cpu=$(column_median pv-service 4) bare_cpu=$(column_median bare-window 4)
tool_requests=$(column_median pv-service 5)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v < limit) ? "met" : "missed" }'; }

echo
echo "Medians of $runs runs, release build, Xvfb, $(nproc) cores, Qt $(pkg-config --modversion Qt6Core 2>/dev/null || echo 6):"
echo
echo "| | pv-service | bare Qt window (floor) | ratio | target |"
echo "| --- | --- | --- | --- | --- |"
echo "| launch to main window mapped | $tool_window ms | $bare_window ms | $(ratio "$tool_window" "$bare_window") | within 1.2× ($(verdict "$(ratio "$tool_window" "$bare_window")" 1.2)) |"
echo "| resident memory after start | $(mib "$tool_rss") MiB | $(mib "$bare_rss") MiB | $(ratio "$tool_rss" "$bare_rss") | within 1.2× ($(verdict "$(ratio "$tool_rss" "$bare_rss")" 1.2)) |"
echo "| CPU over ${monitor_seconds} s (tool monitoring COM1, $tool_requests requests) | $tool_cpu % | $bare_cpu % | | under 0.2 % ($(verdict "$tool_cpu" 0.2)) |"
