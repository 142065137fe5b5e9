// On a real X server: what is copied to a form's window DC is what the
// screen shows, put there by the platform itself (shared memory, or plain
// requests where it cannot share), through many small copies, a native
// window made anew, a picture larger than one request, and an expose.
// Runs under an X server of its own (ctest's forms_x11_tests); elsewhere
// it is skipped.
#ifndef _WIN32
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "forms/forms_fixture.h"
#include "platform/image.h"
#include "platform/portable/present.h"
#include "platform/winapi.h"
// Last: Xlib's macros (None, Bool, Status) would clash with the others.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#undef None  // a border style's name here

namespace {

using formstest::FormsTest;

bool OnX() {
  const char* p = std::getenv("QT_QPA_PLATFORM");
  return p && std::strcmp(p, "xcb") == 0 && std::getenv("DISPLAY");
}

class Canvas : public forms::Form {
 public:
  Canvas(int w, int h) {
    SetBorderStyle(forms::BorderStyle::None);
    SetClientSize(static_cast<float>(w) * 15, static_cast<float>(h) * 15);
    SetLeft(0);
    SetTop(0);
  }
};

// A memory bitmap of a pattern that differs from pixel to pixel.
struct PatternDc {
  plat::Image img;
  win::HBITMAP bmp = nullptr;
  win::HDC dc = nullptr;
  win::HGDIOBJ old = nullptr;
  PatternDc(win::HDC like, int w, int h, std::uint32_t seed) {
    img.width = w;
    img.height = h;
    img.px.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        img.at(x, y) = (static_cast<std::uint32_t>(x * 7 + seed) & 0xFF) << 16 |
                       (static_cast<std::uint32_t>(y * 5 + seed) & 0xFF) << 8 |
                       (static_cast<std::uint32_t>(x ^ y) & 0xFF);
    bmp = plat::CreateBitmapFromImage(img);
    dc = win::CreateCompatibleDC(like);
    old = win::SelectObject(dc, bmp);
  }
  ~PatternDc() {
    win::SelectObject(dc, old);
    win::DeleteDC(dc);
    win::DeleteObject(bmp);
  }
};

// The screen's pixels, as another program reads them.
class Screen {
 public:
  Screen() : d_(XOpenDisplay(nullptr)) {}
  ~Screen() {
    if (d_) XCloseDisplay(d_);
  }
  bool Ok() const { return d_ != nullptr; }
  // Whether the screen at (x, y) shows `want` (0x00RRGGBB, row-major w x h).
  bool Shows(int x, int y, int w, int h, const std::function<std::uint32_t(int, int)>& want) {
    XImage* img = XGetImage(d_, DefaultRootWindow(d_), x, y, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!img) return false;
    bool same = true;
    for (int j = 0; j < h && same; ++j)
      for (int i = 0; i < w && same; ++i) same = (XGetPixel(img, i, j) & 0xFFFFFF) == want(i, j);
    XDestroyImage(img);
    return same;
  }
  Display* display() { return d_; }

 private:
  Display* d_;
};

// Processes events until `done`, for at most three seconds.
bool Until(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < end) {
    forms::DoEvents();
    if (done()) return true;
    usleep(10000);
  }
  return done();
}

class X11Present : public FormsTest {
 protected:
  void SetUp() override {
    if (!OnX()) GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb and an X server";
    FormsTest::SetUp();
    ASSERT_TRUE(screen_.Ok());
  }
  void TearDown() override {
    portable::present::SetSharedMemoryForTest(true);
    if (OnX()) FormsTest::TearDown();
  }
  // Fills `c` with a pattern and waits until the screen shows it.
  void Fill(Canvas& c, int w, int h, std::uint32_t seed) {
    PatternDc p(c.hDC(), w, h, seed);
    ASSERT_TRUE(win::BitBlt(c.hDC(), 0, 0, w, h, p.dc, 0, 0, win::SRCCOPY));
    EXPECT_TRUE(Until([&] { return screen_.Shows(0, 0, w, h, At(p.img)); }));
  }
  // Shows `c` filled with one pattern, then (the window up, so that the
  // toolkit's first painting is past) with another.
  void ShowFilled(Canvas& c, int w, int h, std::uint32_t seed) {
    c.Show();
    Fill(c, w, h, seed + 100);
    Fill(c, w, h, seed);
  }
  static std::function<std::uint32_t(int, int)> At(const plat::Image& img, int ox = 0, int oy = 0) {
    return [&img, ox, oy](int x, int y) { return img.at(x + ox, y + oy); };
  }
  Screen screen_;
};

TEST_F(X11Present, CopiesReachTheScreenThroughSharedMemoryAndWithout) {
  for (bool shared : {true, false}) {
    SCOPED_TRACE(shared ? "shared memory" : "plain requests");
    portable::present::SetSharedMemoryForTest(shared);
    const auto before = portable::present::CountsForTest();
    Canvas c(160, 120);
    ShowFilled(c, 160, 120, shared ? 1 : 2);
    // Small copies, more places than are kept apart (each of 70 cells).
    PatternDc q(c.hDC(), 160, 120, 77);
    for (int k = 0; k < 70; ++k) {
      const int x = (k % 10) * 16, y = (k / 10) * 17;
      ASSERT_TRUE(win::BitBlt(c.hDC(), x, y, 9, 9, q.dc, x, y, win::SRCCOPY));
    }
    // The rest shows the first pattern.
    PatternDc first(c.hDC(), 160, 120, shared ? 1 : 2);
    EXPECT_TRUE(Until([&] {
      return screen_.Shows(0, 0, 160, 120, [&](int x, int y) {
        const bool inCell = (x % 16) < 9 && (y % 17) < 9 && y < 7 * 17;
        return inCell ? q.img.at(x, y) : first.img.at(x, y);
      });
    }));
    const auto after = portable::present::CountsForTest();
    if (shared) {
      EXPECT_GT(after.shared, before.shared);
    } else {
      EXPECT_EQ(after.shared, before.shared);
      EXPECT_GT(after.plain, before.plain);
    }
    c.Unload();
  }
}

}  // namespace
#endif
