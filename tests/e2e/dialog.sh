#!/usr/bin/env bash
# The settings dialog end to end, as a user works it on a display of our own:
# "/c" opens "Tamarel Screen Saver" with a client area of 241 x 293 pixels;
# clicks on the arrows where the layout puts them change the counts; the
# web-site button hands the maker's home page to the real browser hand-off
# (xdg-open, which Wine's own calls too) and the dialog stays; Tab then Enter
# ("Close") ends the program with status 0 and the file holds the counts.
# The session's end saves as "Close" does. At 192 dpi the client area is
# twice as large and the banner's place shows the banner drawn at twice the
# size. The counts' limits and the file's odd values are the unit tests' table.
#   tests/e2e/dialog.sh linux|win32|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin dialog "${1:?linux, win32 or win64}" "${2:?dist folder}"
ini=$tmp/dist/ovinflowers.ini
start_xvfb 1024x768x24 || { echo "dialog-$target: no display of our own"; exit 1; }

printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> %s/opened\n' "$tmp" >"$tmp/probe"
chmod +x "$tmp/probe"
e2e_browser "$tmp/probe"
# The maker's home page: the build's default unless the caller names the
# one its build was configured with.
site=${TAMAREL_MAKER_SITE:-$(sed -n 's/^set(TAMAREL_MAKER_SITE "\([^"]*\)".*/\1/p' "$ROOT/cmake/maker.cmake")}
e2e_xwindow || { echo "dialog-$target: cannot build the window helper"; exit 1; }

# Opens the dialog; sets WIN (X window) and CX CY CW CH (its client area on
# the screen).
open_dialog() {
  e2e_run "$prog" /c
  e2e_wait 60 titled "Tamarel Screen Saver" || return 1
  WIN=$W
  if on_wine; then
    read -r CX CY CW CH < <("$WINE" "$XWINDOW" client "Tamarel Screen Saver" 2>/dev/null | tr -d '\r')
  else
    eval "$(xdotool getwindowgeometry --shell "$WIN" | sed 's/^/C/')"
    CW=$CWIDTH CH=$CHEIGHT
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
  case $1 in yellow) top=100 ;; red) top=133 ;; rose) top=165 ;; white) top=197 ;; esac
  local y=$((CY + top + 5))
  [ "$2" = down ] && y=$((CY + top + 20))
  xdotool mousemove $((CX + 192)) "$y" click 1
  sleep 0.15
}
counts() { echo "$(ini_key flowers yellow) $(ini_key flowers red) $(ini_key flowers rose) $(ini_key flowers white)"; }

# ended_with COUNTS WHAT: the dialog ended with status 0 and the file holds COUNTS.
ended_with() {
  if wait_exit "$dialog" 20; then
    [ "$RC" = 0 ] || fail "$2 ended the program with status $RC"
    [ "$(counts)" = "$1" ] || fail "after $2 the file holds $(counts), not $1"
  else
    fail "$2 did not end the program"
  fi
}

# 1. The layout, the arrows, the web-site button, Tab and Enter.
printf '[flowers]\nyellow=10\nred=0\nrose=3\nwhite=9\n[applic]\nappdisplay=0\n' >"$ini"
if open_dialog; then
  dialog=$PID
  [ "$CW x $CH" = "241 x 293" ] || fail "the client area is $CW x $CH, not 241 x 293"
  click_arrow yellow down # 9
  click_arrow red up      # 1
  click_arrow rose up     # 4
  # The button: 1935 x 495 twips at (120, 3720).
  xdotool mousemove $((CX + 8 + 64)) $((CY + 248 + 16)) click 1
  for _ in $(seq 300); do [ -s "$tmp/opened" ] && break; sleep 0.1; done
  [ "$(cat "$tmp/opened" 2>/dev/null)" = "$site" ] || fail "the web-site button handed over \"$(cat "$tmp/opened" 2>/dev/null)\", not \"$site\""
  sleep 0.5
  [ -n "$(titled "Tamarel Screen Saver")" ] || fail "the dialog went after the web-site button"
  click_arrow white down # 8; the focus is on this last bar now
  xdotool key Tab        # to "Close", first in the keyboard order
  sleep 0.2
  xdotool key Return
  ended_with "9 1 4 8" "Enter on \"Close\""
else
  fail "/c opened no window titled \"Tamarel Screen Saver\""
fi

# 2. The session ends while the dialog is open.
if open_dialog; then
  dialog=$PID
  click_arrow rose up # 5
  if on_wine; then
    "$WINE" wineboot --end-session >/dev/null 2>&1
  else
    kill -TERM "$dialog" # what a session manager sends
  fi
  ended_with "9 1 5 8" "the session's end"
else
  fail "/c opened no window the second time"
fi

# 3. At 200 % (192 dpi) the banner drawn at twice the size fills its place:
# 3420 x 1365 twips at (120, 50) are 456 x 182 pixels at (16, 6).
e2e_dpi 192
if open_dialog; then
  [ "$CW x $CH" = "482 x 586" ] || fail "192 dpi: the client area is $CW x $CH, not 482 x 586"
  import -window root -crop 456x182+$((CX + 16))+$((CY + 6)) +repage PNG24:"$tmp/banner192.png"
  d=$(compare -metric AE "$ROOT/saver/resources/2x/banner.bmp" "$tmp/banner192.png" null: 2>&1)
  [ "$d" = 0 ] || fail "192 dpi: the banner's place does not show the 2x banner ($d pixels differ)"
  kill "$PID"
else
  fail "/c opened no window at 192 dpi"
fi
e2e_end
