#!/usr/bin/env bash
# The mailer invitation end to end, through real shows ended by a key press
# on a small display of our own (flower counts 0, so shows start fast):
#   due (appcurrent past appalert) and online: the show's end starts the
#     mailer (its window appears) with no arguments and writes appdisplay=0;
#     with no mailer in the folder the invitation is given up just the same,
#     without a message;
#   due while offline, in a network namespace of our own with only a down
#   loopback, or with a default route that leads nowhere: nothing is
#   written, no mailer.
# How the counters count and which values are due is the unit tests' table.
#   tests/e2e/invite.sh linux|win32|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin invite "${1:?linux, win32 or win64}" "${2:?dist folder}"
ini=$tmp/dist/ovinflowers.ini
e2e_cleanup_extra() { for p in $(mailer_pids); do kill "$p" 2>/dev/null; done; }
start_xvfb 320x240x24 || { echo "invite-$target: no display of our own"; exit 1; }

# Processes that show the mailer's window (titled as our programs are).
mailer_pids() {
  titled "Tamarel Screen Saver" | while read -r w; do xdotool getwindowpid "$w" 2>/dev/null; echo; done |
    sort -u | grep -v '^$'
}

# show: one show, ended by a key press; false when it did not run or end.
show() {
  e2e_run "$prog" /s
  local show=$PID
  if ! e2e_wait 60 fullscreen_windows 320x240; then
    fail "a show opened no full-screen window"
    return 1
  fi
  sleep 0.3
  for _ in 1 2 3; do
    xdotool windowfocus "$W" 2>/dev/null
    xdotool key space 2>/dev/null
    wait_exit "$show" 5 && break
  done
  kill -0 "$show" 2>/dev/null && { fail "a key press did not end the show"; return 1; }
  [ "$RC" = 0 ] || fail "a show ended with status $RC"
}

# mailer_appears SECONDS: the mailer's window came up; the mailer is closed.
# Its command line's last word (in ARGS_END) is its own name when it was
# given no arguments.
mailer_appears() {
  local found=
  for _ in $(seq $(($1 * 10 + 1))); do
    found=$(mailer_pids)
    [ -n "$found" ] && break
    sleep 0.1
  done
  for p in $found; do
    ARGS_END=$(tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | grep -v '^$' | tail -n 1)
    kill "$p" 2>/dev/null
  done
  [ -n "$found" ]
}
applic() { echo "display=$(ini_key applic appdisplay) current=$(ini_key applic appcurrent) alert=$(ini_key applic appalert)"; }
due='[flowers]\nyellow=0\nred=0\nrose=0\nwhite=0\n[applic]\nappdisplay=1\nappcurrent=5\nappalert=2\n'

# 1. Due and online.
printf "$due" >"$ini"
if show; then
  mailer_appears 20 || fail "the show's end started no mailer"
  [[ $ARGS_END =~ Pellmar(\.exe)?$ ]] || fail "the mailer was started with arguments (... $ARGS_END)"
  [ "$(applic)" = "display=0 current=5 alert=2" ] || fail "after the invitation: $(applic)"
fi
# ... and without a mailer in the folder (the show ends: no message holds it).
mv "$mailer" "$tmp/mailer.away"
printf "$due" >"$ini"
show && { [ "$(applic)" = "display=0 current=5 alert=2" ] || fail "a missing mailer left $(applic)"; }
mv "$tmp/mailer.away" "$mailer"

# 2. Due while offline. Each run starts a fresh Wine server inside its
# namespace, so that the system's view of the network is the namespace's.
printf "$due" >"$ini"
before=$(cat "$ini")
for how in down unreachable; do
  E2E_PRE=(unshare -n)
  [ "$how" = unreachable ] &&
    E2E_PRE=(unshare -n sh -c 'ip link set lo up && ip route add unreachable default && exec "$@"' sh)
  on_wine && "$WINESERVER" -k 2>/dev/null && "$WINESERVER" -w 2>/dev/null
  if show; then
    mailer_appears 1 && fail "a show's end offline ($how) started the mailer"
    [ "$(cat "$ini")" = "$before" ] || fail "a show's end offline ($how) wrote: $(applic)"
  fi
done
E2E_PRE=()
e2e_end
