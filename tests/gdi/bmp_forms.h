// .bmp files of every form that picture editors write, made in code, each
// with the pixels a 32-bit display bitmap loaded from it holds (0x00RRGGBB).
// Shared by the loading tests and the fuzzer's seed-corpus generator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace bmpforms {

struct Sample {
  std::string name;
  std::vector<std::uint8_t> bytes;
  plat::Image expected;
  bool mono = false;  // black-and-white 1-bit: Windows makes a 1-bit bitmap
  bool topDown = false;
  // Malformed files: Wine's loader refuses this one too (it makes a bitmap
  // of most broken files; ours refuses them all).
  bool wineRefuses = false;
};

namespace detail {

inline void P16(std::vector<std::uint8_t>& v, std::uint32_t x) {
  v.push_back(static_cast<std::uint8_t>(x & 0xFF));
  v.push_back(static_cast<std::uint8_t>((x >> 8) & 0xFF));
}
inline void P32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  P16(v, x & 0xFFFF);
  P16(v, x >> 16);
}
inline void Set32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>((x >> (8 * i)) & 0xFF);
}

inline plat::Image Blank(int w, int h) {
  plat::Image img;
  img.width = w;
  img.height = h;
  img.px.assign(static_cast<std::size_t>(w) * h, 0u);
  return img;
}

inline std::uint32_t Rand(std::uint32_t& s) {
  s = s * 1103515245u + 12345u;
  return s >> 8;
}

// A channel of `len` bits widened to 8 as the display does it: the top bits
// repeated once.
inline std::uint32_t Widen(std::uint32_t v, int len) {
  if (len >= 8) return v >> (len - 8);
  v <<= 8 - len;
  return (v | (v >> len)) & 0xFF;
}

struct Header {
  int size = 40;  // 12 (core), 40, 108, 124
  int width = 0;
  int height = 0;  // negative: top down
  int bpp = 24;
  std::uint32_t compression = 0;
  std::uint32_t clrUsed = 0;
  bool masks = false;  // BITFIELDS masks after a 40-byte header, or inside a larger one
  std::uint32_t rgbMask[3] = {0, 0, 0};
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  bool zeroOffBits = false;            // pixels right after the colour table
};

// File header, info header, masks and colour table, then `bits`.
inline std::vector<std::uint8_t> File(const Header& h, const std::vector<std::uint8_t>& bits) {
  std::vector<std::uint8_t> v;
  v.push_back('B');
  v.push_back('M');
  P32(v, 0);  // size, set below
  P32(v, 0);
  P32(v, 0);  // offset of the bits, set below
  if (h.size == 12) {
    P32(v, 12);
    P16(v, static_cast<std::uint32_t>(h.width));
    P16(v, static_cast<std::uint32_t>(h.height));
    P16(v, 1);
    P16(v, static_cast<std::uint32_t>(h.bpp));
    for (std::uint32_t c : h.palette) {
      v.push_back(static_cast<std::uint8_t>(c & 0xFF));
      v.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
      v.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
    }
  } else {
    P32(v, static_cast<std::uint32_t>(h.size));
    P32(v, static_cast<std::uint32_t>(h.width));
    P32(v, static_cast<std::uint32_t>(h.height));
    P16(v, 1);
    P16(v, static_cast<std::uint32_t>(h.bpp));
    P32(v, h.compression);
    P32(v, static_cast<std::uint32_t>(bits.size()));
    P32(v, 2835);
    P32(v, 2835);
    P32(v, h.clrUsed);
    P32(v, 0);
    if (h.size > 40) {
      // V4 / V5: masks, then colour space and the rest, all zero but the
      // colour-space type ("sRGB").
      P32(v, h.rgbMask[0]);
      P32(v, h.rgbMask[1]);
      P32(v, h.rgbMask[2]);
      P32(v, 0);           // alpha mask
      P32(v, 0x73524742);  // 'sRGB'
      while (v.size() < 14u + static_cast<unsigned>(h.size)) v.push_back(0);
    } else if (h.masks) {
      P32(v, h.rgbMask[0]);
      P32(v, h.rgbMask[1]);
      P32(v, h.rgbMask[2]);
    }
    for (std::uint32_t c : h.palette) P32(v, c & 0x00FFFFFF);
  }
  Set32(v, 10, h.zeroOffBits ? 0u : static_cast<std::uint32_t>(v.size()));
  v.insert(v.end(), bits.begin(), bits.end());
  Set32(v, 2, static_cast<std::uint32_t>(v.size()));
  return v;
}

