// The test hooks, on the seams the shipped code reads, and the portable
// GDI's counters: linking them in sets the GDI's counter before the program
// starts.
#include <utility>

#include "platform/testing.h"
#include "seams.h"
#ifndef _WIN32
#include "gdi/counters.h"
#endif

namespace plat {

void SetArgumentsForTest(const std::string& argumentText) { seams::SetArgumentText(argumentText); }
void SetProgramFolderForTest(const std::string& folder) { seams::programFolder = folder; }
void SetUserSettingsBaseForTest(const std::string& folder) { seams::userSettingsBase = folder; }
void SetEndInterceptForTest(bool intercept) { seams::endIntercepted = intercept; }
void SetManualClock(std::int64_t millis, float timeOfDay) {
  seams::manualMillis = millis;
  seams::manualTimeOfDay = timeOfDay;
}

}  // namespace plat

namespace forms {

void SetMsgBoxHookForTest(MsgBoxHook hook) { seams::msgBox = std::move(hook); }
void SetTwipsPerPixelForTest(float twips) { seams::twipsPerPixel = twips; }

}  // namespace forms

namespace win {

void SetVerifyScreenSavePwdForTest(VerifyScreenSavePwdFn fn) { seams::verifyScreenSavePwd = fn; }

}  // namespace win

#ifndef _WIN32
namespace portable::gdi {

namespace {
std::uint64_t g_windowPixels = 0;
const bool g_counting = (windowPixelCounter = &g_windowPixels, true);
}  // namespace

std::uint64_t WindowPixelsCopied() { return g_counting ? g_windowPixels : 0; }

}  // namespace portable::gdi
#endif
