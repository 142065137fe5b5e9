// Writing pictures (.bmp with 24 bits per pixel, .png) and whole files.
// The .png writer is ours: stored deflate blocks are all a screen capture
// needs, so no compression library is involved.
#include "platform/image.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>

namespace plat {

namespace {

void Put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
  v.push_back(static_cast<std::uint8_t>(x & 0xFF));
  v.push_back(static_cast<std::uint8_t>((x >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
void Put32Be(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<std::uint8_t>((x >> s) & 0xFF));
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
  static const auto table = [] {
    struct T {
      std::uint32_t v[256];
    } t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t.v[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) crc = table.v[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void Chunk(std::vector<std::uint8_t>& png, const char* type,
           const std::vector<std::uint8_t>& data) {
  Put32Be(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32Be(png, Crc32(png.data() + start, png.size() - start));
}

bool SizeOk(const Image& img) {
  return img.width > 0 && img.height > 0 &&
         img.px.size() ==
             static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Image& img) {
  std::vector<std::uint8_t> v;
  if (!SizeOk(img)) return v;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(img.width) * 3 + 3) & ~3ull;
  const std::uint64_t imageBytes = rowBytes * static_cast<std::uint64_t>(img.height);
  if (imageBytes + 54 > 0xFFFFFFFFull) return v;
  try {
    v.reserve(static_cast<std::size_t>(54 + imageBytes));
    v.push_back('B');
    v.push_back('M');
    Put32(v, static_cast<std::uint32_t>(54 + imageBytes));
    Put32(v, 0);
    Put32(v, 54);
    Put32(v, 40);
    Put32(v, static_cast<std::uint32_t>(img.width));
    Put32(v, static_cast<std::uint32_t>(img.height));
    Put16(v, 1);
    Put16(v, 24);
    Put32(v, 0);
    Put32(v, static_cast<std::uint32_t>(imageBytes));
    Put32(v, 2835);  // 72 dots per inch
    Put32(v, 2835);
    Put32(v, 0);
    Put32(v, 0);
    for (int y = img.height - 1; y >= 0; --y) {
      for (int x = 0; x < img.width; ++x) {
        const std::uint32_t c = img.at(x, y);
        v.push_back(static_cast<std::uint8_t>(c & 0xFF));
        v.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        v.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
      }
      for (std::uint64_t i = static_cast<std::uint64_t>(img.width) * 3; i < rowBytes; ++i)
        v.push_back(0);
    }
  } catch (const std::bad_alloc&) {
    return {};
  }
  return v;
}

std::vector<std::uint8_t> EncodePng(const Image& img) {
  std::vector<std::uint8_t> png;
  if (!SizeOk(img)) return png;
  try {
    // The raw scan lines: filter type 0, then red, green, blue.
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(img.height) *
                (1 + 3 * static_cast<std::size_t>(img.width)));
    for (int y = 0; y < img.height; ++y) {
      raw.push_back(0);
      for (int x = 0; x < img.width; ++x) {
        const std::uint32_t c = img.at(x, y);
        raw.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
        raw.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        raw.push_back(static_cast<std::uint8_t>(c & 0xFF));
      }
    }
    // zlib stream of stored blocks, then the Adler-32 of the raw data.
    std::vector<std::uint8_t> z;
    z.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
    z.push_back(0x78);
    z.push_back(0x01);
    std::size_t pos = 0;
    do {
      const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
      const bool last = pos + n == raw.size();
      z.push_back(last ? 1 : 0);
      Put16(z, static_cast<std::uint32_t>(n));
      Put16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
      z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
               raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
      pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
      a = (a + c) % 65521;
      b = (b + a) % 65521;
    }
    Put32Be(z, (b << 16) | a);

    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.assign(kSignature, kSignature + 8);
    std::vector<std::uint8_t> ihdr;
    Put32Be(ihdr, static_cast<std::uint32_t>(img.width));
    Put32Be(ihdr, static_cast<std::uint32_t>(img.height));
    ihdr.push_back(8);  // bits per channel
    ihdr.push_back(2);  // truecolour
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(0);
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
  } catch (const std::bad_alloc&) {
    return {};
  }
  return png;
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxSize) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = true;
  std::uint8_t buf[65536];
  for (;;) {
    const std::size_t n = std::fread(buf, 1, sizeof buf, f);
    if (n == 0) break;
    if (out.size() + n > maxSize) {
      ok = false;
      break;
    }
    try {
      out.insert(out.end(), buf, buf + n);
    } catch (const std::bad_alloc&) {
      ok = false;
      break;
    }
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  if (!ok) out.clear();
  return ok;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

}  // namespace plat
