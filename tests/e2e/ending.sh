#!/usr/bin/env bash
# Every way out of a show, tried as a user would, on a display of our own:
#   a key press, a mouse click, a burst of five mouse moves (four do not);
#   a missing "lawn.bmp": the warning box, closed with Enter;
#   a failure forced into an input handler: the same warning, then the end;
#   a failure that no trap catches; the end of the session.
# Each time the process ends (status 0 where the show ends normally), the
# cursor is hidden while the show runs and shown after; under Wine, in a
# virtual desktop with a taskbar, the taskbar is hidden while the show runs
# and visible again after, whatever ended it.
#   tests/e2e/ending.sh linux|win64 DIST_FOLDER
# The helpers come from the build that laid out DIST_FOLDER (found under
# build/ by its CMake cache and its program, or named by TAMAREL_E2E_BUILD).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib.sh"
target=${1:?linux or win64}
dist=${2:?dist folder}
dist=$(cd "$dist" && pwd)
bad=0
fail() { echo "ending-$target: $*"; bad=1; }
ulimit -c 0

case $target in
  linux) exe= prog_name=Tamarel ;;
  win64) exe=.exe prog_name=Tamarel.scr ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac
[ -e "$dist/$prog_name" ] || { echo "ending-$target: $dist/$prog_name missing"; exit 1; }

