#!/usr/bin/env bash
# The processor time of a garden show on the real clock, for the Linux build
# and both Windows builds under Wine: 10 flowers of each kind on a 1920 x 1080
# Xvfb of the show's own, measured for SECONDS once the show's window is up.
# Beside the show's own process: wineserver, the Wine prefix's other
# processes, and the X server, which puts the copied pixels on the screen.
# With --baseline, another build's dist folders are measured in the same
# run, taking turns with ours, and the table gives both and their ratio.
#
#   bench/stage_cpu.sh [--dist DIR] [--baseline DIR] [--builds LIST] [--seconds N] [--rounds N]
#
#   option       default               meaning
#   --dist       dist/ of this tree    folder with the dist folders linux/ win32/ win64/
#   --baseline   none                  the same of another build, measured in turn with --dist
#   --builds     "win32 win64 linux"   which builds, in this order
#   --seconds    30                    measured seconds per show
#   --rounds     2                     shows per build and side (the sides' order alternates)
#
# Shares are percent of one core: the median of the rounds, the range beside.
# Targets: the Linux show at most 1.0 %, each Windows show's own process at
# most 5 %. Each Windows build runs in a Wine prefix of its own under build/
# (made on first use; see support/show.sh).
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
source "$(dirname "$0")/support/show.sh"
dist=$ROOT/dist baseline='' builds="win32 win64 linux" secs=30 rounds=2
while [ $# -gt 0 ]; do
  case $1 in
    --dist) dist=$2 ;;
    --baseline) baseline=$2 ;;
    --builds) builds=$2 ;;
    --seconds) secs=$2 ;;
    --rounds) rounds=$2 ;;
    *) sed -n '9,17s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
  esac
  shift 2
done

T=$(mktemp -d /tmp/tamarel-stage-cpu.XXXXXX)
trap 'end_show; rm -rf "$T"' EXIT
: >"$T/results"

# Processor ticks (user + system, all threads) of the given processes.
ticks() {
  local p sum=0 t
  for p in "$@"; do
    t=$(sed 's/.*) //' "/proc/$p/stat" 2>/dev/null | awk '{print $12 + $13}')
    sum=$((sum + ${t:-0}))
  done
  echo "$sum"
}

