#!/usr/bin/env bash
# The settings dialog end to end, as a user works it on a display of our own:
#   "/c" opens the window "Tamarel Screen Saver" with a client area of
#   241 x 293 pixels and the stored counts; clicks on the arrows where the
#   layout puts them change the counts (not past 10 or 0); Tab then Enter
#   (the focus on "Close") ends the program with status 0 and the file holds
#   the four counts; the web-site button hands the maker's home page to the
#   browser (a probe registered as the http handler of xdg-open, which Wine's
#   own browser hand-off calls too) and the dialog stays; the close box
#   (Alt+F4 under Wine) and the session's end save as "Close" does.
#   tests/e2e/dialog.sh linux|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin dialog "${1:?linux or win64}" "${2:?dist folder}"
ini=$tmp/dist/ovinflowers.ini
XVFB_EXTRA=-noreset start_xvfb 1024x768x24 || { echo "dialog-$target: no display of our own"; exit 1; }

# The browser: a probe that notes each address it is given.
mkdir -p "$tmp/config" "$tmp/data/applications"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> %s/opened\n' "$tmp" > "$tmp/probe"
chmod +x "$tmp/probe"
printf '[Default Applications]\nx-scheme-handler/http=probe.desktop\nx-scheme-handler/https=probe.desktop\n' \
  > "$tmp/config/mimeapps.list"
printf '[Desktop Entry]\nType=Application\nName=probe\nExec=%s %%u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n' \
  "$tmp/probe" > "$tmp/data/applications/probe.desktop"
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_DATA_DIRS=$tmp/data
unset BROWSER

if [ "$target" = win64 ]; then
  x86_64-w64-mingw32-gcc -O1 -o "$tmp/xwindow.exe" "$ROOT/tests/e2e/xwindow.c" -lgdi32 ||
    { echo "dialog-$target: cannot build the window helper"; exit 1; }
  [ -d "$WINEPREFIX" ] || wine_fresh_prefix
else
  cc -O1 -o "$tmp/xwindow" "$ROOT/tests/e2e/xwindow.c" -lX11 ||
    { echo "dialog-$target: cannot build the window helper"; exit 1; }
fi

# The maker's home page: the build's default unless the caller names the
# one its build was configured with.
site=${TAMAREL_MAKER_SITE:-$(sed -n 's/^set(TAMAREL_MAKER_SITE "\([^"]*\)".*/\1/p' "$ROOT/cmake/maker.cmake")}

run() {  # run ARGS...: the screen saver in the background; sets PID
  if [ "$target" = win64 ]; then
    "$WINE" "$prog" "$@" >>"$tmp/log" 2>&1 &
  else
    "$prog" "$@" >>"$tmp/log" 2>&1 &
  fi
  PID=$!
  pids+=("$PID")
}

# Opens the dialog; sets WIN (X window) and CX CY CW CH (its client area on
# the screen).
open_dialog() {
  run /c
  WIN=
  for _ in $(seq 300); do
    WIN=$(xdotool search --onlyvisible --name '^Tamarel Screen Saver$' 2>/dev/null | head -1)
    [ -n "$WIN" ] && break
    sleep 0.1
  done
  [ -n "$WIN" ] || return 1
  if [ "$target" = win64 ]; then
    read -r CX CY CW CH < <("$WINE" "$tmp/xwindow.exe" client "Tamarel Screen Saver" 2>/dev/null | tr -d '\r')
  else
    local info
    info=$(xwininfo -id "$WIN")
    CX=$(echo "$info" | awk '/Absolute upper-left X:/ {print $4}')
    CY=$(echo "$info" | awk '/Absolute upper-left Y:/ {print $4}')
    CW=$(echo "$info" | awk '/Width:/ {print $2}')
    CH=$(echo "$info" | awk '/Height:/ {print $2}')
  fi
  # Let the window settle before it is clicked.
  xdotool windowfocus --sync "$WIN" 2>/dev/null || xdotool windowfocus "$WIN" 2>/dev/null
  sleep 0.3
  [ -n "${CX:-}" ]
}

# click_arrow KIND up|down: the arrow of a bar, at its place in the layout
# (twips at 15 per pixel: the bars are 17 x 25 pixels at x 184, y 100 + 33 per
# kind, rounded as the layout's tops 1500, 2000, 2480, 2960 give).
click_arrow() {
  local top
  case $1 in
    yellow) top=100 ;; red) top=133 ;; rose) top=165 ;; white) top=197 ;;
  esac
  local y=$((CY + top + 5))
  [ "$2" = down ] && y=$((CY + top + 20))
  xdotool mousemove $((CX + 192)) "$y" click 1
  sleep 0.15
}

