// Every operator new of a benchmark program is counted, so a benchmark can
// show that its loop allocates nothing.
#pragma once

#include <cstdint>

namespace bench {
std::int64_t Allocations();
}  // namespace bench
