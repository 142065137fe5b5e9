// The mowing pass: rows from the bottom to above the top, the frames of a
// row, the tractor's cell going on from pass to pass, the timer held during
// a pass, and the garden plain lawn again at its end.
#include <vector>

#include "saver/stage/form1.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::kBlankH;
using stagetest::kBlankW;
using stagetest::kTractorH;
using stagetest::kTractorW;
using stagetest::StageTest;

struct Pass {
  int frames = 0;
  std::vector<int> rowFrames;  // frames each row lasted
  std::vector<int> rowTops;    // the tractor's top in each row
  std::vector<int> cells;      // the tractor's cell, frame by frame
};

class MowingTest : public StageTest {
 protected:
  Form1& Ready(int w, int h, int each) {
    ScreenSize(w, h);
    MakeProgramFolder(each, each, each, each);
    Form1& f = NewStage();
    EXPECT_TRUE(f.SetUpForTest());
    f.PrepareForTest();
    return f;
  }
  // Starts a pass as the timer does and draws its frames.
  static Pass RunPass(Form1& f) {
    Pass p;
    f.TimerChMode_Timer();
    EXPECT_EQ(f.Mode(), 1);
    EXPECT_FALSE(f.TimerChMode.Enabled());
    int y = f.Locals().iTractorY, inRow = 0;
    p.rowTops.push_back(y);
    while (f.Mode() != 0 && p.frames < 100000) {
      f.DrawFrameForTest();
      ++p.frames;
      ++inRow;
      p.cells.push_back(f.Tractor()->Cell());
      if (f.Mode() == 0) break;  // the frame of the last row change
      EXPECT_FALSE(f.TimerChMode.Enabled());
      if (f.Locals().iTractorY != y) {
        p.rowFrames.push_back(inRow);
        inRow = 0;
        y = f.Locals().iTractorY;
        p.rowTops.push_back(y);
      }
    }
    p.rowFrames.push_back(inRow);
    return p;
  }
};

TEST_F(MowingTest, RowsAndFramesOfAPass) {
  // Heights a multiple of the strip's and not; the strip is 20 high.
  const int sizes[][2] = {{320, 240}, {200, 130}, {97, 19}};
  for (const auto& s : sizes) {
    const int w = s[0], h = s[1];
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    Form1& f = Ready(w, h, 1);
    const Pass p = RunPass(f);
    const int rows = h / kBlankH + 1;
    // The smallest k with 2k > width + 10 + tractor width + strip width.
    const int k = (w + 10 + kTractorW + kBlankW) / 2 + 1;
    EXPECT_EQ(p.frames, rows * k);
    ASSERT_EQ(p.rowFrames.size(), static_cast<std::size_t>(rows));
    for (int r : p.rowFrames) EXPECT_EQ(r, k);
    ASSERT_EQ(p.rowTops.size(), static_cast<std::size_t>(rows));
    for (int j = 0; j < rows; ++j) {
      EXPECT_EQ(p.rowTops[static_cast<std::size_t>(j)], h - kTractorH - j * kBlankH);
    }
    // Ready for the next pass: the bottom row, just off the left edge, with
    // the strip touching the tractor's left side, bottom edges level.
    EXPECT_EQ(f.Mode(), 0);
    EXPECT_TRUE(f.TimerChMode.Enabled());
    EXPECT_EQ(f.Tractor()->X(), -kTractorW);
    EXPECT_EQ(f.Tractor()->Y(), h - kTractorH);
    EXPECT_EQ(f.Blank()->X(), -kTractorW - kBlankW);
    EXPECT_EQ(f.Blank()->Y() + kBlankH, f.Tractor()->Y() + kTractorH);
    EXPECT_EQ(f.Locals().iYellowTick, 6);
  }
}

TEST_F(MowingTest, TheTractorCellGoesOnFromPassToPass) {
  Form1& f = Ready(120, 50, 0);
  const Pass first = RunPass(f);
  for (std::size_t j = 0; j < first.cells.size(); ++j) {
    ASSERT_EQ(first.cells[j], static_cast<int>(j % 6) + 1) << j;
  }
  ASSERT_NE(first.frames % 6, 0);  // so that a restart at 1 would show
  for (int i = 0; i < 10; ++i) f.DrawFrameForTest();
  const Pass second = RunPass(f);
  ASSERT_FALSE(second.cells.empty());
  EXPECT_EQ(second.cells[0], first.frames % 6 + 1);
}

TEST_F(MowingTest, APassLeavesPlainLawnAndTheFlowersComeBack) {
  Form1& f = Ready(320, 240, 10);
  // Long enough for every kind to be replanted, leaving pictures behind.
  for (int i = 0; i < 400; ++i) f.DrawFrameForTest();
  plat::Image clean = stagetest::TiledLawn(320, 240);
  stagetest::DrawLogoModel(clean, 0, 240 - 5 - stagetest::kLogoH);
  ASSERT_NE(stagetest::FirstDifference(clean, stagetest::Read(f.Stage()->hDC(), 0, 0, 320, 240)),
            "");

  RunPass(f);
  EXPECT_EQ(stagetest::FirstDifference(clean, stagetest::Read(f.Stage()->hDC(), 0, 0, 320, 240)),
            "");
  // The clean lawn took only the strip's pictures, which are transparent.
  EXPECT_EQ(stagetest::FirstDifference(stagetest::TiledLawn(320, 240),
                                       stagetest::Read(f.Lawn()->hDC(), 0, 0, 320, 240)),
            "");

  // The next growing frame paints every flower again where it stood.
  f.DrawFrameForTest();
  const Form1::Sprites* kinds[] = {&f.YellowFlowers(), &f.RedFlowers(), &f.Roses(),
                                   &f.WhiteFlowers()};
  struct Placed {
    int kind, x, y, cell;
  };
  std::vector<Placed> all;
  for (int k = 0; k < stagetest::kKinds; ++k)
    for (std::size_t i = 1; i < kinds[k]->size(); ++i) {
      const cSprite& s = *(*kinds[k])[i];
      all.push_back({k, s.X(), s.Y(), s.Cell()});
    }
  int checked = 0;
  for (std::size_t a = 0; a < all.size(); ++a) {
    const Placed& p = all[a];
    if (p.cell == 0) continue;
    const int mx = p.x + 6, my = p.y + 6;
    if (mx >= 320 || my >= 240) continue;
    if (mx < stagetest::kLogoW && my >= 240 - 5 - stagetest::kLogoH) continue;
    bool covered = false;  // by a flower drawn later
    for (std::size_t b = a + 1; b < all.size(); ++b)
      covered = covered || (mx >= all[b].x && mx < all[b].x + 12 && my >= all[b].y &&
                            my < all[b].y + 12 && all[b].cell != 0);
    if (covered) continue;
    EXPECT_EQ(stagetest::Read(f.Stage()->hDC(), mx, my, 1, 1).px.at(0),
              stagetest::CellColour(p.kind, p.cell));
    ++checked;
  }
  EXPECT_GT(checked, 10);
}

}  // namespace
