// Device-context triples (mGDI) and whole off-screen bitmaps (cBitmap).
#include <gtest/gtest.h>

#include "gfx/gfx_fixture.h"
#include "platform/forms.h"
#include "saver/gfx/cbitmap.h"
#include "saver/gfx/mgdi.h"
#include "support/test_util.h"

using namespace gfxtest;

namespace {

struct Triple {
  win::HDC dc = nullptr;
  win::HBITMAP bmp = nullptr;
  win::HGDIOBJ old = nullptr;
  ~Triple() { mGDI::DeleteDCBitmap(dc, bmp, old); }
};

// A freed DC no longer answers.
bool IsLiveDC(win::HDC dc) { return win::GetPixel(dc, 0, 0) != win::CLR_INVALID; }

}  // namespace

TEST(mGDI, AtSizeGivesDisplayOrOneBitFormatAndFreesCleanly) {
  Triple screen;
  ASSERT_TRUE(mGDI::CreateDCAtSize(false, screen.dc, screen.bmp, screen.old, 33, 17));
  ASSERT_NE(screen.dc, nullptr);
  ASSERT_NE(screen.bmp, nullptr);
  EXPECT_NE(screen.old, nullptr);
  BitmapInfo info = InfoOf(screen.bmp);
  EXPECT_EQ(info.width, 33);
  EXPECT_EQ(info.height, 17);
  EXPECT_EQ(info.bits, DisplayBits());
  // The previous bitmap is the DC's initial 1 x 1 one.
  info = InfoOf(screen.old);
  EXPECT_EQ(info.width, 1);
  EXPECT_EQ(info.height, 1);

  Triple mono;
  ASSERT_TRUE(mGDI::CreateDCAtSize(true, mono.dc, mono.bmp, mono.old, 40, 3));
  info = InfoOf(mono.bmp);
  EXPECT_EQ(info.width, 40);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.bits, 1);

  // Release zeroes the DC and the bitmap, keeps the previous handle, and a
  // second release is harmless.
  win::HDC dc = screen.dc;
  win::HGDIOBJ old = screen.old;
  mGDI::DeleteDCBitmap(screen.dc, screen.bmp, screen.old);
  EXPECT_EQ(screen.dc, nullptr);
  EXPECT_EQ(screen.bmp, nullptr);
  EXPECT_EQ(screen.old, old);
  EXPECT_FALSE(IsLiveDC(dc));
  mGDI::DeleteDCBitmap(screen.dc, screen.bmp, screen.old);
  EXPECT_EQ(screen.dc, nullptr);

  Triple empty;
  mGDI::DeleteDCBitmap(empty.dc, empty.bmp, empty.old);
  EXPECT_EQ(empty.dc, nullptr);
}

TEST(mGDI, FromFileLoadsAtTheFilesSizeOrFailsWithEverythingZero) {
  const Pixels pic = Pattern(7, 5, 1);
  const std::string path = BmpFile(pic);
  for (bool flag : {false, true}) {
    Triple t;
    ASSERT_TRUE(mGDI::CreateDCFromFile(flag, path, t.dc, t.bmp, t.old)) << flag;
    const BitmapInfo info = InfoOf(t.bmp);
    EXPECT_EQ(info.width, 7);
    EXPECT_EQ(info.height, 5);
    EXPECT_EQ(info.bits, DisplayBits());
    EXPECT_TRUE(SamePixels(pic, ReadDC(t.dc, 0, 0, 7, 5)));
  }
  Triple missing;
  // Outputs are zeroed first, whatever they held.
  missing.old = reinterpret_cast<win::HGDIOBJ>(1);
  EXPECT_FALSE(mGDI::CreateDCFromFile(false,
                                      testutil::Join(testutil::MakeTempDir("gfx"), "none.bmp"),
                                      missing.dc, missing.bmp, missing.old));
  EXPECT_EQ(missing.dc, nullptr);
  EXPECT_EQ(missing.bmp, nullptr);
  EXPECT_EQ(missing.old, nullptr);

  // A file that is not a bitmap fails the same way.
  const std::string junk = testutil::Join(testutil::MakeTempDir("gfx"), "junk.bmp");
  ASSERT_TRUE(testutil::WriteText(junk, "BM not really a bitmap"));
  Triple bad;
  EXPECT_FALSE(mGDI::CreateDCFromFile(false, junk, bad.dc, bad.bmp, bad.old));
  EXPECT_EQ(bad.dc, nullptr);
  EXPECT_EQ(bad.bmp, nullptr);
}

TEST(mGDI, FromPictureCopiesAndLeavesThePictureItsOwnBitmap) {
  const Pixels pic = Pattern(9, 4, 2);
  forms::Picture picture = ToPicture(pic);
  const win::HBITMAP handle = picture.Handle();
  ASSERT_NE(handle, nullptr);
  for (bool flag : {false, true}) {
    Triple t;
    ASSERT_TRUE(mGDI::CreateDCFromPicture(flag, picture, t.dc, t.bmp, t.old)) << flag;
    EXPECT_NE(t.bmp, handle);
    const BitmapInfo info = InfoOf(t.bmp);
    EXPECT_EQ(info.width, 9);
    EXPECT_EQ(info.height, 4);
    EXPECT_EQ(info.bits, DisplayBits());
    EXPECT_TRUE(SamePixels(pic, ReadDC(t.dc, 0, 0, 9, 4)));
  }
  // The picture still owns an intact bitmap that any DC can select.
  EXPECT_EQ(picture.Handle(), handle);
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::HGDIOBJ old = win::SelectObject(dc, handle);
  ASSERT_NE(old, nullptr);
  EXPECT_TRUE(SamePixels(pic, ReadDC(dc, 0, 0, 9, 4)));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);

  // An empty picture has nothing to copy.
  forms::Picture empty;
  Triple none;
  EXPECT_FALSE(mGDI::CreateDCFromPicture(false, empty, none.dc, none.bmp, none.old));
  EXPECT_EQ(none.bmp, nullptr);
}

