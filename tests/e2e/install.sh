#!/usr/bin/env bash
# The Windows installer as people use it, run by an ordinary user (root may
# write everywhere) in a fresh prefix of its own, on a small display of our
# own: /S puts the files, the screen saver's choice, the shortcuts and the
# uninstall entry in place; with the program folder made read-only, the
# installed "/c" saves counts in the user's own copy (the folder's file
# untouched) that the next show draws; the uninstaller's /S leaves no program
# file, shortcut or entry, and the user's own settings; a screen saver chosen
# since is left alone. (On Linux the package's test installs; which settings
# file is chosen where is the unit tests' table.)
#   tests/e2e/install.sh linux|win32|win64 DIST_FOLDER   (linux: nothing to do)
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
[ "${1:?linux, win32 or win64}" != linux ] || { echo "install-$1: the package's test installs on Linux"; exit 0; }
e2e_begin install "$1" "${2:?dist folder}"
setup=$(cd "$2/.." && pwd)/Tamarel-setup-$target.exe
chmod 755 "$tmp"
XVFB_EXTRA=-noreset start_xvfb 320x240x24 || { echo "install-$target: no display of our own"; exit 1; }

# The user, with a home and a prefix of its own.
home=$tmp/home
shots=$home/shots  # the shows' pictures, where the user may write
mkdir -p "$home/run" "$shots"
chmod 700 "$home/run"
if [ "$(id -u)" = 0 ]; then
  user=tamarel-inst
  id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" ||
    { echo "install-$target: cannot make the user $user"; exit 1; }
  chown -R "$user" "$home"
else
  user=$(id -un)
fi
as_user() {
  local env=(env HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home/run"
    WINEPREFIX="$home/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=")
  if [ "$(id -u)" = 0 ]; then runuser -u "$user" -- "${env[@]}" "$@"; else "${env[@]}" "$@"; fi
}
e2e_cleanup_extra() {
  as_user "$WINESERVER" -k 2>/dev/null
  chmod -R u+w "$tmp" 2>/dev/null  # the read-only folders, for their removal
}
appdata=$home/prefix/drive_c/users/$user/AppData
own=$appdata/Roaming/Tamarel/ovinflowers.ini
as_user "$WINE" wineboot -i >/dev/null 2>&1
as_user "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
as_user "$WINESERVER" -w

winpath() { echo "Z:${1//\//\\}"; }
saver() {  # saver FOLDER ARGS...: the screen saver there, as the user, in the background
  local f=$1
  shift
  as_user "$WINE" "$f/Tamarel.scr" "$@" >>"$tmp/log" 2>&1 &
  PID=$!
  pids+=("$PID")
}

# dialog FOLDER KEYS...: "/c", the keys, then the close box; false when it did
# not come or go.
dialog() {
  local f=$1 w=
  shift
  saver "$f" /c
  for _ in $(seq 300); do
    w=$(xdotool search --onlyvisible --name '^Tamarel Screen Saver$' 2>/dev/null | head -1)
    [ -n "$w" ] && break
    sleep 0.1
  done
  [ -n "$w" ] || { fail "$f: /c opened no dialog"; kill "$PID" 2>/dev/null; return 1; }
  xdotool windowfocus --sync "$w" 2>/dev/null || xdotool windowfocus "$w" 2>/dev/null
  sleep 0.3
  for k in "$@"; do xdotool key "$k"; sleep 0.15; done
  xdotool key alt+F4
  wait_exit "$PID" 20 || { fail "$f: the dialog did not end"; kill "$PID" 2>/dev/null; return 1; }
}

# show FOLDER OUT: a counted show on the virtual clock, its last picture in OUT.
show() {
  saver "$1" /s -virtual-clock -frames 300 -snapshot "$(winpath "$2")"
  wait_exit "$PID" 120 || { fail "$1: the show did not end"; kill "$PID" 2>/dev/null; return 1; }
  [ -s "$2" ] || { fail "$1: the show left no picture"; return 1; }
}

key() {  # key FILE SECTION KEY
  tr -d '\r' <"$1" 2>/dev/null | sed -n "/^\[$2\]/,/^\[/ s/^$3 *= *\(.*\)\$/\1/p" | head -1
}
state() {  # the counts and the invitation keys of FILE
  echo "$(key "$1" flowers yellow) $(key "$1" flowers red) $(key "$1" flowers rose) $(key "$1" flowers white)" \
    "display=$(key "$1" applic appdisplay) current=$(key "$1" applic appcurrent) alert=$(key "$1" applic appalert)"
}
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

# place NAME: an installation of the dist folder at $tmp/NAME, owned by the user.
place() {
  cp -r "$tmp/dist" "$tmp/$1"
  chmod -R a+rX "$tmp/$1"
  [ "$(id -u)" = 0 ] && chown -R "$user" "$tmp/$1"
}


