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

bool ParseIco32(const std::vector<std::uint8_t>& b, std::vector<Bitmap>& out, std::string& why) {
  if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1) return why = "not an icon file", false;
  const std::uint32_t count = U16(b, 4);
  if (count == 0 || b.size() < 6 + 16 * count) return why = "no images", false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t e = 6 + 16 * i;
    const int w = b[e] ? b[e] : 256, h = b[e + 1] ? b[e + 1] : 256;
    const std::uint32_t size = U32(b, e + 8), at = U32(b, e + 12);
    if (U16(b, e + 6) != 32) return why = "entry is not 32 bits", false;
    if (static_cast<std::size_t>(at) + size > b.size() || size < 40)
      return why = "entry out of file", false;
    if (U32(b, at) != 40 || static_cast<int>(U32(b, at + 4)) != w ||
        static_cast<int>(U32(b, at + 8)) != 2 * h || U16(b, at + 14) != 32)
      return why = "image header disagrees with its entry", false;
    const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    if (size != 40 + static_cast<std::size_t>(w) * h * 4 + maskStride * h)
      return why = "image size", false;
    Bitmap bm;
    bm.w = w;
    bm.h = h;
    bm.px.assign(static_cast<std::size_t>(w) * h, Rgb{});
    const std::size_t colour = at + 40, mask = colour + static_cast<std::size_t>(w) * h * 4;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::size_t p = colour + (static_cast<std::size_t>(h - 1 - y) * w + x) * 4;
        const Rgb px{b[p + 2], b[p + 1], b[p], b[p + 3]};
        const bool clear =
            (b[mask + static_cast<std::size_t>(h - 1 - y) * maskStride + x / 8] >> (7 - x % 8)) & 1;
        if (clear != (px.a == 0)) return why = "AND mask disagrees with alpha", false;
        bm.px[static_cast<std::size_t>(y) * w + x] = px;
      }
    out.push_back(std::move(bm));
  }
  return true;
}

const std::vector<std::string>& AllPictureFiles() {
  static const std::vector<std::string> files = {
      "data/lawn.bmp",
      "data/yellowFlower.bmp",
      "data/redFlower.bmp",
      "data/roses.bmp",
      "data/whiteFlower.bmp",
      "data/tractor.bmp",
      "data/blank.bmp",
      "data/logo.bmp",
      "saver/resources/banner.bmp",
      "saver/resources/icon_yellow.bmp",
      "saver/resources/icon_red.bmp",
      "saver/resources/icon_rose.bmp",
      "saver/resources/icon_white.bmp",
      "saver/resources/website_button.bmp",
      "saver/resources/form_icon.bmp",
      "saver/resources/preview.bmp",
      "saver/resources/tamarel.ico",
      "mailer/resources/form_icon.bmp",
      "mailer/resources/pellmar.ico",
  };
  return files;
}

}  // namespace pictest
