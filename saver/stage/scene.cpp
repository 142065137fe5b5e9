// One monitor's garden: its set-up, its growing and mowing frames, and what
// of each frame reaches the window.
//
// A growing frame draws again only what its changes reach. The changes are
// the growth steps (a flower's last cell erased, the new place saved) and
// what earlier frames left to be drawn again. Every flower whose place
// meets a change is drawn, in the frame's order; what it covers is then a
// change too, so flowers over or under it are drawn as well, until no more
// are reached. Every operation that touches a pixel of the changes is so
// done in its order, and every other pixel is left as it was: drawing the
// same cells at the same places again in the same order would give it the
// same value once more.
//
// A step that nothing else reaches, of a flower that shows only its cell
// over what it saved, changes only where its two cells differ: it is drawn
// again there and nowhere else, and those parts go to the window.
//
// Elsewhere only the other steps' places and those left from earlier
// frames can change. The stage's pixels there are kept aside before the
// frame draws and compared after it: the window gets the rows that really
// changed, in a few rectangles.
#include "saver/stage/scene.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/errors.h"
#include "platform/image.h"
#include "platform/process.h"
#include "platform/rules.h"

namespace stage {

namespace {

constexpr win::COLORREF kTransparent = 0x00FF00;
constexpr std::int32_t kTractorCells = 6;
constexpr std::int32_t kStep = 2;  // pixels per frame, tractor and strip
constexpr std::int16_t kTickAfterPass = 6;

template <typename T>
T& Obj(const std::unique_ptr<T>& p) {
  if (!p) plat::Raise(plat::ErrorKind::ObjectNotSet);
  return *p;
}

cSprite& At(const Scene::Sprites& sprites, std::int32_t i) {
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

// Whether the tile loaded its picture: tiled onto a black and onto a white
// pixel, a tile with an image gives the same colour both times, an empty one
// leaves both as they were.
bool TileHoldsImage(cTile& tile) {
  cBitmap probe;
  if (!probe.CreateAtSize(1, 1)) return false;
  const win::HDC dc = probe.hDC();
  win::BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, win::BLACKNESS);
  tile.TileDC(dc, 0, 0);
  const win::COLORREF onBlack = win::GetPixel(dc, 0, 0);
  win::BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, win::WHITENESS);
  tile.TileDC(dc, 0, 0);
  const win::COLORREF onWhite = win::GetPixel(dc, 0, 0);
  return onBlack == onWhite && onBlack != win::CLR_INVALID;
}

// How a sheet's cell changes the pixels it is drawn on, per pixel: kClear
// where it leaves them as they were, a colour where it sets them to one,
// kMixed where the result depends on what lay there.
constexpr std::uint32_t kClear = 0xFF000000u;
constexpr std::uint32_t kMixed = 0xFE000000u;
// The "cell" of a place where nothing was drawn: clear everywhere.
constexpr std::int32_t kNoCell = INT32_MIN;

std::vector<std::uint32_t> CellLook(cSpriteBitmaps& sheet, std::int32_t cell) {
  const std::int32_t w = sheet.CellWidth(), h = sheet.CellHeight();
  cBitmap probe;
  if (w <= 0 || h <= 0 || !probe.CreateAtSize(w, h)) return {};
  plat::Image onBlack, onWhite;
  for (plat::Image* shown : {&onBlack, &onWhite}) {
    win::BitBlt(probe.hDC(), 0, 0, w, h, nullptr, 0, 0,
                shown == &onBlack ? win::BLACKNESS : win::WHITENESS);
    sheet.TransparentDraw(probe.hDC(), 0, 0, cell, false);
    if (!plat::ReadPixels(probe.hDC(), 0, 0, w, h, *shown)) return {};
  }
  std::vector<std::uint32_t> look(onBlack.px.size());
  for (std::size_t i = 0; i < look.size(); ++i) {
    const std::uint32_t b = onBlack.px[i] & 0xFFFFFFu, wh = onWhite.px[i] & 0xFFFFFFu;
    look[i] = b == 0 && wh == 0xFFFFFFu ? kClear : b == wh ? b : kMixed;
  }
  return look;
}

}  // namespace

