#!/usr/bin/env bash
# Start-up end to end, as Windows (or a user) starts the screen saver, on a
# display of our own; what only real processes show (the mode switches
# themselves are the unit tests' table):
#   /s       opens a full-screen window that a key press ends;
#   /s again while a show (or the settings dialog) runs ends at once, no window;
#   /c       opens a window titled "Tamarel Screen Saver".
#   tests/e2e/startup.sh linux|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin startup "${1:?linux or win64}" "${2:?dist folder}"
start_xvfb 1024x768x24 || { echo "startup-$target: no display of our own"; exit 1; }

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

# A show: a full-screen window.
run /s
show=$PID
if wait_window 60 fullscreen_windows; then
  win=$W
  # A second show while it runs: ends at once, without a window.
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

# The settings dialog, and a show started while it is open.
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
