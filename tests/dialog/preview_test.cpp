// The preview: the handle read from the argument text, and the picture
// painted unscaled at the top-left corner of a real window of this process
// (under Wine one process does not see what another draws into its window),
// then the end of the program.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/image.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "saver/host/puzzle_form.h"
#include "saver/resources/resources.h"
#include "support/test_util.h"

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
    return testutil::EndsProgram(Module1::ShowPreview);
  }

  plat::Image Window() { return testutil::Read(window_.hDC(), 0, 0, kWindowW, kWindowH); }
  // The white window, with the preview picture unscaled at its corner or not.
  static plat::Image Expected(bool withPicture) {
    plat::Image img{kWindowW, kWindowH, std::vector<std::uint32_t>(kWindowW * kWindowH, 0xFFFFFF)};
    const forms::Picture& pic = saver_res::Preview();
    for (int y = 0; withPicture && y < pic.Height(); ++y)
      for (int x = 0; x < pic.Width(); ++x) img.at(x, y) = pic.At(x, y) & 0xFFFFFF;
    return img;
  }

  PreviewWindow window_;
};

// The argument's forms are the start-up tests' table; here what is drawn.
TEST_F(PreviewTest, ThePictureLandsUnscaledAtTheWindowsCorner) {
  ASSERT_TRUE(Preview("/p " + Handle()));
  EXPECT_EQ(testutil::FirstDifference(Expected(true), Window()), "");
  EXPECT_FALSE(ThePuzzleForm().IsShown());
}

TEST_F(PreviewTest, LeadingBlanksOrAGoneWindowEndNormally) {
  // Two leading blanks read as handle 0, the whole screen: this window,
  // away from the screen's corner, keeps what it had.
  ASSERT_TRUE(Preview("  /p " + Handle()));
  EXPECT_EQ(testutil::FirstDifference(Expected(false), Window()), "");

  PreviewWindow gone;
  gone.Show();
  forms::DoEvents();
  const std::string handle = std::to_string(win::LongFromHwnd(gone.hWnd()));
  gone.Unload();
  forms::DoEvents();
  ASSERT_TRUE(Preview("/p " + handle));
  EXPECT_EQ(testutil::FirstDifference(Expected(false), Window()), "");
}

}  // namespace
