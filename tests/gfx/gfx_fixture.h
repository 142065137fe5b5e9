// What the drawing-toolkit tests share: pictures as plain pixel grids,
// written to .bmp files of our own and read back from DCs, and the
// reference models that say which pixels a draw must leave.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/winapi.h"

namespace gfxtest {

// Pixels as GDI reports them: 0x00BBGGRR, rows top to bottom.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<win::COLORREF> px;

  Pixels() = default;
  Pixels(int w, int h, win::COLORREF fill = 0)
      : width(w), height(h), px(std::size_t(w) * h, fill) {}
  win::COLORREF& at(int x, int y) { return px[std::size_t(y) * width + x]; }
  win::COLORREF at(int x, int y) const { return px[std::size_t(y) * width + x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

constexpr win::COLORREF kWhite = 0x00FFFFFF;
constexpr win::COLORREF kGreen = 0x0000FF00;

// A deterministic mix of colours that are never pure white or pure green.
Pixels Pattern(int width, int height, unsigned seed);
// One colour everywhere.
Pixels Solid(int width, int height, win::COLORREF c);

// A picture held by the program with the same pixels.
forms::Picture ToPicture(const Pixels& p);

// A 24-bit bottom-up .bmp of the pixels (our own writer).
bool WriteBmp(const std::string& path, const Pixels& p);
// A fresh file in the test's temp folder holding the pixels.
std::string BmpFile(const Pixels& p, const std::string& name = "pic.bmp");

// What a DC shows in the rectangle, read pixel by pixel.
Pixels ReadDC(win::HDC dc, int x, int y, int width, int height);

// A display-format memory DC holding the pixels: the canvas that draws land
// on, made without the code under test.
class Canvas {
 public:
  explicit Canvas(const Pixels& p);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  win::HDC dc() const { return dc_; }
  Pixels Read() const { return ReadDC(dc_, 0, 0, width_, height_); }

 private:
  int width_ = 0;
  int height_ = 0;
  win::HDC dc_ = nullptr;
  win::HBITMAP bmp_ = nullptr;
  win::HGDIOBJ old_ = nullptr;
};

// Reports the first few pixels where two grids differ.
::testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& actual);

// The bits per pixel of the display.
int DisplayBits();
// Width, height and bits per pixel of a bitmap; all 0 when it is not one.
struct BitmapInfo {
  int width = 0;
  int height = 0;
  int bits = 0;
};
BitmapInfo InfoOf(win::HGDIOBJ bitmap);

// Reference model of a transparent cell draw: destination `dest` after the
// cell's rectangle of `sheet` (at sx, sy, w x h) is drawn at (x, y), with
// `opaque` telling which sheet pixels show. Pixels whose source lies outside
// the sheet, and parts outside the destination, stay as they were.
Pixels ModelCellDraw(const Pixels& dest, const Pixels& sheet, int sx, int sy, int w, int h, int x,
                     int y, const std::function<bool(win::COLORREF)>& opaque);
// Reference model of copying rectangle (x, y, w, h) from `src` to `dest` at
// the same coordinates.
Pixels ModelCopy(const Pixels& dest, const Pixels& src, int x, int y, int w, int h);

}  // namespace gfxtest
