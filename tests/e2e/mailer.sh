#!/usr/bin/env bash
# The mailer end to end, as a user meets it, on a display of our own: a
# friend without "@" brings a window titled "Email" that Enter closes, and
# the form keeps what was typed; completed and sent with "Submit", the
# address goes through the system's hand-off (xdg-open, under Wine through
# winebrowser) to a real browser, which requests it from our web server; the
# server reads exactly what was typed; the program ends with status 0; the
# installation folder is unchanged. Which forms are invalid and what
# "Never Show" does are the unit tests' table.
#   tests/e2e/mailer.sh linux|win32|win64 DIST_FOLDER
# MAILER_SHOT=FILE.png also saves a picture of the form as it opens.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
e2e_begin mailer "${1:?linux, win32 or win64}" "${2:?dist folder}"
# A browser still running (timeout passes the signal on to it).
e2e_cleanup_extra() { [ -s "$tmp/browser.pids" ] && while read -r p; do kill "$p" 2>/dev/null; done <"$tmp/browser.pids"; }
snapshot() { (cd "$tmp/dist" && find . -type f -exec md5sum {} + | sort -k2; find . | sort); }
before=$(snapshot)

start_xvfb 1024x768x24
# The letter outside ASCII that the test types gets a key of its own first
# (Qt); Wine reads the keyboard's layout when it starts and takes such a key
# for none, but follows the key xdotool maps for the moment.
if [ "$target" = linux ]; then
  key=$(xmodmap -pke | awk '$3 == "=" && $4 == "" {k = $2} END {print k}')  # the highest free key
  [ -n "$key" ] && xmodmap -e "keycode $key = eacute eacute" || { echo "mailer-$target: cannot bind a key"; exit 1; }
fi

# The web server of the maker, on a free local port.
python3 "$here/mailer/server.py" "$tmp/requests.log" "$tmp/port" 2>"$tmp/server.err" &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/port" ] && break; sleep 0.1; done
[ -s "$tmp/port" ] || { echo "mailer-$target: the web server did not start"; exit 1; }
touch "$tmp/requests.log" "$tmp/opened.log"

# The default browser: records what it is handed and has a headless browser
# request it from our server, whatever host it names.
mkdir -p "$tmp/home"
cat >"$tmp/probe.sh" <<EOT
#!/bin/sh
printf '%s\n' "\$1" >>"$tmp/opened.log"
echo \$\$ >>"$tmp/browser.pids"
HOME="$tmp/home" exec timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run \\
  --disable-background-networking --disable-component-update --disable-extensions \\
  --user-data-dir="$tmp/chromium" --host-resolver-rules="MAP * 127.0.0.1:$(cat "$tmp/port")" --dump-dom "\$1" >>"$tmp/browser.out" 2>&1
EOT
chmod +x "$tmp/probe.sh"
e2e_browser "$tmp/probe.sh"

# Where the form's controls are, in twips as laid out: 6000 × 7335 twips
# inside at 96 dots per inch; anything more is the frame that the system
# draws where no window manager does.
click_control() {  # click_control LEFT TOP WIDTH HEIGHT
  xdotool mousemove $((CX + ($1 + $3 / 2) / 15)) $((CY + ($2 + $4 / 2) / 15)) click 1
  sleep 0.2
}
type_text() { xdotool type --delay 20 -- "$1"; sleep 0.1; }
keys() { xdotool key --delay 30 "$@"; sleep 0.1; }
your_email=(1440 6000 3975 285)
friend3=(1440 2400 3015 285)
submit=(4680 6720 1095 375)

friend1="tom+news@mail.example"
friend3_start="ann.o'neil"
friend3_end="@mail.example"
own="me&you@home.example"
name="Tom&amp #1 é=50%,ok"
e2e_run "$mailer"
if e2e_wait 60 titled "Tamarel Screen Saver"; then
  FORM=$W
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$FORM" | sed 's/^/F/')"
  BORDER=$(((FWIDTH - 400) / 2))
  CX=$((FX + BORDER)) CY=$((FY + FHEIGHT - 489 - BORDER))
  xdotool windowfocus "$FORM" 2>/dev/null
  sleep 0.3
  [ -n "${MAILER_SHOT:-}" ] && import -window root -crop "${FWIDTH}x${FHEIGHT}+${FX}+${FY}" +repage "$MAILER_SHOT"
  type_text "$friend1"
  keys Tab Tab
  type_text "$friend3_start"
  keys Tab Tab Tab
  type_text "  $name "
  click_control "${your_email[@]}"
  type_text "$own"
  click_control "${submit[@]}"
  if e2e_wait 20 titled "Email"; then
    xdotool windowfocus "$W" 2>/dev/null
    sleep 0.3
    keys Return
    for _ in $(seq 50); do [ -z "$(titled Email)" ] && break; sleep 0.2; done
    [ -z "$(titled Email)" ] || fail "Enter did not close the window titled \"Email\""
  else
    fail "a friend without \"@\" showed no window titled \"Email\""
  fi
  [ -s "$tmp/opened.log" ] && fail "an invalid form handed an address to the browser"
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
    for _ in $(seq 400); do grep -q '"path": "/emsoftware.php"' "$tmp/requests.log" && break; sleep 0.1; done
    sleep 0.5
    problems=$(python3 - "$tmp/requests.log" "$tmp/opened.log" "$friend1,,$friend3_start$friend3_end,," "$own" "$name" <<'EOF'
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
  fail "no window titled \"Tamarel Screen Saver\""
fi

[ "$(snapshot)" = "$before" ] || fail "the installation folder changed"
e2e_end