# The build whose installation DIST is: it holds the fault-injecting show
# and, for Windows, the taskbar probe.
build=${TAMAREL_E2E_BUILD:-}
if [ -z "$build" ]; then
  for cache in "$ROOT"/build/*/CMakeCache.txt; do
    b=$(dirname "$cache")
    grep -qx "TAMAREL_DIST_DIR:PATH=$dist" "$cache" 2>/dev/null || continue
    # Other builds may share the folder setting: take the one whose program
    # is the one installed there.
    cmp -s "$b/saver/$prog_name" "$dist/$prog_name" || continue
    [ -e "$b/tests/ending_fault_show$exe" ] || continue
    build=$b
    break
  done
fi
[ -n "$build" ] || { echo "ending-$target: no build of $dist with tests/ending_fault_show$exe"; exit 1; }
site=$(sed -n 's/^TAMAREL_MAKER_SITE:STRING=//p' "$build/CMakeCache.txt")
warning="One or more files are missing from application. Please download and re-install the software from $site"

# Two installations of our own: one whole, one without the lawn.
T=$(mktemp -d /tmp/tamarel-ending.XXXXXX)
mkdir "$T/app"
cp -r "$dist/." "$T/app/"
cp "$build/tests/ending_fault_show$exe" "$T/app/"
printf '[flowers]\r\nyellow=2\r\nred=2\r\nrose=1\r\nwhite=1\r\n[applic]\r\nappdisplay=0\r\nappcurrent=0\r\nappalert=10\r\n' \
  >"$T/app/ovinflowers.ini"
cp -r "$T/app" "$T/nolawn"
rm "$T/nolawn/ovinsoftware/tamarel/lawn.bmp"

cc -O -o "$T/cursor_probe" "$here/ending/cursor_probe.c" -lXfixes -lX11 ||
  { echo "ending-$target: the cursor probe does not build"; exit 1; }

pids=()
cleanup() {
  for p in ${pids[@]+"${pids[@]}"}; do
    kill $(pgrep -P "$p") "$p" 2>/dev/null
  done
  [ -n "${WINESERVER:-}" ] && "$WINESERVER" -k 2>/dev/null
  stop_xvfb
  if [ -n "${TAMAREL_E2E_KEEP:-}" ]; then echo "ending-$target: kept $T"; else rm -rf "$T"; fi
}
trap cleanup EXIT

# A display of our own, away from the numbers other scripts start at; when
# another script took the same number at the same moment, the next one.
XVFB_FIRST=${XVFB_FIRST:-150}
for _ in 1 2 3 4 5; do
  start_xvfb 1024x768x24
  sleep 0.2
  if kill -0 "$XVFB_PID" 2>/dev/null; then
    "$T/cursor_probe" >"$T/cursor.log" &
    cursor_pid=$!
    pids+=("$cursor_pid")
    sleep 0.2
    kill -0 "$cursor_pid" 2>/dev/null && break
  fi
  stop_xvfb
  XVFB_FIRST=$((${DISPLAY#:} + 1))
done

if [ "$target" = win64 ]; then
  export WINEPREFIX=$ROOT/build/wine-e2e-ending
  wine_env
  "$WINESERVER" -k 2>/dev/null
  if [ ! -d "$WINEPREFIX" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # Every program of the prefix in one virtual desktop with a taskbar.
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops\Default' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
    "$WINESERVER" -w 2>/dev/null
  fi
  probe=$build/tests/taskbar_probe.exe
  # The watcher reports every change of the taskbar and keeps the desktop
  # open between two shows (a new desktop would bring a new taskbar).
  "$WINE" "$probe" watch >"$T/taskbar.log" 2>/dev/null &
  pids+=("$!")
fi

taskbar() { tail -n 1 "$T/taskbar.log" 2>/dev/null | tr -d '\r'; }
cursor() { tail -n 1 "$T/cursor.log" 2>/dev/null; }

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
gone() { [ -e "$T/$NAME.rc" ]; }

# The X window titled $1 (Linux: the stage "Tamarel", the warning box).
input_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
press() {  # press KEY [TITLE]: the key on the stage or the box
  local w
  # Wine gives the X focus to the window it makes active; focusing its
  # desktop window from outside would take the focus off a message box's
  # button.
  if [ "$target" = linux ]; then
    w=$(input_window "${2:-Tamarel}")
    [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null
  fi
  xdotool key "$1"
}

if [ "$target" = win64 ]; then
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
  [ "$target" = win64 ] && run=("$WINE")
  # The status goes to a file, so that a program ended by a signal is
  # reported here and not by the shell.
  (
    env "$@" ${run[@]+"${run[@]}"} "$T/$folder/$program" /s >/dev/null 2>"$T/$NAME.err"
    echo $? >"$T/$NAME.rc"
  ) 2>/dev/null &
  PID=$!
  pids+=("$PID")
}
# The program's own process (the child of the one that waits for it).
program_pid() { pgrep -P "$PID" | head -1; }

# running: the show is up: its stage is there, the cursor hidden and, under
# Wine, the taskbar hidden.
running() {
  if [ "$target" = win64 ]; then
    until_true 30 taskbar_is 0 || { fail "$NAME: the taskbar is not hidden during the show"; return 1; }
  else
    until_true 30 eval '[ -n "$(input_window Tamarel)" ]' ||
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
  rc=$(cat "$T/$NAME.rc")
  case $1 in
    nonzero) [ "$rc" != 0 ] || fail "$NAME: ended with status 0" ;;
    *) [ "$rc" = "$1" ] || fail "$NAME: ended with status $rc, not $1" ;;
  esac
  until_true 2 cursor_is shown || fail "$NAME: the cursor is not shown after the show"
  if [ "$target" = win64 ]; then
    until_true 2 taskbar_is 1 || fail "$NAME: the taskbar is not visible after the show ($(taskbar))"
  fi
}

# warned: the warning box is up, titled "Tamarel Screen Saver" (under Wine
# its text is read too); Enter closes it.
warned() {
  local title="Tamarel Screen Saver" text
  if [ "$target" = win64 ]; then
    if until_true 20 eval 'text=$("$WINE" "$probe" box "$title" 2>/dev/null | tr -d "\r")'; then
      [ "$text" = "$warning" ] || fail "$NAME: the box says \"$text\""
    else
      fail "$NAME: no box titled \"$title\""
      return 1
    fi
  else
    until_true 20 eval '[ -n "$(input_window "$title")" ]' ||
      { fail "$NAME: no box titled \"$title\""; return 1; }
  fi
  until_true 2 cursor_is shown || fail "$NAME: the cursor is hidden over the warning"
  ! gone || { fail "$NAME: the program ended before the box was closed"; return 1; }
  sleep 0.2
  press Return "$title"
}

# 1. A key press ends the show.
show key app "$prog_name"
running && press space
ended 0

# 2. A mouse click ends it.
show click app "$prog_name"
if running; then
  xdotool mousemove 500 300 click 1
fi
ended 0

# 3. Four small moves do not end it; a fifth within the burst does.
show moves app "$prog_name"
if running; then
  xdotool mousemove 8 400  # from the edge: not counted
  for x in 16 24 32 40; do
    sleep 0.1
    xdotool mousemove "$x" 400
  done
  sleep 1
  if gone; then
    fail "moves: four moves ended the show"
  else
    xdotool mousemove 48 400
  fi
fi
ended 0

# 4. A missing lawn: the warning, and Enter ends the program.
show nolawn nolawn "$prog_name"
warned
ended 0

# 5. A failure in the key handler: the same warning, then the end.
show keyfault app "ending_fault_show$exe" TAMAREL_FAULT=keydown
running && press space && warned
ended 0

# 6. A failure in the button handler that no trap catches.
show untrapped app "ending_fault_show$exe" TAMAREL_FAULT=mousedown:untrapped
running && xdotool mousemove 500 300 click 1
ended nonzero

# 7. The session ends (Linux: the signal a session manager sends).
show session app "$prog_name"
if running; then
  if [ "$target" = win64 ]; then
    "$WINE" wineboot --end-session >/dev/null 2>&1
  else
    kill -TERM "$(program_pid)"
  fi
fi
ended 0

[ $bad = 0 ] && echo "ending-$target: passed"
exit $bad
