#!/usr/bin/env bash
# The preview end to end, as the system starts it with the handle of a
# window of another program:
#   linux: "Tamarel /p ID" paints the preview picture unscaled at (0, 0) of
#          that X window and nothing beyond it, and ends with status 0;
#   win64: "Tamarel.scr /p HWND" with a window of another process ends by
#          itself with status 0 (under Wine one process's drawing does not
#          show in another's window);
#   both:  "/p" alone ends at once with status 0; the settings file is not
#          touched.
#   tests/e2e/preview.sh linux|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin preview "${1:?linux or win64}" "${2:?dist folder}"
start_xvfb 640x480x24 || { echo "preview-$target: no display of our own"; exit 1; }

# The other program's window.
if [ "$target" = win64 ]; then
  x86_64-w64-mingw32-gcc -O1 -o "$tmp/xwindow.exe" "$ROOT/tests/e2e/xwindow.c" -lgdi32 ||
    { echo "preview-$target: cannot build the window helper"; exit 1; }
  [ -d "$WINEPREFIX" ] || wine_fresh_prefix
else
  cc -O1 -o "$tmp/xwindow" "$ROOT/tests/e2e/xwindow.c" -lX11 ||
    { echo "preview-$target: cannot build the window helper"; exit 1; }
fi

run() {  # run ARGS...: the screen saver in the background; sets PID
  if [ "$target" = win64 ]; then
    "$WINE" "$prog" "$@" >>"$tmp/log" 2>&1 &
  else
    "$prog" "$@" >>"$tmp/log" 2>&1 &
  fi
  PID=$!
  pids+=("$PID")
}

ini_before=$(cat "$tmp/dist/ovinflowers.ini")

# 1. Too short a text: the end, at once.
run /p
if wait_exit "$PID" 30; then
  [ "$RC" = 0 ] || fail "/p alone ended with status $RC"
else
  fail "/p alone did not end"
fi

# 2. The preview into the other program's window.
if [ "$target" = win64 ]; then
  "$WINE" "$tmp/xwindow.exe" show 200 150 "Z:$tmp/handle" >/dev/null 2>&1 &
else
  "$tmp/xwindow" show 200 150 "$tmp/handle" &
fi
pids+=($!)
for _ in $(seq 300); do [ -s "$tmp/handle" ] && break; sleep 0.1; done
handle=$(cat "$tmp/handle" 2>/dev/null)
if [ -z "$handle" ]; then
  fail "the window helper showed no window"
else
  run /p "$handle"
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
    [ "$right" = 0 ] || fail "the preview drew right of the picture"
    [ "$below" = 0 ] || fail "the preview drew below the picture"
    [ -n "${PREVIEW_SHOT:-}" ] && cp "$tmp/shot.png" "$PREVIEW_SHOT"
  fi
fi

[ "$(cat "$tmp/dist/ovinflowers.ini")" = "$ini_before" ] || fail "the preview changed the settings file"

# What the programs printed, on request (E2E_VERBOSE=1), to tell why a step
# failed.
[ $bad = 0 ] || [ -z "${E2E_VERBOSE:-}" ] || { [ -s "$tmp/log" ] && sed 's/^/  | /' "$tmp/log" | tail -n 20; }
[ $bad = 0 ] && echo "preview-$target: passed"
exit $bad
