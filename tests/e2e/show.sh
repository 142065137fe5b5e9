#!/usr/bin/env bash
# Whole shows end to end, on a display of our own (640 x 480, 3 flowers of
# each kind, so that a mowing pass stays short):
#   - deterministic runs (-virtual-clock -frames N -snapshot F) at frame 1,
#     the last frame before the first mowing pass and the frame that ends
#     the pass: frame 1 and the pass's end show
#     exactly the tiled lawn with the logo 5 pixels above the bottom-left
#     corner (the pass has removed every picture the flowers left), the
#     other shows flowers; no pure-green pixel ever shows;
#   - win32, win64: the same runs of the Linux build (the dist folder
#     "linux" next to DIST) give identical pictures;
#   - at 192 dpi (Xft.dpi; LogPixels in a prefix of its own): frame 1 and
#     the end of the first pass are the 2x lawn with the 2x logo over the
#     whole screen, on Linux and Wine alike;
#   - win32, win64: a full-screen show (/s) on the real clock: a screenshot
#     shows the lawn and the logo (Linux: the package's script);
#   - two monitors of different sizes (a nested X server, two Xinerama
#     heads): each gets a garden of its own size, its own logo in its corner
#     and its own flowers, the same on Linux and Windows; the show covers
#     another program's window on the second monitor, and a key ends it and
#     brings that window back (not with "pictures": the counted runs only).
#   tests/e2e/show.sh linux|win32|win64 DIST_FOLDER [pictures]
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin show "${1:?linux, win32 or win64}" "${2:?dist folder}"
W=640 H=480
install_copy() {  # install_copy FOLDER: 3 flowers of each kind, no invitation
  printf '[flowers]\nyellow=3\nred=3\nrose=3\nwhite=3\n[applic]\nappdisplay=0\nappcurrent=0\nappalert=10\n' \
    >"$1/ovinflowers.ini"
}
install_copy "$tmp/dist"
data=$tmp/dist/ovinsoftware/tamarel
start_xvfb ${W}x${H}x24

# ---- what the pictures say ----------------------------------------------------------

size_of() { identify -format '%w %h' "$1" 2>/dev/null; }
read -r logo_w logo_h < <(size_of "$data/logo.bmp")
read -r tractor_w _ < <(size_of "$data/tractor.bmp")
read -r blank_w blank_h < <(size_of "$data/blank.bmp")
tractor_w=$((tractor_w / 6))
logo_y=$((H - logo_h - 5))

# The frame that ends the first pass: the timer's minute is 3840 frames of
# the virtual clock's 15.625 ms; then floor(H / strip height) + 1 rows of k
# frames, k the smallest number with 2k > W + 10 + tractor and strip widths.
frames_before_pass=3840
rows=$((H / blank_h + 1))
k=$(((W + 10 + tractor_w + blank_w) / 2 + 1))
pass_end=$((frames_before_pass + rows * k))

# The tiled lawn with the logo 5 pixels above the bottom-left corner.
convert -size ${W}x${H} "tile:$data/lawn.bmp" \
  \( "$data/logo.bmp" -transparent '#00FF00' \) -geometry +0+$logo_y -composite \
  PNG24:"$tmp/lawn_logo.png"

# differing A B: the number of pixels in which two pictures differ ("error"
# when they cannot be compared).
differing() {
  local out rc
  out=$(compare -metric AE "$1" "$2" null: 2>&1)
  rc=$?
  if [ $rc -le 1 ] && [[ $out =~ ^[0-9]+$ ]]; then echo "$out"; else echo error; fi
}
pure_green() {
  convert "$1" -fill black +opaque '#00FF00' -fill white -opaque '#00FF00' \
    -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null
}
# The logo's opaque pixels are in the picture at its corner place.
logo_shown() {  # logo_shown PICTURE
  convert "$1" -crop ${logo_w}x${logo_h}+0+$logo_y +repage PNG24:"$tmp/corner.png"
  convert "$tmp/corner.png" \( "$data/logo.bmp" -transparent '#00FF00' \) -composite \
    PNG24:"$tmp/corner_logo.png"
  [ "$(differing "$tmp/corner.png" "$tmp/corner_logo.png")" = 0 ]
}
# Most of the picture is the plain lawn (flowers cover only some of it).
lawn_shown() {  # lawn_shown PICTURE
  local d
  d=$(differing "$tmp/lawn_logo.png" "$1")
  [[ $d =~ ^[0-9]+$ ]] && [ "$d" -lt $((W * H / 2)) ]
}

# ---- deterministic runs -----------------------------------------------------------

winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# snapshot PLATFORM FOLDER N OUT: a counted run on the virtual clock.
snapshot() {
  local platform=$1 folder=$2 n=$3 out=$4 rc
  if [ "$platform" != linux ]; then
    timeout 120 "$WINE" "$folder/Tamarel.scr" /s -virtual-clock -frames "$n" -snapshot "$(winpath "$out")" \
      >/dev/null 2>&1
  else
    timeout 120 "$folder/Tamarel" /s -virtual-clock -frames "$n" -snapshot "$out" >/dev/null 2>&1
  fi
  rc=$?
  [ $rc = 0 ] || fail "$platform: -frames $n ended with status $rc"
  [ -s "$out" ] || { fail "$platform: -frames $n wrote no snapshot"; return 1; }
  [ "$(size_of "$out")" = "$W $H" ] || { fail "$platform: snapshot $n is $(size_of "$out"), not $W x $H"; return 1; }
}

frames=(1 "$frames_before_pass" "$pass_end")
for n in "${frames[@]}"; do
  shot=$tmp/$target-$n.png
  snapshot "$target" "$tmp/dist" "$n" "$shot" || continue
  g=$(pure_green "$shot")
  [ "$g" = 0 ] || fail "frame $n: $g pure-green pixels on the screen"
  d=$(differing "$tmp/lawn_logo.png" "$shot")
  case $n in
    1) [ "$d" = 0 ] || fail "frame 1 is not the lawn with the logo 5 pixels above the corner ($d pixels differ)" ;;
    "$pass_end") [ "$d" = 0 ] || fail "the end of the pass (frame $n) leaves $d pixels that are not lawn or logo" ;;
    *) [ "$d" != 0 ] && [ "$d" != error ] || fail "frame $n shows no flowers ($d)" ;;
  esac
  logo_shown "$shot" || fail "frame $n: the logo is not 5 pixels above the bottom-left corner"
done

if on_wine; then
  # The oracle and our stand-ins: the Linux build must show the same frames.
  linux_dist=${TAMAREL_LINUX_DIST:-$(dirname "$(cd "$2" && pwd)")/linux}
  if [ -x "$linux_dist/Tamarel" ]; then
    cp -r "$linux_dist" "$tmp/linux"
    install_copy "$tmp/linux"
    for n in "${frames[@]}"; do
      [ -s "$tmp/$target-$n.png" ] || continue
      snapshot linux "$tmp/linux" "$n" "$tmp/linux-$n.png" || continue
      d=$(differing "$tmp/$target-$n.png" "$tmp/linux-$n.png")
      [ "$d" = 0 ] || fail "frame $n: Linux and Windows differ in $d pixels"
    done
  else
    fail "no Linux build at $linux_dist to compare with"
  fi
fi

# ---- at 200 % (192 dpi) -----------------------------------------------------------

# The pictures drawn at twice the size, over every pixel of the screen: frame
# 1 and the end of the first pass (half the rows: the strip is twice as high)
# show the 2x lawn with the 2x logo 5 pixels above the corner; Linux and
# Windows alike.
e2e_dpi 192
d2=$data/2x
read -r _ logo2_h < <(size_of "$d2/logo.bmp")
convert -size ${W}x${H} "tile:$d2/lawn.bmp" \( "$d2/logo.bmp" -transparent '#00FF00' \) \
  -geometry +0+$((H - logo2_h - 5)) -composite PNG24:"$tmp/lawn_logo_2x.png"
pass_end2=$((frames_before_pass + (H / (2 * blank_h) + 1) * ((W + 10 + 2 * (tractor_w + blank_w)) / 2 + 1)))
platforms=("$target")
on_wine && [ -x "$tmp/linux/Tamarel" ] && platforms+=(linux)
for n in 1 "$pass_end2"; do
  for p in "${platforms[@]}"; do
    folder=$tmp/dist
    [ "$p" = "$target" ] || folder=$tmp/linux
    snapshot "$p" "$folder" "$n" "$tmp/$p-192-$n.png" || continue
    d=$(differing "$tmp/lawn_logo_2x.png" "$tmp/$p-192-$n.png")
    [ "$d" = 0 ] || fail "$p at 192 dpi, frame $n: $d pixels are not the 2x lawn or the 2x logo in the corner"
  done
done
e2e_dpi 96

# ---- a full-screen show on the real clock -----------------------------------------

# screenshot_until OUT SECONDS: a screenshot once the logo and the lawn show.
screenshot_until() {
  local out=$1 secs=$2
  for _ in $(seq $((secs * 2))); do
    sleep 0.5
    import -window root PNG24:"$out" 2>/dev/null || continue
    logo_shown "$out" && lawn_shown "$out" && return 0
  done
  return 1
}