# Each build's start: the show from the installed copy in $T/inst, on the
# display already started; sets PROCS to "name:pids" entries, the show first.
start_linux() {
  "$T/inst/Tamarel" /s >/dev/null 2>&1 &
  SHOW_PID=$!
  wait_window || return 1
  PROCS=("show:$SHOW_PID" "X server:$XVFB_PID")
}
start_win32() { start_wine win32; }
start_win64() { start_wine win64; }
start_wine() {
  show_wine "$1" || return 1
  "$WINE" "$T/inst/Tamarel.scr" /s >/dev/null 2>&1 &
  wait_window || return 1
  local p show='' server='' others=''
  for p in $(prefix_pids); do
    if grep -q '^wineserver' "/proc/$p/comm" 2>/dev/null; then server+=" $p"
    elif tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -qi 'Tamarel\.scr'; then show+=" $p"
    else others+=" $p"; fi
  done
  PROCS=("show:$show" "wineserver:$server" "Wine's other processes:$others" "X server:$XVFB_PID")
}
# The processes of this Wine prefix.
prefix_pids() {
  local d
  for d in /proc/[0-9]*; do
    tr '\0' '\n' 2>/dev/null <"$d/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "${d#/proc/}"
  done
}
wait_window() {
  for _ in $(seq 600); do
    [ -n "$(fullscreen_windows 1920x1080)" ] && return 0
    sleep 0.1
  done
  echo "stage_cpu: no show window appeared" >&2
  return 1
}
end_show() {
  [ -n "${SHOW_PID:-}" ] && kill "$SHOW_PID" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k 2>/dev/null
  SHOW_PID='' WINEPREFIX=''
  stop_xvfb
}

# measure BUILD SIDE DIST: one show; appends "build|group|side|share" lines.
measure() {
  local build=$1 side=$2 i
  show_install "$3/$build" "$T/inst" || return 1
  start_xvfb 1920x1080x24 || return 1
  PROCS=()
  if "start_$build"; then
    sleep 2  # the first frames are not part of the figure
    echo "  processes: ${PROCS[*]}" >&2
    # Each entry's pids are a list: split on purpose.
    # shellcheck disable=SC2086
    {
      local -a c0 c1
      local t0 t1
      for i in "${!PROCS[@]}"; do c0[i]=$(ticks ${PROCS[i]#*:}); done
      t0=$(date +%s.%N)
      sleep "$secs"
      for i in "${!PROCS[@]}"; do c1[i]=$(ticks ${PROCS[i]#*:}); done
      t1=$(date +%s.%N)
    }
    local all=0
    for i in "${!PROCS[@]}"; do
      all=$((all + c1[i] - c0[i]))
      echo "$build|${PROCS[i]%%:*}|$side|$(share $((c1[i] - c0[i])) "$t0" "$t1")"
    done >>"$T/results"
    echo "$build|all of them|$side|$(share "$all" "$t0" "$t1")" >>"$T/results"
  fi
  end_show
}
share() { awk -v c="$1" -v t0="$2" -v t1="$3" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.2f", 100 * c / hz / (t1 - t0)}'; }

# A kernel without 32-bit support cannot start the 32-bit Wine loader.
if [[ " $builds " == *" win32 "* ]] && ! (show_wine win32); then
  skipped="win32: not measured: 32-bit programs do not run on this machine (/usr/lib/wine/wine --version fails)"
  builds=$(echo " $builds " | sed 's/ win32 / /')
fi

sides=(now)
[ -n "$baseline" ] && sides=(before after)
for r in $(seq "$rounds"); do
  for b in $builds; do
    order=("${sides[@]}")
    [ $((r % 2)) = 0 ] && [ -n "$baseline" ] && order=(after before)
    for s in "${order[@]}"; do
      d=$dist
      [ "$s" = before ] && d=$baseline
      echo "round $r: $b $s ($d/$b)" >&2
      measure "$b" "$s" "$d"
    done
  done
done

# The median and the range of a build's group on a side.
stat_of() {
  awk -F'|' -v b="$1" -v g="$2" -v s="$3" '$1 == b && $2 == g && $3 == s {print $4}' "$T/results" | sort -n |
    awk '{v[NR] = $1} END {if (!NR) {print "-"; exit}
      m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      if (NR > 1) printf "%.2f (%.2f-%.2f)", m, v[1], v[NR]; else printf "%.2f", m}'
}
target_of() {
  case $1/$2 in
    linux/show) echo "<= 1.0" ;;
    win*/show) echo "<= 5" ;;
  esac
}
echo
echo "Percent of one core; median (range) of $rounds show(s) of $secs s each; 1920 x 1080, 40 flowers."
if [ -n "$baseline" ]; then
  printf '%-6s %-23s %-20s %-20s %-7s %s\n' build process "before" "after" ratio target
else
  printf '%-6s %-23s %-20s %s\n' build process "share" target
fi
[ -n "${skipped:-}" ] && echo "$skipped"
for b in $builds; do
  awk -F'|' -v b="$b" '$1 == b && !seen[$2]++ {print $2}' "$T/results" | while read -r g; do
    if [ -n "$baseline" ]; then
      bs=$(stat_of "$b" "$g" before) as=$(stat_of "$b" "$g" after)
      ratio=$(awk -v a="${as%% *}" -v b="${bs%% *}" 'BEGIN {if (b + 0 > 0) printf "%.2f", a / b; else print "-"}')
      printf '%-6s %-23s %-20s %-20s %-7s %s\n' "$b" "$g" "$bs" "$as" "$ratio" "$(target_of "$b" "$g")"
    else
      printf '%-6s %-23s %-20s %s\n' "$b" "$g" "$(stat_of "$b" "$g" now)" "$(target_of "$b" "$g")"
    fi
  done
done
