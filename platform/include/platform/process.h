// Process facilities: the command line, the program folder, the previous
// instance, starting another program, ending this one, and the clock that
// GetTickCount, the time of day and the forms' timers read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

// Called once from main() before anything else, with the program's name:
// the platform names what it makes for the program by it (the window class,
// the claim of a running instance).
void InitProcess(int argc, char** argv, const char* programName);
const std::string& ProgramName();

// Everything after the program's own path on its command line, as Windows
// gives it (on Linux: the arguments joined by single spaces).
const std::string& ArgumentText();
// The arguments one by one (without the program path).
const std::vector<std::string>& Arguments();

// Folder of the running program file, without a trailing separator except for
// a root ("C:\" or "/").
std::string ProgramFolder();
// The path separator of the platform: '\\' on Windows, '/' elsewhere.
char PathSeparator();
// Suffix of program files: ".exe" on Windows, "" elsewhere.
const char* ProgramSuffix();
// The user's own settings folder for a program, made when missing:
// %APPDATA%\NAME on Windows, $XDG_CONFIG_HOME/name (~/.config/name by
// default) elsewhere; "" when the user has none.
std::string UserSettingsFolder(const std::string& name);

// True when another process of this same program is already running.
// The first call claims the program's name for this process.
bool PreviousInstance();

// Starts a program as a new process with a normal, focused window, with no
// arguments, and does not wait for it. Returns a non-zero task id, or 0 when
// the program could not be started.
std::uint32_t StartProgram(const std::string& path);

// Opens a document, a program or a web address with the system's default
// handler (ShellExecuteA with the default verb, shown normally). Returns the
// system's result: above 32 means success.
std::int32_t ShellOpen(const std::string& address);

// ---- ending the program ----------------------------------------------------

// Runs every registered exit step (newest first), then ends the process at
// once with `code`: no further event code of any form runs.
[[noreturn]] void EndProgram(int code = 0);
// An exit step: runs on every way out of the process that can be caught
// (EndProgram, an unhandled exception, a fatal signal, the session ending).
// Returns an id for RemoveExitStep.
int AddExitStep(std::function<void()> step);
void RemoveExitStep(int id);
// What EndProgram throws instead of ending when tests intercept the end
// (platform/testing.h).
struct ProgramEnded {
  int code;
};

// ---- the clock ------------------------------------------------------------------

enum class ClockMode {
  Real,     // the system's clocks
  Virtual,  // advances only when a wait asks it to (deterministic runs)
  Manual,   // set by tests (platform/testing.h)
};
void SetClockMode(ClockMode mode);
ClockMode GetClockMode();

// The millisecond tick as GetTickCount reports it: on every platform with the
// granularity of the Windows counter (15.625 ms steps).
std::uint32_t TickCount();
// Seconds since midnight with their fraction, as a single-precision value.
float TimeOfDay();
// The clock's own milliseconds, at full resolution (the timers' time base).
std::int64_t ClockMillis();
// True once `now` has reached `target` on the wrapping 32-bit counter (also
// where it passes 2^31 or 2^32).
bool TickReached(std::uint32_t now, std::uint32_t target);
// How many real milliseconds remain until TickCount() reaches at least
// `target` (0 if it already has; wrap-safe). Virtual clock: 0.
std::int64_t MillisUntilTick(std::uint32_t target);
// The tick TickCount() shows when it first reaches `target`, which lies
// ahead (the counter moves in steps); TickCount() once it has reached it.
std::uint32_t TickReaching(std::uint32_t target);
// Virtual clock: move the clock forward so that TickCount() reaches `target`
// (nothing if it already has). Other modes: nothing.
void AdvanceVirtualClockToTick(std::uint32_t target);

}  // namespace plat
