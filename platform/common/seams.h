// The few places where tests replace what the system gives. Only the testing
// library (platform/testing/hooks.cpp) sets them; shipped code reads them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/winapi.h"

namespace plat::seams {

// ProgramFolder() reports this folder instead ("" = the real one).
extern std::string programFolder;
// UserSettingsFolder() is made below this folder ("" = the user's own).
extern std::string userSettingsBase;
// EndProgram runs the exit steps and throws ProgramEnded instead of ending.
extern bool endIntercepted;
// Replaces the argument text (and the arguments, split at spaces).
void SetArgumentText(const std::string& argumentText);
// What the manual clock reads: its milliseconds and the time of day.
extern std::int64_t manualMillis;
extern float manualTimeOfDay;

}  // namespace plat::seams

namespace forms::seams {

// Message boxes go here instead of to the screen.
extern std::function<int(const std::string& text, int style, const std::string& caption)> msgBox;
// The screen's twips per pixel, both ways (0 = the screen's own).
extern float twipsPerPixel;

}  // namespace forms::seams

namespace win::seams {

// Stands in for the password module's entry point.
extern BOOL (*verifyScreenSavePwd)(HWND owner);

}  // namespace win::seams
