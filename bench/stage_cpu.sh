#!/usr/bin/env bash
# How much processor time a garden show takes on the real clock: a show of
# 10 flowers of each kind on a 1920 x 1080 display of its own, measured for
# SECONDS (60) after a start of 2 seconds. Reports the show's CPU time (all
# its threads) against the wall time, and the X server's beside it, since
# the server puts the copied pixels on the screen.
#   bench/stage_cpu.sh [DIST_FOLDER] [SECONDS]
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
dist=${1:-$ROOT/dist/linux}
secs=${2:-60}
[ -x "$dist/Tamarel" ] || { echo "$dist/Tamarel missing (build first)" >&2; exit 1; }

T=$(mktemp -d /tmp/tamarel-stage-cpu.XXXXXX)
cp -r "$dist" "$T/inst"
printf '[flowers]\nyellow=10\nred=10\nrose=10\nwhite=10\n[applic]\nappdisplay=0\nappcurrent=0\nappalert=10\n' \
  >"$T/inst/ovinflowers.ini"
pid=
start_xvfb 1920x1080x24
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; stop_xvfb; rm -rf "$T"' EXIT

"$T/inst/Tamarel" /s >/dev/null 2>&1 &
pid=$!
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }
sleep 2  # the set-up and the first frames are not part of the figure
c0=$(cpu_ticks "$pid"); x0=$(cpu_ticks "$XVFB_PID"); t0=$(date +%s.%N)
sleep "$secs"
c1=$(cpu_ticks "$pid"); x1=$(cpu_ticks "$XVFB_PID"); t1=$(date +%s.%N)
if [ -z "$c0" ] || [ -z "$c1" ]; then
  echo "the show ended early" >&2
  exit 1
fi
awk -v c0="$c0" -v c1="$c1" -v x0="$x0" -v x1="$x1" -v t0="$t0" -v t1="$t1" -v hz="$hz" 'BEGIN {
  cpu = (c1 - c0) / hz; xcpu = (x1 - x0) / hz; wall = t1 - t0;
  printf "show: %.2f s CPU in %.2f s wall time: %.2f %% of one core (target < 3 %%)\n", cpu, wall, 100 * cpu / wall
  printf "X server: %.2f s CPU: %.2f %% of one core\n", xcpu, 100 * xcpu / wall
  exit (100 * cpu / wall < 3) ? 0 : 1
}'
