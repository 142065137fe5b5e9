#include "pictures/picture_files.h"

#include <fstream>
#include <iterator>

namespace pictest {

namespace {

std::uint32_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

}  // namespace

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}

bool ParseBmp24(const std::vector<std::uint8_t>& b, Bitmap& out, std::string& why) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return why = "not a .bmp", false;
  if (U32(b, 2) != b.size()) return why = "file size field differs from the size", false;
  const std::uint32_t offset = U32(b, 10);
  if (U32(b, 14) != 40) return why = "header is not 40 bytes", false;
  const auto w = static_cast<std::int32_t>(U32(b, 18)), h = static_cast<std::int32_t>(U32(b, 22));
  if (w <= 0 || h <= 0) return why = "not bottom-up or empty", false;
  if (U16(b, 26) != 1 || U16(b, 28) != 24) return why = "not 24 bits per pixel", false;
  if (U32(b, 30) != 0) return why = "compressed", false;
  const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
  if (offset != 54 || b.size() != 54 + stride * h) return why = "pixel data size", false;
  out.w = w;
  out.h = h;
  out.px.assign(static_cast<std::size_t>(w) * h, Rgb{});
  for (int y = 0; y < h; ++y) {
    const std::size_t row = offset + stride * static_cast<std::size_t>(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const std::size_t p = row + 3 * static_cast<std::size_t>(x);
      out.px[static_cast<std::size_t>(y) * w + x] = Rgb{b[p + 2], b[p + 1], b[p], 255};
    }
  }
  return true;
}

const std::vector<std::string>& AllPictureFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> all;
    for (const char* sub : {"", "2x/"}) {
      for (const char* f : {"lawn.bmp", "yellowFlower.bmp", "redFlower.bmp", "roses.bmp",
                            "whiteFlower.bmp", "tractor.bmp", "blank.bmp", "logo.bmp"})
        all.push_back(std::string("data/") + sub + f);
      for (const char* f : {"banner.bmp", "icon_yellow.bmp", "icon_red.bmp", "icon_rose.bmp",
                            "icon_white.bmp", "website_button.bmp", "form_icon.bmp"})
        all.push_back(std::string("saver/resources/") + sub + f);
      all.push_back(std::string("mailer/resources/") + sub + "form_icon.bmp");
    }
    for (const char* f : {"saver/resources/preview.bmp", "saver/resources/tamarel.ico",
                          "mailer/resources/pellmar.ico"})
      all.push_back(f);
    return all;
  }();
  return files;
}

}  // namespace pictest
