// Where the portable GDI counts what benchmarks and tests read
// (platform/testing.h): pixels copied to our windows go to a
// counter only when one is set, so the programs count nothing.
#pragma once

#include <cstdint>

namespace portable::gdi {

// Null unless a benchmark or test counts.
extern std::uint64_t* windowPixelCounter;
inline void CountWindowPixels(std::uint64_t n) {
  if (windowPixelCounter) *windowPixelCounter += n;
}

}  // namespace portable::gdi