template <typename Span>
std::vector<Scene::Box> Scene::Bands(std::int32_t rows, std::int32_t slack, const Span& span) {
  std::vector<Box> bands;
  Box band;
  std::int64_t inBand = 0;  // pixels of the rows' own spans
  for (std::int32_t y = 0; y < rows; ++y) {
    std::int32_t left = 0, right = 0;
    if (!span(y, left, right) || right <= left) {
      if (band.h > 0) bands.push_back(band);
      band = {};
      inBand = 0;
      continue;
    }
    if (band.h > 0) {
      const std::int32_t l = std::min(band.x, left), r = std::max(band.x + band.w, right);
      // A row joins the band while the band copies at most 1/slack more
      // than the rows' spans would.
      if (std::int64_t{r - l} * (band.h + 1) * slack <= (inBand + right - left) * (slack + 1)) {
        band = {l, band.y, r - l, band.h + 1};
        inBand += right - left;
        continue;
      }
      bands.push_back(band);
    }
    band = {left, y, right - left, 1};
    inBand = right - left;
  }
  if (band.h > 0) bands.push_back(band);
  return bands;
}

std::vector<Scene::Box> Scene::Differences(const Look& a, const Look& b, std::int32_t w,
                                           std::int32_t h, std::int32_t dx, std::int32_t slack) {
  if (a.empty() || b.empty()) return {Box{0, 0, w + dx, h}};
  return Bands(h, slack, [&](std::int32_t y, std::int32_t& left, std::int32_t& right) {
    left = w + dx;
    right = 0;
    const std::size_t row = static_cast<std::size_t>(y) * w;
    for (std::int32_t x = 0; x < w + dx; ++x) {
      const std::uint32_t pa = x < w ? a[row + x] : kClear;
      const std::uint32_t pb = x >= dx ? b[row + x - dx] : kClear;
      if (pa == pb && pa != kMixed) continue;
      left = std::min(left, x);
      right = x + 1;
    }
    return right > left;
  });
}

const std::vector<Scene::Box>& Scene::StepChanges(cSpriteBitmaps& sheet, std::int32_t from,
                                                  std::int32_t to, std::int32_t dx,
                                                  std::int32_t slack) {
  const auto key = std::make_tuple(&sheet, from, to, dx, slack);
  auto found = m_stepChanges.find(key);
  if (found != m_stepChanges.end()) return found->second;
  const auto look = [&](std::int32_t cell) -> const Look& {
    auto l = m_looks.find({&sheet, cell});
    if (l == m_looks.end() && cell == kNoCell)
      l = m_looks
              .emplace(std::make_pair(&sheet, cell),
                       Look(static_cast<std::size_t>(std::max(sheet.CellWidth(), 0)) *
                                static_cast<std::size_t>(std::max(sheet.CellHeight(), 0)),
                            kClear))
              .first;
    if (l == m_looks.end())
      l = m_looks.emplace(std::make_pair(&sheet, cell), CellLook(sheet, cell)).first;
    return l->second;
  };
  const Look& a = look(from);
  const Look& b = look(to);
  return m_stepChanges
      .emplace(key, Differences(a, b, sheet.CellWidth(), sheet.CellHeight(), dx, slack))
      .first->second;
}

Scene::Box Scene::Box::Within(const Box& o) const {
  const std::int32_t l = std::max(x, o.x), t = std::max(y, o.y);
  const std::int64_t r = std::min(std::int64_t{x} + w, std::int64_t{o.x} + o.w);
  const std::int64_t b = std::min(std::int64_t{y} + h, std::int64_t{o.y} + o.h);
  if (r <= l || b <= t) return {};
  return {l, t, static_cast<std::int32_t>(r - l), static_cast<std::int32_t>(b - t)};
}

Scene::Box Scene::Box::Joined(const Box& o) const {
  const std::int32_t l = std::min(x, o.x), t = std::min(y, o.y);
  return {l, t, std::max(x + w, o.x + o.w) - l, std::max(y + h, o.y + o.h) - t};
}

bool Scene::Boxes::Meets(const Box& b) const {
  return std::any_of(list.begin(), list.end(), [&b](const Box& o) { return o.Meets(b); });
}

std::array<Scene::Kind, 4> Scene::Kinds() {
  return {{
      {"yellowFlower.bmp", 11, 5, m_iYellowCount, m_cYellowSheet, m_cYellowFlowers, iYellowStage,
       iYellowTick},
      {"redFlower.bmp", 11, 4, m_iRedCount, m_cRedSheet, m_cRedFlowers, iRedStage, iRedTick},
      {"roses.bmp", 10, 6, m_iRoseCount, m_cRoseSheet, m_cRoses, iRoseStage, iRoseTick},
      {"whiteFlower.bmp", 11, 3, m_iWhiteCount, m_cWhiteSheet, m_cWhiteFlowers, iWhiteStage,
       iWhiteTick},
  }};
}

