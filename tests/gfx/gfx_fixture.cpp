#include "gfx/gfx_fixture.h"

#include <fstream>
#include <sstream>

#include "support/test_util.h"

namespace gfxtest {

Pixels Pattern(int width, int height, unsigned seed) {
  Pixels p(width, height);
  std::uint32_t s = seed * 2654435761u + 12345u;
  for (auto& c : p.px) {
    s = s * 1103515245u + 12345u;
    c = (s >> 8) & 0x00FFFFFF;
    if (c == kWhite || c == kGreen) c ^= 0x00010101;
  }
  return p;
}

Pixels Solid(int width, int height, win::COLORREF c) { return Pixels(width, height, c); }

forms::Picture ToPicture(const Pixels& p) {
  std::vector<std::uint32_t> rgb;
  rgb.reserve(p.px.size());
  for (win::COLORREF c : p.px)
    rgb.push_back(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
  return forms::Picture(p.width, p.height, std::move(rgb));
}

namespace {
void Put16(std::string& s, std::uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
}  // namespace

bool WriteBmp(const std::string& path, const Pixels& p) {
  const std::uint32_t rowBytes = (std::uint32_t(p.width) * 3 + 3) & ~3u;
  const std::uint32_t imageBytes = rowBytes * std::uint32_t(p.height);
  std::string s;
  s.reserve(54 + imageBytes);
  s += "BM";
  Put32(s, 54 + imageBytes);
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, std::uint32_t(p.width));
  Put32(s, std::uint32_t(p.height));
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);
  Put32(s, imageBytes);
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) {
      const win::COLORREF c = p.at(x, y);
      s.push_back(char((c >> 16) & 0xFF));  // blue
      s.push_back(char((c >> 8) & 0xFF));   // green
      s.push_back(char(c & 0xFF));          // red
    }
    s.append(rowBytes - std::uint32_t(p.width) * 3, '\0');
  }
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(s.data(), std::streamsize(s.size()));
  return static_cast<bool>(f);
}

std::string BmpFile(const Pixels& p, const std::string& name) {
  const std::string path = testutil::Join(testutil::MakeTempDir("gfx"), name);
  EXPECT_TRUE(WriteBmp(path, p)) << path;
  return path;
}

Pixels ReadDC(win::HDC dc, int x, int y, int width, int height) {
  Pixels p(width, height);
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) p.at(i, j) = win::GetPixel(dc, x + i, y + j);
  return p;
}

Canvas::Canvas(const Pixels& p) : width_(p.width), height_(p.height) {
  win::HDC screen = win::GetDC(nullptr);
  dc_ = win::CreateCompatibleDC(screen);
  bmp_ = win::CreateCompatibleBitmap(screen, p.width, p.height);
  win::ReleaseDC(nullptr, screen);
  old_ = win::SelectObject(dc_, bmp_);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) win::SetPixel(dc_, x, y, p.at(x, y));
}

Canvas::~Canvas() {
  win::SelectObject(dc_, old_);
  win::DeleteObject(bmp_);
  win::DeleteDC(dc_);
}

::testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& actual) {
  if (expected.width != actual.width || expected.height != actual.height) {
    return ::testing::AssertionFailure()
           << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
           << "x" << expected.height;
  }
  int bad = 0;
  std::ostringstream msg;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      if (expected.at(x, y) != actual.at(x, y)) {
        if (bad < 8) {
          msg << std::hex << " (" << std::dec << x << "," << y << "): 0x" << std::hex
              << actual.at(x, y) << " expected 0x" << expected.at(x, y) << ";";
        }
        ++bad;
      }
    }
  }
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::dec << bad << " pixels differ:" << msg.str();
}

int DisplayBits() {
  win::HDC screen = win::GetDC(nullptr);
  const int bits = win::GetDeviceCaps(screen, win::BITSPIXEL);
  win::ReleaseDC(nullptr, screen);
  return bits;
}

BitmapInfo InfoOf(win::HGDIOBJ bitmap) {
  win::BITMAP bm{};
  BitmapInfo info;
  if (win::GetObjectA(bitmap, sizeof(bm), &bm) == 0) return info;
  info.width = bm.bmWidth;
  info.height = bm.bmHeight;
  info.bits = bm.bmBitsPixel * bm.bmPlanes;
  return info;
}

Pixels ModelCellDraw(const Pixels& dest, const Pixels& sheet, int sx, int sy, int w, int h, int x,
                     int y, const std::function<bool(win::COLORREF)>& opaque) {
  Pixels out = dest;
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      if (!sheet.contains(sx + i, sy + j) || !out.contains(x + i, y + j)) continue;
      const win::COLORREF c = sheet.at(sx + i, sy + j);
      if (opaque(c)) out.at(x + i, y + j) = c;
    }
  }
  return out;
}

Pixels ModelCopy(const Pixels& dest, const Pixels& src, int x, int y, int w, int h) {
  Pixels out = dest;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (out.contains(i, j) && src.contains(i, j)) out.at(i, j) = src.at(i, j);
  return out;
}

}  // namespace gfxtest
