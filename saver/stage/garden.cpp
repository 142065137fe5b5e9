// The frame loop of the stage: each frame either grows and draws the
// flowers or moves the tractor of a mowing pass, then serves the window
// system and waits for the next frame's tick. Everything is composed on the
// off-screen bitmaps; only what a sprite changed is copied to the window.
#include <algorithm>
#include <cstdio>
#include <exception>

#include "platform/errors.h"
#include "platform/image.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "saver/host/module1.h"
#include "saver/stage/form1.h"
#include "saver/stage/random.h"

namespace {

// Growth period (frames) and cells of each kind.
constexpr std::int16_t kYellowPeriod = 5, kRedPeriod = 4, kRosePeriod = 6, kWhitePeriod = 3;
constexpr std::int32_t kYellowCells = 11, kRedCells = 11, kRoseCells = 10, kWhiteCells = 11;
constexpr std::int32_t kFrameMillis = 5;
constexpr std::int32_t kTractorCells = 6;
constexpr std::int32_t kStep = 2;  // pixels per frame, tractor and strip
constexpr std::int16_t kTickAfterPass = 6;

template <typename T>
T& Obj(const std::unique_ptr<T>& p) {
  if (!p) plat::Raise(plat::ErrorKind::ObjectNotSet);
  return *p;
}

cSprite& At(const Form1::Sprites& sprites, std::int32_t i) {
  if (i < 0 || static_cast<std::size_t>(i) >= sprites.size())
    plat::Raise(plat::ErrorKind::Subscript);
  return Obj(sprites[static_cast<std::size_t>(i)]);
}

std::int16_t& At(std::vector<std::int16_t>& stages, std::int32_t i) {
  if (i < 0 || static_cast<std::size_t>(i) >= stages.size())
    plat::Raise(plat::ErrorKind::Subscript);
  return stages[static_cast<std::size_t>(i)];
}

// A stage array of indices 0 to count; a count below 0 cannot be sized.
void SizeStages(std::vector<std::int16_t>& stages, std::int16_t count) {
  if (count < 0) plat::Raise(plat::ErrorKind::Subscript);
  stages.assign(static_cast<std::size_t>(count) + 1, 0);
}

}  // namespace

struct Form1::Kind {
  Sprites& sprites;
  std::vector<std::int16_t>& stages;
  std::int16_t& tick;
  std::int16_t count;
  std::int16_t period;
  std::int32_t cells;
};

void Form1::RunGarden() {
  try {
    for (Form1* stage : Stages()) stage->PrepareGarden();
    m_lFramesRun = 0;
    if (m_frameHook) m_frameHook(*this, 0);
    for (;;) {
      if (m_options.frames >= 0 && m_lFramesRun == m_options.frames) EndOfRun();
      GardenFrame();
      ++m_lFramesRun;
      if (m_frameHook) m_frameHook(*this, m_lFramesRun);
    }
  } catch (const std::exception&) {
    Module1::WarnAndEndShow(Module1::MissingFilesText());
  }
}

void Form1::PrepareGarden() {
  m_loop = GardenLocals{};
  // 1. and 2.
  m_loop.lFormHDC = hDC();
  // The pixels themselves: twips rounded to a whole number per pixel would
  // leave bands uncovered where twips per pixel is not whole (192 dpi).
  const Area covered = Covered();
  m_lScreenWidth = covered.width;
  m_lScreenHeight = covered.height;

  // 3. The logo, 5 pixels above the bottom-left corner.
  cSprite& logo = Obj(m_cLogo);
  logo.Cell(1);
  logo.X(0);
  logo.Y(plat::Sub32(plat::Sub32(m_lScreenHeight, logo.Height()), 5));

  // 4. and 5.
  SizeStages(m_loop.iYellowStage, m_iYellowCount);
  SizeStages(m_loop.iRedStage, m_iRedCount);
  SizeStages(m_loop.iRoseStage, m_iRoseCount);
  SizeStages(m_loop.iWhiteStage, m_iWhiteCount);
  m_loop.iYellowTick = m_loop.iRedTick = m_loop.iRoseTick = m_loop.iWhiteTick = 1;
  m_loop.iTractorCell = 1;

  // 6. The tractor just off the left edge of the bottom row; 7. the strip
  // touching its left side, bottom edges level.
  cSprite& tractor = Obj(m_cTractor);
  cSprite& blank = Obj(m_cBlank);
  m_loop.iTractorY = plat::To16(plat::Sub32(m_lScreenHeight, tractor.Height()));
  tractor.X(plat::Neg32(tractor.Width()));
  tractor.Y(m_loop.iTractorY);
  tractor.XDir(kStep);
  tractor.YDir(0);
  blank.Cell(1);
  blank.X(plat::Sub32(tractor.X(), blank.Width()));
  blank.Y(plat::Add32(plat::Sub32(tractor.Height(), blank.Height()), m_loop.iTractorY));
  blank.XDir(kStep);
  blank.YDir(0);

  // 8.
  stage::ShowRandom().Reseed(plat::TimeOfDay());

  // 9. The only full-screen copies of the show.
  Obj(m_cLawn).RenderBitmap(m_loop.lFormHDC, 0, 0, win::SRCCOPY);
  Obj(m_cStage).RenderBitmap(m_loop.lFormHDC, 0, 0, win::SRCCOPY);

  // 10.
  m_iMode = 0;
}