Scene::Scene(const SetUp& setUp)
    : m_lScreenHeight(setUp.height),
      m_lScreenWidth(setUp.width),
      m_iYellowCount(setUp.counts[0]),
      m_iRedCount(setUp.counts[1]),
      m_iRoseCount(setUp.counts[2]),
      m_iWhiteCount(setUp.counts[3]),
      m_random(setUp.random ? *setUp.random : ShowRandom()) {
  const std::string& data = setUp.pictures;
  // The two lawn tiles.
  for (std::unique_ptr<cTile>* tile : {&m_cStageTile, &m_cLawnTile}) {
    *tile = std::make_unique<cTile>();
    (*tile)->Initialise(setUp.render);
    (*tile)->Filename(data + "lawn.bmp");
    if (!TileHoldsImage(**tile)) plat::Raise(plat::ErrorKind::Other);
  }

  LoadSheet(m_cLogoSheet, data + "logo.bmp", 1, 1, kTransparent);
  CreateSprite(m_cLogoSheet, m_cLogo);

  // The flowers: a kind without flowers needs no picture.
  for (const Kind& k : Kinds()) {
    if (k.count <= 0) continue;
    LoadSheet(k.sheet, data + k.file, k.cells, 1, kTransparent);
    k.sprites.clear();
    k.sprites.resize(static_cast<std::size_t>(k.count) + 1);
    for (std::int32_t i = 1; i <= k.count; ++i) {
      CreateSprite(k.sheet, k.sprites[static_cast<std::size_t>(i)]);
      PlantAtRandom(*k.sprites[static_cast<std::size_t>(i)]);
    }
  }

  // The tractor and the strip that trails it.
  LoadSheet(m_cTractorSheet, data + "tractor.bmp", kTractorCells, 1, kTransparent);
  CreateSprite(m_cTractorSheet, m_cTractor);
  m_cTractor->Active(true);
  LoadSheet(m_cBlankSheet, data + "blank.bmp", 1, 1, kTransparent);
  CreateSprite(m_cBlankSheet, m_cBlank);
  m_cBlank->Active(true);
  // Whether the strip draws anything of its own: a cell that could not be
  // probed counts as one that does.
  const Look strip = CellLook(*m_cBlankSheet, 1);
  m_bStripOpaque = strip.empty() || std::any_of(strip.begin(), strip.end(),
                                                [](std::uint32_t p) { return p != kClear; });

  // The current garden and the clean lawn, both plain lawn.
  const std::int32_t w = m_lScreenWidth, h = m_lScreenHeight;
  m_cStage = std::make_unique<cBitmap>();
  m_cStage->CreateAtSize(w, h);
  m_cLawn = std::make_unique<cBitmap>();
  m_cLawn->CreateAtSize(w, h);
  m_cStageTile->TileDC(m_cStage->hDC(), w, h);
  m_cLawnTile->TileDC(m_cLawn->hDC(), w, h);
}

Scene::~Scene() = default;

void Scene::LoadSheet(Sheet& sheet, const std::string& path, std::int32_t cellsAcross,
                      std::int32_t cellsDown, win::COLORREF transColor) {
  sheet = std::make_shared<cSpriteBitmaps>();
  if (!sheet->CreateFromFile(path, cellsAcross, cellsDown, "", transColor))
    plat::Raise(plat::ErrorKind::Other);
}

void Scene::CreateSprite(const Sheet& sheet, std::unique_ptr<cSprite>& sprite) {
  sprite = std::make_unique<cSprite>();
  sprite->SpriteData(sheet);
  sprite->Create(nullptr);
}

void Scene::PlantAtRandom(cSprite& sprite) {
  m_random.Reseed(plat::TimeOfDay());
  // The product of a 24-bit fraction and a 32-bit size is exact in double
  // precision, so every platform rounds the same value.
  const auto rounded = [](double v) {
    const auto r = plat::ToInt32(v);
    if (!r) plat::Raise(plat::ErrorKind::Overflow);
    return *r;
  };
  const std::int32_t x = rounded(static_cast<double>(m_random.Next()) * m_lScreenWidth);
  const std::int32_t y = rounded(static_cast<double>(m_random.Next()) * m_lScreenHeight);
  sprite.X(x);
  sprite.Y(y);
  sprite.Active(true);
}

