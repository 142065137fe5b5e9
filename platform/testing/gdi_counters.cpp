// The portable GDI's counters (platform/gdi_counters.h): linking them in
// sets the GDI's counter before the program starts.
#include "platform/gdi_counters.h"

#include "gdi/counters.h"
#include "gdi/leave_out.h"

namespace portable::gdi {

namespace {
std::uint64_t g_windowPixels = 0;
const bool g_counting = (windowPixelCounter = &g_windowPixels, true);
}  // namespace

std::uint64_t WindowPixelsCopied() { return g_counting ? g_windowPixels : 0; }
std::uint64_t TransfersLeftOut() { return TheLeaveOut().LeftOut(); }
void SetLeaveOutForTest(bool enabled) { TheLeaveOut().SetEnabled(enabled); }

}  // namespace portable::gdi
