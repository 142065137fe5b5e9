#!/usr/bin/env bash
# The Debian package as people install and run it (Linux only):
#   - dist/tamarel_<version>_amd64.deb: lintian finds no error; it depends on
#     what its programs link and recommends xscreensaver; unpacked (dpkg -x),
#     it holds the installation in /usr/lib/tamarel, xscreensaver's relative
#     link and panel description (valid XML, the four count sliders), the
#     manual page and the "Tamarel Settings" entry;
#   - run from the unpacked tree by an ordinary user, the folder read-only:
#     "/c" saves to the user's own file, and the next show draws those counts
#     (its picture is that of a show given the same counts as switches);
#   - --help and --version print without a display, the manual page has every
#     option of --help, MATE's entry passes desktop-file-validate;
#   - mate-screensaver (the package laid over /usr in a mount namespace, as
#     root) on one screen, then it and xscreensaver ("tamarel --root" and the
#     panel's switches, all 0) on two monitors (RandR outputs): each monitor
#     shows the bare lawn and the logo; deactivated, no copy is left;
#   - xscreensaver-settings' preview ("--window-id" into another program's
#     window): running after 3 s, changing; the window grown from 400 x 273 to
#     800 x 498, the show follows it;
#   - none of these writes the user's file.
#   tests/e2e/package.sh linux|win32|win64 DIST_FOLDER   (Windows: nothing to do)
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
ulimit -c 0
[ "${1:?linux, win32 or win64}" = linux ] || { echo "package-$1: skipped (a Linux package)"; exit 0; }
e2e_begin package "${1:?linux, win32 or win64}" "${2:?dist folder}"
version=$(sed -n 's/^project(Tamarel VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
deb=$(cd "$2/.." && pwd)/tamarel_${version}_amd64.deb
[ -f "$deb" ] || { fail "$deb missing"; e2e_end; }
chmod 755 "$tmp"

# ---- the package --------------------------------------------------------------------

lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 ||
  fail "lintian: $(grep '^E:' "$tmp/lintian.log" | tr '\n' ' ')"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
[ "$(dpkg-deb -f "$deb" Recommends)" = xscreensaver ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
root=$tmp/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
lib=$root/usr/lib/tamarel
for f in Tamarel Pellmar ovinflowers.ini $(cd "$tmp/dist" && ls ovinsoftware/tamarel/*.bmp ovinsoftware/tamarel/2x/*.bmp) \
  ../../share/xscreensaver/config/tamarel.xml ../../share/man/man6/tamarel.6.gz; do
  [ -s "$lib/$f" ] || fail "no /usr/lib/tamarel/$f"
done
[ "$(readlink "$root/usr/libexec/xscreensaver/tamarel")" = ../../lib/tamarel/Tamarel ] ||
  fail "/usr/libexec/xscreensaver/tamarel links to $(readlink "$root/usr/libexec/xscreensaver/tamarel")"
grep -qx 'Name=Tamarel Settings' "$root/usr/share/applications/tamarel-settings.desktop" &&
  grep -qx 'Exec=/usr/lib/tamarel/Tamarel /c' "$root/usr/share/applications/tamarel-settings.desktop" ||
  fail "no desktop entry \"Tamarel Settings\" running /c"
# The panel's sliders: label, switch, range and default of each.
sliders=$(python3 -c '
import sys, xml.etree.ElementTree as E
for n in E.parse(sys.argv[1]).getroot().iter("number"):
    print(n.get("_label"), "|", n.get("arg"), n.get("low"), n.get("high"), n.get("default"))
' "$root/usr/share/xscreensaver/config/tamarel.xml" 2>&1)
[ "$sliders" = "$(printf '%s\n' "Yellow Orchids | --yellow % 0 10 5" "Red Petunias | --red % 0 10 5" \
  "Roses | --rose % 0 10 5" "White Daisies | --white % 0 10 5")" ] || fail "the panel's sliders: $sliders"
v=$(desktop-file-validate --no-hints "$root/usr/share/applications/screensavers/tamarel.desktop" 2>&1) && [ -z "$v" ] ||
  fail "the screen-saver entry: $v"
help=$(env -u DISPLAY "$lib/Tamarel" --help) || fail "--help ended badly"
[ "$(env -u DISPLAY "$lib/Tamarel" --version)" = "tamarel $version" ] || fail "--version: not \"tamarel $version\""
manual=$(zcat "$root/usr/share/man/man6/tamarel.6.gz" | sed 's/\\-/-/g')
for o in $(echo "$help" | awk '$1 ~ /^[-\/]/ {print $1}'); do
  grep -qF -- "$o" <<<"$manual" || fail "the manual page lacks $o"
done
grep -q -- '--window-id' <<<"$help" || fail "--help: $help"

# ---- an ordinary user, the installation read-only -------------------------------------

chmod -R a-w "$lib"
home=$tmp/home
own=$home/config/tamarel/ovinflowers.ini
mkdir -p "$home/run" && chmod 700 "$home/run"
# Hosts that pass no XDG_CONFIG_HOME (MATE) find the same file.
ln -s config "$home/.config"
if [ "$(id -u)" = 0 ]; then
  user=tamarel-pkg
  id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" || fail "cannot make the user $user"
  chown -R "$user" "$home"
else
  user=$(id -un)
fi
as_user() {
  local env=(env HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home/run" XDG_CONFIG_HOME="$home/config"
    PATH="$root/usr/libexec/xscreensaver:$PATH" GSETTINGS_BACKEND=keyfile NO_AT_BRIDGE=1)
  if [ "$(id -u)" = 0 ]; then
    ${over[@]+"${over[@]}"} runuser -u "$user" -- "${env[@]}" "$@"
  else "${env[@]}" "$@"; fi
}
over=()
e2e_cleanup_extra() {
  as_user xscreensaver-command -exit >/dev/null 2>&1
  chmod -R u+w "$tmp" 2>/dev/null
}
flowers() { tr -d '\r' <"$own" 2>/dev/null | sed -n '/^\[flowers\]/,/^\[/ s/^[a-z]*=//p' | tr '\n' ' '; }
show() {  # show OUT ARGS...: a counted show on the virtual clock, its last picture in OUT
  local out=$1
  shift
  as_user timeout 120 tamarel /s -virtual-clock -frames 300 -snapshot "$out" "$@" >>"$tmp/log" 2>&1 ||
    fail "the show $* ended badly"
}

data=$lib/ovinsoftware/tamarel
logo_h=$(identify -format %h "$data/logo.bmp")
expected() {  # expected WxH+X: the lawn of that size with the logo 5 pixels above its corner
  local h=${1#*x}
  h=${h%+*}
  convert -size "${1%+*}" "tile:$data/lawn.bmp" \( "$data/logo.bmp" -transparent '#00FF00' \) \
    -geometry +0+$((h - logo_h - 5)) -composite PNG24:"$tmp/expected-$1.png"
}
# lawn_and_logo HEAD...: within 10 s every head (WxH+X) shows exactly that.
lawn_and_logo() {
  local head ok
  for head; do expected "$head"; done
  for _ in $(seq 20); do
    sleep 0.5
    import -window root PNG24:"$tmp/screen.png" 2>/dev/null || continue
    ok=1
    for head; do
      convert "$tmp/screen.png" -crop "$head+0" +repage PNG24:"$tmp/head.png"
      [ "$(compare -metric AE "$tmp/head.png" "$tmp/expected-$head.png" null: 2>&1)" = 0 ] || ok=
    done
    [ -n "$ok" ] && return 0
  done
  return 1
}
none_left() {  # none_left HOST: no copy runs 5 s after HOST ended the show
  for _ in $(seq 25); do pgrep -u "$user" -x tamarel >/dev/null || return 0; sleep 0.2; done
  fail "$1 left $(pgrep -c -u "$user" -x tamarel) copies running"
}
# mate HEAD...: mate-screensaver runs the entry on every head.
mate() {
  [ "$(id -u)" = 0 ] || { echo "package-linux: MATE not run (the mount namespace needs root)"; return; }
  local k=org.mate.screensaver bus
  as_user gsettings set $k mode single && as_user gsettings set $k lock-enabled false &&
    as_user gsettings set $k themes "['screensavers-tamarel']"
  rm -f "$home/bus"
  over=(unshare -m sh -c 'mount -t overlay overlay -o "lowerdir=$0/usr:/usr" /usr && exec "$@"' "$root")
  as_user dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0"; exec mate-screensaver --no-daemon' \
    "$home/bus" >>"$tmp/mate.log" 2>&1 &
  pids+=($!)
  over=()
  for _ in $(seq 50); do [ -s "$home/bus" ] && break; sleep 0.1; done
  bus=DBUS_SESSION_BUS_ADDRESS=$(cat "$home/bus" 2>/dev/null)
  for _ in $(seq 50); do as_user env "$bus" mate-screensaver-command --activate >/dev/null 2>&1 && break; sleep 0.2; done
  lawn_and_logo "$@" || fail "MATE on $*: not the lawn and the logo on every monitor"
  [ "$(pgrep -c -u "$user" -x tamarel)" = $# ] || fail "MATE on $*: $(pgrep -c -u "$user" -x tamarel) copies run"
  as_user env "$bus" mate-screensaver-command --deactivate >/dev/null 2>&1
  none_left "MATE"
  as_user env "$bus" mate-screensaver-command --exit >/dev/null 2>&1
  wait_exit "${pids[-1]}" 10 || kill "${pids[-1]}"
}

start_xvfb 320x240x24 || { fail "no display of our own"; e2e_end; }
as_user tamarel /c >>"$tmp/log" 2>&1 &
pids+=($!)
if e2e_wait 30 titled "Tamarel Screen Saver"; then
  xdotool windowfocus --sync "$W" 2>/dev/null
  sleep 0.3
  # From "Close" to the yellow bar, 5 -> 3, back to "Close".
  for k in Tab Tab Down Down shift+Tab shift+Tab Return; do xdotool key "$k"; sleep 0.15; done
  wait_exit "${pids[-1]}" 20 || fail "the dialog did not end"
fi
[ "$(flowers)" = "3 5 5 5 " ] || fail "after /c the user's file holds \"$(flowers)\""
show "$home/saved.png"
show "$home/given.png" --yellow 3 --red 5 --rose 5 --white 5
[ "$(compare -metric AE "$home/saved.png" "$home/given.png" null: 2>&1)" = 0 ] ||
  fail "the show did not draw the counts /c saved"
# MATE, one screen: the user's counts at 0, so that the picture is exact.
sed -i '/^\[flowers\]/,/^\[/ s/^\([a-z]*\)=.*/\1=0/' "$own"
cp "$own" "$tmp/own.before"
mate 320x240+0
stop_xvfb

# ---- two monitors: xscreensaver, MATE, the preview of xscreensaver-settings ------------------

# Two monitors side by side (1024 x 768, 800 x 600) as RandR outputs of a real
# X server (Xorg's dummy driver): MATE (GTK) counts monitors only so, and the
# nested server of the other scripts has Xinerama heads only.
start_two_outputs() {
  local n=${XVFB_FIRST:-90}
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xorg ":$n" -config "$ROOT/tests/e2e/package/two_outputs.conf" -logfile "$tmp/xorg.log" -noreset -nolisten tcp -ac \
    -novtswitch -sharevts >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=:$n
  for _ in $(seq 100); do xrandr -q >/dev/null 2>&1 && break; sleep 0.1; done
  xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 && xrandr --addmode DUMMY1 800x600 &&
    xrandr --output DUMMY1 --mode 800x600 --pos 1024x0
}
# (Xorg takes a configuration file of ours from root only.)
if [ "$(id -u)" = 0 ]; then start_two_outputs; else start_two_heads; fi || { fail "no two monitors of our own"; e2e_end; }
switches="--yellow 0 --red 0 --rose 0 --white 0"
printf 'mode: one\nselected: 0\nlock: False\nfade: False\nunfade: False\nsplash: False\ntimeout: 0:30:00\nprograms: tamarel --root %s\n' \
  "$switches" >"$home/.xscreensaver"
[ "$(id -u)" = 0 ] && chown "$user" "$home/.xscreensaver"
as_user xscreensaver -no-splash >"$tmp/xscreensaver.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do sleep 0.2; as_user xscreensaver-command -activate >/dev/null 2>&1 && break; done
heads="1024x768+0 800x600+1024"
# shellcheck disable=SC2086
lawn_and_logo $heads || fail "the two monitors do not show the bare lawn and the logo"
copies=$(pgrep -u "$user" -x tamarel)
[ "$(echo "$copies" | wc -w)" = 2 ] ||
  fail "$(echo "$copies" | wc -w) copies run, not 2: $(tail -3 "$tmp/xscreensaver.log" | tr '\n' ' ')"
for p in $copies; do
  [ "$(tr '\0' ' ' <"/proc/$p/cmdline")" = "tamarel --root $switches " ] ||
    fail "a copy runs as \"$(tr '\0' ' ' <"/proc/$p/cmdline")\""
done
as_user xscreensaver-command -deactivate >/dev/null 2>&1
none_left xscreensaver
as_user xscreensaver-command -exit >/dev/null 2>&1
# shellcheck disable=SC2086
mate $heads

# The preview of xscreensaver-settings: the program run in another program's
# window, which then grows.

cc -O1 -o "$tmp/xwindow" "$ROOT/tests/e2e/xwindow.c" -lX11 || fail "the window helper does not build"
"$tmp/xwindow" show 400 273 "$tmp/handle" &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/handle" ] && break; sleep 0.1; done
id=$(printf '0x%x' "$(cat "$tmp/handle")")
as_user env XSCREENSAVER_WINDOW="$id" tamarel --root --yellow 5 --red 5 --rose 5 --white 5 --window-id "$id" \
  >>"$tmp/log" 2>&1 &
pids+=($!)
sleep 3
import -window "$id" PNG24:"$tmp/pane1.png"
sleep 0.5
import -window "$id" PNG24:"$tmp/pane2.png"
preview=$(pgrep -u "$user" -x tamarel)
[ -n "$preview" ] || fail "the preview is not running after 3 s"
[ "$(compare -metric AE "$tmp/pane1.png" "$tmp/pane2.png" null: 2>&1)" != 0 ] || fail "the preview does not change"
xdotool windowsize "$id" 800 498
sleep 1
child=$(xwininfo -children -id "$id" | awk '/^ +0x/ {print $1; exit}')
[ "$(xwininfo -id "$child" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')" = 800x498 ] ||
  fail "the preview's window did not follow its host's to 800 x 498"
# The garden to the new edges, unstretched: most of the pane is the lawn
# tiled from its corner (flowers cover the rest), the logo in its new
# bottom-left corner.
import -window "$id" PNG24:"$tmp/pane3.png"
expected 800x498+0
d=$(compare -metric AE "$tmp/pane3.png" "$tmp/expected-800x498+0.png" null: 2>&1)
[[ $d =~ ^[0-9]+$ ]] && [ "$d" -lt $((800 * 498 / 2)) ] || fail "the resized pane is not the garden to its edges ($d)"
convert "$tmp/pane3.png" -crop "$(identify -format %wx%h "$data/logo.bmp")+0+$((498 - logo_h - 5))" +repage \
  PNG24:"$tmp/corner.png"
convert "$tmp/corner.png" \( "$data/logo.bmp" -transparent '#00FF00' \) -composite PNG24:"$tmp/corner_logo.png"
[ "$(compare -metric AE "$tmp/corner.png" "$tmp/corner_logo.png" null: 2>&1)" = 0 ] ||
  fail "the resized pane has no logo in its new corner"
kill "$preview"
cmp -s "$own" "$tmp/own.before" || fail "a host's show wrote the settings file"
e2e_end
