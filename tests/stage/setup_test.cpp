// The show's set-up: the counts from the settings file, every picture
// loaded (only those of kinds with flowers), the stage as large as the
// screen at every scale; and every failure ends the show with the
// missing-files warning.
#include <map>
#include <string>

#include "platform/forms.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::StageTest;

class SetUpTest : public StageTest {
 protected:
  // Sets up a show; true when it worked. A failure must have ended the
  // show after exactly one warning.
  bool SetUpWith(const std::map<std::string, std::string>& counts,
                 const std::vector<std::string>& leaveOut = {}) {
    MakeProgramFolder(counts, leaveOut);
    messages_.clear();
    stage::Garden& show = NewShow();
    bool loaded = false;
    const bool ended = testutil::EndsProgram([&] { loaded = show.Load(); });
    if (loaded && !ended) {
      EXPECT_TRUE(messages_.empty());
      return true;
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(messages_.size(), 1u);
    if (!messages_.empty()) {
      EXPECT_EQ(messages_[0], Module1::MissingFilesText());
      EXPECT_EQ(captions_[0], "Tamarel Screen Saver");
    }
    for (Form1* w : show.Windows()) EXPECT_FALSE(w->IsLoaded());  // the end unloaded it
    return false;
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
  EXPECT_TRUE(SetUpWith(Counts("0", "0", "0", "0"),
                        {"yellowFlower.bmp", "redFlower.bmp", "roses.bmp", "whiteFlower.bmp"}));
  // A missing roses.bmp does no harm when there are no roses; a negative
  // count skips its kind here too (the frame loop refuses it later).
  EXPECT_TRUE(SetUpWith(Counts("2", "2", "0", "2"), {"roses.bmp"}));
  EXPECT_TRUE(SetUpWith(Counts("2", "2", "-1", "2"), {"roses.bmp"}));
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
    const stage::Scene& scene = show_->Windows().front()->Scene();
    EXPECT_EQ(scene.Stage().Width(), 1280);
    EXPECT_EQ(scene.Stage().Height(), 720);
  }
}

}  // namespace
