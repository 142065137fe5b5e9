// What the shared process and clock code needs from each platform
// (platform/win32/process.cpp, clock.cpp; platform/portable/system/process.cpp,
// clock.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::native {

// Everything after the program's own path on the command line.
std::string ArgumentText(int argc, char** argv);
std::string ProgramFolder();
// Claims the program's name for this process; true when another process of
// the same program already holds it.
bool ClaimInstance();
// Ends the process now with `code`; runs nothing of ours.
[[noreturn]] void ExitNow(int code);
// Hooks every way out of the process that can be caught (fatal signals or
// unhandled exceptions, console and session end) to RunExitStepsOnce().
void InstallExitHandlers();
// Linux: the first SIGTERM, SIGHUP (a session's end) or SIGINT calls `notify`
// instead of ending the process, so the forms can close as the system's
// close command closes them; `notify` must be async-signal-safe. A second
// such signal, or none of it done within a few seconds, ends the process
// with the exit steps.
void SetSessionEndNotifier(void (*notify)());

// The Windows counter moves in steps of 15.625 ms: step n shows
// floor(n * 15.625) (on the wrapping 32-bit counter).
constexpr std::int64_t kTickStepMicros = 15'625;
std::uint32_t TickOfStep(std::int64_t step);
// The first step after `step` whose tick reaches `target` (which the tick of
// `step` has not).
std::int64_t StepReaching(std::int64_t step, std::uint32_t target);

// The system's clocks: the step the counter is in (its tick is what
// GetTickCount shows),
std::int64_t RealStep();
// real milliseconds until that tick reaches `target` (0 if it has;
// wrap-safe): a wait of that long ends with the counter there, not short of
// it, where the counter moves in steps.
std::int64_t RealMillisUntilTick(std::uint32_t target);
// Seconds since local midnight, with the fraction.
double RealTimeOfDay();
// A monotonic millisecond clock at full resolution.
std::int64_t RealMillis();

}  // namespace plat::native

namespace plat::internal {
// Runs the exit steps unless they already ran on the way out (a crash inside
// a step must not run them again).
void RunExitStepsOnce();
}  // namespace plat::internal
