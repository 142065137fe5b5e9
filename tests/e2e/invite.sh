#!/usr/bin/env bash
# The mailer invitation end to end, through real shows ended by a key press
# on a small display of our own (flower counts 0, so shows start fast):
#   appdisplay=1, appcurrent=0, appalert=2: appcurrent becomes 1, then 2,
#     then the mailer starts (its window appears) and appdisplay becomes 0,
#     then nothing happens any more;
#   appcurrent=5 with appalert=2, appcurrent missing, appcurrent=abc: due at
#     once;
#   appdisplay=yes or 0: nothing is written;
#   due while offline (the whole run in a network namespace of its own):
#     nothing is written, several times in a row;
#   due and online with the mailer file removed: no message, appdisplay 0;
#   the settings, password-change and preview modes leave the counters.
#   tests/e2e/invite.sh linux|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin invite "${1:?linux or win64}" "${2:?dist folder}"
ini=$tmp/dist/ovinflowers.ini
e2e_cleanup_extra() { for p in $(mailer_pids); do kill "$p" 2>/dev/null; done; }
start_xvfb 320x240x24 || { echo "invite-$target: no display of our own"; exit 1; }
# Offline runs start with a fresh Wine server inside their namespace, so the
# system's view of the network is the namespace's.
OFFLINE=
run() {  # run ARGS...: the screen saver in the background; sets PID
  local pre=()
  [ "$OFFLINE" = down ] && pre=(unshare -n)
  # A default route that leads nowhere is no connection either.
  [ "$OFFLINE" = unreachable ] &&
    pre=(unshare -n sh -c 'ip link set lo up && ip route add unreachable default && exec "$@"' sh)
  if [ "$target" = win64 ]; then
    "${pre[@]}" "$WINE" "$prog" "$@" >>"$tmp/log" 2>&1 &
  else
    "${pre[@]}" "$prog" "$@" >>"$tmp/log" 2>&1 &
  fi
  PID=$!
  pids+=("$PID")
}

fullscreen_window() {  # the stage: the mapped window "Tamarel" that covers the screen
  xdotool search --onlyvisible --name '^Tamarel$' 2>/dev/null | while read -r w; do
    info=$(xwininfo -id "$w" 2>/dev/null) || continue
    echo "$info" | grep -q "Width: 320" && echo "$info" | grep -q "Height: 240" && echo "$w"
  done | head -1
}

# Processes that show a window titled as our programs are, other than $1.
titled_pids() {
  xdotool search --onlyvisible --name '^Tamarel Screen Saver$' 2>/dev/null | while read -r w; do
    xdotool getwindowpid "$w" 2>/dev/null
    echo
  done | sort -u | grep -v "^${1:-none}\$" | grep -v '^$'
}
mailer_pids() { titled_pids "${SHOW_PID:-none}"; }

# show: one show, ended by a key press; false when it did not run or end.
show() {
  run /s
  SHOW_PID=$PID
  local w=
  for _ in $(seq 300); do
    w=$(fullscreen_window)
    [ -n "$w" ] && break
    kill -0 "$SHOW_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$w" ]; then
    fail "a show opened no full-screen window (is another instance running?)"
    kill "$SHOW_PID" 2>/dev/null
    return 1
  fi
  sleep 0.3
  for _ in 1 2 3; do
    xdotool windowfocus "$w" 2>/dev/null
    xdotool key space 2>/dev/null
    wait_exit "$SHOW_PID" 5 && break
  done
  if kill -0 "$SHOW_PID" 2>/dev/null; then
    fail "a key press did not end the show"
    kill "$SHOW_PID" 2>/dev/null
    return 1
  fi
  [ "$RC" = 0 ] || fail "a show ended with status $RC"
  return 0
}

# mailer_appears SECONDS: the mailer's window came up; the mailer is closed.
mailer_appears() {
  local found=
  for _ in $(seq $(($1 * 10 + 1))); do
    found=$(mailer_pids)
    [ -n "$found" ] && break
    sleep 0.1
  done
  for p in $found; do kill "$p" 2>/dev/null; done
  [ -n "$found" ]
}

