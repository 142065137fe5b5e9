// The screen saver with a failure forced into one of the stage's input
// handlers, for the end-to-end tests of the ways out of a show. Never
// shipped: the installed programs have no such switch. TAMAREL_FAULT names
// the handler and the failure:
//   keydown, mousedown, mousemove        a run-time error, as the program's
//                                        own failures are raised
//   keydown:untrapped (and so on)        an exception no trap of the
//                                        program catches
// TAMAREL_FRAME_LOG names a file that gets the clock's milliseconds at the
// end of every frame, one a line. Everything else is the real program.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/errors.h"
#include "platform/forms.h"
#include "platform/process.h"
#include "saver/host/module1.h"
#include "saver/stage/form1.h"

namespace {

// Not a std::exception, so it passes the traps of the set-up and the frame
// loop.
struct Untrapped {};

}  // namespace

int main(int argc, char** argv) {
  plat::InitProcess(argc, argv, "Tamarel");
  const char* fault = std::getenv("TAMAREL_FAULT");
  const std::string text = fault ? fault : "";
  const std::size_t colon = text.find(':');
  const std::string event = text.substr(0, colon);
  const bool untrapped = colon != std::string::npos && text.substr(colon + 1) == "untrapped";
  TheForm1().SetInputHookForTest([event, untrapped](const char* e) {
    if (event != e) return;
    if (untrapped) throw Untrapped{};
    plat::Raise(plat::ErrorKind::Other);
  });
  if (const char* log = std::getenv("TAMAREL_FRAME_LOG")) {
    static std::FILE* out = std::fopen(log, "w");
    if (out)
      TheForm1().SetFrameHookForTest([](Form1&, std::int64_t) {
        std::fprintf(out, "%lld\n", static_cast<long long>(plat::ClockMillis()));
        std::fflush(out);
      });
  }
  Module1::Main();
  forms::RunUntilEnd();
}
