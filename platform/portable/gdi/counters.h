// What the portable GDI counts: for benchmarks and tests only, so not among
// the platform's calls.
#pragma once

#include <cstdint>

namespace portable::gdi {

// Pixels copied to our windows through BitBlt since the start (the
// benchmarks count what the program copies there).
std::uint64_t WindowPixelsCopied();
// Fed by the GDI itself (objects.cpp).
void CountWindowPixels(std::uint64_t n);

}  // namespace portable::gdi
