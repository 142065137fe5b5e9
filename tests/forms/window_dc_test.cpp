// The window DC of a borderless form: what is copied to it is what the
// window shows, and reads back pixel for pixel.
#include <cstdint>

#include "forms/forms_fixture.h"
#include "platform/image.h"
#include "platform/winapi.h"

namespace {

using formstest::FormsTest;

class Canvas : public forms::Form {
 public:
  Canvas() {
    SetBorderStyle(forms::BorderStyle::None);
    SetClientSize(1500, 1200);  // 100 x 80 pixels
    SetLeft(0);
    SetTop(0);
  }
};

plat::Image Pattern(int w, int h) {
  plat::Image img;
  img.width = w;
  img.height = h;
  img.px.resize(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.at(x, y) = (static_cast<std::uint32_t>(x * 12) << 16) |
                     (static_cast<std::uint32_t>(y * 12) << 8) | ((x + y) % 2 ? 0xFFu : 0x10u);
  return img;
}

TEST_F(FormsTest, BitBltIntoTheWindowDcReadsBack) {
  Canvas c;
  c.Show();
  c.Refresh();
  forms::DoEvents();
  const win::HDC dc = c.hDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(c.hDC(), dc);  // the window keeps one DC

  const plat::Image pattern = Pattern(20, 16);
  const win::HBITMAP bmp = plat::CreateBitmapFromImage(pattern);
  ASSERT_NE(bmp, nullptr);
  const win::HDC mem = win::CreateCompatibleDC(dc);
  ASSERT_NE(mem, nullptr);
  const win::HGDIOBJ old = win::SelectObject(mem, bmp);
  ASSERT_TRUE(win::BitBlt(dc, 30, 40, 20, 16, mem, 0, 0, win::SRCCOPY));
  // Twice, in two places, partly over the window's edge (clipped there).
  ASSERT_TRUE(win::BitBlt(dc, 90, 70, 20, 16, mem, 0, 0, win::SRCCOPY));
  forms::DoEvents();

  plat::Image back;
  ASSERT_TRUE(plat::ReadPixels(dc, 30, 40, 20, 16, back));
  ASSERT_EQ(back.width, 20);
  ASSERT_EQ(back.height, 16);
  EXPECT_EQ(back.px, pattern.px);
  plat::Image corner;
  ASSERT_TRUE(plat::ReadPixels(dc, 90, 70, 10, 10, corner));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(corner.at(x, y), pattern.at(x, y)) << x << "," << y;

  // Drawing after a repaint is still there: the window shows its surface.
  c.Refresh();
  forms::DoEvents();
  ASSERT_TRUE(plat::ReadPixels(dc, 30, 40, 20, 16, back));
  EXPECT_EQ(back.px, pattern.px);

  win::SelectObject(mem, old);
  win::DeleteDC(mem);
  win::DeleteObject(bmp);
  c.Unload();
}

TEST_F(FormsTest, BorderlessFormSizedToTheScreenHasTheScreensPixels) {
  // As the stage sizes itself; the runtime's screen is a small one here.
  forms::SetScreenSizeOverride(320, 240);
  Canvas c;
  c.SetWidth(forms::Screen::Width());
  c.SetHeight(forms::Screen::Height());
  EXPECT_EQ(c.Width(), 4800.0f);  // borderless: outer size = client size
  EXPECT_EQ(c.ScaleHeight(), 3600.0f);
  c.Show();
  forms::DoEvents();
  const forms::test::PixelRect r = forms::test::ClientRect(c);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.width, 320);
  EXPECT_EQ(r.height, 240);
  // The surface covers the whole window: a copy to its far corner stays.
  const plat::Image dot = Pattern(1, 1);
  const win::HBITMAP bmp = plat::CreateBitmapFromImage(dot);
  const win::HDC mem = win::CreateCompatibleDC(c.hDC());
  const win::HGDIOBJ old = win::SelectObject(mem, bmp);
  ASSERT_TRUE(win::BitBlt(c.hDC(), 319, 239, 1, 1, mem, 0, 0, win::SRCCOPY));
  forms::DoEvents();
  plat::Image back;
  ASSERT_TRUE(plat::ReadPixels(c.hDC(), 319, 239, 1, 1, back));
  EXPECT_EQ(back.px, dot.px);
  win::SelectObject(mem, old);
  win::DeleteDC(mem);
  win::DeleteObject(bmp);
  c.Unload();
}

}  // namespace
