#!/usr/bin/env bash
# The mailer end to end, as a user meets it, on a display of our own:
#   "Never Show" with every address typed: the program ends, nothing is sent;
#   the close box: the program ends, nothing is sent;
#   a friend without "@": a window titled "Email" that Enter closes, and the
#   form keeps what was typed; completed and sent with "Submit": the address
#   goes through the system's hand-off (xdg-open, under Wine through
#   winebrowser) to a real browser, which requests it from our web server;
#   the server reads exactly what was typed; the program ends with status 0;
#   the installation folder is unchanged.
#   tests/e2e/mailer.sh linux|win64 DIST_FOLDER
# MAILER_SHOT=FILE.png also saves a picture of the form as it opens;
# MAILER_KEEP=1 keeps the temporary folder (logs, requests) for a look.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
target=${1:?linux or win64}
dist=${2:?dist folder}
dist=$(cd "$dist" && pwd)
bad=0
fail() { echo "mailer-$target: $*"; bad=1; }

case $target in
  linux) prog_name=Pellmar ;;
  win64)
    prog_name=Pellmar.exe
    export WINEPREFIX=$ROOT/build/wine-e2e-mailer
    wine_env
    ;;
  *) echo "unknown target $target" >&2; exit 2 ;;
esac
[ -e "$dist/$prog_name" ] || { echo "mailer-$target: $dist/$prog_name missing"; exit 1; }

T=$(mktemp -d /tmp/tamarel-mailer.XXXXXX)
pids=()
cleanup() {
  for p in ${pids[@]+"${pids[@]}"}; do kill "$p" 2>/dev/null; done
  # A browser still running (timeout passes the signal on to it).
  [ -s "$T/browser.pids" ] && while read -r p; do kill "$p" 2>/dev/null; done <"$T/browser.pids"
  [ "$target" = win64 ] && "$WINESERVER" -k 2>/dev/null
  stop_xvfb
  [ -n "${MAILER_KEEP:-}" ] && echo "kept $T" || rm -rf "$T"
}
trap cleanup EXIT

# The program runs from a copy, so that what it might write shows up there.
cp -a "$dist" "$T/dist"
prog=$T/dist/$prog_name
snapshot() { (cd "$T/dist" && find . -type f -exec md5sum {} + | sort -k2; find . | sort); }
before=$(snapshot)

start_xvfb 1024x768x24
# No window manager runs here: xtool sends what its close box sends. The
# letter outside ASCII that the test types gets a key of its own first.
cc -o "$T/xtool" "$here/mailer/xtool.c" -lX11 ||
  { echo "mailer-$target: cannot build xtool"; exit 1; }
"$T/xtool" bind eacute || { echo "mailer-$target: cannot bind a key"; exit 1; }
[ "$target" = win64 ] && wine_fresh_prefix

# The web server of the maker, on a free local port.
python3 "$here/mailer/server.py" "$T/requests.log" "$T/port" 2>"$T/server.err" &
pids+=($!)
for _ in $(seq 100); do [ -s "$T/port" ] && break; sleep 0.1; done
[ -s "$T/port" ] || { echo "mailer-$target: the web server did not start"; exit 1; }
port=$(cat "$T/port")
touch "$T/requests.log" "$T/opened.log"

# The default browser for http addresses: records what it is handed and has
# a headless browser request it from our server, whatever host it names.
mkdir -p "$T/config" "$T/data/applications" "$T/home"
cat >"$T/probe.sh" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >>"$T/opened.log"
echo \$\$ >>"$T/browser.pids"
HOME="$T/home" exec timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run \\
  --disable-background-networking --disable-component-update --disable-extensions \\
  --user-data-dir="$T/chromium" --host-resolver-rules="MAP * 127.0.0.1:$port" --dump-dom "\$1" >>"$T/browser.out" 2>&1
