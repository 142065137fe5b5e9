#!/usr/bin/env bash
# Start-up end to end, as Windows (or a user) starts the screen saver, on a
# display of our own: "/s" opens a full-screen window; a second "/s" while it
# runs ends at once without a window (the previous instance is a real
# process). The mode switches themselves are the unit tests' table; a key
# ending the show with status 0 is the ending script's.
#   tests/e2e/startup.sh linux|win32|win64 DIST_FOLDER
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
e2e_begin startup "${1:?linux, win32 or win64}" "${2:?dist folder}"
start_xvfb 1024x768x24 || { echo "startup-$target: no display of our own"; exit 1; }

e2e_run "$prog" /s
if e2e_wait 60 fullscreen_windows 1024x768; then
  e2e_run "$prog" /s
  if wait_exit "$PID" 30; then
    [ "$(fullscreen_windows 1024x768 | wc -l)" = 1 ] || fail "the second /s opened a window"
  else
    fail "a second /s kept running"
  fi
else
  fail "/s opened no full-screen window"
fi
e2e_end
