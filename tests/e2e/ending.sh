#!/usr/bin/env bash
# The ways out of a show that only a real process shows, on a display of our
# own: a key press; a missing "lawn.bmp": the warning box, closed with Enter;
# a failure that no trap catches; under Wine, the end of the session. Each time the
# process ends (status 0 where the show ends normally), the cursor is hidden
# while the show runs and shown after; under Wine, in a virtual desktop with
# a taskbar, the taskbar is hidden while the show runs and visible again
# after, whatever ended it. Which inputs end a show is the unit tests' table.
#   tests/e2e/ending.sh linux|win32|win64 DIST_FOLDER
# The helpers come from the build that laid out DIST_FOLDER: build/TARGET,
# or the one TAMAREL_E2E_BUILD names.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib.sh"
# The virtual desktop is this script's own: a prefix of its own.
e2e_begin ending "${1:?linux, win32 or win64}" "${2:?dist folder}" own-prefix
ulimit -c 0
exe=
on_wine && exe=.exe
build=${TAMAREL_E2E_BUILD:-$ROOT/build/$target}
[ -e "$build/tests/ending_fault_show$exe" ] || { echo "ending-$target: no $build/tests/ending_fault_show$exe"; exit 1; }
site=$(sed -n 's/^TAMAREL_MAKER_SITE:STRING=//p' "$build/CMakeCache.txt")
warning="One or more files are missing from application. Please download and re-install the software from $site"

# Two installations: one whole, one without the lawn.
cp "$build/tests/ending_fault_show$exe" "$tmp/dist/"
printf '[flowers]\r\nyellow=2\r\nred=2\r\nrose=1\r\nwhite=1\r\n[applic]\r\nappdisplay=0\r\nappcurrent=0\r\nappalert=10\r\n' \
  >"$tmp/dist/ovinflowers.ini"
cp -r "$tmp/dist" "$tmp/nolawn"
rm "$tmp/nolawn/ovinsoftware/tamarel/lawn.bmp"
cc -O -o "$tmp/cursor_probe" "$here/ending/cursor_probe.c" -lXfixes -lX11 ||
  { echo "ending-$target: the cursor probe does not build"; exit 1; }
# The show runs in a subshell that records its status: end the program too.
e2e_cleanup_extra() { for p in ${pids[@]+"${pids[@]}"}; do kill $(pgrep -P "$p") 2>/dev/null; done; }

start_xvfb 1024x768x24 || { echo "ending-$target: no display of our own"; exit 1; }
"$tmp/cursor_probe" >"$tmp/cursor.log" &
pids+=("$!")

if on_wine; then
  "$WINESERVER" -k 2>/dev/null
  if ! "$WINE" reg query 'HKCU\Software\Wine\Explorer' /v Desktop >/dev/null 2>&1; then
    # Every program of the prefix in one virtual desktop with a taskbar.
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops\Default' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
    "$WINESERVER" -w 2>/dev/null
  fi
  probe=$build/tests/taskbar_probe.exe
  # The watcher reports every change of the taskbar and keeps the desktop
  # open between two shows (a new desktop would bring a new taskbar).
  "$WINE" "$probe" watch >"$tmp/taskbar.log" 2>/dev/null &
  pids+=("$!")
fi

taskbar() { tail -n 1 "$tmp/taskbar.log" 2>/dev/null | tr -d '\r'; }
cursor() { tail -n 1 "$tmp/cursor.log" 2>/dev/null; }

# until_true SECONDS COMMAND...: polls until COMMAND succeeds, for at most
# about SECONDS.
until_true() {
  local end=$((SECONDS + $1))
  shift
  while :; do
    "$@" && return 0
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.05
  done
}
taskbar_is() { [ "$(taskbar)" = "$1" ]; }
cursor_is() { [ "$(cursor)" = "$1" ]; }
gone() { [ -e "$tmp/$NAME.rc" ]; }