void Form1::GardenFrame() {
  m_loop.lNextTick = static_cast<std::int32_t>(win::GetTickCount());
  // One frame of every monitor's garden, then the messages of them all.
  for (Form1* stage : Stages()) stage->DrawFrame();
  forms::DoEvents();
  // Wrapping, so that frames stay paced where the counter passes 2^31.
  m_loop.lNextTick = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_loop.lNextTick) +
                                               static_cast<std::uint32_t>(kFrameMillis));
  Module1::WaitForTick(m_loop.lNextTick);
}

void Form1::GrowingFrame() {
  Kind kinds[] = {
      {m_cYellowFlowers, m_loop.iYellowStage, m_loop.iYellowTick, m_iYellowCount, kYellowPeriod,
       kYellowCells},
      {m_cRedFlowers, m_loop.iRedStage, m_loop.iRedTick, m_iRedCount, kRedPeriod, kRedCells},
      {m_cRoses, m_loop.iRoseStage, m_loop.iRoseTick, m_iRoseCount, kRosePeriod, kRoseCells},
      {m_cWhiteFlowers, m_loop.iWhiteStage, m_loop.iWhiteTick, m_iWhiteCount, kWhitePeriod,
       kWhiteCells},
  };
  for (Kind& k : kinds) {
    if (k.tick > k.period && k.count > 0) {
      AdvanceGrowth(k.sprites, k.stages, 1, k.count, k.cells);
      k.tick = 1;
    }
    // Also without flowers: it refreshes the logo.
    DrawFlowers(k.sprites, k.count, m_loop.lFormHDC);
  }
  for (Kind& k : kinds) k.tick = plat::To16(k.tick + 1);
}

void Form1::AdvanceGrowth(Sprites& sprites, std::vector<std::int16_t>& stages, std::int32_t first,
                          std::int32_t last, std::int32_t cells) {
  const win::HDC stage = Obj(m_cStage).hDC();
  for (std::int32_t i = first; i <= last; ++i) {
    cSprite& sprite = At(sprites, i);
    std::int16_t& entry = At(stages, i);
    sprite.Cell(entry);
    entry = plat::To16(entry + 1);
    if (entry > plat::Add32(cells, 1)) {
      // The last picture stays where it was: no background is put back.
      entry = 1;
      sprite.Cell(0);
      PlantAtRandom(sprite);
    } else {
      sprite.RestoreBackground(stage);
    }
    sprite.StoreBackground(stage, sprite.X(), sprite.Y());
  }
}

void Form1::DrawFlowers(Sprites& sprites, std::int16_t count, win::HDC destination) {
  const win::HDC stage = Obj(m_cStage).hDC();
  cSprite& logo = Obj(m_cLogo);
  logo.RestoreBackground(stage);
  logo.StoreBackground(stage, logo.X(), logo.Y());
  for (std::int32_t i = 1; i <= count; ++i) {
    cSprite& s = At(sprites, i);
    if (s.Active()) s.TransparentDraw(stage, s.X(), s.Y(), s.Cell(), false);
  }
  // The logo lies on top of the flowers.
  logo.TransparentDraw(stage, logo.X(), logo.Y(), logo.Cell(), false);
  for (std::int32_t i = 1; i <= count; ++i) {
    cSprite& s = At(sprites, i);
    if (s.Active()) s.StageToScreen(destination, stage);
  }
  logo.StageToScreen(destination, stage);
}

