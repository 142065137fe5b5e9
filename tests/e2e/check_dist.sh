#!/usr/bin/env bash
# The installations in dist/: every file in place, the Windows programs of the
# right kind, linked against no DLL beyond those every Windows has.
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
  for p in $pictures; do [ -f "$d/ovinsoftware/tamarel/$p.bmp" ] || fail "$d: $p.bmp missing"; done
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
exit $bad
