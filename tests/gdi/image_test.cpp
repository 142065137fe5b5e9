// Pictures written by the programs (.bmp, .png) and pixels moved between
// memory and bitmaps and DCs.
#include "platform/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/winapi.h"
#include "support/test_util.h"

namespace {

plat::Image Pattern(int w, int h, std::uint32_t seed) {
  plat::Image img;
  img.width = w;
  img.height = h;
  for (int i = 0; i < w * h; ++i) img.px.push_back(gditest::NextRand(seed) & 0xFFFFFF);
  return img;
}

std::uint32_t Be32(const std::vector<std::uint8_t>& v, std::size_t at) {
  return (std::uint32_t(v[at]) << 24) | (std::uint32_t(v[at + 1]) << 16) |
         (std::uint32_t(v[at + 2]) << 8) | v[at + 3];
}

std::uint32_t Crc(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = ~0u;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// Reads back what the writer makes: chunks with their CRCs, one IDAT of
// stored deflate blocks, the Adler-32, and the scan lines.
bool ParsePng(const std::vector<std::uint8_t>& png, plat::Image& out) {
  static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 8 || !std::equal(sig, sig + 8, png.begin())) return false;
  std::size_t p = 8;
  std::vector<std::uint8_t> z;
  bool end = false;
  while (p + 12 <= png.size() && !end) {
    const std::uint32_t len = Be32(png, p);
    if (p + 12 + len > png.size()) return false;
    const std::string type(png.begin() + p + 4, png.begin() + p + 8);
    if (Crc(&png[p + 4], len + 4) != Be32(png, p + 8 + len)) return false;
    if (type == "IHDR") {
      out.width = static_cast<int>(Be32(png, p + 8));
      out.height = static_cast<int>(Be32(png, p + 12));
      if (png[p + 16] != 8 || png[p + 17] != 2) return false;
    } else if (type == "IDAT") {
      z.insert(z.end(), png.begin() + p + 8, png.begin() + p + 8 + len);
    } else if (type == "IEND") {
      end = true;
    }
    p += 12 + len;
  }
  if (!end || z.size() < 6 || ((z[0] << 8) | z[1]) % 31 != 0) return false;
  std::vector<std::uint8_t> raw;
  std::size_t q = 2;
  for (bool last = false; !last;) {
    if (q + 5 > z.size()) return false;
    last = z[q] & 1;
    if ((z[q] >> 1) != 0) return false;  // stored blocks only
    const unsigned n = z[q + 1] | (z[q + 2] << 8), nn = z[q + 3] | (z[q + 4] << 8);
    if ((n ^ 0xFFFF) != nn || q + 5 + n > z.size()) return false;
    raw.insert(raw.end(), z.begin() + q + 5, z.begin() + q + 5 + n);
    q += 5 + n;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  if (q + 4 != z.size() || Be32(z, q) != ((b << 16) | a)) return false;
  const std::size_t row = 1 + 3 * static_cast<std::size_t>(out.width);
  if (raw.size() != row * out.height) return false;
  out.px.clear();
  for (int y = 0; y < out.height; ++y) {
    if (raw[y * row] != 0) return false;
    for (int x = 0; x < out.width; ++x) {
      const std::uint8_t* px = &raw[y * row + 1 + 3 * x];
      out.px.push_back((std::uint32_t(px[0]) << 16) | (std::uint32_t(px[1]) << 8) | px[2]);
    }
  }
  return true;
}

TEST(PictureWriting, PngHoldsThePixels) {
  // Large enough for several stored blocks.
  for (const auto& size : {std::pair{1, 1}, std::pair{5, 3}, std::pair{300, 80}}) {
    const plat::Image img = Pattern(size.first, size.second, 3);
    plat::Image back;
    ASSERT_TRUE(ParsePng(plat::EncodePng(img), back));
    EXPECT_EQ(back.width, img.width);
    EXPECT_EQ(back.height, img.height);
    EXPECT_EQ(back.px, img.px);
  }
  EXPECT_TRUE(plat::EncodePng(plat::Image()).empty());
}

TEST(PictureWriting, BmpRoundTripsThroughTheSystemsLoader) {
  const plat::Image img = Pattern(13, 7, 4);
  const auto bytes = plat::EncodeBmp24(img);
  ASSERT_EQ(bytes.size(), 54u + 40u * 7u);
  plat::Image back;
  ASSERT_TRUE(plat::DecodeBmp(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back.px, img.px);
  const std::string path = testutil::Join(testutil::MakeTempDir("img"), "round.bmp");
  ASSERT_TRUE(plat::WriteFileBytes(path, bytes));
  std::vector<std::uint8_t> read;
  ASSERT_TRUE(plat::ReadFileBytes(path, read));
  EXPECT_EQ(read, bytes);
  EXPECT_FALSE(plat::ReadFileBytes(path, read, 100));  // larger than allowed
  EXPECT_TRUE(read.empty());
  win::HBITMAP bmp = static_cast<win::HBITMAP>(
      win::LoadImageA(nullptr, path.c_str(), win::IMAGE_BITMAP, 0, 0, win::LR_LOADFROMFILE));
  ASSERT_NE(bmp, nullptr);
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, bmp);
  plat::Image pixels;
  ASSERT_TRUE(plat::ReadPixels(dc, 0, 0, 13, 7, pixels));
  EXPECT_EQ(pixels.px, img.px);
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  win::DeleteObject(bmp);
  EXPECT_FALSE(plat::ReadFileBytes(path + ".missing", read));
}

TEST(PictureWriting, BitmapsFromImagesAndPixelsOfDcs) {
  plat::Image img = Pattern(9, 6, 5);
  img.px[0] |= 0xFF000000u;  // the unused top byte is not a colour
  win::HBITMAP bmp = plat::CreateBitmapFromImage(img);
  ASSERT_NE(bmp, nullptr);
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, bmp);
  plat::Image back;
  // Partly outside the bitmap: those pixels read black.
  ASSERT_TRUE(plat::ReadPixels(dc, 4, 2, 8, 6, back));
  ASSERT_EQ(back.width, 8);
  ASSERT_EQ(back.height, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = 4 + x < 9 && 2 + y < 6;
      EXPECT_EQ(back.at(x, y), inside ? img.at(4 + x, 2 + y) & 0xFFFFFF : 0u) << x << "," << y;
    }
  // A monochrome bitmap reads black and white.
  gditest::Surface mono(1, 3, 1);
  win::SetPixel(mono.dc(), 1, 0, 0xFFFFFF);
  ASSERT_TRUE(plat::ReadPixels(mono.dc(), 0, 0, 3, 1, back));
  EXPECT_EQ(back.px, (std::vector<std::uint32_t>{0, 0xFFFFFF, 0}));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  win::DeleteObject(bmp);
  EXPECT_FALSE(plat::ReadPixels(dc, 0, 0, 1, 1, back));
  EXPECT_EQ(plat::CreateBitmapFromImage(plat::Image()), nullptr);
}

}  // namespace
