// Ending the program: the exit steps that put the desktop back, run on every
// way out that can be caught, and the test intercept.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "process_internal.h"
#include "seams.h"

namespace plat {

namespace {

struct Step {
  int id;
  std::function<void()> fn;
};
std::vector<Step>& Steps() {
  static std::vector<Step> s;
  return s;
}
int g_nextId = 1;
std::atomic<bool> g_ranOnWayOut{false};

void RunSteps() {
  // Newest first; a step may remove itself or others, so work on a copy.
  const std::vector<Step> copy = Steps();
  for (auto it = copy.rbegin(); it != copy.rend(); ++it) {
    try {
      it->fn();
    } catch (...) {
      // One failing step must not keep the others from putting things back.
    }
  }
}

}  // namespace

namespace internal {
void RunExitStepsOnce() {
  if (g_ranOnWayOut.exchange(true)) return;
  RunSteps();
}
}  // namespace internal

int AddExitStep(std::function<void()> step) {
  const int id = g_nextId++;
  Steps().push_back(Step{id, std::move(step)});
  return id;
}

void RemoveExitStep(int id) {
  auto& s = Steps();
  s.erase(std::remove_if(s.begin(), s.end(), [id](const Step& x) { return x.id == id; }), s.end());
}

namespace seams {
bool endIntercepted = false;
}  // namespace seams

void EndProgram(int code) {
  if (seams::endIntercepted) {
    RunSteps();
    throw ProgramEnded{code};
  }
  internal::RunExitStepsOnce();
  std::fflush(nullptr);
  native::ExitNow(code);
}

}  // namespace plat
