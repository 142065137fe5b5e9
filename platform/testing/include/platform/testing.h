// What tests set in the platform and programs never do: the command line,
// the program folder, the end of the program, the manual clock, message
// boxes, the one edge that cannot run here (the password module of the
// 95/98/ME family); and what the portable GDI counts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/forms.h"
#include "platform/process.h"
#include "platform/winapi.h"

namespace plat {

// Replaces the argument text (and the arguments, split at spaces).
void SetArgumentsForTest(const std::string& argumentText);
// ProgramFolder() reports this folder instead ("" = the real one).
void SetProgramFolderForTest(const std::string& folder);
// The folder that stands for %APPDATA% ("" = the real one).
void SetUserSettingsBaseForTest(const std::string& folder);
// Instead of ending the process, EndProgram runs the exit steps and throws
// ProgramEnded.
void SetEndInterceptForTest(bool intercept);
// The manual clock (ClockMode::Manual): sets its milliseconds and the time
// of day. TickCount() is then exactly the milliseconds (mod 2^32).
void SetManualClock(std::int64_t millis, float timeOfDay);

}  // namespace plat

namespace forms {

// Unit tests see message boxes here instead of on the screen.
using MsgBoxHook =
    std::function<int(const std::string& text, int style, const std::string& caption)>;
void SetMsgBoxHookForTest(MsgBoxHook hook);
// The screen's twips per pixel, both ways, as at another dpi (0 = its own).
void SetTwipsPerPixelForTest(float twips);

}  // namespace forms

// What the portable GDI counts (Linux), for benchmarks and tests.
namespace portable::gdi {

// Pixels copied to our windows through BitBlt since the start (the
// benchmarks count what the program copies there).
std::uint64_t WindowPixelsCopied();

}  // namespace portable::gdi

namespace win {

// Stands in for the password module's entry point; nothing goes back to the
// real module.
using VerifyScreenSavePwdFn = BOOL (*)(HWND);
void SetVerifyScreenSavePwdForTest(VerifyScreenSavePwdFn fn);

}  // namespace win