key() {  # the key KEY in section flowers
  tr -d '\r' < "$ini" | sed -n "/^\[flowers\]/,/^\[/ s/^$1 *= *\([^ ]*\) *\$/\1/p" | head -1
}
counts() { echo "$(key yellow) $(key red) $(key rose) $(key white)"; }

# 1. Layout, arrows, Tab and Enter.
printf '[flowers]\nyellow=10\nred=0\nrose=3\nwhite=9\n[applic]\nappdisplay=0\n' > "$ini"
if open_dialog; then
  dialog=$PID
  [ "$CW x $CH" = "241 x 293" ] || fail "the client area is $CW x $CH, not 241 x 293"
  click_arrow yellow up    # at the top: stays 10
  click_arrow red down     # at the bottom: stays 0
  click_arrow yellow down  # 9
  click_arrow red up       # 1
  click_arrow red up       # 2
  click_arrow rose up      # 4
  click_arrow white down   # 8; the focus is on this last bar now
  xdotool key Tab          # to "Close", first in the keyboard order
  sleep 0.2
  xdotool key Return
  if wait_exit "$dialog" 20; then
    [ "$RC" = 0 ] || fail "Enter on \"Close\" ended the program with status $RC"
    [ "$(counts)" = "9 2 4 8" ] || fail "after the clicks the file holds $(counts), not 9 2 4 8"
  else
    fail "Enter on \"Close\" did not end the program"
    kill "$dialog" 2>/dev/null
  fi
else
  fail "/c opened no window titled \"Tamarel Screen Saver\""
fi

# 2. The web-site button, then the close box.
printf '[flowers]\nyellow=2.5\nred=abc\nrose=11\n' > "$ini"
if open_dialog; then
  dialog=$PID
  # The button: 1935 x 495 twips at (120, 3720).
  xdotool mousemove $((CX + 8 + 64)) $((CY + 248 + 16)) click 1
  for _ in $(seq 300); do [ -s "$tmp/opened" ] && break; sleep 0.1; done
  opened=$(cat "$tmp/opened" 2>/dev/null)
  [ "$opened" = "$site" ] || fail "the web-site button handed over \"$opened\", not \"$site\""
  sleep 0.5
  kill -0 "$dialog" 2>/dev/null || fail "the dialog ended after the web-site button"
  [ -n "$(xdotool search --onlyvisible --name '^Tamarel Screen Saver$' 2>/dev/null)" ] ||
    fail "the dialog's window went after the web-site button"
  [ "$(counts)" = "2.5 abc 11 " ] || fail "the web-site button wrote the file: $(counts)"
  click_arrow white down  # 9 -> 8
  if [ "$target" = win64 ]; then
    xdotool key alt+F4
  else
    "$tmp/xwindow" close "$WIN"
  fi
  if wait_exit "$dialog" 20; then
    [ "$RC" = 0 ] || fail "the close box ended the program with status $RC"
    [ "$(counts)" = "2 9 9 8" ] || fail "after the close box the file holds $(counts), not 2 9 9 8"
  else
    fail "the close box did not end the program"
  fi
else
  fail "/c opened no window the second time"
fi

# 3. The session ends while the dialog is open: it saves as "Close" does.
printf '[flowers]\nyellow=4\nred=4\nrose=4\nwhite=4\n' > "$ini"
if open_dialog; then
  dialog=$PID
  click_arrow rose up  # 5
  if [ "$target" = win64 ]; then
    "$WINE" wineboot --end-session >/dev/null 2>&1
  else
    kill -TERM "$dialog"  # what a session manager sends
  fi
  if wait_exit "$dialog" 20; then
    [ "$RC" = 0 ] || fail "the session's end ended the dialog with status $RC"
    [ "$(counts)" = "4 4 5 4" ] || fail "after the session's end the file holds $(counts), not 4 4 5 4"
  else
    fail "the session's end did not end the dialog"
  fi
else
  fail "/c opened no window the third time"
fi

# What the programs printed, on request (E2E_VERBOSE=1), to tell why a step
# failed.
[ $bad = 0 ] || [ -z "${E2E_VERBOSE:-}" ] || { [ -s "$tmp/log" ] && sed 's/^/  | /' "$tmp/log" | tail -n 20; }
[ $bad = 0 ] && echo "dialog-$target: passed"
exit $bad
