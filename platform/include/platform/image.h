// Pixel images in memory: the .bmp decoder that the portable LoadImageA and
// the programs' own pictures share, .bmp and .png writers, and moving pixels
// between memory and GDI bitmaps and DCs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/winapi.h"

namespace plat {

// 0x00RRGGBB per pixel, rows top to bottom.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> px;
  std::uint32_t& at(int x, int y) { return px[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t at(int x, int y) const { return px[static_cast<std::size_t>(y) * width + x]; }
};

// Largest picture the decoder accepts (either side, and in all).
constexpr int kMaxImageSide = 32768;
constexpr std::int64_t kMaxImagePixels = 64ll * 1024 * 1024;

// Decodes the .bmp forms that picture editors write: 1, 4, 8, 16, 24 and 32
// bits per pixel, RLE4 and RLE8, bottom-up and top-down, BITFIELDS, the old
// core header. Colours come out as Windows makes them for a 32-bit display.
// Returns false (and leaves `out` empty) for anything malformed, truncated or
// too large.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, Image& out);

std::vector<std::uint8_t> EncodeBmp24(const Image& img);
std::vector<std::uint8_t> EncodePng(const Image& img);

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                   std::size_t maxSize = 512u * 1024 * 1024);
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A display-format bitmap holding the image; 0 on failure. The caller owns it.
win::HBITMAP CreateBitmapFromImage(const Image& img);
// Reads a rectangle of what a DC shows (a memory DC's bitmap, or a window's
// surface). False when the DC is not valid.
bool ReadPixels(win::HDC dc, int x, int y, int width, int height, Image& out);

// A 32-bit bitmap in a memory DC of its own whose pixels the program reads
// in place (0x00RRGGBB, rows top to bottom): what drawing calls left on it,
// seen without copying it out.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  ~PixelBuffer() { Release(); }
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;

  // A buffer of this size in place of the last (its pixels not set); false,
  // and an empty buffer, when it cannot be had.
  bool Create(int width, int height);
  win::HDC hDC() const { return m_dc; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  // The first row's first pixel, once every drawing call made so far has
  // reached the pixels; rows lie Stride() pixels apart.
  const std::uint32_t* Pixels();
  std::ptrdiff_t Stride() const { return m_stride; }

 private:
  void Release();
  win::HDC m_dc = nullptr;
  win::HBITMAP m_bitmap = nullptr;
  win::HGDIOBJ m_old = nullptr;
  const std::uint32_t* m_bits = nullptr;
  std::ptrdiff_t m_stride = 0;
  int m_width = 0, m_height = 0;
};

}  // namespace plat
