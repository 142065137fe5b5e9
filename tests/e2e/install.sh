#!/usr/bin/env bash
# Installed as people install it, run by an ordinary user (root may write
# everywhere), on a small display of our own:
#   - linux: where the settings live: a read-only folder with a read-only file
#     gives the user's own copy (counts and invitation keys carried over, the
#     folder's file untouched); the dialog's counts reach the next show (its
#     picture is that of a show with those counts) and the invitation's
#     appdisplay=0 holds at the next start. (Which file is chosen for a
#     writable folder or file is the unit tests' table.)
#   - win64: the installer in a fresh prefix: /S puts the files, the screen
#     saver's choice, the shortcuts and the uninstall entry in place; with
#     the program folder made read-only, the installed "/c" saves counts that
#     the next show draws; the uninstaller's /S leaves no program file,
#     shortcut or entry, and the user's own settings; a screen saver chosen
#     since is left alone.
#   tests/e2e/install.sh linux|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin install "${1:?linux or win64}" "${2:?dist folder}"
setup=$(cd "$2/.." && pwd)/Tamarel-setup-$target.exe
chmod 755 "$tmp"
XVFB_EXTRA=-noreset start_xvfb 320x240x24 || { echo "install-$target: no display of our own"; exit 1; }

# The user, with a home (and for win64 a prefix) of its own.
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
    XDG_CONFIG_HOME="$home/config" WINEPREFIX="$home/prefix" WINEDEBUG=-all
    WINEDLLOVERRIDES="mscoree,mshtml=")
  if [ "$(id -u)" = 0 ]; then runuser -u "$user" -- "${env[@]}" "$@"; else "${env[@]}" "$@"; fi
}
e2e_cleanup_extra() {
  [ "$target" = win64 ] && as_user "$WINESERVER" -k 2>/dev/null
  chmod -R u+w "$tmp" 2>/dev/null  # the read-only folders, for their removal
}
if [ "$target" = win64 ]; then
  appdata=$home/prefix/drive_c/users/$user/AppData
  own=$appdata/Roaming/Tamarel/ovinflowers.ini
  as_user "$WINE" wineboot -i >/dev/null 2>&1
  as_user "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  as_user "$WINESERVER" -w
else
  own=$home/config/tamarel/ovinflowers.ini
fi

winpath() { echo "Z:${1//\//\\}"; }
saver() {  # saver FOLDER ARGS...: the screen saver there, as the user, in the background
  local f=$1
  shift
  if [ "$target" = win64 ]; then
    as_user "$WINE" "$f/Tamarel.scr" "$@" >>"$tmp/log" 2>&1 &
  else
    as_user "$f/Tamarel" "$@" >>"$tmp/log" 2>&1 &
  fi
  PID=$!
  pids+=("$PID")
}
mailers() { pgrep -u "$user" -f 'Pellmar' | tr '\n' ' '; }

# dialog FOLDER [KEYS...]: "/c", then Enter on "Close" (where the focus
# starts), or the keys and the close box (win64); false when it did not
# come or go.
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
  if [ $# = 0 ]; then
    xdotool key Return
  else
    for k in "$@"; do xdotool key "$k"; sleep 0.15; done
    xdotool key alt+F4
  fi
  wait_exit "$PID" 20 || { fail "$f: the dialog did not end"; kill "$PID" 2>/dev/null; return 1; }
}

# show FOLDER OUT: a counted show on the virtual clock, its last picture in
# OUT. A mailer it starts is noted in MAILER and ended.
show() {
  local out=$2
  [ "$target" = win64 ] && out=$(winpath "$2")
  saver "$1" /s -virtual-clock -frames 300 -snapshot "$out"
  wait_exit "$PID" 120 || { fail "$1: the show did not end"; kill "$PID" 2>/dev/null; return 1; }
  [ -s "$2" ] || { fail "$1: the show left no picture"; return 1; }
  MAILER=
  for _ in $(seq 50); do
    MAILER=$(mailers)
    [ -n "$MAILER" ] && break
    sleep 0.1
  done
  for p in $MAILER; do kill "$p" 2>/dev/null; done
  for _ in $(seq 100); do [ -z "$(mailers)" ] && break; sleep 0.1; done
  return 0
}

