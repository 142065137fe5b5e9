// What the portable GDI counts, and the switch tests turn leaving out off
// with: for benchmarks and tests only, so not among the platform's calls.
#pragma once

#include <cstdint>

namespace portable::gdi {

// Pixels copied to our windows through BitBlt since the start, left-out
// transfers included (the benchmarks count what the program copies there).
std::uint64_t WindowPixelsCopied();
// Fed by the GDI itself (objects.cpp, leave_out.cpp).
void CountWindowPixels(std::uint64_t n);
// Transfers left out so far because they would have changed nothing.
std::uint64_t TransfersLeftOut();
// Leaving out on or off (on at start); what is owed is done first.
void SetLeaveOutForTest(bool enabled);

}  // namespace portable::gdi