TEST(cBitmap, NewObjectIsEmptyAndAFailedCreateKeepsTheLastSize) {
  cBitmap b;
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.hDC(), nullptr);
  const std::string missing = testutil::Join(testutil::MakeTempDir("gfx"), "missing.bmp");
  EXPECT_FALSE(b.CreateFromFile(missing));
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
  EXPECT_EQ(b.hDC(), nullptr);

  ASSERT_TRUE(b.CreateAtSize(30, 20));
  EXPECT_EQ(b.Width(), 30);
  EXPECT_EQ(b.Height(), 20);
  EXPECT_FALSE(b.CreateFromFile(missing));
  EXPECT_EQ(b.hDC(), nullptr);
  EXPECT_EQ(b.Width(), 30);
  EXPECT_EQ(b.Height(), 20);
  // Rendering an empty object draws nothing.
  const Pixels base = Pattern(40, 30, 3);
  Canvas canvas(base);
  b.RenderBitmap(canvas.dc(), 0, 0);
  EXPECT_TRUE(SamePixels(base, canvas.Read()));
}

TEST(cBitmap, CreatingAgainFreesTheFirstDCAndBitmap) {
  cBitmap b;
  ASSERT_TRUE(b.CreateAtSize(10, 10));
  const win::HDC first = b.hDC();
  ASSERT_TRUE(b.CreateFromFile(BmpFile(Pattern(12, 6, 4))));
  EXPECT_EQ(b.Width(), 12);
  EXPECT_EQ(b.Height(), 6);
  if (b.hDC() != first) {
    EXPECT_FALSE(IsLiveDC(first));
  }
  const win::HDC second = b.hDC();
  ASSERT_TRUE(b.CreateAtSize(5, 5));
  if (b.hDC() != second) {
    EXPECT_FALSE(IsLiveDC(second));
  }
}

TEST(cBitmap, RenderBitmapCopiesWithEachRasterOperationAndClipsToTheDestination) {
  const Pixels src = Pattern(16, 12, 5);
  const Pixels base = Pattern(40, 30, 6);
  cBitmap b;
  ASSERT_TRUE(b.CreateFromFile(BmpFile(src)));
  ASSERT_EQ(b.Width(), 16);
  ASSERT_EQ(b.Height(), 12);

  struct Case {
    win::DWORD rop;
    win::COLORREF (*op)(win::COLORREF d, win::COLORREF s);
  };
  const Case cases[] = {
      {win::SRCCOPY, [](win::COLORREF, win::COLORREF s) { return s; }},
      {win::SRCAND, [](win::COLORREF d, win::COLORREF s) { return d & s; }},
      {win::SRCPAINT, [](win::COLORREF d, win::COLORREF s) { return d | s; }},
      {win::SRCINVERT, [](win::COLORREF d, win::COLORREF s) { return d ^ s; }},
  };
  const int places[][2] = {{3, 5}, {-6, -4}, {30, 22}};
  for (const Case& c : cases) {
    for (const auto& at : places) {
      Canvas canvas(base);
      b.RenderBitmap(canvas.dc(), at[0], at[1], c.rop);
      Pixels expected = base;
      for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
          if (expected.contains(at[0] + x, at[1] + y))
            expected.at(at[0] + x, at[1] + y) = c.op(base.at(at[0] + x, at[1] + y), src.at(x, y));
      EXPECT_TRUE(SamePixels(expected, canvas.Read())) << std::hex << c.rop << " at " << at[0];
    }
  }
  // Without an operation it copies.
  Canvas canvas(base);
  b.RenderBitmap(canvas.dc(), 3, 5);
  Pixels expected = base;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) expected.at(x + 3, y + 5) = src.at(x, y);
  EXPECT_TRUE(SamePixels(expected, canvas.Read()));
}

TEST(cBitmap, FromPictureAndOddFiles) {
  const Pixels pic = Pattern(5, 3, 7);
  forms::Picture picture = ToPicture(pic);
  cBitmap b;
  ASSERT_TRUE(b.CreateFromPicture(picture));
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 3);
  EXPECT_TRUE(SamePixels(pic, ReadDC(b.hDC(), 0, 0, 5, 3)));
  forms::Picture empty;
  EXPECT_FALSE(b.CreateFromPicture(empty));
  EXPECT_EQ(b.Width(), 5);

  // A 1 x 1 file, and one wider than any screen.
  const Pixels one = Solid(1, 1, 0x00123456);
  ASSERT_TRUE(b.CreateFromFile(BmpFile(one)));
  EXPECT_EQ(b.Width(), 1);
  EXPECT_EQ(b.Height(), 1);
  EXPECT_EQ(win::GetPixel(b.hDC(), 0, 0), 0x00123456u);
  const Pixels wide = Pattern(5000, 2, 8);
  ASSERT_TRUE(b.CreateFromFile(BmpFile(wide)));
  EXPECT_EQ(b.Width(), 5000);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_TRUE(SamePixels(wide, ReadDC(b.hDC(), 0, 0, 5000, 2)));
}
