// The stage's set-up: the counts from the settings file, every picture
// loaded (only those of kinds with flowers), the flowers planted, both
// off-screen bitmaps plain lawn; and every failure ends the show with the
// missing-files warning.
#include <map>
#include <set>
#include <string>

#include "platform/forms.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "saver/stage/random.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::StageTest;

class SetUpTest : public StageTest {
 protected:
  // Sets up a stage; true when it worked. A failure must have ended the
  // show after exactly one warning.
  bool SetUpWith(const std::map<std::string, std::string>& counts,
                 const std::vector<std::string>& leaveOut = {}) {
    MakeProgramFolder(counts, leaveOut);
    messages_.clear();
    Form1& form = NewStage();
    const bool ok = form.SetUpForTest();
    if (ok) {
      EXPECT_TRUE(messages_.empty());
    } else {
      EXPECT_EQ(messages_.size(), 1u);
      if (!messages_.empty()) {
        EXPECT_EQ(messages_[0], Module1::MissingFilesText());
        EXPECT_EQ(captions_[0], "Tamarel Screen Saver");
      }
      EXPECT_FALSE(form.IsLoaded());  // the end of the show unloaded it
    }
    return ok;
  }
  static std::map<std::string, std::string> Counts(const char* y, const char* r, const char* ro,
                                                   const char* w) {
    return {{"yellow", y}, {"red", r}, {"rose", ro}, {"white", w}};
  }
};

TEST_F(SetUpTest, BadCountsEndTheShowWithTheWarning) {
  for (const char* bad : {"", "many", "40000", "-40000", "1e9", "0x10"}) {
    SCOPED_TRACE(std::string("red = '") + bad + "'");
    EXPECT_FALSE(SetUpWith(Counts("1", bad, "1", "1")));
  }
  // A count missing from the file reads as an empty text.
  EXPECT_FALSE(SetUpWith({{"yellow", "1"}, {"red", "1"}, {"white", "1"}}));
}

TEST_F(SetUpTest, KindsWithoutFlowersNeedNoPictures) {
  ASSERT_TRUE(SetUpWith(Counts("0", "0", "0", "0"),
                        {"yellowFlower.bmp", "redFlower.bmp", "roses.bmp", "whiteFlower.bmp"}));
  Form1& f = TheForm1();
  EXPECT_FALSE(f.YellowSheet() || f.RedSheet() || f.RoseSheet() || f.WhiteSheet());
  EXPECT_TRUE(f.YellowFlowers().empty() && f.Roses().empty());

  // A missing roses.bmp does no harm when there are no roses; a negative
  // count skips its kind here too (the frame loop refuses it later).
  EXPECT_TRUE(SetUpWith(Counts("2", "2", "0", "2"), {"roses.bmp"}));
  EXPECT_TRUE(SetUpWith(Counts("2", "2", "-1", "2"), {"roses.bmp"}));
  EXPECT_FALSE(TheForm1().RoseSheet());
}

TEST_F(SetUpTest, EveryMissingPictureEndsTheShow) {
  for (const char* file : {"lawn.bmp", "logo.bmp", "tractor.bmp", "blank.bmp", "yellowFlower.bmp",
                           "redFlower.bmp", "roses.bmp", "whiteFlower.bmp"}) {
    SCOPED_TRACE(file);
    EXPECT_FALSE(SetUpWith(Counts("1", "1", "1", "1"), {file}));
  }
  // Also with no flowers at all, the lawn, logo, tractor and strip are needed.
  for (const char* file : {"lawn.bmp", "logo.bmp", "tractor.bmp", "blank.bmp"}) {
    SCOPED_TRACE(file);
    EXPECT_FALSE(SetUpWith(Counts("0", "0", "0", "0"), {file}));
  }
}

TEST_F(SetUpTest, TheSceneAfterTheSetUp) {
  ScreenSize(200, 150);
  ASSERT_TRUE(SetUpWith(Counts("10", "10", "10", "10")));
  Form1& f = TheForm1();

  // Every flower active at cell 0, somewhere in 0..200 x 0..150 (edges
  // included); the positions differ. (The full-screen window is the
  // end-to-end start-up's, the timer's minute the show test's.)
  std::set<std::pair<int, int>> places;
  for (const Form1::Sprites* kind :
       {&f.YellowFlowers(), &f.RedFlowers(), &f.Roses(), &f.WhiteFlowers()}) {
    ASSERT_EQ(kind->size(), 11u);
    EXPECT_EQ((*kind)[0], nullptr);
    for (std::size_t i = 1; i < kind->size(); ++i) {
      const cSprite& s = *(*kind)[i];
      EXPECT_TRUE(s.Active());
      EXPECT_EQ(s.Cell(), 0);
      EXPECT_GE(s.X(), 0);
      EXPECT_LE(s.X(), 200);
      EXPECT_GE(s.Y(), 0);
      EXPECT_LE(s.Y(), 150);
      places.insert({s.X(), s.Y()});
    }
  }
  EXPECT_GT(places.size(), 36u);
  EXPECT_TRUE(f.Tractor()->Active());
  EXPECT_TRUE(f.Blank()->Active());
  EXPECT_EQ(f.Tractor()->Width(), stagetest::kTractorW);  // six cells

  // Both bitmaps are the plain lawn, tiled from the top-left corner.
  const plat::Image lawn = stagetest::TiledLawn(200, 150);
  for (cBitmap* area : {f.Stage(), f.Lawn()}) {
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(stagetest::FirstDifference(lawn, stagetest::Read(area->hDC(), 0, 0, 200, 150)), "");
  }
}

TEST_F(SetUpTest, From168DpiThePicturesComeFromThe2xFolder) {
  for (const float dpi : {144.0f, 168.0f}) {
    SCOPED_TRACE(dpi);
    forms::SetTwipsPerPixelForTest(1440.0f / dpi);
    EXPECT_EQ(SetUpWith(Counts("1", "1", "1", "1"), {"2x/logo.bmp"}), dpi < 168);
  }
}

TEST_F(SetUpTest, AtEveryScaleTheStageCoversTheWholeScreen) {
  // 168, 192 and 216 dpi: twips per pixel is not whole there.
  for (const float dpi : {168.0f, 192.0f, 216.0f}) {
    SCOPED_TRACE(dpi);
    forms::SetTwipsPerPixelForTest(1440.0f / dpi);
    ScreenSize(1280, 720);
    ASSERT_TRUE(SetUpWith(Counts("1", "1", "1", "1")));
    Form1& f = TheForm1();
    EXPECT_EQ(f.Stage()->Width(), 1280);
    EXPECT_EQ(f.Lawn()->Height(), 720);
    f.PrepareForTest();
    EXPECT_EQ(f.ScreenWidth(), 1280);
    EXPECT_EQ(f.Logo()->Y(), 720 - stagetest::kLogoH - 5);
    EXPECT_EQ(f.Tractor()->Y(), 720 - stagetest::kTractorH);
  }
}

}  // namespace
