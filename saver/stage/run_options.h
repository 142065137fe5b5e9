// Options of a show beyond the mode switch, for runs that tests and users
// can repeat, and for showing inside a screen-saver host's window:
//   -frames N         end the show normally after N frames
//   -snapshot FILE    at that end, write what the stage shows to a PNG file
//   -virtual-clock    the clock moves only with the frame loop's waits
//   -root             draw into the window the host names (plat::HostWindowNamed)
//   -window-id ID     draw into window ID (hex 0x... or decimal)
//   -yellow N, -red N, -rose N, -white N
//                     that many flowers of the kind for this run (0 to 10, as
//                     the settings dialog offers), in place of the settings
//                     file's count; nothing is written
// Each also with two dashes. A malformed value leaves its option unset (a
// count then comes from the settings file).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace stage {

struct RunOptions {
  std::int64_t frames = -1;  // -1: no end of its own
  std::string snapshot;      // "": none
  bool virtualClock = false;
  std::uint64_t hostWindow = 0;  // 0: a window of its own
  // A host (xscreensaver) runs this copy: -root or -window-id was given, or
  // the host named a window. The host decides how many copies run.
  bool hosted = false;
  // Flower counts given on the command line, in the order yellow, red, rose,
  // white; -1: the settings file's.
  std::int16_t counts[4] = {-1, -1, -1, -1};
};

// `xscreensaverWindow`: the window the host names (nullptr: none).
RunOptions ParseRunOptions(const std::vector<std::string>& args, const char* xscreensaverWindow);

// A window id as hosts pass them: "0x400008" or decimal; 0 when malformed.
std::uint64_t ParseWindowId(const std::string& text);

}  // namespace stage