[ -f "$setup" ] || { fail "$setup missing"; exit 1; }
cp "$setup" "$tmp/setup.exe"
chmod a+r "$tmp/setup.exe"
rm -rf "$(dirname "$own")"
inst=$appdata/Local/Programs/Tamarel
menu="$appdata/Roaming/Microsoft/Windows/Start Menu/Programs"
uninst='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tamarel'
desktop='HKCU\Control Panel\Desktop'
reg_value() {  # reg_value KEY NAME: the value's data, "" when missing
  as_user "$WINE" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print }'
}
names_ours() {  # the screen saver's value names the installed program
  local v u
  v=$(reg_value "$desktop" SCRNSAVE.EXE)
  [ -n "$v" ] || return 1
  u=$(as_user "$WINE" winepath -u "$v" 2>/dev/null | tr -d '\r')
  [ "$(readlink -f "$u")" = "$(readlink -f "$inst/Tamarel.scr")" ]
}
install() { as_user "$WINE" "$tmp/setup.exe" /S >>"$tmp/log" 2>&1; as_user "$WINESERVER" -w; }
uninstall() {  # the uninstaller runs on from a copy of its own: wait for it
  as_user "$WINE" "$inst/uninstall.exe" /S >>"$tmp/log" 2>&1
  as_user "$WINESERVER" -w
}

install
for f in Tamarel.scr Pellmar.exe ovinflowers.ini $(cd "$tmp/dist" && ls ovinsoftware/tamarel/*.bmp ovinsoftware/tamarel/2x/*.bmp); do
  cmp -s "$inst/$f" "$tmp/dist/$f" || fail "setup: $f is not installed as built"
done
[ -f "$inst/uninstall.exe" ] || fail "setup: no uninstaller"
names_ours || fail "setup: SCRNSAVE.EXE is \"$(reg_value "$desktop" SCRNSAVE.EXE)\""
[ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "setup: the screen saver is not active"
[ "$(reg_value "$uninst" DisplayName)" = Tamarel ] || fail "setup: no uninstall entry"
reg_value "$uninst" UninstallString | grep -qi 'uninstall\.exe' || fail "setup: the entry's command"
strings -n 2 -el "$menu/Tamarel.lnk" 2>/dev/null | grep -qx '/s' ||
  fail "setup: no Start-menu entry \"Tamarel\" with /s"
strings -n 2 -el "$menu/Tamarel Settings.lnk" 2>/dev/null | grep -qx '/c' ||
  fail "setup: no Start-menu entry \"Tamarel Settings\" with /c"

# The counts: yellow 5 -> 3 on its bar (the second in the keyboard order).
chmod -R a-w "$inst"
dialog "$inst" Tab Tab Down Down
[ "$(state "$own")" = "3 5 5 5 display=1 current=0 alert=10" ] ||
  fail "setup: after the dialog the user's settings hold $(state "$own")"
cmp -s "$inst/ovinflowers.ini" "$tmp/dist/ovinflowers.ini" || fail "setup: the installed file changed"
place ref3
printf '[flowers]\r\nyellow=3\r\nred=5\r\nrose=5\r\nwhite=5\r\n' >"$tmp/ref3/ovinflowers.ini"
show "$tmp/ref3" "$shots/ref3.png"
show "$inst" "$shots/installed.png" &&
  { same_picture "$shots/installed.png" "$shots/ref3.png" || fail "setup: the show did not draw the dialog's counts"; }
chmod -R u+w "$inst"

uninstall
[ -e "$inst" ] && fail "uninstall: left $(cd "$inst" && find . | tr '\n' ' ')"
[ -e "$menu/Tamarel.lnk" ] || [ -e "$menu/Tamarel Settings.lnk" ] && fail "uninstall: left a shortcut"
[ -n "$(reg_value "$uninst" DisplayName)" ] && fail "uninstall: left the uninstall entry"
[ -n "$(reg_value "$desktop" SCRNSAVE.EXE)" ] && fail "uninstall: left SCRNSAVE.EXE"
[ -f "$own" ] || fail "uninstall: removed the user's own settings"

# Another screen saver chosen since stays chosen.
install
as_user "$WINE" reg add "$desktop" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
uninstall
[ "$(reg_value "$desktop" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] ||
  fail "uninstall: took back another screen saver"

[ $bad = 0 ] || [ -z "${E2E_VERBOSE:-}" ] || { [ -s "$tmp/log" ] && sed 's/^/  | /' "$tmp/log" | tail -n 20; }
[ $bad = 0 ] && echo "install-$target: passed"
exit $bad