EOF
chmod +x "$T/probe.sh"
cat >"$T/data/applications/tamarel-probe.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Probe browser
Exec=$T/probe.sh %u
MimeType=x-scheme-handler/http;x-scheme-handler/https;
EOF
printf '[Default Applications]\nx-scheme-handler/http=tamarel-probe.desktop\nx-scheme-handler/https=tamarel-probe.desktop\n' \
  >"$T/config/mimeapps.list"
export XDG_CONFIG_HOME=$T/config XDG_DATA_HOME=$T/data XDG_DATA_DIRS=$T/data
unset BROWSER XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

run() {  # starts the mailer as the screen saver does: no arguments; sets PID
  if [ "$target" = win64 ]; then
    (cd "$T/dist" && exec "$WINE" "$prog") >>"$T/program.out" 2>&1 &
  else
    (cd "$T/dist" && exec "$prog") >>"$T/program.out" 2>&1 &
  fi
  PID=$!
  pids+=("$PID")
}

titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }

wait_titled() {  # wait_titled SECONDS TITLE: sets W
  local secs=$1 title=$2
  for _ in $(seq $((secs * 5))); do
    W=$(titled "$title")
    [ -n "$W" ] && return 0
    sleep 0.2
  done
  return 1
}

wait_untitled() {  # wait_untitled SECONDS TITLE: true once no such window shows
  local secs=$1 title=$2
  for _ in $(seq $((secs * 5))); do
    [ -z "$(titled "$title")" ] && return 0
    sleep 0.2
  done
  return 1
}

# Opens the form and takes the keyboard to it; sets FORM and the corner of
# its inner area (CX, CY) and its frame (FX, FY, FW, FH, BORDER).
open_form() {
  run
  wait_titled 60 "Tamarel Screen Saver" || return 1
  FORM=$W
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$FORM" | sed 's/^/F/')"
  # 6000 × 7335 twips inside at 96 dots per inch; anything more is the frame
  # that the system draws where no window manager does.
  FW=$FWIDTH FH=$FHEIGHT
  BORDER=$(((FW - 400) / 2))
  CX=$((FX + BORDER))
  CY=$((FY + FH - 489 - BORDER))
  xdotool windowfocus "$FORM" 2>/dev/null
  sleep 0.3
}

click_control() {  # click_control LEFT TOP WIDTH HEIGHT (twips, as laid out)
  xdotool mousemove $((CX + ($1 + $3 / 2) / 15)) $((CY + ($2 + $4 / 2) / 15)) click 1
  sleep 0.2
}
type_text() { xdotool type --delay 20 -- "$1"; sleep 0.1; }
keys() { xdotool key --delay 30 "$@"; sleep 0.1; }

# The controls a user reaches with the mouse.
your_email=(1440 6000 3975 285)
friend3=(1440 2400 3015 285)
submit=(4680 6720 1095 375)
never_show=(240 6720 1335 375)

# nothing_sent WHAT: no address reached the browser's hand-off.
nothing_sent() {
  sleep 2
  [ -s "$T/opened.log" ] && fail "$1 handed an address to the browser: $(head -1 "$T/opened.log")"
  [ -s "$T/requests.log" ] && fail "$1 made a request: $(head -1 "$T/requests.log")"
}

# Fills in every address and the first name, as a user does from the focus
# the form starts with (Friend 1).
fill_in() {
  type_text "pat@mail.example"
  keys Tab Tab Tab Tab Tab
  type_text "Pat"
  click_control "${your_email[@]}"
  type_text "me@home.example"
}

# 1. "Never Show" with everything typed: the program ends, nothing is sent.
if open_form; then
  fill_in
  click_control "${never_show[@]}"
  if wait_exit "$PID" 20; then
    [ "$RC" = 0 ] || fail "\"Never Show\": the program ended with status $RC"
  else
    fail "\"Never Show\" did not end the program"
  fi
  nothing_sent "\"Never Show\""
else
  fail "no window titled \"Tamarel Screen Saver\" (1)"
fi