void Scene::Prepare(win::HDC window) {
  // The logo, 5 pixels above the bottom-left corner.
  cSprite& logo = Obj(m_cLogo);
  logo.Cell(1);
  logo.X(0);
  logo.Y(plat::Sub32(plat::Sub32(m_lScreenHeight, logo.Height()), 5));

  for (const Kind& k : Kinds()) {
    SizeStages(k.stages, k.count);
    k.tick = 1;
  }
  iTractorCell = 1;

  // The tractor just off the left edge of the bottom row; the strip touching
  // its left side, bottom edges level.
  cSprite& tractor = Obj(m_cTractor);
  cSprite& blank = Obj(m_cBlank);
  iTractorY = plat::To16(plat::Sub32(m_lScreenHeight, tractor.Height()));
  tractor.X(plat::Neg32(tractor.Width()));
  tractor.Y(iTractorY);
  tractor.XDir(kStep);
  tractor.YDir(0);
  blank.Cell(1);
  blank.X(plat::Sub32(tractor.X(), blank.Width()));
  blank.Y(plat::Add32(plat::Sub32(tractor.Height(), blank.Height()), iTractorY));
  blank.XDir(kStep);
  blank.YDir(0);

  m_random.Reseed(plat::TimeOfDay());

  // The only full-screen copies of the show.
  Obj(m_cLawn).RenderBitmap(window, 0, 0, win::SRCCOPY);
  Obj(m_cStage).RenderBitmap(window, 0, 0, win::SRCCOPY);

  m_iMode = 0;
  // Every flower and the logo are drawn on the first frame.
  m_pending.list.assign(1, Box{0, 0, m_lScreenWidth, m_lScreenHeight});
  m_bWindowBehind = false;
  m_clean.clear();
}

std::int64_t Scene::IdleFrames() {
  if (m_iMode != 0 || !m_pending.list.empty()) return 0;
  std::int64_t idle = INT64_MAX;
  // A kind grows on the frame that finds its tick past its period.
  for (const Kind& k : Kinds())
    if (k.count > 0) idle = std::min<std::int64_t>(idle, std::max(0, k.period + 1 - k.tick));
  return idle;
}

bool Scene::DrawFrame(win::HDC window) {
  // The mode is read once, at the start of the frame.
  if (m_iMode == 0) {
    GrowingFrame(window);
    return false;
  }
  return MowingFrame(window);
}

void Scene::AdvanceGrowth(Sprites& sprites, std::vector<std::int16_t>& stages, std::int32_t first,
                          std::int32_t last, std::int32_t cells, std::vector<Step>& steps) {
  for (std::int32_t i = first; i <= last; ++i) {
    cSprite& sprite = At(sprites, i);
    std::int16_t& entry = At(stages, i);
    Step step{&sprite, false, entry == 0, sprite.Cell(), Place(sprite), {}};
    sprite.Cell(entry);
    entry = plat::To16(entry + 1);
    if (entry > plat::Add32(cells, 1)) {
      // The last picture stays where it was: nothing is erased.
      entry = 1;
      sprite.Cell(0);
      PlantAtRandom(sprite);
      step.replanted = true;
    }
    step.now = Place(sprite);
    steps.push_back(step);
  }
}

void Scene::DrawFlowers(const std::vector<cSprite*>& flowers, const std::vector<char>& drawn,
                        std::size_t first, std::size_t last) {
  const win::HDC stage = Obj(m_cStage).hDC();
  for (std::size_t f = first; f < last; ++f)
    if (drawn[f])
      flowers[f]->TransparentDraw(stage, flowers[f]->X(), flowers[f]->Y(), flowers[f]->Cell(),
                                  false);
}

