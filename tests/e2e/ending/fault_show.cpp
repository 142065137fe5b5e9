// The screen saver with a failure forced into what the stage's input
// handlers ask of the host, for the end-to-end tests of the ways out of a
// show. Never shipped: the installed programs have no such switch.
// TAMAREL_FAULT names the handler and the failure:
//   keydown, mousedown                   the end of the show fails with a
//                                        run-time error, as the program's
//   mousemove                            own failures are raised (a counted
//                                        move, for mousemove)
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

namespace {

// Not a std::exception, so it passes the traps of the set-up and the frame
// loop.
struct Untrapped {};

class FaultyHost : public Module1::ShowHost {
 public:
  FaultyHost(std::string event, bool untrapped, std::FILE* frames)
      : event_(std::move(event)), untrapped_(untrapped), frames_(frames) {}
  void WaitForTick(std::int32_t target) override {
    if (frames_) {
      std::fprintf(frames_, "%lld\n", static_cast<long long>(plat::ClockMillis()));
      std::fflush(frames_);
    }
    ShowHost::WaitForTick(target);
  }
  void CountMouseMove(stage::Garden& show) override {
    Fail("mousemove");
    ShowHost::CountMouseMove(show);
  }
  void EndShow(stage::Garden& show) override {
    Fail("keydown");
    Fail("mousedown");
    ShowHost::EndShow(show);
  }

 private:
  void Fail(const char* event) {
    if (event_ != event) return;
    event_.clear();  // once: the warning's own end of the show goes through
    if (untrapped_) throw Untrapped{};
    plat::Raise(plat::ErrorKind::Other);
  }
  std::string event_;
  bool untrapped_;
  std::FILE* frames_;
};

}  // namespace

int main(int argc, char** argv) {
  plat::InitProcess(argc, argv, "Tamarel");
  const char* fault = std::getenv("TAMAREL_FAULT");
  const std::string text = fault ? fault : "";
  const std::size_t colon = text.find(':');
  const std::string event = text.substr(0, colon);
  const bool untrapped = colon != std::string::npos && text.substr(colon + 1) == "untrapped";
  const char* log = std::getenv("TAMAREL_FRAME_LOG");
  static FaultyHost host(event, untrapped, log ? std::fopen(log, "w") : nullptr);
  Module1::Main(host);
  forms::RunUntilEnd();
}