void Form1::MowingFrame() {
  cSprite& tractor = Obj(m_cTractor);
  cSprite& blank = Obj(m_cBlank);
  cSprite& logo = Obj(m_cLogo);
  const win::HDC stage = Obj(m_cStage).hDC();
  const win::HDC lawn = Obj(m_cLawn).hDC();

  // 1. The tractor's cell goes round 1 to 6, from pass to pass.
  if (m_loop.iTractorCell > kTractorCells) m_loop.iTractorCell = 1;
  tractor.Cell(m_loop.iTractorCell);

  // 2. Erase. The strip's saved area is clean lawn: putting it back mows.
  tractor.RestoreBackground(stage);
  blank.RestoreBackground(stage);
  logo.RestoreBackground(stage);

  // 3. Move.
  tractor.IncrementPosition();
  blank.IncrementPosition();

  const auto startRow = [&] {
    tractor.X(plat::Neg32(tractor.Width()));
    tractor.Y(m_loop.iTractorY);
    blank.Y(plat::Add32(plat::Sub32(tractor.Height(), blank.Height()), m_loop.iTractorY));
    blank.X(plat::Sub32(tractor.X(), blank.Width()));
  };

  // 4. Row end: the strip's left edge more than 10 pixels past the right
  // edge; the next row lies one strip height higher.
  if (plat::Sub32(blank.X(), 10) > m_lScreenWidth) {
    m_loop.iTractorY = plat::To16(plat::Sub32(m_loop.iTractorY, blank.Height()));
    startRow();
  }

  // 5. Pass end: the strip wholly above the top edge.
  if (plat::Add32(blank.Y(), blank.Height()) < 0) {
    Obj(m_cStageTile).TileDC(stage, m_lScreenWidth, m_lScreenHeight);
    m_loop.iYellowTick = m_loop.iRedTick = m_loop.iRoseTick = m_loop.iWhiteTick = kTickAfterPass;
    m_iMode = 0;
    m_loop.iTractorY = plat::To16(plat::Sub32(m_lScreenHeight, tractor.Height()));
    TimerChMode.SetEnabled(true);
    tractor.X(plat::Neg32(tractor.Width()));
    tractor.Y(m_loop.iTractorY);
    blank.X(plat::Sub32(tractor.X(), blank.Width()));
    blank.Y(plat::Add32(plat::Sub32(tractor.Height(), blank.Height()), m_loop.iTractorY));
  }

  // 6. Save: the strip from the clean lawn, the others from the garden.
  tractor.StoreBackground(stage, tractor.X(), tractor.Y());
  blank.StoreBackground(lawn, blank.X(), blank.Y());
  logo.StoreBackground(stage, logo.X(), logo.Y());

  // 7. Draw.
  tractor.TransparentDraw(stage, tractor.X(), tractor.Y(), tractor.Cell(), false);
  blank.TransparentDraw(lawn, blank.X(), blank.Y(), blank.Cell(), false);
  logo.TransparentDraw(stage, logo.X(), logo.Y(), logo.Cell(), false);

  // 8. Copy to the screen: the strip's area from the clean lawn.
  tractor.StageToScreen(m_loop.lFormHDC, stage);
  blank.StageToScreen(m_loop.lFormHDC, lawn);
  logo.StageToScreen(m_loop.lFormHDC, stage);

  // 9.
  m_loop.iTractorCell = plat::To16(m_loop.iTractorCell + 1);
}

// ---- the end of a counted run -------------------------------------------------------------

void Form1::EndOfRun() {
  if (!m_options.snapshot.empty()) WriteSnapshot(m_options.snapshot);
  Module1::EndShow();
}

void Form1::WriteSnapshot(const std::string& path) {
  // The whole desktop: each garden at its monitor's place, black between.
  const std::vector<Form1*> stages = Stages();
  const Area first = Covered();
  int left = first.left, top = first.top;
  int right = first.left + first.width, bottom = first.top + first.height;
  for (Form1* stage : stages) {
    const Area a = stage->Covered();
    left = std::min(left, a.left);
    top = std::min(top, a.top);
    right = std::max(right, a.left + a.width);
    bottom = std::max(bottom, a.top + a.height);
  }
  plat::Image shown;
  shown.width = right - left;
  shown.height = bottom - top;
  shown.px.assign(static_cast<std::size_t>(shown.width) * static_cast<std::size_t>(shown.height),
                  0);
  bool read = true;
  for (Form1* stage : stages) {
    const Area a = stage->Covered();
    plat::Image part;
    read = read && plat::ReadPixels(stage->m_loop.lFormHDC, 0, 0, stage->m_lScreenWidth,
                                    stage->m_lScreenHeight, part);
    for (int y = 0; read && y < part.height; ++y)
      for (int x = 0; x < part.width; ++x)
        shown.at(a.left - left + x, a.top - top + y) = part.at(x, y);
  }
  if (!read || !plat::WriteFileBytes(path, plat::EncodePng(shown))) {
    // The show still ends as asked; the missing file tells the caller.
    std::fprintf(stderr, "Tamarel: the snapshot %s could not be written\n", path.c_str());
  }
}

// ---- for tests ----------------------------------------------------------------------------------

void Form1::PrepareForTest() { PrepareGarden(); }

void Form1::DrawFrameForTest() { DrawFrame(); }

void Form1::DrawFrame() {
  // The mode is read once, at the start of the frame.
  if (m_iMode == 0)
    GrowingFrame();
  else
    MowingFrame();
}
