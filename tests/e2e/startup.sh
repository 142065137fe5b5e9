#!/usr/bin/env bash
# Start-up end to end, as Windows (or a user) starts the screen saver, on a
# display of our own:
#   /a 1234  returns by itself;
#   /s       opens a full-screen window that a key press ends;
#   /s again while a show (or the settings dialog) runs ends at once, no window;
#   /c       opens a window titled "Tamarel Screen Saver".
#   tests/e2e/startup.sh linux|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
target=${1:?linux or win64}
dist=${2:?dist folder}
dist=$(cd "$dist" && pwd)
# A copy of our own: a show's end counts itself in the settings file.
tmp=$(mktemp -d /tmp/tamarel-startup.XXXXXX)
cp -r "$dist" "$tmp/dist"
dist=$tmp/dist
bad=0
fail() { echo "startup-$target: $*"; bad=1; }

case $target in
  linux) prog=$dist/Tamarel ;;
  win64)
    prog=$dist/Tamarel.scr
    export WINEPREFIX=$ROOT/build/wine-e2e-startup
    wine_env
    ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac
[ -e "$prog" ] || { echo "startup-$target: $prog missing"; exit 1; }

start_xvfb 1024x768x24
cleanup() {
  for p in ${pids[@]+"${pids[@]}"}; do kill "$p" 2>/dev/null; done
  [ "$target" = win64 ] && "$WINESERVER" -k 2>/dev/null
  stop_xvfb
  rm -rf "$tmp"
}
pids=()
trap cleanup EXIT
if [ "$target" = win64 ] && [ ! -d "$WINEPREFIX" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w 2>/dev/null
fi

run() {  # run ARGS...: starts the program in the background, sets PID
  if [ "$target" = win64 ]; then
    "$WINE" "$prog" "$@" >/dev/null 2>&1 &
  else
    "$prog" "$@" >/dev/null 2>&1 &
  fi
  PID=$!
  pids+=("$PID")
}

# Mapped top-level windows that cover the whole screen.
fullscreen_windows() {
  xwininfo -root -children 2>/dev/null | awk '/^ +0x/ {print $1}' | while read -r w; do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    echo "$info" | grep -q "Map State: IsViewable" || continue
    wd=$(echo "$info" | awk '/Width:/ {print $2}')
    ht=$(echo "$info" | awk '/Height:/ {print $2}')
    [ "$wd" = 1024 ] && [ "$ht" = 768 ] && echo "$w"
  done
}

wait_window() {  # wait_window SECONDS COMMAND...: polls until COMMAND prints a window
  local secs=$1; shift
  for _ in $(seq $((secs * 5))); do
    W=$("$@" | head -1)
    [ -n "$W" ] && return 0
    sleep 0.2
  done
  return 1
}

titled() { xdotool search --onlyvisible --name "^Tamarel Screen Saver\$" 2>/dev/null; }

# 1. The password change returns by itself.
run /a 1234
if wait_exit "$PID" 60; then
  [ "$RC" = 0 ] || fail "/a 1234 ended with status $RC"
else
  fail "/a 1234 did not return"
fi

# 2. A show: a full-screen window.
run /s
show=$PID
if wait_window 60 fullscreen_windows; then
  win=$W
  # 3. A second show while it runs: ends at once, without a window.
  run /s
  if wait_exit "$PID" 30; then
    [ "$(fullscreen_windows | wc -l)" = 1 ] || fail "the second /s opened a window"
  else
    fail "a second /s kept running"
  fi
  # A key press ends the show.
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  sleep 0.5
  xdotool key --window "$win" space 2>/dev/null
  xdotool key space
  if wait_exit "$show" 20; then
    [ "$RC" = 0 ] || fail "the show ended with status $RC"
  else
    fail "a key press did not end the show"
  fi
else
  fail "/s opened no full-screen window"
fi

# 4. The settings dialog, and a show started while it is open.
run /c
dialog=$PID
if wait_window 60 titled; then
  run /s
  if wait_exit "$PID" 30; then
    [ -z "$(fullscreen_windows)" ] || fail "/s opened a window while the settings dialog was open"
  else
    fail "/s kept running while the settings dialog was open"
  fi
  kill -0 "$dialog" 2>/dev/null || fail "the settings dialog ended by itself"
else
  fail "/c opened no window titled \"Tamarel Screen Saver\""
fi
kill "$dialog" 2>/dev/null

[ $bad = 0 ] && echo "startup-$target: passed"
exit $bad
