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

}  // namespace plat
