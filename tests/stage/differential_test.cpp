// The scene against the plain sequence, side by side on the same GDI: every
// flower and the logo drawn in every frame, each sprite copied to the window
// on its own, the logo lifted from the garden before it is touched and laid
// on it again after (so what lies in its corner stays under it). After every
// frame the two stage bitmaps and the two windows must be the same, over
// thousands of frames: every count from 0 to 10, flowers on top of each
// other, standing apart and in the logo's corner, replanting, whole mowing passes and the
// growing after them, two monitors of different sizes sharing the show's
// random numbers, and a strip that leaves marks on the clean lawn.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "saver/host/module1.h"
#include "saver/stage/scene.h"
#include "stage/stage_fixture.h"

namespace {

using stagetest::FirstDifference;
using stagetest::Read;
using stagetest::StageTest;

constexpr win::COLORREF kGreen = 0x00FF00;

// The garden as the plain sequence draws it.
class PlainGarden {
 public:
  PlainGarden(int w, int h, const std::string& data, const std::array<std::int16_t, 4>& counts,
              forms::Form* render, stage::RandomGenerator& random)
      : w_(w), h_(h), random_(random) {
    for (cTile* tile : {&stageTile_, &lawnTile_}) {
      tile->Initialise(render);
      tile->Filename(data + "lawn.bmp");
    }
    logo_ = Sprite(Sheet(data + "logo.bmp", 1));
    for (int k = 0; k < 4; ++k) {
      Kind& kind = kinds_[k];
      kind.count = counts[k];
      kind.cells = stagetest::kKindCells[k];
      kind.period = static_cast<std::int16_t>(stagetest::kKindPeriod[k]);
      if (kind.count <= 0) continue;
      auto sheet = Sheet(data + stagetest::kKindFile[k], kind.cells);
      kind.flowers.resize(static_cast<std::size_t>(kind.count) + 1);
      for (int i = 1; i <= kind.count; ++i) {
        kind.flowers[i] = Sprite(sheet);
        Plant(*kind.flowers[i]);
      }
    }
    tractor_ = Sprite(Sheet(data + "tractor.bmp", 6));
    blank_ = Sprite(Sheet(data + "blank.bmp", 1));
    for (cBitmap* b : {&stage_, &lawn_, &window_}) b->CreateAtSize(w, h);
    stageTile_.TileDC(stage_.hDC(), w, h);
    lawnTile_.TileDC(lawn_.hDC(), w, h);
  }

  void Prepare() {
    logo_->Cell(1);
    logo_->X(0);
    logo_->Y(h_ - logo_->Height() - 5);
    for (Kind& k : kinds_) {
      k.stages.assign(static_cast<std::size_t>(k.count < 0 ? 0 : k.count) + 1, 0);
      k.tick = 1;
    }
    tractorCell_ = 1;
    tractorY_ = static_cast<std::int16_t>(h_ - tractor_->Height());
    StartRow();
    for (cSprite* s : {tractor_.get(), blank_.get()}) s->XDir(2);
    blank_->Cell(1);
    random_.Reseed(plat::TimeOfDay());
    lawn_.RenderBitmap(window_.hDC(), 0, 0);
    stage_.RenderBitmap(window_.hDC(), 0, 0);
    mode_ = 0;
  }

