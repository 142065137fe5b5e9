#!/usr/bin/env bash
# How a Linux session ends the programs: a show stopped (SIGSTOP) for 2 s
# draws as many frames in the second after it as in the second before (within
# 10 %); SIGTERM to the dialog, the mailer and a show in another program's
# window, SIGINT to a show, end each with status 0; the X server killed 20
# times under a show, the dialog and the mailer (the sanitizer build's) and a
# show in another program's window: each ends with 0, no sanitizer report,
# the settings file whole.
#   tests/e2e/session.sh linux|win32|win64 DIST_FOLDER   (Linux only)
# Helpers: build/linux and build/linux-asan (or TAMAREL_E2E_BUILD, TAMAREL_ASAN_BUILD).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib.sh"
[ "${1:-}" = linux ] || { echo "session-${1:-}: skipped (Linux only)"; exit 0; }
e2e_begin session "$1" "${2:?dist folder}"
ulimit -c 0
probe=${TAMAREL_E2E_BUILD:-$ROOT/build/linux}/tests/ending_fault_show
asan=${TAMAREL_ASAN_BUILD:-$ROOT/build/linux-asan}
for f in "$probe" "$asan/saver/Tamarel" "$asan/mailer/Pellmar" "$asan/tests/ending_fault_show"; do
  [ -x "$f" ] || { echo "session-linux: no $f"; exit 1; }
done
cp "$probe" "$tmp/dist/"
cp "$prog" "$tmp/dist/hosted"
cc -O1 -o "$tmp/xwindow" "$here/xwindow.c" -lX11 || { echo "session-linux: the window helper does not build"; exit 1; }
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1

# start_all: a show (the probe, which claims no instance the dialog holds),
# the dialog, the mailer and a show in the helper's window; true once all are
# up. Sets SHOW DIALOG MAILER HOSTED.
start_all() {
  rm -f "$tmp/handle"
  "$tmp/xwindow" show 200 150 "$tmp/handle" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$tmp/handle" ] && break; sleep 0.1; done
  e2e_run "$tmp/dist/ending_fault_show" /s && SHOW=$PID
  e2e_run "$prog" /c && DIALOG=$PID
  e2e_run "$mailer" && MAILER=$PID
  e2e_run "$tmp/dist/hosted" --window-id "$(cat "$tmp/handle")" && HOSTED=$PID
  e2e_wait 60 all_up
}
all_up() {  # (the dialog's and the mailer's windows bear the same title)
  [ -n "$(fullscreen_windows 320x240)" ] && [ "$(titled 'Tamarel Screen Saver' | wc -l)" = 2 ] &&
    xwininfo -children -id "$(cat "$tmp/handle")" | grep -q '^ *0x' && echo up
}
ended_with_0() {  # ended_with_0 WHEN: the four end with status 0 within 15 s
  local p
  for p in "show $SHOW" "dialog $DIALOG" "mailer $MAILER" "hosted show $HOSTED"; do
    wait_exit "${p##* }" 15 || { fail "$1: the ${p% *} did not end"; kill -9 "${p##* }"; continue; }
    [ "$RC" = 0 ] || fail "$1: the ${p% *} ended with status $RC"
  done
}

start_xvfb 320x240x24 || { echo "session-linux: no display of our own"; exit 1; }
export TAMAREL_FRAME_LOG=$tmp/frames
if start_all; then
  sleep 1.5
  kill -STOP "$SHOW" && sleep 2 && kill -CONT "$SHOW" && sleep 1.5
  kill -TERM "$DIALOG" "$MAILER" "$HOSTED" && kill -INT "$SHOW"
  ended_with_0 "a signal"
  # The frames of the second before the stop and of the second after it.
  read -r before after < <(awk 'NR > 1 && $1 - last > 1500 {stop = last; cont = $1} {t[NR] = $1; last = $1}
    END {for (i in t) {b += t[i] > stop - 1000 && t[i] <= stop; a += t[i] >= cont && t[i] < cont + 1000}
         print b + 0, a + 0}' "$tmp/frames")
  [ "$before" -gt 0 ] && [ $(((after - before) * 10)) -le "$before" ] && [ $(((before - after) * 10)) -le "$before" ] ||
    fail "frames in the second before the stop and after it: $before and $after ($(wc -l <"$tmp/frames") in all)"
else
  fail "the programs did not all come up"
fi
unset TAMAREL_FRAME_LOG
stop_xvfb

cp "$asan/saver/Tamarel" "$asan/mailer/Pellmar" "$asan/tests/ending_fault_show" "$tmp/dist/"
ini() { tr -d '\r' <"$tmp/dist/ovinflowers.ini"; }
whole=$(ini)
for i in $(seq 20); do
  start_xvfb 320x240x24 || { fail "no display of our own"; break; }
  start_all || fail "round $i: the programs did not all come up"
  n=${DISPLAY#:}
  # SIGTERM and SIGKILL by turns.
  kill -$((i % 2 ? 15 : 9)) "$XVFB_PID" && wait "$XVFB_PID" 2>/dev/null
  rm -f "/tmp/.X11-unix/X$n" "/tmp/.X$n-lock" && XVFB_PID= && pids=()
  ended_with_0 "round $i, the display gone"
  [ "$(ini)" = "$whole" ] || fail "round $i: the settings file is now: $(ini | tr '\n' ' ')"
  ! grep -q -E 'Sanitizer|runtime error' "$tmp/log" || { fail "round $i: $(grep -m 3 -E 'Sanitizer|runtime error' "$tmp/log")"; break; }
done
e2e_end
