# Shared shell helpers of the scripts (sourced, not run).
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ROOT

# Packages that building and testing need on a fresh Debian 12 (wine32:i386,
# the 32-bit Wine for the 32-bit build, with the i386 architecture added).
TAMAREL_PACKAGES=(
  build-essential cmake ninja-build pkg-config git python3 clang clang-format libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
  googletest libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libx11-dev libxext-dev libxfixes-dev libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xinerama0-dev fontconfig fonts-dejavu-core fonts-liberation fonts-wine
  wine64 wine32:i386 xvfb xdotool x11-utils x11-xserver-utils imagemagick xscreensaver xdg-utils chromium iproute2 util-linux
  file procps psmisc nsis p7zip-full
  dpkg-dev lintian xserver-xephyr libxml2-utils
  mate-screensaver desktop-file-utils dbus libglib2.0-bin xserver-xorg-core xserver-xorg-video-dummy
)

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then SUDO=sudo; else
      echo "Run as root (or install sudo) to install: ${missing[*]}" >&2; exit 1
    fi
  else SUDO=; fi
}

# Installs whatever of TAMAREL_PACKAGES is missing.
ensure_packages() {
  local have p
  # One query for all (one each takes seconds on a busy machine).
  # dpkg-query fails when any name is unknown to it (a fresh machine): the
  # names it did print are still the ones installed.
  have=$'\n'$({ dpkg-query -W -f='${db:Status-Abbrev}${Package}\n' "${TAMAREL_PACKAGES[@]%%:*}" 2>/dev/null || true; } |
    sed -n 's/^ii *//p')$'\n'
  missing=()
  for p in "${TAMAREL_PACKAGES[@]}"; do
    [[ $have == *$'\n'${p%%:*}$'\n'* ]] || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    need_root
    echo "Installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# wine32_ready: the 32-bit build's programs run here: the 32-bit Wine is
# installed and starts (some kernels are built or hosted without 32-bit
# programs); otherwise WINE32_WHY says why not.
wine32_ready() {
  [ -x /usr/lib/wine/wine ] || { WINE32_WHY="no 32-bit Wine (wine32:i386)"; return 1; }
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  if [ $? = 126 ]; then WINE32_WHY="the kernel does not run 32-bit programs"; else
    WINE32_WHY="the 32-bit Wine does not start"; fi
  return 1
}

# Starts an Xvfb of our own on a free display; sets XVFB_PID and DISPLAY.
# Two runs may pick the same free number at once: the one whose server
# ended (the other holds the lock) moves on to the next number.
start_xvfb() {
  local size=${1:-1920x1080x24}
  local n=${XVFB_FIRST:-90} tries
  for tries in $(seq 20); do
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    # -noreset: the server resets when its last client leaves, and a
    # program connecting at that moment fails; scripts' programs come and go.
    # XVFB_EXTRA: further options.
    # shellcheck disable=SC2086
    Xvfb ":$n" -screen 0 "$size" -ac -nolisten tcp -dpi 96 -noreset ${XVFB_EXTRA:-} >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
      [ -e /tmp/.X11-unix/X$n ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    sleep 0.2
    if kill -0 "$XVFB_PID" 2>/dev/null && [ -e /tmp/.X11-unix/X$n ]; then
      export DISPLAY=":$n"
      return 0
    fi
    wait "$XVFB_PID" 2>/dev/null
    n=$((n + 1))
  done
  echo "start_xvfb: no display could be started" >&2
  return 1
}

# start_two_heads: two monitors side by side, 1024 x 768 and 800 x 600: a
# nested Xephyr with two Xinerama heads and no RandR (so that Wine and our X
# code see two monitors) inside an Xvfb of our own. Sets DISPLAY to the
# nested server; its process joins the e2e script's pids.
start_two_heads() {
  start_xvfb 1900x800x24 || return 1
  local n=$((${DISPLAY#:} + 1))
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xephyr ":$n" -screen 1024x768+0+0 -screen 800x600+1024+0 +xinerama -extension RANDR -ac -noreset \
    -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=:$n
  for _ in $(seq 100); do xdpyinfo -ext XINERAMA >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
  unset DISPLAY
}

# wine_env [win32|win64]: the Wine of a Windows build (WINE_TARGET, win64
# when not given) in WINE and WINESERVER (the 64-bit server serves both, as
# Debian's own wrapper chooses), and unless WINEPREFIX is set a prefix of
# that build's own under build/wine/ (a prefix that the 64-bit Wine made
# does not run 32-bit programs).
wine_env() {
  export WINE_TARGET=${1:-${WINE_TARGET:-win64}}
  export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wine/$WINE_TARGET}
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
  if [ "$WINE_TARGET" = win32 ]; then WINE=/usr/lib/wine/wine; else
    WINE=/usr/lib/wine/wine64
    [ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
  fi
  WINESERVER=/usr/lib/wine/wineserver64
  [ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
  export WINE WINESERVER
}

# A fresh prefix (about 8 seconds).
wine_fresh_prefix() {
  wine_env
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  # Without a window manager on Xvfb, Wine waits 2 s for every window it
  # destroys unless it manages the windows itself.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  "$WINESERVER" -w 2>/dev/null || true
}

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tamarel-xdg.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR" 2>/dev/null || true

# wait_exit PID SECONDS: true when the child process ended in time; sets RC
# to its exit status.
wait_exit() {
  local pid=$1 secs=$2
  for _ in $(seq $((secs * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null
      RC=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# The start of an end-to-end script:  e2e_begin NAME TARGET DIST [own-prefix]
# Copies DIST to a folder of its own ($tmp/dist; the scripts change files in
# it), sets target, prog and mailer (the two programs there), bad and fail;
# for win32 and win64 that build's Wine and a prefix: the run's shared one
# (TAMAREL_WINE_PREFIX, set by scripts/test) unless "own-prefix" asks for
# one of the script's own (made when missing). pids collects what the script
# starts. Everything is ended and removed at exit; a script may define
# e2e_cleanup_extra for what else it started.
e2e_begin() {
  E2E_NAME=$1 target=$2
  local d
  d=$(cd "${3:?dist folder}" && pwd) || exit 2
  bad=0
  pids=()
  tmp=$(mktemp -d "/tmp/tamarel-$E2E_NAME.XXXXXX")
  cp -r "$d" "$tmp/dist"
  case $target in
    linux) prog=$tmp/dist/Tamarel mailer=$tmp/dist/Pellmar ;;
    win32 | win64)
      prog=$tmp/dist/Tamarel.scr mailer=$tmp/dist/Pellmar.exe
      WINEPREFIX=${TAMAREL_WINE_PREFIX:-}
      [ -z "$WINEPREFIX" ] || [ "${4:-}" = own-prefix ] && WINEPREFIX=$ROOT/build/wine/$target-e2e-$E2E_NAME
      export WINEPREFIX
      wine_env "$target"
      [ -d "$WINEPREFIX" ] || wine_fresh_prefix
      ;;
    *) echo "unknown target $target" >&2; exit 2 ;;
  esac
  trap e2e_cleanup EXIT
  [ -e "$prog" ] || { echo "$E2E_NAME-$target: $prog missing"; exit 1; }
}
fail() { echo "$E2E_NAME-$target: $*"; bad=1; }
on_wine() { [ "$target" != linux ]; }
e2e_cleanup() {
  if declare -F e2e_cleanup_extra >/dev/null; then e2e_cleanup_extra; fi
  for p in ${pids[@]+"${pids[@]}"}; do kill "$p" 2>/dev/null; done
  on_wine && "$WINESERVER" -k 2>/dev/null
  stop_xvfb
  if [ -n "${E2E_KEEP:-}" ]; then echo "$E2E_NAME-$target: kept $tmp"; else rm -rf "$tmp"; fi
}
# The verdict; with E2E_VERBOSE=1 a failing script shows what its programs
# printed.
e2e_end() {
  [ "$bad" = 0 ] || [ -z "${E2E_VERBOSE:-}" ] || { [ -s "$tmp/log" ] && sed 's/^/  | /' "$tmp/log" | tail -n 20; }
  [ "$bad" = 0 ] && echo "$E2E_NAME-$target: passed"
  exit "$bad"
}

# e2e_run PROGRAM ARGS...: PROGRAM (under Wine for Windows) in the background,
# its output in $tmp/log, behind the command in the array E2E_PRE if any
# (e.g. unshare -n); sets PID.
e2e_run() {
  local w=()
  on_wine && w=("$WINE")
  ${E2E_PRE[@]+"${E2E_PRE[@]}"} ${w[@]+"${w[@]}"} "$@" >>"$tmp/log" 2>&1 &
  PID=$!
  pids+=("$PID")
}
# e2e_xwindow: the window helper (tests/e2e/xwindow.c) built for the target
# (under Wine by that build's compiler) in XWINDOW, and in XPATH the prefix
# that makes a file name the helper's own.
e2e_xwindow() {
  local src=$ROOT/tests/e2e/xwindow.c
  XWINDOW=$tmp/xwindow XPATH=
  case $target in
    linux) cc -O1 -o "$XWINDOW" "$src" -lX11 ;;
    win32) XWINDOW+=.exe XPATH=Z: && i686-w64-mingw32-gcc -O1 -o "$XWINDOW" "$src" -lgdi32 ;;
    *) XWINDOW+=.exe XPATH=Z: && x86_64-w64-mingw32-gcc -O1 -o "$XWINDOW" "$src" -lgdi32 ;;
  esac
}
# e2e_wait SECONDS COMMAND...: polls until COMMAND prints something; sets W
# to its first line.
e2e_wait() {
  local secs=$1
  shift
  for _ in $(seq $((secs * 5))); do
    W=$("$@" | head -1)
    [ -n "$W" ] && return 0
    sleep 0.2
  done
  return 1
}
titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
# fullscreen_windows WxH: the mapped top-level windows titled "Tamarel" (the
# stage) of that size. (Wine's desktop has a nameless one of its own.)
fullscreen_windows() {
  local w
  xwininfo -root -children 2>/dev/null | awk -v s=" $1+" '/^ +0x/ && $2 == "\"Tamarel\":" && index($0, s) {print $1}' |
    while read -r w; do
      xwininfo -id "$w" 2>/dev/null | grep -q "Map State: IsViewable" && echo "$w"
    done
}
# e2e_browser HANDLER: HANDLER (a script given the address) is the default
# browser of xdg-open, which Wine's own hand-off calls too.
e2e_browser() {
  mkdir -p "$tmp/config" "$tmp/data/applications"
  printf '[Default Applications]\nx-scheme-handler/http=probe.desktop\nx-scheme-handler/https=probe.desktop\n' \
    >"$tmp/config/mimeapps.list"
  printf '[Desktop Entry]\nType=Application\nName=probe\nExec=%s %%u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n' \
    "$1" >"$tmp/data/applications/probe.desktop"
  export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_DATA_DIRS=$tmp/data
  unset BROWSER XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
}
# e2e_dpi 192|96: the programs started after it run at that scale (200 % or
# 100 %): the desktop's Xft.dpi in the display's resource database, and
# under Wine a prefix whose LogPixels is 192 (made when missing; a prefix
# keeps its scale) or the script's own prefix again.
e2e_dpi() {
  if [ "$1" = 96 ]; then
    xrdb -remove
    [ -n "${E2E_PREFIX_96:-}" ] && export WINEPREFIX=$E2E_PREFIX_96
    return 0
  fi
  printf 'Xft.dpi: %s\n' "$1" | xrdb -nocpp -merge
  on_wine || return 0
  E2E_PREFIX_96=$WINEPREFIX
  wine_dpi_prefix "$1"
}
# wine_dpi_prefix DPI: WINEPREFIX set to the prefix of that scale (LogPixels)
# for the build of WINE_TARGET, made when missing.
wine_dpi_prefix() {
  export WINEPREFIX=$ROOT/build/wine/$WINE_TARGET-dpi$1
  [ -d "$WINEPREFIX" ] && return 0
  wine_fresh_prefix
  local k
  for k in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    "$WINE" reg add "$k" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  done
  "$WINESERVER" -w
}
# ini_key SECTION KEY: the value in the settings file ("-" when missing).
ini_key() {
  tr -d '\r' <"$tmp/dist/ovinflowers.ini" |
    awk -v s="[$1]" -v k="$2" '/^\[/ {in_s = ($0 == s)} in_s && $0 ~ "^" k " *=" {sub(/^[^=]*= */, ""); sub(/ *$/, ""); print; f = 1; exit} END {if (!f) print "-"}'
}