void Scene::GrowingFrame(win::HDC window) {
  const std::array<Kind, 4> kinds = Kinds();
  // A frame that draws nothing (no kind's turn to grow, nothing left to
  // draw again) changes no pixel: only the ticks count.
  if (IdleFrames() > 0) {
    for (const Kind& kind : kinds) kind.tick = plat::To16(kind.tick + 1);
    return;
  }
  const win::HDC stage = Obj(m_cStage).hDC();
  cSprite& logo = Obj(m_cLogo);

  // Each flower's entry in m_clean.
  std::array<std::size_t, 5> firstSlot{};
  for (std::size_t k = 0; k < kinds.size(); ++k)
    firstSlot[k + 1] = firstSlot[k] + static_cast<std::size_t>(std::max<int>(kinds[k].count, 0));
  m_clean.resize(firstSlot[4], 0);

  // The growth steps of the kinds whose turn it is, in the frame's order.
  std::vector<Step> steps;
  std::array<std::size_t, 5> firstStep{};
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    const Kind& kind = kinds[k];
    firstStep[k] = steps.size();
    if (kind.tick > kind.period && kind.count > 0) {
      AdvanceGrowth(kind.sprites, kind.stages, 1, kind.count, kind.cells, steps);
      for (std::size_t i = firstStep[k]; i < steps.size(); ++i)
        steps[i].slot = firstSlot[k] + (i - firstStep[k]);
      kind.tick = 1;
    }
  }
  firstStep[4] = steps.size();
  for (const Kind& kind : kinds) kind.tick = plat::To16(kind.tick + 1);

  // The flowers in drawing order, where each kind's begin, and their places.
  std::vector<cSprite*> flowers;
  std::vector<std::size_t> slots;
  std::array<std::size_t, 5> firstFlower{};
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    firstFlower[k] = flowers.size();
    for (std::int32_t i = 1; i <= kinds[k].count; ++i) {
      cSprite& s = At(kinds[k].sprites, i);
      if (!s.Active()) continue;
      flowers.push_back(&s);
      slots.push_back(firstSlot[k] + static_cast<std::size_t>(i - 1));
    }
  }
  firstFlower[4] = flowers.size();
  std::vector<Box> places;
  for (const cSprite* f : flowers) places.push_back(Place(*f));

  // A step alone: nothing else of the frame reaches its flower's place (no
  // other flower, no other step, nothing left from earlier frames, not the
  // logo). Where that flower showed its last cell over what it saved, the
  // step changes only the pixels in which the two cells differ: it is drawn
  // again there alone. A flower replanted from and to places alone changes
  // only where its new cell is not transparent.
  const Box logoBox = LogoBox();
  const auto alone = [&](std::size_t j, const Box& b) {
    if (!steps[j].sprite->Active() || b.Meets(logoBox) || m_pending.Meets(b)) return false;
    for (std::size_t f = 0; f < flowers.size(); ++f)
      if (flowers[f] != steps[j].sprite && places[f].Meets(b)) return false;
    for (std::size_t i = 0; i < steps.size(); ++i)
      if (i != j && (steps[i].was.Meets(b) || steps[i].now.Meets(b))) return false;
    return true;
  };
  for (std::size_t j = 0; j < steps.size(); ++j) {
    Step& s = steps[j];
    s.alone = alone(j, s.now);
    if (s.replanted)
      s.fast = s.alone && alone(j, s.was);
    else
      s.fast = s.alone && !s.first && m_clean[s.slot];
  }

  // What the frame touches: the other steps, what earlier frames left, and
  // every flower that meets any of it, drawn again. A replanted flower is
  // no longer drawn where it stood: the flowers there now lie over its
  // last picture.
  Boxes touched = m_pending;
  for (const Step& s : steps) {
    if (s.fast) continue;
    touched.Add(s.was);
    touched.Add(s.now);
  }
  // Only there can the garden change: elsewhere each flower drawn again
  // lies over what it lay over before, in the same order.
  const std::size_t changing = touched.list.size();
  // Each place touched is met against the flowers not yet drawn once; a
  // flower it meets adds its own place to the end of the list.
  std::vector<char> drawn(flowers.size(), 0);
  for (std::size_t t = 0; t < touched.list.size(); ++t) {
    const Box place = touched.list[t];
    for (std::size_t f = 0; f < flowers.size(); ++f) {
      if (drawn[f] || !place.Meets(places[f])) continue;
      drawn[f] = 1;
      touched.Add(places[f]);
    }
  }

  // An erased cell that a flower drawn earlier in the frame reached: that
  // flower is drawn over it again in the next frame, as it is every frame.
  m_pending.list.clear();
  for (std::size_t k = 0; k < kinds.size(); ++k)
    for (std::size_t i = firstStep[k]; i < firstStep[k + 1]; ++i) {
      const Step& s = steps[i];
      if (s.replanted) continue;
      for (std::size_t f = 0; f < firstFlower[k]; ++f)
        if (places[f].Meets(s.was)) {
          m_pending.Add(s.was);
          break;
        }
    }

  // The logo is lifted where the garden under it is touched, and laid on it
  // again there at the end.
  Box lift;
  for (const Box& t : touched.list) {
    const Box part = t.Within(logoBox);
    if (part.w > 0 && part.h > 0) lift = lift.w > 0 ? lift.Joined(part) : part;
  }
  const bool lifted = lift.w > 0;
  const win::RECT liftPart = Box{lift.x - logoBox.x, lift.y - logoBox.y, lift.w, lift.h}.Rect();

  // Where the garden may change, overlapping places joined, within the
  // screen.
  const Box screen{0, 0, m_lScreenWidth, m_lScreenHeight};
  std::vector<Box> areas;
  for (std::size_t c = 0; c < changing; ++c) {
    Box b = touched.list[c].Within(screen);
    if (b.w <= 0 || b.h <= 0) continue;
    for (auto it = areas.begin(); it != areas.end();) {
      if (!it->Meets(b)) {
        ++it;
        continue;
      }
      b = b.Joined(*it);
      areas.erase(it);
      it = areas.begin();  // the joined area may meet one passed before
    }
    areas.push_back(b);
  }
  // Where the window shows the garden, what changes there is found by
  // comparing; elsewhere (or with too much to keep) the plain copies.
  const bool compare = !m_bWindowBehind && KeepBefore(areas);

  if (lifted) logo.RestoreBackgroundPart(stage, liftPart);
  std::vector<Box> redrawn;  // the parts of the steps drawn alone
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    for (std::size_t i = firstStep[k]; i < firstStep[k + 1]; ++i) {
      cSprite& s = *steps[i].sprite;
      if (steps[i].fast && steps[i].replanted) {
        s.StoreBackground(stage, s.X(), s.Y());
        s.TransparentDraw(stage, s.X(), s.Y(), s.Cell(), false);
        for (const Box& b : StepChanges(*kinds[k].sheet, kNoCell, s.Cell(), 0, 0))
          redrawn.push_back({s.X() + b.x, s.Y() + b.y, b.w, b.h});
        continue;
      }
      if (steps[i].fast) {
        // Each part costs four transfers: a few wide ones, rather than
        // many that fit the changes closely.
        for (const Box& b : StepChanges(*kinds[k].sheet, steps[i].cellWas, s.Cell(), 0, 0)) {
          s.RestoreBackgroundPart(stage, b.Rect());
          s.TransparentDrawPart(stage, s.X(), s.Y(), s.Cell(), b.Rect());
          redrawn.push_back({s.X() + b.x, s.Y() + b.y, b.w, b.h});
        }
        continue;
      }
      // Erased where it stays, what it saved is what lies there again:
      // saving it anew would change nothing.
      if (steps[i].replanted || steps[i].first)
        s.StoreBackground(stage, s.X(), s.Y());
      else
        s.RestoreBackground(stage);
    }
    DrawFlowers(flowers, drawn, firstFlower[k], firstFlower[k + 1]);
  }
  if (lifted) {
    logo.StoreBackgroundPart(stage, logo.X(), logo.Y(), liftPart);
    logo.TransparentDrawPart(stage, logo.X(), logo.Y(), logo.Cell(), liftPart);
  }

  if (compare) {
    CopyChanged(window);
  } else if (m_bWindowBehind) {
    // Exactly those: beyond them the window may differ from the garden.
    Boxes copies;
    CopiesOfEveryFlower(steps, copies);
    CopyToWindow(window, copies.list);
  } else {
    CopyToWindow(window, areas);
  }
  if (!m_bWindowBehind) CopyToWindow(window, redrawn);

  // A flower drawn over shows what lies under it too; one whose step was
  // alone shows its cell over what it saved.
  for (std::size_t f = 0; f < flowers.size(); ++f)
    if (drawn[f]) m_clean[slots[f]] = 0;
  for (const Step& s : steps) m_clean[s.slot] = s.alone ? 1 : 0;
}

