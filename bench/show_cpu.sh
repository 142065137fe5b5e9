#!/usr/bin/env bash
# How much processor time a show takes: runs dist/linux/Tamarel /s for 10
# seconds on a display of its own and reports its CPU time against the wall
# time. A frame loop that waits instead of spinning stays well below 100 %.
#   bench/show_cpu.sh [DIST_FOLDER] [SECONDS]
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
dist=${1:-$ROOT/dist/linux}
secs=${2:-10}
prog=$dist/Tamarel
[ -x "$prog" ] || { echo "$prog missing (build first)" >&2; exit 1; }
start_xvfb 1920x1080x24
trap 'kill "$pid" 2>/dev/null; stop_xvfb' EXIT
"$prog" /s >/dev/null 2>&1 &
pid=$!
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null; }
sleep 2  # start-up (pictures, first frames) is not part of the figure
c0=$(cpu_ticks); t0=$(date +%s.%N)
sleep "$secs"
c1=$(cpu_ticks); t1=$(date +%s.%N)
if [ -z "$c0" ] || [ -z "$c1" ]; then
  echo "the show ended early" >&2
  exit 1
fi
awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" 'BEGIN {
  cpu = (c1 - c0) / hz; wall = t1 - t0;
  printf "show: %.2f s CPU in %.2f s wall time: %.1f %% of one core\n", cpu, wall, 100 * cpu / wall
}'
xdotool key space 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
