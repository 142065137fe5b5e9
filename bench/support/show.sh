# Shared by the show benchmarks (sourced, not run): a show's installation
# and the Wine of each Windows build.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No session bus: Qt would start one per show that outlives the show and
# stays connected to the display.
export DBUS_SESSION_BUS_ADDRESS=disabled:

# show_install DIST DEST: a copy of the dist folder DIST in DEST, set to 10
# flowers of each kind and no invitation.
show_install() {
  rm -rf "${2:?}"
  cp -r "$1" "$2" || return 1
  printf '[flowers]\nyellow=10\nred=10\nrose=10\nwhite=10\n[applic]\nappdisplay=0\nappcurrent=0\nappalert=10\n' \
    >"$2/ovinflowers.ini"
}

# show_wine win32|win64: WINE, WINESERVER and WINEPREFIX of that build, a
# prefix of its own under build/ (made when missing: a 64-bit prefix cannot
# run the 32-bit program). False when that Wine does not start here.
show_wine() {
  export WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 WINEPREFIX=$ROOT/build/wine-bench-$1
  [ "$1" = win32 ] && WINE=/usr/lib/wine/wine
  [ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
  "$WINE" --version >/dev/null 2>&1 || return 1
  [ -d "$WINEPREFIX" ] && return 0
  mkdir -p "$ROOT/build"
  "$WINE" wineboot -i >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$WINESERVER" -w
}