void Scene::CopiesOfEveryFlower(const std::vector<Step>& steps, Boxes& copies) {
  // Where each flower was drawn before this frame: where it stands, or for
  // one replanted now, where it stood.
  const auto copy = [&copies](const Box& was, const Box& now) {
    const std::int64_t distance =
        std::abs(std::int64_t{was.x} - now.x) + std::abs(std::int64_t{was.y} - now.y);
    if (distance > 24) {
      copies.Add(was);
      copies.Add(now);
      return;
    }
    copies.Add(was.Joined(now));
  };
  for (const Kind& k : Kinds())
    for (std::int32_t i = 1; i <= k.count; ++i) {
      cSprite& s = At(k.sprites, i);
      if (!s.Active()) continue;
      Box was = Place(s);
      for (const Step& step : steps)
        if (step.sprite == &s && step.replanted) was = step.was;
      copy(was, Place(s));
    }
  copies.Add(LogoBox());
}

bool Scene::KeepBefore(const std::vector<Box>& areas) {
  // At most an eighth of the screen is kept (a frame after a mowing pass
  // draws everything, and is copied whole): side by side in rows of a
  // narrow buffer, whose few memory pages stay at hand from frame to frame.
  m_kept.clear();
  std::int32_t width = std::min(m_lScreenWidth, std::max<std::int32_t>(m_before.Width(), 512));
  std::int64_t kept = 0;
  for (const Box& a : areas) {
    kept += std::int64_t{a.w} * a.h;
    width = std::max(width, a.w);
  }
  if (kept * 8 > std::int64_t{m_lScreenWidth} * m_lScreenHeight) return false;
  std::int32_t x = 0, y = 0, rowHeight = 0;
  for (const Box& a : areas) {
    if (x + a.w > width) {
      x = 0;
      y += rowHeight;
      rowHeight = 0;
    }
    m_kept.push_back({a, x, y});
    x += a.w;
    rowHeight = std::max(rowHeight, a.h);
  }
  const std::int32_t height = y + rowHeight;
  if (height > m_before.Height() || width > m_before.Width()) {
    // Grown in steps, so that it is made again only a few times a show.
    const std::int32_t rows = std::max(height, m_before.Height() + 64);
    if (!m_before.Create(width, rows)) return false;
    m_zeros.assign(static_cast<std::size_t>(width), 0);
  }
  const win::HDC stage = Obj(m_cStage).hDC();
  for (const Kept& k : m_kept)
    win::BitBlt(m_before.hDC(), k.x, k.y, k.area.w, k.area.h, stage, k.area.x, k.area.y,
                win::SRCCOPY);
  return true;
}