// Uncompressed rows from pixel values (index or packed value per pixel, top
// row first in `values`), written bottom up unless topDown.
inline std::vector<std::uint8_t> Rows(const std::vector<std::uint32_t>& values, int w, int h,
                                      int bpp, bool topDown) {
  const std::size_t rowBytes = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
  std::vector<std::uint8_t> bits(rowBytes * h, 0);
  for (int r = 0; r < h; ++r) {
    const int y = topDown ? r : h - 1 - r;
    std::uint8_t* row = &bits[rowBytes * r];
    for (int x = 0; x < w; ++x) {
      const std::uint32_t v = values[static_cast<std::size_t>(y) * w + x];
      switch (bpp) {
        case 1:
          row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= static_cast<std::uint8_t>((v & 0xF) << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = static_cast<std::uint8_t>(v);
          break;
        case 16:
          row[2 * x] = static_cast<std::uint8_t>(v & 0xFF);
          row[2 * x + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
          break;
        case 24:
          row[3 * x] = static_cast<std::uint8_t>(v & 0xFF);
          row[3 * x + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
          row[3 * x + 2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
          break;
        case 32:
          for (int i = 0; i < 4; ++i)
            row[4 * x + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
          break;
      }
    }
  }
  return bits;
}

inline std::vector<std::uint32_t> Palette(int n, std::uint32_t seed) {
  std::vector<std::uint32_t> p;
  for (int i = 0; i < n; ++i) p.push_back(Rand(seed) & 0x00FFFFFF);
  return p;
}

inline Sample Indexed(const std::string& name, int hdr, int bpp, int w, int h, bool topDown,
                      std::uint32_t seed, int colours = 0) {
  Header H;
  H.size = hdr;
  H.width = w;
  H.height = topDown ? -h : h;
  H.bpp = bpp;
  const int full = 1 << bpp;
  const int n = colours ? colours : full;
  H.clrUsed = colours ? static_cast<std::uint32_t>(colours) : 0;
  H.palette = Palette(n, seed);
  std::vector<std::uint32_t> idx(static_cast<std::size_t>(w) * h);
  Sample s;
  s.name = name;
  s.topDown = topDown;
  s.expected = Blank(w, h);
  for (std::size_t i = 0; i < idx.size(); ++i) {
    // Every index, including ones past a short colour table (black).
    idx[i] = Rand(seed) % static_cast<std::uint32_t>(full);
    s.expected.px[i] = idx[i] < static_cast<std::uint32_t>(n) ? H.palette[idx[i]] : 0u;
  }
  s.bytes = File(H, Rows(idx, w, h, bpp, topDown));
  return s;
}

// Packed pixels (16 or 32 bits) with the given masks; BITFIELDS when asked.
inline Sample Packed(const std::string& name, int hdr, int bpp, bool bitfields, std::uint32_t rm,
                     std::uint32_t gm, std::uint32_t bm, int w, int h, bool topDown,
                     std::uint32_t seed) {
  Header H;
  H.size = hdr;
  H.width = w;
  H.height = topDown ? -h : h;
  H.bpp = bpp;
  H.compression = bitfields ? 3 : 0;
  H.masks = bitfields;
  H.rgbMask[0] = rm;
  H.rgbMask[1] = gm;
  H.rgbMask[2] = bm;
  auto field = [](std::uint32_t v, std::uint32_t mask) {
    if (!mask) return 0u;
    int shift = 0, len = 0;
    while (!((mask >> shift) & 1)) ++shift;
    while (shift + len < 32 && ((mask >> (shift + len)) & 1)) ++len;
    return Widen((v & mask) >> shift, len);
  };
  std::vector<std::uint32_t> vals(static_cast<std::size_t>(w) * h);
  Sample s;
  s.name = name;
  s.topDown = topDown;
  s.expected = Blank(w, h);
  for (std::size_t i = 0; i < vals.size(); ++i) {
    std::uint32_t v = Rand(seed) ^ (Rand(seed) << 16);
    if (bpp == 16) v &= 0xFFFF;
    // Make the extremes appear: all ones and all zeros in a channel.
    if (i % 7 == 0) v |= rm | gm | bm;
    if (i % 11 == 0) v &= ~(rm | gm | bm);
    vals[i] = v;
    s.expected.px[i] = (field(v, rm) << 16) | (field(v, gm) << 8) | field(v, bm);
  }
  s.bytes = File(H, Rows(vals, w, h, bpp, topDown));
  return s;
}

inline Sample Rgb24(const std::string& name, int hdr, int w, int h, bool topDown,
                    std::uint32_t seed) {
  Header H;
  H.size = hdr;
  H.width = w;
  H.height = topDown ? -h : h;
  H.bpp = 24;
  std::vector<std::uint32_t> vals(static_cast<std::size_t>(w) * h);
  Sample s;
  s.name = name;
  s.topDown = topDown;
  s.expected = Blank(w, h);
  for (std::size_t i = 0; i < vals.size(); ++i) {
    vals[i] = Rand(seed) & 0x00FFFFFF;
    s.expected.px[i] = vals[i];
  }
  s.bytes = File(H, Rows(vals, w, h, 24, topDown));
  return s;
}

// An RLE stream built step by step, with the picture it draws.
class Rle {
 public:
  Rle(bool four, int w, int h, std::uint32_t seed) : four_(four), w_(w), h_(h) {
    pal_ = Palette(four ? 16 : 256, seed);
    img_ = Blank(w, h);
  }
  Rle& Run(int n, std::uint8_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(n));
    bytes_.push_back(value);
    for (int i = 0; i < n; ++i) Put(four_ ? ((i % 2) ? (value & 0xF) : (value >> 4)) : value);
    return *this;
  }
  Rle& Literal(const std::vector<std::uint8_t>& idx) {
    bytes_.push_back(0);
    bytes_.push_back(static_cast<std::uint8_t>(idx.size()));
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < idx.size(); ++i) {
      if (four_) {
        if (i % 2 == 0)
          data.push_back(static_cast<std::uint8_t>(idx[i] << 4));
        else
          data.back() |= idx[i] & 0xF;
      } else {
        data.push_back(idx[i]);
      }
      Put(idx[i]);
    }
    if (data.size() % 2) data.push_back(0);
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }
  Rle& Delta(int dx, int dy) {
    bytes_.insert(bytes_.end(),
                  {0, 2, static_cast<std::uint8_t>(dx), static_cast<std::uint8_t>(dy)});
    x_ += dx;
    y_ += dy;
    return *this;
  }
  Rle& Eol() {
    bytes_.insert(bytes_.end(), {0, 0});
    x_ = 0;
    ++y_;
    return *this;
  }
  Rle& Eob() {
    bytes_.insert(bytes_.end(), {0, 1});
    return *this;
  }
  Sample Make(const std::string& name) const {
    Header H;
    H.width = w_;
    H.height = h_;
    H.bpp = four_ ? 4 : 8;
    H.compression = four_ ? 2 : 1;
    H.palette = pal_;
    Sample s;
    s.name = name;
    s.bytes = File(H, bytes_);
    s.expected = img_;
    return s;
  }

 private:
  void Put(std::uint8_t index) {
    if (x_ < w_ && y_ < h_) img_.px[static_cast<std::size_t>(h_ - 1 - y_) * w_ + x_] = pal_[index];
    ++x_;
  }
  bool four_;
  int w_, h_;
  int x_ = 0, y_ = 0;
  std::vector<std::uint32_t> pal_;
  std::vector<std::uint8_t> bytes_;
  plat::Image img_;
};

}  // namespace detail

// Every form, small pictures of odd sizes (rows need padding).
inline std::vector<Sample> AllForms() {
  using namespace detail;
  std::vector<Sample> v;
  v.push_back(Indexed("pal1_colour.bmp", 40, 1, 19, 7, false, 11));
  v.push_back(Indexed("pal4.bmp", 40, 4, 13, 6, false, 12));
  v.push_back(Indexed("pal4_short_table.bmp", 40, 4, 9, 5, false, 13, 5));
  v.push_back(Indexed("pal8.bmp", 40, 8, 11, 9, false, 14));
  v.push_back(Indexed("pal8_short_table.bmp", 40, 8, 7, 7, false, 15, 40));
  v.push_back(Indexed("pal8_topdown.bmp", 40, 8, 10, 4, true, 16));
  v.push_back(Indexed("pal1_topdown.bmp", 40, 1, 17, 3, true, 17));
  v.push_back(Indexed("core_pal1.bmp", 12, 1, 21, 4, false, 18));
  v.push_back(Indexed("core_pal4.bmp", 12, 4, 7, 5, false, 19));
  v.push_back(Indexed("core_pal8.bmp", 12, 8, 6, 6, false, 20));
  v.push_back(Indexed("v5_pal8.bmp", 124, 8, 9, 3, false, 21));
  {
    // Black then white: a monochrome bitmap.
    Sample s = Indexed("mono.bmp", 40, 1, 23, 6, false, 22);
    Header H;
    H.width = 23;
    H.height = 6;
    H.bpp = 1;
    H.palette = {0x000000, 0xFFFFFF};
    std::uint32_t seed = 99;
    std::vector<std::uint32_t> idx(23 * 6);
    for (std::size_t i = 0; i < idx.size(); ++i) {
      idx[i] = Rand(seed) & 1;
      s.expected.px[i] = idx[i] ? 0xFFFFFF : 0;
    }
    s.bytes = File(H, Rows(idx, 23, 6, 1, false));
    s.mono = true;
    v.push_back(s);
    // White then black is a colour table like any other.
    H.palette = {0xFFFFFF, 0x000000};
    for (std::size_t i = 0; i < idx.size(); ++i) s.expected.px[i] = idx[i] ? 0 : 0xFFFFFF;
    s.bytes = File(H, Rows(idx, 23, 6, 1, false));
    s.mono = false;
    s.name = "mono_inverted.bmp";
    v.push_back(s);
  }
  v.push_back(Packed("rgb16_555.bmp", 40, 16, false, 0x7C00, 0x03E0, 0x001F, 9, 5, false, 30));
  v.push_back(
      Packed("rgb16_555_topdown.bmp", 40, 16, false, 0x7C00, 0x03E0, 0x001F, 5, 4, true, 31));
  v.push_back(Packed("bitfields16_565.bmp", 40, 16, true, 0xF800, 0x07E0, 0x001F, 7, 5, false, 32));
  v.push_back(Packed("bitfields16_444.bmp", 40, 16, true, 0x0F00, 0x00F0, 0x000F, 6, 3, false, 33));
  v.push_back(Packed("bitfields16_332.bmp", 40, 16, true, 0x00E0, 0x001C, 0x0003, 6, 3, false, 34));
  v.push_back(Packed("rgb32.bmp", 40, 32, false, 0xFF0000, 0xFF00, 0xFF, 7, 6, false, 35));
  v.push_back(Packed("rgb32_topdown.bmp", 40, 32, false, 0xFF0000, 0xFF00, 0xFF, 4, 4, true, 36));
  v.push_back(Packed("bitfields32.bmp", 40, 32, true, 0xFF0000, 0xFF00, 0xFF, 5, 3, false, 37));
  v.push_back(Packed("bitfields32_bgr.bmp", 40, 32, true, 0xFF, 0xFF00, 0xFF0000, 5, 3, false, 38));
  v.push_back(
      Packed("bitfields32_101010.bmp", 40, 32, true, 0x3FF00000, 0xFFC00, 0x3FF, 6, 2, false, 39));
  v.push_back(
      Packed("v4_bitfields16_565.bmp", 108, 16, true, 0xF800, 0x07E0, 0x001F, 5, 5, false, 40));
  v.push_back(Packed("v5_bitfields32.bmp", 124, 32, true, 0xFF0000, 0xFF00, 0xFF, 3, 7, true, 41));
  v.push_back(Rgb24("rgb24.bmp", 40, 13, 7, false, 50));
  v.push_back(Rgb24("rgb24_topdown.bmp", 40, 6, 5, true, 51));
  v.push_back(Rgb24("rgb24_1x1.bmp", 40, 1, 1, false, 52));
  v.push_back(Rgb24("core_rgb24.bmp", 12, 5, 3, false, 53));
  v.push_back(Rgb24("v4_rgb24.bmp", 108, 5, 3, false, 54));
  {
    Sample s = Indexed("pal8_offbits0.bmp", 40, 8, 5, 3, false, 55);
    s.bytes[10] = s.bytes[11] = s.bytes[12] = s.bytes[13] = 0;  // pixels follow the table
    v.push_back(s);
  }
  // RLE8: runs, literals (odd and even lengths), a delta over skipped
  // pixels (left black), a run past the row's end, an early end of line.
  v.push_back(Rle(false, 12, 6, 60)
                  .Run(4, 1)
                  .Literal({2, 3, 4})
                  .Run(5, 200)
                  .Eol()
                  .Literal({9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 11, 12})
                  .Eol()
                  .Run(3, 77)
                  .Delta(4, 1)
                  .Run(2, 78)
                  .Eol()
                  .Run(12, 5)
                  .Eol()
                  .Literal({250, 251, 252})
                  .Eob()
                  .Make("rle8.bmp"));
  // RLE4: nibble pairs in runs and literals.
  v.push_back(Rle(true, 11, 5, 61)
                  .Run(5, 0x12)
                  .Literal({3, 4, 5})
                  .Run(3, 0xF0)
                  .Eol()
                  .Literal({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})
                  .Eol()
                  .Delta(3, 1)
                  .Run(4, 0xAB)
                  .Eol()
                  .Run(11, 0x9C)
                  .Eob()
                  .Make("rle4.bmp"));
  return v;
}

// Files that must be refused (the load returns 0), and why.
inline std::vector<Sample> Malformed() {
  using namespace detail;
  std::vector<Sample> v;
  const Sample good = Rgb24("x", 40, 8, 8, false, 70);
  auto variant = [&](const std::string& name, auto change, bool wineRefuses = false) {
    Sample s;
    s.name = name;
    s.wineRefuses = wineRefuses;
    s.bytes = good.bytes;
    change(s.bytes);
    v.push_back(s);
  };
  variant(
      "empty.bmp", [](auto& b) { b.clear(); }, true);
  variant(
      "no_magic.bmp", [](auto& b) { b[0] = 'X'; }, true);
  variant("header_only.bmp", [](auto& b) { b.resize(30); });
  variant("truncated_pixels.bmp", [](auto& b) { b.resize(b.size() / 2); });
  variant("zero_width.bmp", [](auto& b) { Set32(b, 18, 0); });
  variant("zero_height.bmp", [](auto& b) { Set32(b, 22, 0); });
  variant("negative_width.bmp", [](auto& b) { Set32(b, 18, 0xFFFFFFF0u); });
  variant(
      "huge.bmp",
      [](auto& b) {
        Set32(b, 18, 100000);
        Set32(b, 22, 100000);
      },
      true);
  variant("bits_per_pixel_7.bmp", [](auto& b) { b[28] = 7; });
  variant("unknown_compression.bmp", [](auto& b) { Set32(b, 30, 9); });
  variant("offbits_past_end.bmp", [](auto& b) { Set32(b, 10, 0x7FFFFFF0u); });
  variant(
      "bad_header_size.bmp", [](auto& b) { Set32(b, 14, 20); }, true);
  {
    Sample s = Rle(false, 8, 4, 71)
                   .Run(8, 1)
                   .Eol()
                   .Run(8, 2)
                   .Eol()
                   .Run(8, 3)
                   .Eol()
                   .Run(8, 4)
                   .Eob()
                   .Make("rle_topdown.bmp");
    Set32(s.bytes, 22, static_cast<std::uint32_t>(-4));
    v.push_back(s);
  }
  return v;
}

}  // namespace bmpforms
