// The preview: the handle read from the argument text, and the picture
// painted unscaled at the top-left corner of a real window of this process
// (under Wine one process does not see what another draws into its window),
// then the end of the program.
#include <gtest/gtest.h>

#include <string>

#include "platform/forms.h"
#include "platform/image.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "saver/host/puzzle_form.h"
#include "saver/resources/resources.h"

namespace {

constexpr int kWindowW = 240, kWindowH = 180;

class PreviewWindow : public forms::Form {
 public:
  PreviewWindow() {
    SetCaption("preview area");
    SetBorderStyle(forms::BorderStyle::None);
    SetBackColor(forms::kBlack);
    SetLeft(300 * forms::Screen::TwipsPerPixelX());
    SetTop(200 * forms::Screen::TwipsPerPixelY());
    SetClientSize(kWindowW * forms::Screen::TwipsPerPixelX(),
                  kWindowH * forms::Screen::TwipsPerPixelY());
  }
};

class PreviewTest : public testing::Test {
 protected:
  void SetUp() override {
    forms::Init();
    forms::SetScreenSizeOverride(0, 0);
    window_.Show();
    for (int i = 0; i < 20; ++i) forms::DoEvents();
    // A known start: the whole window white.
    const win::HDC dc = window_.hDC();
    ASSERT_NE(dc, nullptr);
    win::BitBlt(dc, 0, 0, kWindowW, kWindowH, nullptr, 0, 0, win::WHITENESS);
    forms::DoEvents();
  }
  void TearDown() override {
    plat::SetArgumentsForTest("");
    forms::DoEvents();
  }

  std::string Handle() const { return std::to_string(win::LongFromHwnd(window_.hWnd())); }

  // Runs the preview with this argument text; true when it ended the
  // program with status 0.
  static bool Preview(const std::string& argumentText) {
    plat::SetArgumentsForTest(argumentText);
    try {
      Module1::ShowPreview();
    } catch (const plat::ProgramEnded& e) {
      EXPECT_EQ(e.code, 0);
      return true;
    }
    return false;
  }

  plat::Image Window() {
    plat::Image img;
    EXPECT_TRUE(plat::ReadPixels(window_.hDC(), 0, 0, kWindowW, kWindowH, img));
    return img;
  }

  // The first pixel of the picture's place that does not show the picture.
  static std::string PictureDifference(const plat::Image& shown) {
    const forms::Picture& pic = saver_res::Preview();
    for (int y = 0; y < pic.Height(); ++y)
      for (int x = 0; x < pic.Width(); ++x)
        if ((shown.at(x, y) & 0xFFFFFF) != (pic.At(x, y) & 0xFFFFFF)) {
          char text[96];
          std::snprintf(text, sizeof text, "(%d, %d) is %06X, the picture has %06X", x, y,
                        shown.at(x, y) & 0xFFFFFFu, pic.At(x, y) & 0xFFFFFFu);
          return text;
        }
    return "";
  }

  static bool AllWhite(const plat::Image& img, int left, int top) {
    for (int y = top; y < img.height; ++y)
      for (int x = left; x < img.width; ++x)
        if ((img.at(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
    return true;
  }

  PreviewWindow window_;
};

TEST_F(PreviewTest, ThePictureLandsUnscaledAtTheWindowsCorner) {
  for (const std::string& text : {"/p " + Handle(), "/p:" + Handle(), "/P " + Handle()}) {
    SCOPED_TRACE(text);
    win::BitBlt(window_.hDC(), 0, 0, kWindowW, kWindowH, nullptr, 0, 0, win::WHITENESS);
    ASSERT_TRUE(Preview(text));
    const plat::Image shown = Window();
    ASSERT_EQ(shown.width, kWindowW);
    EXPECT_EQ(PictureDifference(shown), "");
    // Unscaled and nowhere else: beyond the picture holder, whose pixels
    // end with the picture, the window keeps what it had.
    EXPECT_TRUE(AllWhite(shown, 151, 0));
    EXPECT_TRUE(AllWhite(shown, 0, 119));
    EXPECT_FALSE(ThePuzzleForm().IsShown());
  }
}

TEST_F(PreviewTest, LeadingBlanksOrAGoneWindowEndNormally) {
  // Two leading blanks read as handle 0, the whole screen: this window,
  // away from the screen's corner, keeps what it had.
  ASSERT_TRUE(Preview("  /p " + Handle()));
  EXPECT_TRUE(AllWhite(Window(), 0, 0));

  PreviewWindow gone;
  gone.Show();
  forms::DoEvents();
  const std::string handle = std::to_string(win::LongFromHwnd(gone.hWnd()));
  gone.Unload();
  forms::DoEvents();
  ASSERT_TRUE(Preview("/p " + handle));
  EXPECT_TRUE(AllWhite(Window(), 0, 0));
}

}  // namespace
