#!/usr/bin/env bash
# The preview end to end, as the system starts it with the handle of a
# window of another program: it ends by itself with status 0; on Linux it
# has painted the preview picture unscaled at (0, 0) of that X window and
# nothing beyond it (under Wine one process's drawing does not show in
# another's window).
#   tests/e2e/preview.sh linux|win32|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin preview "${1:?linux, win32 or win64}" "${2:?dist folder}"
start_xvfb 640x480x24 || { echo "preview-$target: no display of our own"; exit 1; }

# The other program's window.
e2e_xwindow && e2e_run "$XWINDOW" show 200 150 "$XPATH$tmp/handle"
for _ in $(seq 300); do [ -s "$tmp/handle" ] && break; sleep 0.1; done
handle=$(cat "$tmp/handle" 2>/dev/null)
[ -n "$handle" ] || { fail "the window helper showed no window"; e2e_end; }

e2e_run "$prog" /p "$handle"
if wait_exit "$PID" 30; then
  [ "$RC" = 0 ] || fail "/p $handle ended with status $RC"
else
  fail "/p $handle did not end by itself"
fi
if [ "$target" = linux ]; then
  info=$(xwininfo -id "$handle")
  x=$(echo "$info" | awk '/Absolute upper-left X:/ {print $4}')
  y=$(echo "$info" | awk '/Absolute upper-left Y:/ {print $4}')
  import -window root "$tmp/shot.png"
  convert "$tmp/shot.png" -crop "151x119+$x+$y" +repage "$tmp/picture.png"
  diff=$(compare -metric AE "$tmp/picture.png" "$ROOT/saver/resources/preview.bmp" null: 2>&1)
  [ "$diff" = 0 ] || fail "the window does not show the preview picture at its corner ($diff pixels differ)"
  # Right of the picture and below it the window keeps its black.
  right=$(convert "$tmp/shot.png" -crop "49x150+$((x + 151))+$y" +repage -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)
  below=$(convert "$tmp/shot.png" -crop "200x31+$x+$((y + 119))" +repage -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)
  [ "$right$below" = 00 ] || fail "the preview drew beyond its picture (right $right, below $below)"
fi
e2e_end