key() {  # key FILE SECTION KEY
  tr -d '\r' <"$1" 2>/dev/null | sed -n "/^\[$2\]/,/^\[/ s/^$3 *= *\(.*\)\$/\1/p" | head -1
}
state() {  # the counts and the invitation keys of FILE
  echo "$(key "$1" flowers yellow) $(key "$1" flowers red) $(key "$1" flowers rose) $(key "$1" flowers white)" \
    "display=$(key "$1" applic appdisplay) current=$(key "$1" applic appcurrent) alert=$(key "$1" applic appalert)"
}
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

# place NAME: an installation of the dist folder at $tmp/NAME, owned by the
# user, with 11 roses (the dialog keeps 0..10, so saving writes 9) and the
# invitation due at the next show end.
installed='[flowers]\r\nyellow=0\r\nred=0\r\nrose=11\r\nwhite=0\r\n[applic]\r\nappdisplay=1\r\nappcurrent=5\r\nappalert=2\r\n'
place() {
  cp -r "$tmp/dist" "$tmp/$1"
  printf "$installed" >"$tmp/$1/ovinflowers.ini"
  chmod -R a+rX "$tmp/$1"
  [ "$(id -u)" = 0 ] && chown -R "$user" "$tmp/$1"
}

# A read-only folder and file (linux; under Wine the installed program's run
# below is that case): the dialog, then two shows; FILE is where the
# settings must be kept.
settings_case() {
  local f=$tmp/$1 file=$2
  dialog "$f" || return
  [ "$(state "$file")" = "0 0 9 0 display=1 current=5 alert=2" ] ||
    fail "$1: after the dialog $file holds $(state "$file")"
  show "$f" "$shots/$1-1.png" || return
  [ -n "$MAILER" ] || fail "$1: the due invitation started no mailer"
  show "$f" "$shots/$1-2.png" || return
  [ -z "$MAILER" ] || fail "$1: the mailer came again at the next show end"
  [ "$(state "$file")" = "0 0 9 0 display=0 current=5 alert=2" ] ||
    fail "$1: after two shows $file holds $(state "$file")"
  for n in 1 2; do
    same_picture "$shots/$1-$n.png" "$shots/ref.png" || fail "$1: show $n did not draw the dialog's counts"
  done
}

if [ "$target" = linux ]; then
  # The picture of a show with 0 0 9 0 flowers, from a folder of the user's own.
  place ref
  printf '[flowers]\r\nyellow=0\r\nred=0\r\nrose=9\r\nwhite=0\r\n' >"$tmp/ref/ovinflowers.ini"
  show "$tmp/ref" "$shots/ref.png"
  place locked
  chmod -R a-w "$tmp/locked"
  settings_case locked "$own"
  [ "$(printf "$installed")" = "$(cat "$tmp/locked/ovinflowers.ini")" ] ||
    fail "locked: the program folder's file changed"
fi

# ---- the installer (win64) ---------------------------------------------------------

if [ "$target" = win64 ]; then
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
  for f in Tamarel.scr Pellmar.exe ovinflowers.ini $(cd "$tmp/dist" && ls ovinsoftware/tamarel/*.bmp); do
    cmp -s "$inst/$f" "$tmp/dist/$f" || fail "setup: $f is not installed as built"
  done
  [ -f "$inst/uninstall.exe" ] || fail "setup: no uninstaller"
  names_ours || fail "setup: SCRNSAVE.EXE is \"$(reg_value "$desktop" SCRNSAVE.EXE)\""
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "setup: the screen saver is not active"
  [ "$(reg_value "$uninst" DisplayName)" = Tamarel ] || fail "setup: no uninstall entry"
  [ "$(reg_value "$uninst" DisplayVersion)" = 1.0.0 ] || fail "setup: the entry's version"
  [ "$(reg_value "$uninst" Publisher)" = "Ovin Software" ] || fail "setup: the entry's publisher"
  reg_value "$uninst" DisplayIcon | grep -qi 'Tamarel\.scr' || fail "setup: the entry's icon"
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
fi

[ $bad = 0 ] || [ -z "${E2E_VERBOSE:-}" ] || { [ -s "$tmp/log" ] && sed 's/^/  | /' "$tmp/log" | tail -n 20; }
[ $bad = 0 ] && echo "install-$target: passed"
exit $bad