settings() {  # settings APPLIC-LINES: counts 0 and this [applic] section
  printf '[flowers]\nyellow=0\nred=0\nrose=0\nwhite=0\n[applic]\n%b' "$1" > "$ini"
}
key() {  # the value of KEY in section applic ("-" when missing)
  local v
  v=$(tr -d '\r' < "$ini" | sed -n "/^\[applic\]/,/^\[/ s/^$1 *= *\(.*\)\$/\1/p" | head -1)
  if tr -d '\r' < "$ini" | sed -n '/^\[applic\]/,/^\[/p' | grep -q "^$1 *="; then
    echo "$v"
  else
    echo "-"
  fi
}
applic() { echo "display=$(key appdisplay) current=$(key appcurrent) alert=$(key appalert)"; }

# 1. Counting up, the mailer, then nothing.
settings 'appdisplay=1\nappcurrent=0\nappalert=2\n'
show && [ "$(applic)" != "display=1 current=1 alert=2" ] && fail "first show end: $(applic)"
show && [ "$(applic)" != "display=1 current=2 alert=2" ] && fail "second show end: $(applic)"
if show; then
  mailer_appears 20 || fail "the third show end started no mailer"
  [ "$(applic)" = "display=0 current=2 alert=2" ] || fail "third show end: $(applic)"
fi
before=$(cat "$ini")
if show; then
  sleep 1
  mailer_appears 0 && fail "a show end after the invitation started the mailer again"
  [ "$(cat "$ini")" = "$before" ] || fail "a show end after the invitation wrote: $(applic)"
fi

# 2. Due at once: past the alert, counter missing, counter not a number.
for applic_lines in 'appdisplay=1\nappcurrent=5\nappalert=2\n' 'appdisplay=1\nappalert=2\n' \
  'appdisplay=1\nappcurrent=abc\nappalert=3\n'; do
  settings "$applic_lines"
  want=$(applic | sed 's/display=1/display=0/')
  if show; then
    mailer_appears 20 || fail "due ($(echo "$applic_lines" | tr '\n' ' ')): no mailer"
    [ "$(applic)" = "$want" ] || fail "due: $(applic), not $want"
  fi
done

# 3. Inactive: nothing written.
for display in yes 0; do
  settings "appdisplay=$display\nappcurrent=0\nappalert=2\n"
  before=$(cat "$ini")
  show && [ "$(cat "$ini")" != "$before" ] && fail "appdisplay=$display: the show end wrote $(applic)"
done

# 4. Due while offline, several times: nothing written, no mailer.
settings 'appdisplay=1\nappcurrent=5\nappalert=2\n'
before=$(cat "$ini")
for OFFLINE in down down unreachable; do
  [ "$target" = win64 ] && "$WINESERVER" -k 2>/dev/null && "$WINESERVER" -w 2>/dev/null
  if show; then
    mailer_appears 1 && fail "a show end offline ($OFFLINE) started the mailer"
    [ "$(cat "$ini")" = "$before" ] || fail "a show end offline ($OFFLINE) wrote: $(applic)"
  fi
done
OFFLINE=
[ "$target" = win64 ] && "$WINESERVER" -k 2>/dev/null && "$WINESERVER" -w 2>/dev/null

# 5. Due, online, the mailer file gone: no message, given up all the same.
rm -f "$mailer"
settings 'appdisplay=1\nappcurrent=5\nappalert=2\n'
if show; then
  sleep 1
  [ -z "$(mailer_pids)" ] || fail "a window appeared when the mailer was missing"
  [ "$(applic)" = "display=0 current=5 alert=2" ] || fail "mailer missing: $(applic)"
fi

# 6. The other modes leave the counters alone.
settings 'appdisplay=1\nappcurrent=0\nappalert=2\n'
before=$(applic)
run /c
dialog=$PID
for _ in $(seq 300); do
  [ -n "$(titled_pids none)" ] && break
  sleep 0.1
done
xdotool key Return
wait_exit "$dialog" 20 || { fail "the settings dialog did not end on Enter"; kill "$dialog"; }
run /a 0
wait_exit "$PID" 30 || fail "/a 0 did not return"
run /p
wait_exit "$PID" 30 || fail "/p did not end"
[ "$(applic)" = "$before" ] || fail "the other modes changed the counters: $(applic)"

# What the programs printed, on request (E2E_VERBOSE=1), to tell why a step
# failed.
[ $bad = 0 ] || [ -z "${E2E_VERBOSE:-}" ] || { [ -s "$tmp/log" ] && sed 's/^/  | /' "$tmp/log" | tail -n 20; }
[ $bad = 0 ] && echo "invite-$target: passed"
exit $bad
