// What LoadImageA on Linux needs to know about a .bmp file beyond its
// pixels (answered by the decoder in bmp.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

// True for a 1-bit file whose two colours are black then white, which
// Windows loads as a monochrome bitmap rather than a display-format one.
// Looks at the headers only; DecodeBmp decides whether the file is valid.
bool BmpIsMonochrome(const std::uint8_t* data, std::size_t size);

}  // namespace plat
