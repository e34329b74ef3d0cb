#!/usr/bin/env bash
# A long service visit on a bad line. soak-probe (the main window with the real serial port,
# offscreen) goes through a technician's visit again and again: identifiers, configuration and
# calibration read and written, the about window, a language change, a spell of monitoring. The
# inverter-sim on the other end drops, damages, truncates, delays, refuses and garbles a share of
# its replies. This prints the probe's resident memory, open file descriptors and processor
# time at the start, every few minutes and at the end, then what the visits came to; the probe
# also checks that every write the simulator accepted was one the visit asked for.
#
# usage: scripts/soak.sh [MINUTES]      (default 60)
#   SOAK_RATE      chance of each of the seven fault kinds per request (default 0.02, about 13 %
#                  of the requests together)
#   SOAK_SEED      the simulator's seed (default 1)
#   SOAK_SAMPLE    seconds between samples (default 300, or 60 for runs under 20 minutes)
# Builds what it needs first. Exit status 1 when the probe saw an exchange stall, a stray
# reading or an unasked write.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-60}
rate=${SOAK_RATE:-0.02}
seed=${SOAK_SEED:-1}
if [[ -n "${SOAK_SAMPLE:-}" ]]; then sample=$SOAK_SAMPLE
elif (( minutes < 20 )); then sample=60
else sample=300
fi
bin=${PV_BIN:-build/dev/bin}

if [[ -z "${PV_BIN:-}" ]]; then
  cmake --preset dev >/dev/null
  nice cmake --build --preset dev --target soak-probe inverter-sim language_db >/dev/null
fi
for program in inverter-sim soak-probe; do
  [[ -x "$bin/$program" ]] || { echo "soak: $bin/$program is missing" >&2; exit 1; }
done

dir=$(mktemp -d)
sim="" probe=""
cleanup() {
  for pid in $probe $sim; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$dir/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A program folder of its own: the shipped settings and the language database.
mkdir -p "$dir/DataBase"
cp "$bin"/InitSet.txt "$bin"/LanguageSet.txt "$bin"/CountryParameter.txt "$dir"/
cp "$bin"/DataBase/Language.db "$dir"/DataBase/

nice "$bin/inverter-sim" --port COM1 --program-dir "$dir" --fault all --rate "$rate" \
  --late-ms 400-2600 --seed "$seed" --log-writes >"$dir/writes.txt" &
sim=$!
for _ in $(seq 50); do [[ -L "$dir/ports/COM1" ]] && break; sleep 0.1; done
[[ -L "$dir/ports/COM1" ]] || { echo "soak: the simulator made no ports/COM1" >&2; exit 1; }

nice "$bin/soak-probe" --program-dir "$dir" --seconds $((minutes * 60)) \
  --write-log "$dir/writes.txt" >"$dir/probe.txt" 2>"$dir/probe-errors.txt" &
probe=$!

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
fds() { ls "/proc/$1/fd" 2>/dev/null | wc -l; }

echo "soak: $minutes min, faults all at $rate each, late replies 400-2600 ms, seed $seed"
printf '%8s %10s %5s %10s %10s\n' minute "RSS KiB" fds "CPU s" "CPU %"
start=$(date +%s) last_cpu=0 last_time=$start
first_rss="" first_fds="" rss=0 open=0
report() {
  local now cpu
  now=$(date +%s) cpu=$(cpu_ticks "$probe") rss=$(rss_kib "$probe") open=$(fds "$probe")
  local span=$((now - last_time))
  (( span > 0 )) || span=1
  awk -v m=$((now - start)) -v r="$rss" -v f="$open" -v c="$cpu" -v l="$last_cpu" -v t="$ticks" \
    -v s="$span" 'BEGIN { printf "%8.1f %10d %5d %10.1f %10.1f\n", m / 60, r, f, c / t, 100 * (c - l) / t / s }'
  last_cpu=$cpu last_time=$now
}
sleep 5
report
samples=1 base_minute=0
while kill -0 "$probe" 2>/dev/null; do
  for _ in $(seq "$sample"); do
    sleep 1
    kill -0 "$probe" 2>/dev/null || break
    # The last sample is taken just before the probe's time is up.
    (( $(date +%s) - start >= minutes * 60 )) && break
  done
  kill -0 "$probe" 2>/dev/null || break
  report
  samples=$((samples + 1))
  # Growth counts from the first sample after the first interval, once the windows have all
  # been opened and the caches warmed.
  if (( samples == 2 )); then
    first_rss=$rss first_fds=$open base_minute=$((($(date +%s) - start) / 60))
  fi
  (( $(date +%s) - start >= minutes * 60 )) && break
done
status=0
wait "$probe" || status=$?
probe=""
kill "$sim" && wait "$sim" || true
sim=""
[[ -n "$first_rss" ]] && echo "growth from minute $base_minute to the end:" \
  "RSS $((rss - first_rss)) KiB, descriptors $((open - first_fds))"
echo "probe: $(cat "$dir/probe.txt")"
[[ -s "$dir/probe-errors.txt" ]] && sed 's/^/probe: /' "$dir/probe-errors.txt" | grep -v QStandardPaths || true
exit "$status"
