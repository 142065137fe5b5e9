// What the stage tests share: a program folder of their own with a settings
// file and pictures made here (sizes and colours the tests know), a small
// screen, the deterministic clock, and the warning and the end of the show
// caught instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"
#include "saver/stage/garden.h"
#include "saver/stage/run_options.h"
#include "support/test_util.h"

namespace stagetest {

// The flower kinds in drawing order (yellow, red, rose, white): their
// pictures, cells and growth periods.
constexpr int kKinds = 4;
extern const char* const kKindFile[kKinds];
extern const int kKindCells[kKinds];
extern const int kKindPeriod[kKinds];

using testutil::FirstDifference;
using testutil::Read;

class StageTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The settings file's flower section, and which pictures to leave out
  // ("2x/logo.bmp" names one of the folder for high-density screens).
  void MakeProgramFolder(const std::map<std::string, std::string>& counts,
                         const std::vector<std::string>& leaveOut = {}, bool markedStrip = false);
  void MakeProgramFolder(int yellow, int red, int rose, int white);
  // The screen the stage covers, pixels.
  void ScreenSize(int w, int h);

  // A show with the module's host, in place of the last one.
  stage::Garden& NewShow(const stage::RunOptions& options = {});
  // Loads the show and runs its frames as the program does; true when the
  // show ended.
  bool RunShow(stage::Garden& show);
  // The show's window's pixels.
  plat::Image Shown(stage::Garden& show);

  std::string folder_;
  std::vector<std::string> messages_;
  std::vector<std::string> captions_;
  int screenW_ = 320, screenH_ = 240;
  std::unique_ptr<stage::Garden> show_;
};

}  // namespace stagetest
