// LoadImageA on .bmp files of every form picture editors write (the
// committed fuzzing corpus): the loaded bitmap's size, format and pixels,
// which under Wine are the system loader's and must equal our decoder's;
// the decoder's pixels are pinned by a digest so that Linux checks them too.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gdi/gdi_fixture.h"
#include "platform/image.h"
#include "platform/winapi.h"
#include "support/test_util.h"

namespace {

struct Form {
  const char* name;
  int bits;  // of the loaded bitmap: 1 only for black-then-white files
  bool topDown;
  std::uint32_t digest;  // of the decoded size and pixels
};

// clang-format off
const Form kForms[] = {
    {"pal1_colour.bmp", 32, false, 0x703586D0}, {"pal4.bmp", 32, false, 0x22D77C78},
    {"pal4_short_table.bmp", 32, false, 0x1E0B963A}, {"pal8.bmp", 32, false, 0x04791FD8},
    {"pal8_short_table.bmp", 32, false, 0x6A13D6EB}, {"pal8_topdown.bmp", 32, true, 0x3159222A},
    {"pal1_topdown.bmp", 32, true, 0xA46F8EAC}, {"core_pal1.bmp", 32, false, 0x78EEE0CF},
    {"core_pal4.bmp", 32, false, 0x1B9C9F50}, {"core_pal8.bmp", 32, false, 0x32127A13},
    {"v5_pal8.bmp", 32, false, 0x28B6DEC5}, {"mono.bmp", 1, false, 0x2E6A2734},
    {"mono_inverted.bmp", 32, false, 0x44AB28C4}, {"rgb16_555.bmp", 32, false, 0x250B2F24},
    {"rgb16_555_topdown.bmp", 32, true, 0xF941289B}, {"bitfields16_565.bmp", 32, false, 0x47D1799C},
    {"bitfields16_444.bmp", 32, false, 0x744042C2}, {"bitfields16_332.bmp", 32, false, 0x7017580C},
    {"rgb32.bmp", 32, false, 0x75CF2B8E}, {"rgb32_topdown.bmp", 32, true, 0xDAE487C0},
    {"bitfields32.bmp", 32, false, 0x3332CA9F}, {"bitfields32_bgr.bmp", 32, false, 0x9254B53C},
    {"bitfields32_101010.bmp", 32, false, 0x15FFC497}, {"v4_bitfields16_565.bmp", 32, false, 0xA2896845},
    {"v5_bitfields32.bmp", 32, true, 0x1EDBE8CE}, {"rgb24.bmp", 32, false, 0x31A703FD},
    {"rgb24_topdown.bmp", 32, true, 0x9A62435D}, {"rgb24_1x1.bmp", 32, false, 0x83A6521F},
    {"core_rgb24.bmp", 32, false, 0x8C971C7C}, {"v4_rgb24.bmp", 32, false, 0xF200CC92},
    {"pal8_offbits0.bmp", 32, false, 0x7606CFA4}, {"rle8.bmp", 32, false, 0xFCDB7F66},
    {"rle4.bmp", 32, false, 0xD67E3D1A},
};
// clang-format on

std::string CorpusFile(const std::string& name) {
  return testutil::Join(testutil::Join(testutil::SourceDir(), "tests/fuzz/corpus"), name);
}

std::vector<std::uint8_t> Bytes(const std::string& name) {
  std::vector<std::uint8_t> b;
  EXPECT_TRUE(plat::ReadFileBytes(CorpusFile(name), b)) << name;
  return b;
}

std::string WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  static const std::string dir = testutil::MakeTempDir("bmp");
  const std::string path = testutil::Join(dir, name);
  EXPECT_TRUE(plat::WriteFileBytes(path, bytes)) << path;
  return path;
}

win::HBITMAP Load(const std::string& path) {
  return static_cast<win::HBITMAP>(
      win::LoadImageA(nullptr, path.c_str(), win::IMAGE_BITMAP, 0, 0, win::LR_LOADFROMFILE));
}

std::uint32_t Digest(const plat::Image& img) {
  std::uint32_t h = 2166136261u;
  auto mix = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 16777619u;
  };
  mix(static_cast<std::uint32_t>(img.width));
  mix(static_cast<std::uint32_t>(img.height));
  for (std::uint32_t p : img.px) mix(p);
  return h;
}

// Pixels of a bitmap through a memory DC, as 0x00RRGGBB.
plat::Image PixelsOf(win::HBITMAP bmp, int w, int h) {
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, bmp);
  plat::Image img;
  EXPECT_TRUE(plat::ReadPixels(dc, 0, 0, w, h, img));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return img;
}

