// Tamarel.scr: Windows starts it with a mode switch on the command line.
#include <cstdio>
#include <cstring>

#include "platform/forms.h"
#include "platform/process.h"
#include "saver/host/module1.h"

#ifndef _WIN32
namespace {

// A Linux program's own options: they print and end before anything opens
// a window. On Windows the command line holds only the modes.
const char kUsage[] =
    "Usage: tamarel [/s | /c | /p WINDOW] [OPTION...]\n"
    "A flower garden screen saver.\n"
    "\n"
    "  /s                  a show in a full-screen window (also without a mode)\n"
    "  /c                  the settings dialog: how many flowers of each kind\n"
    "  /p WINDOW           the preview picture painted into the X window WINDOW\n"
    "  --root              a show in the window xscreensaver names (XSCREENSAVER_WINDOW)\n"
    "  --window-id WINDOW  a show in the X window WINDOW (0x... or decimal)\n"
    "  --yellow N          N yellow orchids (0 to 10) for this run; nothing is saved\n"
    "  --red N             N red petunias (0 to 10) for this run\n"
    "  --rose N            N roses (0 to 10) for this run\n"
    "  --white N           N white daisies (0 to 10) for this run\n"
    "  -virtual-clock      a clock that moves only with the frames: the same show every run\n"
    "  -frames N           end the show after N frames\n"
    "  -snapshot FILE      at the end of the frames, write the picture to FILE (PNG)\n"
    "  --help              this text\n"
    "  --version           the version\n"
    "Every option also takes one dash or two.\n";

bool Asked(int argc, char** argv, const char* option) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (a[0] == '-' && a[1] == '-') ++a;
    if (std::strcmp(a, option) == 0) return true;
  }
  return false;
}

}  // namespace
#endif

int main(int argc, char** argv) {
#ifndef _WIN32
  if (Asked(argc, argv, "-help") || Asked(argc, argv, "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (Asked(argc, argv, "-version")) {
    std::printf("tamarel %s\n", TAMAREL_VERSION);
    return 0;
  }
#endif
  plat::InitProcess(argc, argv, "Tamarel");
  Module1::Main();
  forms::RunUntilEnd();
}