  // True when a mowing pass ended in this frame.
  bool DrawFrame() {
    if (mode_ == 0) {
      for (Kind& k : kinds_) {
        logo_->RestoreBackground(stage_.hDC());
        if (k.tick > k.period && k.count > 0) {
          AdvanceGrowth(k);
          k.tick = 1;
        }
        DrawFlowers(k);
      }
      for (Kind& k : kinds_) ++k.tick;
      return false;
    }
    const win::HDC stage = stage_.hDC(), lawn = lawn_.hDC(), window = window_.hDC();
    if (tractorCell_ > 6) tractorCell_ = 1;
    tractor_->Cell(tractorCell_);
    for (cSprite* s : {logo_.get(), tractor_.get(), blank_.get()}) s->RestoreBackground(stage);
    tractor_->IncrementPosition();
    blank_->IncrementPosition();
    if (blank_->X() - 10 > w_) {
      tractorY_ = static_cast<std::int16_t>(tractorY_ - blank_->Height());
      StartRow();
    }
    const bool ended = blank_->Y() + blank_->Height() < 0;
    if (ended) {
      stageTile_.TileDC(stage, w_, h_);
      for (Kind& k : kinds_) k.tick = 6;
      mode_ = 0;
      tractorY_ = static_cast<std::int16_t>(h_ - tractor_->Height());
      StartRow();
    }
    // The strip is drawn on the clean lawn, the others on the garden.
    const std::pair<cSprite*, win::HDC> layers[] = {
        {tractor_.get(), stage}, {blank_.get(), lawn}, {logo_.get(), stage}};
    for (auto [s, dc] : layers) s->StoreBackground(dc, s->X(), s->Y());
    for (auto [s, dc] : layers) s->TransparentDraw(dc, s->X(), s->Y(), s->Cell(), false);
    for (auto [s, dc] : layers) s->StageToScreen(window, dc);
    ++tractorCell_;
    return ended;
  }

  void StartMowing() { mode_ = 1; }
  win::HDC Stage() const { return stage_.hDC(); }
  win::HDC Window() const { return window_.hDC(); }

 private:
  struct Kind {
    std::int16_t count = 0, tick = 1, period = 1;
    int cells = 1;
    std::vector<std::unique_ptr<cSprite>> flowers;
    std::vector<std::int16_t> stages;
  };

  static std::shared_ptr<cSpriteBitmaps> Sheet(const std::string& path, int cells) {
    auto sheet = std::make_shared<cSpriteBitmaps>();
    EXPECT_TRUE(sheet->CreateFromFile(path, cells, 1, "", kGreen)) << path;
    return sheet;
  }
  static std::unique_ptr<cSprite> Sprite(const std::shared_ptr<cSpriteBitmaps>& sheet) {
    auto s = std::make_unique<cSprite>();
    s->SpriteData(sheet);
    s->Create(nullptr);
    s->Active(true);
    return s;
  }
  void Plant(cSprite& s) {
    random_.Reseed(plat::TimeOfDay());
    s.X(*plat::ToInt32(static_cast<double>(random_.Next()) * w_));
    s.Y(*plat::ToInt32(static_cast<double>(random_.Next()) * h_));
    s.Active(true);
  }
  void StartRow() {
    tractor_->X(-tractor_->Width());
    tractor_->Y(tractorY_);
    blank_->X(tractor_->X() - blank_->Width());
    blank_->Y(tractor_->Height() - blank_->Height() + tractorY_);
  }
  void AdvanceGrowth(Kind& k) {
    for (int i = 1; i <= k.count; ++i) {
      cSprite& s = *k.flowers[i];
      s.Cell(k.stages[i]);
      ++k.stages[i];
      if (k.stages[i] > k.cells + 1) {
        k.stages[i] = 1;
        s.Cell(0);
        Plant(s);
      } else {
        s.RestoreBackground(stage_.hDC());
      }
      s.StoreBackground(stage_.hDC(), s.X(), s.Y());
    }
  }
  void DrawFlowers(Kind& k) {
    const win::HDC stage = stage_.hDC(), window = window_.hDC();
    for (int i = 1; i <= k.count; ++i) {
      cSprite& s = *k.flowers[i];
      if (s.Active()) s.TransparentDraw(stage, s.X(), s.Y(), s.Cell(), false);
    }
    logo_->StoreBackground(stage, logo_->X(), logo_->Y());
    logo_->TransparentDraw(stage, logo_->X(), logo_->Y(), logo_->Cell(), false);
    for (int i = 1; i <= k.count; ++i)
      if (k.flowers[i]->Active()) k.flowers[i]->StageToScreen(window, stage);
    logo_->StageToScreen(window, stage);
  }