TEST(BmpLoading, EveryFormLoadsAsTheDecoderReadsIt) {
  win::HDC screen = win::GetDC(nullptr);
  ASSERT_EQ(win::GetDeviceCaps(screen, win::BITSPIXEL), 32) << "the tests expect a 32-bit display";
  win::ReleaseDC(nullptr, screen);
  for (const Form& f : kForms) {
    SCOPED_TRACE(f.name);
    const std::vector<std::uint8_t> bytes = Bytes(f.name);
    plat::Image decoded;
    ASSERT_TRUE(plat::DecodeBmp(bytes.data(), bytes.size(), decoded));
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", Digest(decoded));
    EXPECT_EQ(Digest(decoded), f.digest) << "decoded " << hex;

    win::HBITMAP bmp = Load(CorpusFile(f.name));
    ASSERT_NE(bmp, nullptr);
    win::BITMAP bm{};
    ASSERT_NE(win::GetObjectA(bmp, sizeof(bm), &bm), 0);
    EXPECT_EQ(bm.bmWidth, decoded.width);
    EXPECT_EQ(bm.bmHeight, decoded.height);
    EXPECT_EQ(bm.bmBitsPixel, f.bits);
    // Wine's loader leaves the pixels of top-down files black (Windows and
    // ours decode them).
    if (!(testutil::OnWindows() && f.topDown)) {
      EXPECT_EQ(Digest(PixelsOf(bmp, bm.bmWidth, bm.bmHeight)), Digest(decoded)) << "loaded";
    }
    EXPECT_TRUE(win::DeleteObject(bmp));
  }
}

// Damaged files are refused (the load returns 0) and decode to nothing.
TEST(BmpLoading, MalformedFilesAreRefused) {
  const std::vector<std::uint8_t> good = Bytes("rgb24.bmp");
  auto set32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
  };
  struct Damage {
    const char* name;
    void (*change)(std::vector<std::uint8_t>&, decltype(set32)&);
    bool wineRefuses;  // Wine's loader makes a bitmap of most broken files
  };
  const Damage damages[] = {
      {"empty", [](auto& b, auto&) { b.clear(); }, true},
      {"no_magic", [](auto& b, auto&) { b[0] = 'X'; }, true},
      {"header_only", [](auto& b, auto&) { b.resize(30); }, false},
      {"truncated_pixels", [](auto& b, auto&) { b.resize(b.size() / 2); }, false},
      {"zero_width", [](auto& b, auto& s) { s(b, 18, 0); }, false},
      {"zero_height", [](auto& b, auto& s) { s(b, 22, 0); }, false},
      {"negative_width", [](auto& b, auto& s) { s(b, 18, 0xFFFFFFF0u); }, false},
      {"huge", [](auto& b, auto& s) { s(b, 18, 100000), s(b, 22, 100000); }, true},
      {"bits_per_pixel_7", [](auto& b, auto&) { b[28] = 7; }, false},
      {"unknown_compression", [](auto& b, auto& s) { s(b, 30, 9); }, false},
      {"offbits_past_end", [](auto& b, auto& s) { s(b, 10, 0x7FFFFFF0u); }, false},
      {"bad_header_size", [](auto& b, auto& s) { s(b, 14, 20); }, true},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    std::vector<std::uint8_t> b = good;
    d.change(b, set32);
    win::HBITMAP bmp = Load(WriteTemp(std::string(d.name) + ".bmp", b));
    if (d.wineRefuses || !testutil::OnWindows()) {
      EXPECT_EQ(bmp, nullptr);
    }
    if (bmp) win::DeleteObject(bmp);
    plat::Image decoded;
    decoded.width = 3;
    EXPECT_FALSE(plat::DecodeBmp(b.data(), b.size(), decoded));
    EXPECT_EQ(decoded.width, 0);
    EXPECT_TRUE(decoded.px.empty());
  }
  // A bottom-up height on a compressed file is refused too.
  std::vector<std::uint8_t> rle = Bytes("rle8.bmp");
  set32(rle, 22, static_cast<std::uint32_t>(-4));
  plat::Image decoded;
  EXPECT_FALSE(plat::DecodeBmp(rle.data(), rle.size(), decoded));
  EXPECT_EQ(Load(testutil::Join(testutil::MakeTempDir("bmp"), "missing.bmp")), nullptr);
}

}  // namespace
