// Reading the committed pictures for the tests: strict readers of our own
// for 24-bit .bmp files, and the list of every picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pictest {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgb&) const = default;
};

struct Bitmap {
  int w = 0, h = 0;
  std::vector<Rgb> px;  // rows top to bottom
  const Rgb& At(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
// A 24-bit, uncompressed, bottom-up .bmp with a 40-byte header; false (and an
// explanation in why) for anything else.
bool ParseBmp24(const std::vector<std::uint8_t>& bytes, Bitmap& out, std::string& why);

constexpr Rgb kKey{0, 255, 0, 255};
// A colour a viewer could take for the transparent green.
inline bool NearKey(const Rgb& p) { return p.r < 64 && p.g > 191 && p.b < 64; }

// Every file the generator makes, relative to the source tree.
const std::vector<std::string>& AllPictureFiles();

}  // namespace pictest
