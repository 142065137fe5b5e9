// The .bmp decoder behind the portable LoadImageA and the programs' own
// pictures. Every offset and count read from the file is checked against the
// file's size before use, and the picture's size is bounded before anything
// is allocated: a hostile file gets a refusal, never a crash.
//
// Colours come out as Windows' GDI gives them when it loads the file into a
// 32-bit display bitmap: palette entries exactly, and channels narrower than
// 8 bits widened by repeating their top bits once (5 bits: v << 3 | v >> 2).
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "bmp_internal.h"
#include "platform/image.h"

namespace plat {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitfields = 3;

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
// Larger than any header a picture editor writes (the largest is 124 bytes).
constexpr std::uint32_t kMaxHeader = 4096;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// One colour channel of a BITFIELDS (or 5-5-5) pixel.
struct Field {
  int shift = 0;
  int len = 0;
  static Field FromMask(std::uint32_t mask) {
    Field f;
    if (mask == 0) return f;
    while (!(mask & 1u)) {
      mask >>= 1;
      ++f.shift;
    }
    while (mask & 1u) {
      mask >>= 1;
      ++f.len;
    }
    // Only the top 8 bits of a wide channel count.
    if (f.len > 8) {
      f.shift += f.len - 8;
      f.len = 8;
    }
    return f;
  }
  std::uint32_t Get(std::uint32_t pixel) const {
    if (len == 0) return 0;
    std::uint32_t v = (pixel >> shift) & ((1u << len) - 1);
    v <<= 8 - len;
    v |= v >> len;
    return v & 0xFF;
  }
};

// The parsed headers: everything the pixel decoding needs.
struct Layout {
  bool core = false;
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive; topDown tells the row order
  bool topDown = false;
  std::uint32_t bpp = 0;
  std::uint32_t compression = kRgb;
  Field r, g, b;
  std::size_t paletteAt = 0;
  std::uint32_t paletteCount = 0;
  std::size_t bitsAt = 0;
};

bool ParseHeaders(const std::uint8_t* d, std::size_t size, Layout& L) {
  if (!d || size < kFileHeader + 4) return false;
  if (d[0] != 'B' || d[1] != 'M') return false;
  const std::uint32_t offBits = U32(d + 10);
  const std::uint32_t hdr = U32(d + kFileHeader);
  if (hdr == kCoreHeader) {
    if (size < kFileHeader + kCoreHeader) return false;
    const std::uint8_t* h = d + kFileHeader;
    L.core = true;
    L.width = U16(h + 4);
    L.height = U16(h + 6);
    if (U16(h + 8) != 1) return false;
    L.bpp = U16(h + 10);
    if (L.bpp != 1 && L.bpp != 4 && L.bpp != 8 && L.bpp != 24) return false;
    L.paletteAt = kFileHeader + kCoreHeader;
    L.paletteCount = L.bpp <= 8 ? (1u << L.bpp) : 0;
  } else if (hdr >= kInfoHeader && hdr <= kMaxHeader) {
    if (size < kFileHeader + hdr) return false;
    const std::uint8_t* h = d + kFileHeader;
    L.width = static_cast<std::int32_t>(U32(h + 4));
    const std::int64_t height = static_cast<std::int32_t>(U32(h + 8));
    L.topDown = height < 0;
    L.height = height < 0 ? -height : height;
    if (U16(h + 12) != 1) return false;
    L.bpp = U16(h + 14);
    L.compression = U32(h + 16);
    const std::uint32_t clrUsed = U32(h + 32);
    switch (L.compression) {
      case kRgb:
        if (L.bpp != 1 && L.bpp != 4 && L.bpp != 8 && L.bpp != 16 && L.bpp != 24 && L.bpp != 32)
          return false;
        break;
      case kRle8:
        if (L.bpp != 8 || L.topDown) return false;
        break;
      case kRle4:
        if (L.bpp != 4 || L.topDown) return false;
        break;
      case kBitfields:
        if (L.bpp != 16 && L.bpp != 32) return false;
        break;
      default:
        return false;
    }
    std::size_t afterHeader = kFileHeader + hdr;
    if (L.bpp == 16 || L.bpp == 32) {
      std::uint32_t rm = L.bpp == 16 ? 0x7C00u : 0xFF0000u;
      std::uint32_t gm = L.bpp == 16 ? 0x03E0u : 0x00FF00u;
      std::uint32_t bm = L.bpp == 16 ? 0x001Fu : 0x0000FFu;
      if (L.compression == kBitfields) {
        // The three masks follow a plain info header; later headers hold them.
        if (size < kFileHeader + kInfoHeader + 12) return false;
        const std::uint8_t* m = d + kFileHeader + kInfoHeader;
        rm = U32(m);
        gm = U32(m + 4);
        bm = U32(m + 8);
        if (hdr == kInfoHeader) afterHeader += 12;
      }
      L.r = Field::FromMask(rm);
      L.g = Field::FromMask(gm);
      L.b = Field::FromMask(bm);
    }
    L.paletteAt = afterHeader;
    if (L.bpp <= 8) {
      const std::uint32_t full = 1u << L.bpp;
      L.paletteCount = (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
    }
  } else {
    return false;
  }
  if (L.width <= 0 || L.height <= 0) return false;
  if (L.width > kMaxImageSide || L.height > kMaxImageSide) return false;
  if (L.width * L.height > kMaxImagePixels) return false;
  const std::size_t entry = L.core ? 3 : 4;
  const std::size_t paletteEnd = L.paletteAt + entry * L.paletteCount;
  if (paletteEnd > size) return false;
  L.bitsAt = offBits != 0 ? offBits : paletteEnd;
  if (L.bitsAt >= size) return false;
  return true;
}

std::uint32_t PaletteColour(const std::uint8_t* d, const Layout& L, std::uint32_t index) {
  if (index >= L.paletteCount) return 0;  // past the table: black
  const std::uint8_t* e = d + L.paletteAt + index * (L.core ? 3u : 4u);
  return (static_cast<std::uint32_t>(e[2]) << 16) | (static_cast<std::uint32_t>(e[1]) << 8) | e[0];
}

bool DecodeUncompressed(const std::uint8_t* d, std::size_t size, const Layout& L, Image& out) {
  const std::int64_t rowBytes = ((L.width * L.bpp + 31) / 32) * 4;
  const std::int64_t lastRow = (L.width * L.bpp + 7) / 8;
  // The last row's padding may be missing; its pixels may not.
  const std::int64_t needed = rowBytes * (L.height - 1) + lastRow;
  if (static_cast<std::int64_t>(size - L.bitsAt) < needed) return false;
  std::uint32_t palette[256] = {};
  for (std::uint32_t i = 0; i < 256 && L.bpp <= 8; ++i) palette[i] = PaletteColour(d, L, i);
  const int w = static_cast<int>(L.width);
  for (int row = 0; row < out.height; ++row) {
    const std::uint8_t* s = d + L.bitsAt + rowBytes * row;
    const int y = L.topDown ? row : out.height - 1 - row;
    std::uint32_t* o = &out.px[static_cast<std::size_t>(y) * w];
    switch (L.bpp) {
      case 1:
        for (int x = 0; x < w; ++x) o[x] = palette[(s[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x < w; ++x) o[x] = palette[(s[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
        break;
      case 8:
        for (int x = 0; x < w; ++x) o[x] = palette[s[x]];
        break;
      case 16:
        for (int x = 0; x < w; ++x) {
          const std::uint32_t v = U16(s + 2 * x);
          o[x] = (L.r.Get(v) << 16) | (L.g.Get(v) << 8) | L.b.Get(v);
        }
        break;
      case 24:
        for (int x = 0; x < w; ++x)
          o[x] = (static_cast<std::uint32_t>(s[3 * x + 2]) << 16) |
                 (static_cast<std::uint32_t>(s[3 * x + 1]) << 8) | s[3 * x];
        break;
      case 32:
        for (int x = 0; x < w; ++x) {
          const std::uint32_t v = U32(s + 4 * x);
          o[x] = (L.r.Get(v) << 16) | (L.g.Get(v) << 8) | L.b.Get(v);
        }
        break;
      default:
        return false;
    }
  }
  return true;
}

// RLE8 and RLE4: runs, literal stretches, end of line, delta and end of
// picture. Pixels the stream never reaches stay black, as in a new bitmap.
bool DecodeRle(const std::uint8_t* d, std::size_t size, const Layout& L, Image& out) {
  const bool four = L.compression == kRle4;
  std::uint32_t palette[256] = {};
  for (std::uint32_t i = 0; i < 256; ++i) palette[i] = PaletteColour(d, L, i);
  const std::int64_t w = L.width, h = L.height;
  std::int64_t x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](std::uint32_t index) {
    if (x < w && y < h)
      out.px[static_cast<std::size_t>(h - 1 - y) * static_cast<std::size_t>(w) +
             static_cast<std::size_t>(x)] = palette[index & 0xFF];
    ++x;
  };
  std::size_t p = L.bitsAt;
  while (y < h) {
    // A stream that ends early is a truncated file, unless every row is done.
    if (p + 2 > size) return false;
    const std::uint8_t a = d[p], b = d[p + 1];
    p += 2;
    if (a > 0) {
      for (int i = 0; i < a && x < w; ++i) put(four ? ((i & 1) ? (b & 0xF) : (b >> 4)) : b);
      continue;
    }
    switch (b) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of picture
        return true;
      case 2:  // delta
        if (p + 2 > size) return false;
        x += d[p];
        y += d[p + 1];
        p += 2;
        break;
      default: {  // literal pixels, padded to a 16-bit boundary
        const std::size_t bytes = four ? (b + 1u) / 2 : b;
        const std::size_t padded = (bytes + 1) & ~std::size_t{1};
        if (p + bytes > size) return false;
        for (int i = 0; i < b; ++i) {
          const std::uint8_t v = d[p + (four ? i / 2 : i)];
          put(four ? ((i & 1) ? (v & 0xF) : (v >> 4)) : v);
        }
        p += padded;
        break;
      }
    }
  }
  return true;
}

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, Image& out) {
  out = Image();
  Layout L;
  if (!ParseHeaders(data, size, L)) return false;
  Image img;
  try {
    img.width = static_cast<int>(L.width);
    img.height = static_cast<int>(L.height);
    img.px.assign(static_cast<std::size_t>(L.width * L.height), 0u);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const bool ok = (L.compression == kRle8 || L.compression == kRle4)
                      ? DecodeRle(data, size, L, img)
                      : DecodeUncompressed(data, size, L, img);
  if (!ok) return false;
  out = std::move(img);
  return true;
}

bool BmpIsMonochrome(const std::uint8_t* data, std::size_t size) {
  Layout L;
  if (!ParseHeaders(data, size, L) || L.bpp != 1 || L.paletteCount < 2) return false;
  return PaletteColour(data, L, 0) == 0x000000 && PaletteColour(data, L, 1) == 0xFFFFFF;
}

}  // namespace plat
