#!/usr/bin/env bash
# The installations in dist/: every file in place, the Windows programs of the
# right kind, linked against no DLL beyond those every Windows has, and the
# two Windows installers.
set -euo pipefail
cd "$(dirname "$0")/../.."
bad=0
fail() { echo "dist: $*"; bad=1; }
pictures="lawn logo yellowFlower redFlower roses whiteFlower tractor blank"
for t in linux win32 win64; do
  d=dist/$t
  [ -f "$d/ovinflowers.ini" ] || fail "$d/ovinflowers.ini missing"
  grep -q '^\[flowers\]' "$d/ovinflowers.ini" && grep -q '^\[applic\]' "$d/ovinflowers.ini" ||
    fail "$d/ovinflowers.ini lacks a section"
  for p in $pictures; do
    for f in "$d/ovinsoftware/tamarel/$p.bmp" "$d/ovinsoftware/tamarel/2x/$p.bmp"; do
      [ -f "$f" ] || fail "$f missing"
    done
  done
done
[ -x dist/linux/Tamarel ] || fail "dist/linux/Tamarel missing"
[ -x dist/linux/Pellmar ] || fail "dist/linux/Pellmar missing"
check_pe() {  # file, expected `file` words, objdump arch
  local f=$1 kind=$2
  [ -f "$f" ] || { fail "$f missing"; return; }
  file -b "$f" | grep -q "$kind" || fail "$f is $(file -b "$f"), expected $kind"
  file -b "$f" | grep -q "(GUI)" || fail "$f is not a GUI program"
  local dlls
  dlls=$(objdump -p "$f" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
  for dll in $dlls; do
    case $dll in
      kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|comctl32.dll|wininet.dll|ole32.dll|msvcrt.dll|comdlg32.dll) ;;
      *) fail "$f depends on $dll" ;;
    esac
  done
}
check_pe dist/win32/Tamarel.scr "PE32 executable (GUI) Intel 80386"
check_pe dist/win32/Pellmar.exe "PE32 executable (GUI) Intel 80386"
check_pe dist/win64/Tamarel.scr "PE32+ executable (GUI) x86-64"
check_pe dist/win64/Pellmar.exe "PE32+ executable (GUI) x86-64"
for f in dist/win32/Tamarel.scr dist/win64/Pellmar.exe; do
  # grep -q would close the pipe early and pipefail would count objdump's SIGPIPE
  [ -f "$f" ] && { x86_64-w64-mingw32-objdump -p "$f" | grep -c "Resource Directory" >/dev/null || fail "$f has no resources"; }
done
# The name the screen-saver list shows: string 1 of the program.
for t in win32 win64; do
  f=dist/$t/Tamarel.scr
  [ -f "$f" ] && { x86_64-w64-mingw32-windres -i "$f" -O rc 2>/dev/null | tr -d '\r' |
    grep -qE '^ *1, *"Tamarel"$' || fail "$f: no string 1 \"Tamarel\" (the screen-saver list's name)"; }
done
# The installers: programs of the right machine, each carrying its own
# build's installation, the same files in both.
check_setup() {  # target, expected `file` words
  local f=dist/Tamarel-setup-$1.exe x=$tmp/$1
  [ -f "$f" ] || { fail "$f missing"; return; }
  file -b "$f" | grep -q "$2" || fail "$f is $(file -b "$f"), expected $2"
  7z x -y -o"$x" "$f" >/dev/null 2>&1 || { fail "$f cannot be unpacked"; return; }
  (cd "$x" && find . -type f ! -path './$PLUGINSDIR/*' | sort) >"$tmp/$1.files"
  (cd "dist/$1" && find . -type f | sort) | grep -v '^./uninstall.exe$' |
    diff - <(grep -v '^./uninstall.exe$' "$tmp/$1.files") >/dev/null ||
    fail "$f does not carry exactly the files of dist/$1"
  while read -r g; do
    [ "$g" = ./uninstall.exe ] || cmp -s "$x/$g" "dist/$1/$g" || fail "$f: $g differs from dist/$1"
  done <"$tmp/$1.files"
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
check_setup win32 "PE32 executable (GUI) Intel 80386"
check_setup win64 "PE32+ executable (GUI) x86-64"
cmp -s "$tmp/win32.files" "$tmp/win64.files" || fail "the two installers carry different files"
exit $bad
