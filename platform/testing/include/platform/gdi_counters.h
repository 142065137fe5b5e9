// What the portable GDI counts, and the switch that turns leaving out off,
// for benchmarks and tests on Linux.
#pragma once

#include <cstdint>

namespace portable::gdi {

// Pixels copied to our windows through BitBlt since the start, left-out
// transfers included (the benchmarks count what the program copies there).
std::uint64_t WindowPixelsCopied();
// Transfers left out so far because they would have changed nothing.
std::uint64_t TransfersLeftOut();
// Leaving out on or off (on at start); what is owed is done first.
void SetLeaveOutForTest(bool enabled);

}  // namespace portable::gdi