void Scene::CopyChanged(win::HDC window) {
  if (m_kept.empty()) return;
  // What is kept turns into the difference: zero where nothing changed.
  const win::HDC stage = Obj(m_cStage).hDC();
  for (const Kept& k : m_kept)
    win::BitBlt(m_before.hDC(), k.x, k.y, k.area.w, k.area.h, stage, k.area.x, k.area.y,
                win::SRCINVERT);
  const std::uint32_t* pixels = m_before.Pixels();
  const std::ptrdiff_t stride = m_before.Stride();
  for (const Kept& k : m_kept) {
    const std::vector<Box> bands =
        Bands(k.area.h, 2, [&](std::int32_t y, std::int32_t& left, std::int32_t& right) {
          const std::uint32_t* row = pixels + stride * (k.y + y) + k.x;
          // Most rows are the same: each is first compared whole. (A
          // difference in the fourth byte alone, not the picture's, at
          // worst copies a pixel that did not change.)
          if (std::memcmp(row, m_zeros.data(), static_cast<std::size_t>(k.area.w) * 4) == 0)
            return false;
          // Four pixels at a time up to the first and the last that changed.
          const auto none = [row](std::int32_t x) {
            std::uint64_t two[2];
            std::memcpy(two, row + x, sizeof two);
            return (two[0] | two[1]) == 0;
          };
          left = 0;
          while (left + 4 <= k.area.w && none(left)) left += 4;
          while (row[left] == 0) ++left;
          right = k.area.w;
          while (right - 4 >= left && none(right - 4)) right -= 4;
          while (row[right - 1] == 0) --right;
          return true;
        });
    for (const Box& b : bands)
      win::BitBlt(window, k.area.x + b.x, k.area.y + b.y, b.w, b.h, stage, k.area.x + b.x,
                  k.area.y + b.y, win::SRCCOPY);
  }
}

void Scene::CopyToWindow(win::HDC window, const std::vector<Box>& copies) {
  const win::HDC stage = Obj(m_cStage).hDC();
  const Box screen{0, 0, m_lScreenWidth, m_lScreenHeight};
  for (const Box& c : copies) {
    const Box b = c.Within(screen);
    if (b.w > 0 && b.h > 0) win::BitBlt(window, b.x, b.y, b.w, b.h, stage, b.x, b.y, win::SRCCOPY);
  }
}

