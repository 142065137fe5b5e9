// The raster engine of the portable GDI: the one view of pixel storage that
// every drawing call works on, and the block transfer. It knows pixels only: no handles, DCs,
// windows or screen (objects.cpp and surface.cpp hand it views).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "../rect.h"
#include "platform/winapi.h"

namespace portable::gdi {

using portable::Rect;

// A bitmap or a surface: 32 bits per pixel as 0x00RRGGBB, or 1 bit per
// pixel, most significant bit first in each byte. Rows top to bottom.
struct View {
  std::uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;  // bytes from one row to the next
  int bpp = 0;                // 1 or 32
  // A window's surface, which the screen shows: a copy leaves pixels that
  // already match alone, so that only what changed is drawn and shown.
  bool shown = false;
  explicit operator bool() const { return bits != nullptr && width > 0 && height > 0; }
  std::uint32_t* Row32(int y) const {
    return reinterpret_cast<std::uint32_t*>(bits + stride * static_cast<std::ptrdiff_t>(y));
  }
  std::uint8_t* Row1(int y) const { return bits + stride * static_cast<std::ptrdiff_t>(y); }
};

// The colours a transfer converts with (COLORREF, 0x00BBGGRR): the source
// DC's background (colour into monochrome) and the destination DC's
// background and text colours (monochrome into colour).
struct Colours {
  win::COLORREF srcBk = 0x00FFFFFF;
  win::COLORREF dstBk = 0x00FFFFFF;
  win::COLORREF dstText = 0x00000000;
};

inline std::uint32_t PixelFromColorref(win::COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline win::COLORREF ColorrefFromPixel(std::uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

// True when the raster operation reads the source (false: WHITENESS and
// the like); false for operations that need a pattern (not supported).
inline bool RopUsesSource(win::DWORD rop) {
  const unsigned r = (rop >> 16) & 0xFF;
  return ((r >> 2) & 0x33) != (r & 0x33);
}
inline bool RopSupported(win::DWORD rop) {
  const unsigned r = (rop >> 16) & 0xFF;
  return (r >> 4) == (r & 0x0F);  // no pattern
}

// The block transfer: clips to both views (source may be null when the
// operation does not read it), converts between the formats, applies the
// operation and reports the destination rectangle it drew (possibly empty)
// and, within it, the part whose pixels may have changed (for a copy onto a
// shown destination, the rows it did change; otherwise all it drew).
// Handles a source overlapping the destination. Allocates nothing.
bool Blit(const View& dst, int x, int y, int w, int h, const View* src, int sx, int sy,
          win::DWORD rop, const Colours& colours, Rect* drawn, Rect* changed = nullptr);

}  // namespace portable::gdi