press() {  # press KEY [TITLE]: the key on the stage or the box
  local w
  # Wine gives the X focus to the window it makes active; focusing its
  # desktop window from outside would take the focus off a message box's
  # button.
  if [ "$target" = linux ]; then
    w=$(titled "${2:-Tamarel}" | head -1)
    [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null
  fi
  xdotool key "$1"
}

if on_wine; then
  until_true 20 taskbar_is 1 || fail "the virtual desktop shows no taskbar ($(taskbar))"
fi

# show NAME FOLDER PROGRAM [VAR=VALUE...]: starts a show; sets PID and NAME.
show() {
  NAME=$1
  local folder=$2 program=$3
  shift 3
  # The pointer waits at the left edge: a move from there is not counted,
  # on whichever platform reports the pointer when the stage appears.
  xdotool mousemove 0 400
  local run=()
  on_wine && run=("$WINE")
  # The status goes to a file, so that a program ended by a signal is
  # reported here and not by the shell.
  (
    env "$@" ${run[@]+"${run[@]}"} "$tmp/$folder/$program" /s >/dev/null 2>"$tmp/$NAME.err"
    echo $? >"$tmp/$NAME.rc"
  ) 2>/dev/null &
  PID=$!
  pids+=("$PID")
}
# The program's own process (the child of the one that waits for it).
program_pid() { pgrep -P "$PID" | head -1; }

# running: the show is up: its stage is there, the cursor hidden and, under
# Wine, the taskbar hidden.
running() {
  if on_wine; then
    until_true 30 taskbar_is 0 || { fail "$NAME: the taskbar is not hidden during the show"; return 1; }
  else
    until_true 30 eval '[ -n "$(titled Tamarel)" ]' ||
      { fail "$NAME: no stage window"; return 1; }
  fi
  until_true 5 cursor_is blank || { fail "$NAME: the cursor is shown during the show"; return 1; }
  sleep 0.3
  ! gone || { fail "$NAME: the show ended by itself"; return 1; }
}

# ended STATUS: the process ends with STATUS ("nonzero": any but 0), the
# cursor is shown and the taskbar visible.
ended() {
  if ! until_true 15 gone; then
    fail "$NAME: the show did not end"
    kill "$(program_pid)" 2>/dev/null
    return 1
  fi
  local rc
  rc=$(cat "$tmp/$NAME.rc")
  case $1 in
    nonzero) [ "$rc" != 0 ] || fail "$NAME: ended with status 0" ;;
    *) [ "$rc" = "$1" ] || fail "$NAME: ended with status $rc, not $1" ;;
  esac
  until_true 2 cursor_is shown || fail "$NAME: the cursor is not shown after the show"
  if on_wine; then
    until_true 2 taskbar_is 1 || fail "$NAME: the taskbar is not visible after the show ($(taskbar))"
  fi
}

# warned: the warning box is up, titled "Tamarel Screen Saver" (under Wine
# its text is read too); Enter closes it.
warned() {
  local title="Tamarel Screen Saver" text
  if on_wine; then
    if until_true 20 eval 'text=$("$WINE" "$probe" box "$title" 2>/dev/null | tr -d "\r")'; then
      [ "$text" = "$warning" ] || fail "$NAME: the box says \"$text\""
    else
      fail "$NAME: no box titled \"$title\""
      return 1
    fi
  else
    until_true 20 eval '[ -n "$(titled "$title")" ]' ||
      { fail "$NAME: no box titled \"$title\""; return 1; }
  fi
  until_true 2 cursor_is shown || fail "$NAME: the cursor is hidden over the warning"
  ! gone || { fail "$NAME: the program ended before the box was closed"; return 1; }
  sleep 0.2
  press Return "$title"
}

# 1. A key press ends the show.
show key dist "${prog##*/}"
running && press space
ended 0

# 2. A missing lawn: the warning, and Enter ends the program.
show nolawn nolawn "${prog##*/}"
warned
ended 0

# 3. A failure in the button handler that no trap catches.
show untrapped dist "ending_fault_show$exe" TAMAREL_FAULT=mousedown:untrapped
running && xdotool mousemove 500 300 click 1
ended nonzero

# 4. Under Wine, the session ends (Linux's signals are the session script's).
if on_wine; then
  show session dist "${prog##*/}"
  running && "$WINE" wineboot --end-session >/dev/null 2>&1
  ended 0
fi
e2e_end