bool Scene::MowingFrame(win::HDC window) {
  cSprite& tractor = Obj(m_cTractor);
  cSprite& blank = Obj(m_cBlank);
  cSprite& logo = Obj(m_cLogo);
  const win::HDC stage = Obj(m_cStage).hDC();
  const win::HDC lawn = Obj(m_cLawn).hDC();

  // The tractor's cell goes round 1 to 6, from pass to pass.
  if (iTractorCell > kTractorCells) iTractorCell = 1;
  const std::int32_t cellWas = tractor.Cell();
  tractor.Cell(iTractorCell);
  const Box tractorWas = Place(tractor), blankWas = Place(blank);

  // Where the tractor and the strip go; nothing is drawn yet (the erasing
  // below puts back at the places last drawn).
  tractor.IncrementPosition();
  blank.IncrementPosition();
  const auto startRow = [&] {
    tractor.X(plat::Neg32(tractor.Width()));
    tractor.Y(iTractorY);
    blank.X(plat::Sub32(tractor.X(), blank.Width()));
    blank.Y(plat::Add32(plat::Sub32(tractor.Height(), blank.Height()), iTractorY));
  };
  // Row end: the strip's left edge more than 10 pixels past the right edge;
  // the next row lies one strip height higher.
  if (plat::Sub32(blank.X(), 10) > m_lScreenWidth) {
    iTractorY = plat::To16(plat::Sub32(iTractorY, blank.Height()));
    startRow();
  }
  // Pass end: the strip wholly above the top edge.
  const bool passEnded = plat::Add32(blank.Y(), blank.Height()) < 0;
  if (passEnded) {
    for (const Kind& k : Kinds()) k.tick = kTickAfterPass;
    m_iMode = 0;
    iTractorY = plat::To16(plat::Sub32(m_lScreenHeight, tractor.Height()));
    startRow();
  }

  // The logo is lifted only where the garden under it changes.
  const Box logoBox = LogoBox();
  const bool lifted = passEnded || logoBox.Meets(tractorWas) || logoBox.Meets(blankWas) ||
                      logoBox.Meets(Place(tractor));
  // Erase; the strip's saved area is clean lawn: putting it back mows.
  if (lifted) logo.RestoreBackground(stage);
  tractor.RestoreBackground(stage);
  blank.RestoreBackground(stage);
  if (passEnded) {
    Obj(m_cStageTile).TileDC(stage, m_lScreenWidth, m_lScreenHeight);
    // The flowers are painted again on the next growing frame.
    m_pending.list.assign(1, Box{0, 0, m_lScreenWidth, m_lScreenHeight});
    m_bWindowBehind = m_bWindowBehind || m_bStripOpaque;
  }

  // Save: the strip from the clean lawn, the others from the garden.
  tractor.StoreBackground(stage, tractor.X(), tractor.Y());
  blank.StoreBackground(lawn, blank.X(), blank.Y());
  if (lifted) logo.StoreBackground(stage, logo.X(), logo.Y());

  tractor.TransparentDraw(stage, tractor.X(), tractor.Y(), tractor.Cell(), false);
  blank.TransparentDraw(lawn, blank.X(), blank.Y(), blank.Cell(), false);
  if (lifted) logo.TransparentDraw(stage, logo.X(), logo.Y(), logo.Cell(), false);

  // To the window: the strip's area from the clean lawn, the logo over it.
  // A step along the row changes of the tractor only what its two cells
  // differ in and, where the strip draws nothing of its own, of the strip
  // only the columns the tractor left.
  const auto stepped = [](const Box& was, const Box& now) {
    return now.x == was.x + kStep && now.y == was.y && now.w == was.w && now.h == was.h &&
           was.w >= kStep;
  };
  if (!passEnded && !m_bStripOpaque && stepped(tractorWas, Place(tractor)) &&
      stepped(blankWas, Place(blank))) {
    for (const Box& b : StepChanges(*m_cTractorSheet, cellWas, tractor.Cell(), kStep, 8))
      win::BitBlt(window, tractorWas.x + b.x, tractorWas.y + b.y, b.w, b.h, stage,
                  tractorWas.x + b.x, tractorWas.y + b.y, win::SRCCOPY);
    const std::int32_t left = blankWas.x + blankWas.w;
    win::BitBlt(window, left, blankWas.y, kStep, blankWas.h, lawn, left, blankWas.y, win::SRCCOPY);
  } else {
    tractor.StageToScreen(window, stage);
    blank.StageToScreen(window, lawn);
  }
  if (lifted || logoBox.Meets(blankWas) || logoBox.Meets(Place(blank)))
    logo.StageToScreen(window, stage);

  iTractorCell = plat::To16(iTractorCell + 1);
  return passEnded;
}

}  // namespace stage
