#!/usr/bin/env bash
# Where a garden show's time goes (10 flowers of each kind, 1920 x 1080):
# - the Linux show under callgrind: instructions of its frames (virtual
#   clock), the top functions by inclusive and by self cost;
# - the requests the show sends to the X server (xtrace) and, for the Windows
#   builds, to wineserver (WINEDEBUG=+server), per frame of the real clock.
# A request count per frame is the difference between a show of FRAMES_B and
# one of FRAMES_A frames (the set-up cancels out), divided by FRAMES_B -
# FRAMES_A; frame rates come the same way from the shows' wall times, with
# and without the tracer.
#
#   bench/stage_profile.sh [--dist DIR] [--builds LIST] [--frames "A B"] [--out DIR]
#
#   option     default               meaning
#   --dist     dist/ of this tree    folder with the dist folders linux/ win32/ win64/
#   --builds   "win32 win64 linux"   which builds
#   --frames   "400 1400"            the two shows' lengths in frames
#   --out      a temporary folder    where the traces and the callgrind output stay
#
# Needs valgrind and xtrace (Debian packages of the same names).
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
source "$(dirname "$0")/support/show.sh"
dist=$ROOT/dist builds="win32 win64 linux" frames="400 1400" out=''
while [ $# -gt 0 ]; do
  case $1 in
    --dist) dist=$2 ;;
    --builds) builds=$2 ;;
    --frames) frames=$2 ;;
    --out) out=$2 ;;
    *) sed -n '11,18s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
  esac
  shift 2
done
read -r fa fb <<<"$frames"
[ -n "$out" ] || out=$(mktemp -d /tmp/tamarel-profile.XXXXXX)
mkdir -p "$out"
trap 'stop_xvfb' EXIT

# Each build's command line of a show in SHOW, from its copy in $out.
show_linux() { unset WINEPREFIX; SHOW=("$out/linux/Tamarel"); }
show_win32() { show_wine win32 && SHOW=("$WINE" "$out/win32/Tamarel.scr"); }
show_win64() { show_wine win64 && SHOW=("$WINE" "$out/win64/Tamarel.scr"); }

# run N TRACE PREFIX...: a show of N frames on a display of its own, behind
# the command words PREFIX (a tracer); its wall time in $out/TRACE.secs.
run() {
  local n=$1 trace=$2 t0
  shift 2
  start_xvfb 1920x1080x24 || return 1
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k 2>/dev/null && sleep 0.5
  t0=$(date +%s.%N)
  "$@" /s -frames "$n" >"$out/$trace.log" 2>&1
  awk -v t0="$t0" -v t1="$(date +%s.%N)" 'BEGIN {print t1 - t0}' >"$out/$trace.secs"
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -w
  stop_xvfb
}

# per_frame A_COUNTS B_COUNTS: "name count" lines of both shows; the
# difference per frame, largest first.
per_frame() {
  awk -v n=$((fb - fa)) 'NR == FNR {a[$1] = $2; next} {d = ($2 - a[$1]) / n; if (d >= 0.05) printf "%10.2f  %s\n", d, $1}' \
    "$1" "$2" | sort -rn
}
rate() { awk -v a="$(cat "$out/$1-$fa.secs")" -v b="$(cat "$out/$1-$fb.secs")" -v n=$((fb - fa)) 'BEGIN {printf "%.0f", n / (b - a)}'; }

# X requests: names (with the extension's), and the pixels put.
x_counts() {
  grep -oE '([A-Za-z-]*Request)\([0-9,]+\): [A-Za-z]+.*' "$1" | awk '
    { split($0, w, " "); name = w[2]; if ($1 ~ /^MIT-SHM/) name = "Shm" name; c[name]++
      if (name ~ /PutImage$/) { wd = ht = 0
        for (i = 3; i <= NF; i++) { split($i, kv, "=")
          if (kv[1] == "width" || kv[1] == "src-width") wd = kv[2]
          if (kv[1] == "height" || kv[1] == "src-height") ht = kv[2] }
        c["pixels-put"] += wd * ht } }
    END { for (k in c) print k, c[k] }'
}
x_requests() {
  local b=$1 n
  for n in $fa $fb; do
    # shellcheck disable=SC2016  # expanded by that shell, on the show's display
    run "$n" "x-$b-$n" sh -c 'xtrace -n -d "$DISPLAY" -D :$((${DISPLAY#:} + 50)) -o "$0" -- "$@"' \
      "$out/x-$b-$n.trace" "${SHOW[@]}"
    x_counts "$out/x-$b-$n.trace" >"$out/x-$b-$n.counts"
  done
  echo "== $b: X requests per frame ($(rate "x-$b") frames a second under xtrace)"
  per_frame "$out/x-$b-$fa.counts" "$out/x-$b-$fb.counts" | head -12
}

