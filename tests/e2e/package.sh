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
#   - xscreensaver with two monitors (a nested X server with two heads side by
#     side), "tamarel --root" and the sliders' switches as its panel writes
#     them (all at 0): two copies run, each with the switches, both monitors
#     show the bare lawn and the logo, and the user's file is not written.
#   tests/e2e/package.sh linux|win32|win64 DIST_FOLDER   (Windows: nothing to do)
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
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

# ---- an ordinary user, the installation read-only -------------------------------------

chmod -R a-w "$lib"
home=$tmp/home
own=$home/config/tamarel/ovinflowers.ini
mkdir -p "$home/run" && chmod 700 "$home/run"
if [ "$(id -u)" = 0 ]; then
  user=tamarel-pkg
  id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" || fail "cannot make the user $user"
  chown -R "$user" "$home"
else
  user=$(id -un)
fi
as_user() {
  local env=(env HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home/run" XDG_CONFIG_HOME="$home/config"
    PATH="$root/usr/libexec/xscreensaver:$PATH")
  if [ "$(id -u)" = 0 ]; then runuser -u "$user" -- "${env[@]}" "$@"; else "${env[@]}" "$@"; fi
}
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
stop_xvfb

# ---- xscreensaver, two monitors -----------------------------------------------------------

start_two_heads || { fail "no two-monitor display of our own"; e2e_end; }
switches="--yellow 0 --red 0 --rose 0 --white 0"
printf 'mode: one\nselected: 0\nlock: False\nfade: False\nunfade: False\nsplash: False\ntimeout: 0:30:00\nprograms: tamarel --root %s\n' \
  "$switches" >"$home/.xscreensaver"
[ "$(id -u)" = 0 ] && chown "$user" "$home/.xscreensaver"
cp "$own" "$tmp/own.before"
as_user xscreensaver -no-splash >"$tmp/xscreensaver.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do sleep 0.2; as_user xscreensaver-command -activate >/dev/null 2>&1 && break; done
# Each head: exactly the lawn with the logo 5 pixels above its bottom-left corner.
data=$lib/ovinsoftware/tamarel
logo_h=$(identify -format %h "$data/logo.bmp")
heads="1024x768+0 800x600+1024"
for head in $heads; do
  h=${head#*x} && h=${h%+*}
  convert -size "${head%+*}" "tile:$data/lawn.bmp" \( "$data/logo.bmp" -transparent '#00FF00' \) \
    -geometry +0+$((h - logo_h - 5)) -composite PNG24:"$tmp/expected-$head.png"
done
for _ in $(seq 20); do
  sleep 0.5
  import -window root PNG24:"$tmp/xscreensaver.png" 2>/dev/null || continue
  ok=1
  for head in $heads; do
    convert "$tmp/xscreensaver.png" -crop "$head+0" +repage PNG24:"$tmp/head.png"
    [ "$(compare -metric AE "$tmp/head.png" "$tmp/expected-$head.png" null: 2>&1)" = 0 ] || ok=
  done
  [ -n "$ok" ] && break
done
[ -n "$ok" ] || fail "the two monitors do not show the bare lawn and the logo"
copies=$(pgrep -u "$user" -x tamarel)
[ "$(echo "$copies" | wc -w)" = 2 ] ||
  fail "$(echo "$copies" | wc -w) copies run, not 2: $(tail -3 "$tmp/xscreensaver.log" | tr '\n' ' ')"
for p in $copies; do
  [ "$(tr '\0' ' ' <"/proc/$p/cmdline")" = "tamarel --root $switches " ] ||
    fail "a copy runs as \"$(tr '\0' ' ' <"/proc/$p/cmdline")\""
done
cmp -s "$own" "$tmp/own.before" || fail "the show with the panel's counts wrote the settings file"
e2e_end