  int w_, h_;
  stage::RandomGenerator& random_;
  cTile stageTile_, lawnTile_;
  cBitmap stage_, lawn_, window_;
  std::unique_ptr<cSprite> logo_, tractor_, blank_;
  std::array<Kind, 4> kinds_;
  std::int16_t mode_ = 0, tractorCell_ = 1, tractorY_ = 0;
};

using Monitor = std::pair<int, int>;  // width, height

class DifferentialTest : public StageTest {
 protected:
  // Runs the scene and the plain sequence side by side on every monitor for
  // `frames` frames, a mowing pass starting on frame 300 and 400 frames
  // after each pass's end; false at the first difference.
  bool SideBySide(const std::vector<Monitor>& monitors, std::array<std::int16_t, 4> counts,
                  int frames, bool markedStrip = false) {
    MakeProgramFolder({{"yellow", "0"}, {"red", "0"}, {"rose", "0"}, {"white", "0"}}, {},
                      markedStrip);
    const std::string data = Module1::DataFolderPath();
    // Each side draws the same numbers, shared by its monitors as a show's are.
    stage::RandomGenerator sceneRandom, plainRandom;
    struct Side {
      std::unique_ptr<stage::Scene> scene;
      std::unique_ptr<PlainGarden> plain;
      cBitmap window;
      int nextPass = 300;
    };
    std::vector<Side> sides(monitors.size());
    for (std::size_t m = 0; m < monitors.size(); ++m) {
      const auto [w, h] = monitors[m];
      sides[m].scene = std::make_unique<stage::Scene>(stage::Scene::SetUp{
          w, h, data, {counts[0], counts[1], counts[2], counts[3]}, &render_, &sceneRandom});
      sides[m].plain = std::make_unique<PlainGarden>(w, h, data, counts, &render_, plainRandom);
      sides[m].window.CreateAtSize(w, h);
    }
    for (Side& s : sides) s.scene->Prepare(s.window.hDC());
    for (Side& s : sides) s.plain->Prepare();
    for (int frame = 1; frame <= frames; ++frame) {
      for (Side& s : sides) {
        if (frame == s.nextPass) {
          s.scene->StartMowing();
          s.plain->StartMowing();
        }
        if (s.scene->DrawFrame(s.window.hDC())) s.nextPass = frame + 400;
      }
      for (std::size_t m = 0; m < sides.size(); ++m) {
        Side& s = sides[m];
        EXPECT_EQ(s.plain->DrawFrame(), s.nextPass == frame + 400) << "frame " << frame;
        const auto [w, h] = monitors[m];
        const std::string stage = FirstDifference(Read(s.plain->Stage(), 0, 0, w, h),
                                                  Read(s.scene->Stage().hDC(), 0, 0, w, h));
        const std::string window =
            FirstDifference(Read(s.plain->Window(), 0, 0, w, h), Read(s.window.hDC(), 0, 0, w, h));
        if (!stage.empty() || !window.empty()) {
          ADD_FAILURE() << "monitor " << m << ", frame " << frame << ": stage " << stage
                        << "; window " << window;
          return false;
        }
      }
    }
    return true;
  }

  forms::Form render_;
};

TEST_F(DifferentialTest, EveryCountFromNoneToTen) {
  // A small lawn: flowers lie on each other and in the logo's corner. With
  // odd counts of yellow, the strip leaves marks on the clean lawn.
  for (std::int16_t n = 0; n <= 10; ++n) {
    const std::array<std::int16_t, 4> counts = {n, static_cast<std::int16_t>((n + 3) % 11),
                                                static_cast<std::int16_t>((n + 6) % 11),
                                                static_cast<std::int16_t>((n + 9) % 11)};
    SCOPED_TRACE(n);
    if (!SideBySide({{96, 72}}, counts, 1500, n % 2 == 1)) return;
  }
}

TEST_F(DifferentialTest, FlowersStandingApart) {
  // Most flowers meet no other: their steps are drawn only where the cells
  // differ, until a neighbour, the logo or the tractor reaches them.
  EXPECT_TRUE(SideBySide({{240, 180}}, {5, 5, 5, 5}, 1500));
}

TEST_F(DifferentialTest, TwoMonitorsOfDifferentSizes) {
  EXPECT_TRUE(SideBySide({{110, 80}, {64, 100}}, {10, 10, 10, 10}, 2500));
}

}  // namespace