# wineserver requests: the server's own trace of every process's requests.
server_requests() {
  local b=$1 n
  for n in $fa $fb; do
    WINEDEBUG=+server run "$n" "server-$b-$n" "${SHOW[@]}"
    grep -oE '^[0-9a-f]{4}: [a-z_]+\( ' "$out/server-$b-$n.log" | awk '{c[$2]++} END {for (k in c) print substr(k, 1, length(k) - 1), c[k]}' \
      >"$out/server-$b-$n.counts"
  done
  echo "== $b: wineserver requests per frame ($(rate "server-$b") frames a second with the trace on)"
  per_frame "$out/server-$b-$fa.counts" "$out/server-$b-$fb.counts" | head -12
}

# callgrind: the frames only (Garden::Frame), virtual clock.
profile_linux() {
  start_xvfb 1920x1080x24 || return 1
  valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" --toggle-collect='stage::Garden::Frame()' \
    "$out/linux/Tamarel" /s -virtual-clock -frames "$fb" >"$out/callgrind.log" 2>&1
  stop_xvfb
  local total
  total=$(callgrind_annotate "$out/callgrind.out" | awk '/PROGRAM TOTALS/ {gsub(",", "", $1); print $1}')
  echo "== linux: callgrind, $fb frames, $((total / fb)) instructions a frame; inclusive, then self"
  callgrind_annotate --auto=no --inclusive=yes "$out/callgrind.out" | short_names max | grep -v 'TOTALS\|main\|Form_Load\|Load$\|StartShow\|RunGarden\|0x0' | head -22
  echo "--"
  callgrind_annotate --auto=no "$out/callgrind.out" | short_names sum | grep -v TOTALS | head -15
}
# Percent and function, without files and arguments (the GDI's namespace left out).
# Callgrind files the parts of a function inlined from a header apart: their
# self costs are summed, and the inclusive cost is the largest (the whole).
short_names() {
  awk -v how="$1" 'match($0, /^ *[0-9,]+ \( *[0-9.]+%\) +/) {
      head = substr($0, 1, RLENGTH); fn = substr($0, RLENGTH + 1)
      sub(/^.*\( */, "", head); sub(/%.*/, "", head); head += 0
      sub(/^[^:]*:/, "", fn); sub(/ \[.*$/, "", fn); gsub(/\(anonymous namespace\)::/, "", fn)
      gsub(/portable::gdi::/, "", fn); for (i = 0; i < 3; i++) gsub(/\([^()]*\)/, "", fn)
      sub(/ *(const)? *$/, "", fn); sub(/^.* /, "", fn)
      if (fn == "") next
      if (!(fn in pct)) order[++n] = fn
      pct[fn] = how == "sum" ? pct[fn] + head : (head > pct[fn] ? head : pct[fn]) }
    END { for (i = 1; i <= n; i++) printf "%6.2f %%  %s\n", pct[order[i]], order[i] }' | sort -rn
}

# The frame rate of the show without a tracer.
plain_rate() {
  local b=$1 n
  for n in $fa $fb; do run "$n" "plain-$b-$n" "${SHOW[@]}"; done
  echo "== $b: $(rate "plain-$b") frames a second without a tracer"
}

for b in $builds; do
  show_install "$dist/$b" "$out/$b" || continue
  "show_$b" || { echo "$b: $WINE does not start here: not measured"; continue; }
  plain_rate "$b"
  x_requests "$b"
  if [ "$b" = linux ]; then profile_linux; else server_requests "$b"; fi
done
echo "traces and counts: $out"
