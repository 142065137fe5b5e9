// LoadImageA on .bmp files of every form, written here in code: the loaded
// bitmap's size, format and pixels, and the decoder the programs' own
// pictures use, which must give the same pixels as the system's loader.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "gdi/bmp_forms.h"
#include "gdi/gdi_fixture.h"
#include "platform/image.h"
#include "platform/winapi.h"
#include "support/test_util.h"

namespace {

std::string WriteSample(const bmpforms::Sample& s) {
  static const std::string dir = testutil::MakeTempDir("bmp");
  const std::string path = testutil::Join(dir, s.name);
  EXPECT_TRUE(plat::WriteFileBytes(path, s.bytes)) << path;
  return path;
}

win::HBITMAP Load(const std::string& path) {
  return static_cast<win::HBITMAP>(
      win::LoadImageA(nullptr, path.c_str(), win::IMAGE_BITMAP, 0, 0, win::LR_LOADFROMFILE));
}

int ScreenBits() {
  win::HDC screen = win::GetDC(nullptr);
  const int bits = win::GetDeviceCaps(screen, win::BITSPIXEL);
  win::ReleaseDC(nullptr, screen);
  return bits;
}

// Pixels of a bitmap through a memory DC and GetPixel, as 0x00RRGGBB.
plat::Image PixelsOf(win::HBITMAP bmp, int w, int h) {
  plat::Image img;
  img.width = w;
  img.height = h;
  img.px.resize(static_cast<std::size_t>(w) * h);
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, bmp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const win::COLORREF c = win::GetPixel(dc, x, y);
      img.at(x, y) = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return img;
}

::testing::AssertionResult SameImage(const plat::Image& want, const plat::Image& got) {
  if (want.width != got.width || want.height != got.height)
    return ::testing::AssertionFailure() << "size " << got.width << "x" << got.height << ", want "
                                         << want.width << "x" << want.height;
  int bad = 0;
  std::ostringstream o;
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x)
      if (want.at(x, y) != got.at(x, y) && ++bad <= 6)
        o << " (" << x << "," << y << ") 0x" << std::hex << got.at(x, y) << " want 0x"
          << want.at(x, y) << std::dec;
  if (bad == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " pixels differ:" << o.str();
}

TEST(BmpLoading, EveryFormLoadsWithTheDisplaysColours) {
  ASSERT_EQ(ScreenBits(), 32) << "the tests expect a 32-bit display";
  for (const bmpforms::Sample& s : bmpforms::AllForms()) {
    SCOPED_TRACE(s.name);
    const std::string path = WriteSample(s);
    win::HBITMAP bmp = Load(path);
    ASSERT_NE(bmp, nullptr);
    win::BITMAP bm{};
    ASSERT_NE(win::GetObjectA(bmp, sizeof(bm), &bm), 0);
    EXPECT_EQ(bm.bmWidth, s.expected.width);
    EXPECT_EQ(bm.bmHeight, s.expected.height);
    EXPECT_EQ(bm.bmBitsPixel, s.mono ? 1 : 32);
    // Wine's loader leaves the pixels of top-down files black (Windows and
    // ours decode them); our decoder's result is checked below all the same.
    if (!(testutil::OnWindows() && s.topDown)) {
      EXPECT_TRUE(SameImage(s.expected, PixelsOf(bmp, bm.bmWidth, bm.bmHeight)));
    }
    EXPECT_TRUE(win::DeleteObject(bmp));

    plat::Image decoded;
    ASSERT_TRUE(plat::DecodeBmp(s.bytes.data(), s.bytes.size(), decoded));
    EXPECT_TRUE(SameImage(s.expected, decoded)) << "decoder";
  }
}

TEST(BmpLoading, MalformedFilesAreRefused) {
  for (const bmpforms::Sample& s : bmpforms::Malformed()) {
    SCOPED_TRACE(s.name);
    win::HBITMAP bmp = Load(WriteSample(s));
    if (s.wineRefuses || !testutil::OnWindows()) {
      EXPECT_EQ(bmp, nullptr);
    }
    if (bmp) win::DeleteObject(bmp);
    plat::Image decoded;
    decoded.width = 3;
    EXPECT_FALSE(plat::DecodeBmp(s.bytes.data(), s.bytes.size(), decoded));
    EXPECT_EQ(decoded.width, 0);
    EXPECT_TRUE(decoded.px.empty());
  }
  EXPECT_EQ(Load(testutil::Join(testutil::MakeTempDir("bmp"), "missing.bmp")), nullptr);
}

// Every prefix of a valid file is refused or decoded, never read past.
TEST(BmpLoading, EveryTruncationOfEveryFormIsSafe) {
  for (const bmpforms::Sample& s : bmpforms::AllForms()) {
    for (std::size_t n = 0; n < s.bytes.size(); ++n) {
      const std::vector<std::uint8_t> cut(s.bytes.begin(), s.bytes.begin() + static_cast<long>(n));
      plat::Image img;
      if (plat::DecodeBmp(cut.data(), cut.size(), img)) {
        EXPECT_EQ(img.px.size(), static_cast<std::size_t>(img.width) * img.height) << s.name;
      }
    }
  }
}

TEST(BmpLoading, LoadedPicturesDrawLikeAnyBitmap) {
  // A loaded colour picture is a display bitmap: it copies into a screen-
  // compatible one unchanged, and a black-and-white one converts by the
  // destination's colours.
  for (const bmpforms::Sample& s : bmpforms::AllForms()) {
    if (s.name != "rgb24.bmp" && s.name != "mono.bmp") continue;
    SCOPED_TRACE(s.name);
    win::HBITMAP bmp = Load(WriteSample(s));
    ASSERT_NE(bmp, nullptr);
    win::HDC src = win::CreateCompatibleDC(nullptr);
    win::HGDIOBJ old = win::SelectObject(src, bmp);
    gditest::Surface dst(32, s.expected.width, s.expected.height);
    win::SetTextColor(dst.dc(), 0x0000FF);
    ASSERT_TRUE(win::BitBlt(dst.dc(), 0, 0, dst.w(), dst.h(), src, 0, 0, win::SRCCOPY));
    const auto got = dst.Read();
    for (int i = 0; i < dst.w() * dst.h(); ++i) {
      std::uint32_t want = s.expected.px[i];
      want = ((want & 0xFF) << 16) | (want & 0xFF00) | ((want >> 16) & 0xFF);
      if (s.mono && want == 0) want = 0x0000FF;
      ASSERT_EQ(got[i], want) << i;
    }
    win::SelectObject(src, old);
    win::DeleteDC(src);
    win::DeleteObject(bmp);
  }
}

}  // namespace
