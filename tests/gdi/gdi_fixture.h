// Helpers of the GDI tests: a bitmap in its own memory DC, and reading and
// writing its pixels through the GDI itself (GetPixel / SetPixel), so that
// the same code checks Windows' GDI under Wine and ours on Linux.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/winapi.h"
#ifndef _WIN32
#include "platform/portable/gdi/surface.h"
#endif

namespace gditest {

#ifndef _WIN32
// The forms side's end of one of our windows: it is told what was drawn.
class Sink : public portable::WindowSink {
 public:
  struct R {
    int x, y, w, h;
  };
  std::vector<R> drawn;
  void SurfaceDrawn(int x, int y, int w, int h) override { drawn.push_back({x, y, w, h}); }
  void SetShown(bool) override {}
  void SetTopmost(bool) override {}
  bool IsShown() const override { return true; }
  unsigned long NativeWindow() const override { return 0; }
};
#endif

// A w x h bitmap of 1 or 32 bits per pixel selected into a memory DC.
class Surface {
 public:
  Surface(int bpp, int w, int h) : w_(w), h_(h) {
    win::HDC screen = win::GetDC(nullptr);
    dc_ = win::CreateCompatibleDC(screen);
    // A fresh memory DC holds a 1-bit bitmap: compatible with it is 1 bit.
    bmp_ = win::CreateCompatibleBitmap(bpp == 1 ? dc_ : screen, w, h);
    win::ReleaseDC(nullptr, screen);
    old_ = win::SelectObject(dc_, bmp_);
  }
  ~Surface() {
    win::SelectObject(dc_, old_);
    win::DeleteObject(bmp_);
    win::DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  win::HDC dc() const { return dc_; }
  win::HBITMAP bmp() const { return bmp_; }
  int w() const { return w_; }
  int h() const { return h_; }
  bool ok() const { return dc_ && bmp_ && old_; }

  // COLORREF values, rows top to bottom.
  void Fill(const std::vector<win::COLORREF>& px) {
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        win::SetPixel(dc_, x, y, px[static_cast<std::size_t>(y) * w_ + x]);
  }
  std::vector<win::COLORREF> Read() const {
    std::vector<win::COLORREF> px(static_cast<std::size_t>(w_) * h_);
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        px[static_cast<std::size_t>(y) * w_ + x] = win::GetPixel(dc_, x, y);
    return px;
  }

 private:
  int w_, h_;
  win::HDC dc_ = nullptr;
  win::HBITMAP bmp_ = nullptr;
  win::HGDIOBJ old_ = nullptr;
};

inline std::uint32_t NextRand(std::uint32_t& s) {
  s = s * 1103515245u + 12345u;
  return s >> 8;
}

// Colours with repeats of a few chosen ones, so that colour-to-monochrome
// conversions meet pixels equal to the background colour.
inline std::vector<win::COLORREF> ColourPattern(int n, std::uint32_t seed) {
  static const win::COLORREF kChosen[] = {0xFFFFFF, 0x000000, 0x00FF00, 0x123456};
  std::vector<win::COLORREF> px(static_cast<std::size_t>(n));
  for (auto& c : px) {
    const std::uint32_t r = NextRand(seed);
    c = (r % 3 == 0) ? (r >> 4) & 0xFFFFFF : kChosen[(r >> 2) % 4];
  }
  return px;
}

inline std::vector<win::COLORREF> MonoPattern(int n, std::uint32_t seed) {
  std::vector<win::COLORREF> px(static_cast<std::size_t>(n));
  for (auto& c : px) c = (NextRand(seed) & 4) ? 0xFFFFFF : 0;
  return px;
}

inline std::vector<win::COLORREF> Pattern(int bpp, int n, std::uint32_t seed) {
  return bpp == 1 ? MonoPattern(n, seed) : ColourPattern(n, seed);
}

// A raster operation's truth table applied bit by bit (S = 0xCC, D = 0xAA),
// to 24-bit colours; monochrome pixels are 0 or 0xFFFFFF.
inline win::COLORREF ApplyRop(win::DWORD rop, win::COLORREF s, win::COLORREF d) {
  const unsigned r = (rop >> 16) & 0xFF;
  win::COLORREF out = 0;
  for (int b = 0; b < 24; ++b) {
    const unsigned sb = (s >> b) & 1, db = (d >> b) & 1;
    out |= static_cast<win::COLORREF>((r >> ((sb << 1) | db)) & 1) << b;
  }
  return out;
}

}  // namespace gditest