# 2. The close box: the program ends, nothing is sent. Wine draws the frame
# with its close box itself; elsewhere the window manager's box sends this
# message.
if open_form; then
  fill_in
  if [ "$target" = win64 ] && [ "$BORDER" -gt 0 ]; then
    xdotool mousemove $((FX + FW - BORDER - 10)) $((FY + (CY - FY + BORDER) / 2)) click 1
  else
    "$T/xtool" close "$FORM"
  fi
  if wait_exit "$PID" 20; then
    [ "$RC" = 0 ] || fail "the close box: the program ended with status $RC"
  else
    fail "the close box did not end the program"
  fi
  nothing_sent "the close box"
else
  fail "no window titled \"Tamarel Screen Saver\" (2)"
fi

# 3. An invalid form, mended and sent.
friend1="tom+news@mail.example"
friend3_start="ann.o'neil"
friend3_end="@mail.example"
own="me&you@home.example"
name="Tom&amp #1 é=50%,ok"
if open_form; then
  if [ -n "${MAILER_SHOT:-}" ]; then
    import -window root -crop "${FW}x${FH}+${FX}+${FY}" +repage "$MAILER_SHOT"
  fi
  type_text "$friend1"
  keys Tab Tab
  type_text "$friend3_start"
  keys Tab Tab Tab
  type_text "  $name "
  click_control "${your_email[@]}"
  type_text "$own"
  click_control "${submit[@]}"
  if wait_titled 20 "Email"; then
    xdotool windowfocus "$W" 2>/dev/null
    sleep 0.3
    keys Return
    wait_untitled 10 "Email" || fail "Enter did not close the window titled \"Email\""
  else
    fail "a friend without \"@\" showed no window titled \"Email\""
  fi
  [ -s "$T/opened.log" ] && fail "an invalid form handed an address to the browser"
  if kill -0 "$PID" 2>/dev/null && [ -n "$(titled "Tamarel Screen Saver")" ]; then
    # What was typed is still there: completing one box makes the form valid.
    click_control "${friend3[@]}"
    keys End
    type_text "$friend3_end"
    click_control "${submit[@]}"
    if wait_exit "$PID" 30; then
      [ "$RC" = 0 ] || fail "after sending the program ended with status $RC"
    else
      fail "after \"Submit\" the program did not end"
    fi
    for _ in $(seq 400); do grep -q '"path": "/emsoftware.php"' "$T/requests.log" && break; sleep 0.1; done
    sleep 0.5
    problems=$(python3 - "$T/requests.log" "$T/opened.log" "$friend1,,$friend3_start$friend3_end,," "$own" "$name" <<'EOF'
import json, sys
requests_log, opened_log, te, fe, n = sys.argv[1:6]
opened = [l for l in open(opened_log, encoding="utf-8").read().splitlines() if l]
requests = [json.loads(l) for l in open(requests_log, encoding="utf-8") if l.strip()]
sent = [r for r in requests if r["path"] == "/emsoftware.php"]
if len(opened) != 1:
    print(f"the browser was handed {len(opened)} addresses: {opened}")
if len(sent) != 1:
    print(f"the server had {len(sent)} requests of /emsoftware.php: {requests}")
else:
    r = sent[0]
    want = [["s", "1"], ["te", te], ["fe", fe], ["n", n]]
    if r["query"] != want:
        print(f"the server read {r['query']}, typed was {want}")
    if opened and opened[0] != "http://" + r["host"] + r["target"]:
        print(f"the browser asked for {r['target']} of {r['host']}, handed was {opened[0]}")
EOF
    )
    while IFS= read -r line; do [ -n "$line" ] && fail "$line"; done <<<"$problems"
  else
    fail "the form did not stay open after the message"
  fi
else
  fail "no window titled \"Tamarel Screen Saver\" (3)"
fi

[ "$(snapshot)" = "$before" ] || fail "the installation folder changed"

[ $bad = 0 ] && echo "mailer-$target: passed"
exit $bad