# (How a show ends is the ending script's; on Linux the package's script
# checks the full-screen garden under MATE and xscreensaver.)
if [ "${3:-}" != pictures ] && on_wine; then
  e2e_run "$prog" /s
  if e2e_wait 30 fullscreen_windows ${W}x${H}; then
    screenshot_until "$tmp/fullscreen.png" 20 || fail "the full-screen show does not show the lawn and the logo"
  else
    fail "/s opened no full-screen window"
  fi
  kill "$PID" 2>/dev/null
  wait_exit "$PID" 10
fi

# ---- two monitors -------------------------------------------------------------------

# Xephyr lays its screens side by side inside a host server; without RandR,
# Wine and our X code see its two Xinerama heads as two monitors.
pids+=("$XVFB_PID")
start_two_heads || fail "Xephyr did not start"
# Wine's desktop process belongs to the display it started on.
on_wine && "$WINESERVER" -k 2>/dev/null
W=1824 H=768
# Frame 1: each monitor's lawn tiled from its own corner with its logo 5
# pixels above its bottom-left corner; black where no monitor is.
convert -size ${W}x${H} xc:black \( -size 1024x768 "tile:$data/lawn.bmp" \) -composite \
  \( -size 800x600 "tile:$data/lawn.bmp" \) -geometry +1024+0 -composite \
  \( "$data/logo.bmp" -transparent '#00FF00' \) -geometry +0+$((768 - logo_h - 5)) -composite \
  \( "$data/logo.bmp" -transparent '#00FF00' \) -geometry +1024+$((600 - logo_h - 5)) -composite \
  PNG24:"$tmp/two_lawns.png"
for n in 1 600; do
  snapshot "$target" "$tmp/dist" "$n" "$tmp/$target-two-$n.png" || continue
  g=$(pure_green "$tmp/$target-two-$n.png")
  [ "$g" = 0 ] || fail "two monitors, frame $n: $g pure-green pixels"
  d=$(differing "$tmp/two_lawns.png" "$tmp/$target-two-$n.png")
  [ "$n" = 1 ] && [ "$d" != 0 ] && fail "two monitors, frame 1: $d pixels are not each monitor's lawn and logo"
  if on_wine && [ -x "$tmp/linux/Tamarel" ]; then
    snapshot linux "$tmp/linux" "$n" "$tmp/linux-two-$n.png" &&
      d=$(differing "$tmp/$target-two-$n.png" "$tmp/linux-two-$n.png") &&
      { [ "$d" = 0 ] || fail "two monitors, frame $n: Linux and Windows differ in $d pixels"; }
  fi
done
# The second monitor grows flowers of its own.
convert "$tmp/$target-two-600.png" -crop 800x600+1024+0 +repage PNG24:"$tmp/second.png"
convert "$tmp/two_lawns.png" -crop 800x600+1024+0 +repage PNG24:"$tmp/second_lawn.png"
[ "$(differing "$tmp/second_lawn.png" "$tmp/second.png")" != 0 ] || fail "no flowers on the second monitor"
[ "${3:-}" = pictures ] && e2e_end

# magenta_on_second: magenta pixels where the other program's window lies.
magenta_on_second() {
  import -window root -crop 280x180+1110+110 +repage PNG24:"$tmp/other.png" 2>/dev/null &&
    convert "$tmp/other.png" -fill black +opaque magenta -fill white -opaque magenta \
      -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null
}
magenta_is() { [ "$(magenta_on_second)" = "$1" ] && echo yes; }
convert -size 300x200 xc:magenta "$tmp/magenta.png"
display -geometry +1100+100 -title other "$tmp/magenta.png" &
pids+=($!)
e2e_wait 10 magenta_is 50400 || fail "the other program's window did not show ($(magenta_on_second))"
e2e_run "$prog" /s
# Each window is waited for: Wine may map the show's own one a moment after
# the other monitor's.
if e2e_wait 30 fullscreen_windows 800x600 && e2e_wait 30 fullscreen_windows 1024x768; then
  e2e_wait 20 magenta_is 0 || fail "the show leaves the other program's window on the second monitor uncovered"
  # The key on the second monitor's stage (Wine gives the focus itself).
  [ "$target" = linux ] && xdotool windowfocus --sync "$(fullscreen_windows 800x600)" 2>/dev/null
  xdotool key space
  wait_exit "$PID" 10 || fail "a key on two monitors did not end the show"
  [ -z "$(fullscreen_windows 800x600)$(fullscreen_windows 1024x768)" ] || fail "a stage stayed after the end"
  e2e_wait 10 magenta_is 50400 || fail "the other program's window did not come back ($(magenta_on_second))"
else
  fail "/s did not cover both monitors: $(xwininfo -root -children | grep -c Tamarel) stage windows"
fi
e2e_end
