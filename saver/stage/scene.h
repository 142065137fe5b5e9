// The garden of one monitor: a tiled lawn on which flowers of four kinds
// grow, bloom and are planted anew, a logo in the bottom-left corner and,
// from time to time, a tractor that mows the lawn row by row.
//
// A scene holds the pictures, the sprites, the two screen-sized bitmaps and
// the state of growth and mowing. Each frame it composes on its bitmaps and
// copies to a window what changed, and only that: a flower whose cell,
// place and surroundings did not change is not drawn again, the logo is
// lifted and drawn again only when something under it changes, and the
// pixels that changed reach the window once, at the end of the frame. The
// pixels are those of drawing every flower and the logo in every frame.
//
// The logo lies over the garden: flowers and left-over pictures in its
// corner stay as they are elsewhere, its opaque pixels over them. Lifting
// it (its saved background put back) shows the garden under it, so growth
// and mowing there work on the garden itself.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/image.h"
#include "platform/winapi.h"
#include "saver/gfx/cbitmap.h"
#include "saver/gfx/csprite.h"
#include "saver/gfx/csprite_bitmaps.h"
#include "saver/gfx/ctile.h"
#include "saver/stage/random.h"

namespace forms {
class Form;
}

namespace stage {

class Scene {
 public:
  // A flower array: index i holds flower i (1 to the count); index 0 is
  // never used. Empty when the kind's count is 0 or less.
  using Sprites = std::vector<std::unique_ptr<cSprite>>;
  using Sheet = std::shared_ptr<cSpriteBitmaps>;

  struct SetUp {
    std::int32_t width = 0, height = 0;  // pixels
    std::string pictures;                // folder, separator at the end
    std::int16_t counts[4] = {};         // yellow, red, rose, white
    forms::Form* render = nullptr;       // the lawn tiles' render object
    RandomGenerator* random = nullptr;   // nullptr: the show's
  };

  // Loads the pictures (only those of kinds with flowers), plants the
  // flowers and paints both bitmaps with lawn; raises on any failure.
  explicit Scene(const SetUp& setUp);
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // The frame loop's preparation: the logo, the tractor and its strip in
  // their places, growth from its start, the lawn on the window. A count
  // below 0 raises here.
  void Prepare(win::HDC window);
  // One frame, growing or mowing as the mode says; true when a mowing pass
  // ended in it (the next comes a timer interval later).
  bool DrawFrame(win::HDC window);
  // The timer's tick: the next frame begins a mowing pass.
  void StartMowing() { m_iMode = 1; }
  // How many frames from the next on would draw nothing, unless the timer
  // ticks first: no kind's turn to grow, nothing left to draw again.
  std::int64_t IdleFrames();

  std::int16_t Mode() const { return m_iMode; }
  std::int32_t Width() const { return m_lScreenWidth; }
  std::int32_t Height() const { return m_lScreenHeight; }
  // The current garden as composed (what the window shows while flowers grow).
  const cBitmap& Stage() const { return *m_cStage; }

 private:
  struct Box {
    std::int32_t x = 0, y = 0, w = 0, h = 0;
    // Asked hundreds of times a frame: here, to be inlined.
    bool Meets(const Box& o) const {
      using I = std::int64_t;
      return w > 0 && h > 0 && o.w > 0 && o.h > 0 && x < I{o.x} + o.w && o.x < I{x} + w &&
             y < I{o.y} + o.h && o.y < I{y} + h;
    }
    Box Within(const Box& o) const;  // the part of this inside o
    Box Joined(const Box& o) const;  // the least box holding both
    win::RECT Rect() const { return {x, y, x + w, y + h}; }
  };
  // Rectangles, each kept as it came: "meets" asks about their union.
  struct Boxes {
    std::vector<Box> list;
    void Add(const Box& b) { list.push_back(b); }
    bool Meets(const Box& b) const;
  };
  // One flower's growth step in a frame: where it stood (its last cell is
  // erased there, unless it was replanted and leaves it) and where it stands.
  struct Step {
    cSprite* sprite;
    bool replanted;
    bool first;            // the flower's first step: nothing saved yet
    std::int32_t cellWas;  // the cell last drawn
    Box was, now;
    std::size_t slot = 0;  // the flower's entry in m_clean
    bool alone = false;    // nothing else of the frame reaches its place
    bool fast = false;     // drawn again only where its two cells differ
  };
  // How a cell changes the pixels it is drawn on, per pixel (found by
  // drawing it onto black and onto white); empty when unknown.
  using Look = std::vector<std::uint32_t>;
  // Rectangles around rows of changed pixels, given each row's span
  // (`span(y, left, right)`, false for a row without changes): bands of
  // rows, each copying at most 1/slack more than its rows' spans (with
  // slack 0, each run of rows with changes is one band).
  template <typename Span>
  static std::vector<Box> Bands(std::int32_t rows, std::int32_t slack, const Span& span);
  // Rectangles, relative to a cell's corner, around the pixels that may
  // differ between cell `a` drawn at the corner and cell `b` drawn dx pixels
  // to the right over the same background, in bands of the given slack.
  static std::vector<Box> Differences(const Look& a, const Look& b, std::int32_t w, std::int32_t h,
                                      std::int32_t dx, std::int32_t slack);
  // The same for a sheet's cells `from` and `to`, found once.
  const std::vector<Box>& StepChanges(cSpriteBitmaps& sheet, std::int32_t from, std::int32_t to,
                                      std::int32_t dx, std::int32_t slack);
  // The per-kind table: pictures, cells, pace, and the members of the kind.
  struct Kind {
    const char* file;
    std::int32_t cells;
    std::int16_t period;
    std::int16_t& count;
    Sheet& sheet;
    Sprites& sprites;
    std::vector<std::int16_t>& stages;
    std::int16_t& tick;
  };
  std::array<Kind, 4> Kinds();

  void LoadSheet(Sheet& sheet, const std::string& path, std::int32_t cellsAcross,
                 std::int32_t cellsDown, win::COLORREF transColor);
  void CreateSprite(const Sheet& sheet, std::unique_ptr<cSprite>& sprite);
  void PlantAtRandom(cSprite& sprite);
  Box Place(const cSprite& s) const { return {s.X(), s.Y(), s.Width(), s.Height()}; }
  Box LogoBox() const { return Place(*m_cLogo); }

  void GrowingFrame(win::HDC window);
  bool MowingFrame(win::HDC window);
  // One growth step for flowers first to last: cells, stage entries and
  // replanting; what each step erases and saves is added to `steps`.
  void AdvanceGrowth(Sprites& sprites, std::vector<std::int16_t>& stages, std::int32_t first,
                     std::int32_t last, std::int32_t cells, std::vector<Step>& steps);
  // Draws the frame's flowers first to last (one kind's, in its order) that
  // `drawn` marks.
  void DrawFlowers(const std::vector<cSprite*>& flowers, const std::vector<char>& drawn,
                   std::size_t first, std::size_t last);
  // The rectangles the plain sequence copies to the window in a growing
  // frame, as each sprite's StageToScreen would.
  void CopiesOfEveryFlower(const std::vector<Step>& steps, Boxes& copies);
  // The stage's pixels in `areas` (within the screen, apart from each other)
  // kept aside before the frame draws; false when they are too many to keep.
  bool KeepBefore(const std::vector<Box>& areas);
  // What changed in the kept areas since KeepBefore, to the window.
  void CopyChanged(win::HDC window);
  void CopyToWindow(win::HDC window, const std::vector<Box>& copies);

  // Members of the scene, in this order.
  Sheet m_cLogoSheet;
  std::unique_ptr<cSprite> m_cLogo;
  Sheet m_cYellowSheet;
  Sprites m_cYellowFlowers;
  Sheet m_cRedSheet;
  Sprites m_cRedFlowers;
  Sheet m_cRoseSheet;
  Sprites m_cRoses;
  Sheet m_cWhiteSheet;
  Sprites m_cWhiteFlowers;
  Sheet m_cTractorSheet;
  std::unique_ptr<cSprite> m_cTractor;
  Sheet m_cBlankSheet;
  std::unique_ptr<cSprite> m_cBlank;
  std::unique_ptr<cBitmap> m_cStage;
  std::unique_ptr<cTile> m_cStageTile;
  std::unique_ptr<cBitmap> m_cLawn;
  std::unique_ptr<cTile> m_cLawnTile;
  std::int32_t m_lScreenHeight = 0;
  std::int32_t m_lScreenWidth = 0;
  std::int16_t m_iYellowCount = 0;
  std::int16_t m_iRedCount = 0;
  std::int16_t m_iRoseCount = 0;
  std::int16_t m_iWhiteCount = 0;
  std::int16_t m_iMode = 0;

  // What the frame loop keeps for this garden for the whole show.
  std::vector<std::int16_t> iYellowStage, iRedStage, iRoseStage, iWhiteStage;
  std::int16_t iYellowTick = 1, iRedTick = 1, iRoseTick = 1, iWhiteTick = 1;
  std::int16_t iTractorCell = 1;
  std::int16_t iTractorY = 0;

  RandomGenerator& m_random;
  // Written since the flowers over them were last drawn: they are drawn
  // there again in the next growing frame.
  Boxes m_pending;
  // The strip draws something of its own on the clean lawn: after a pass
  // the window no longer matches the garden everywhere, and growing frames
  // copy what every flower covers, as the plain sequence does.
  bool m_bStripOpaque = false;
  bool m_bWindowBehind = false;
  // How each sheet's cells change the pixels they are drawn on, and what a
  // step from one cell to another, dx pixels to the right, may change:
  // found when first needed.
  std::map<std::pair<const cSpriteBitmaps*, std::int32_t>, Look> m_looks;
  std::map<
      std::tuple<const cSpriteBitmaps*, std::int32_t, std::int32_t, std::int32_t, std::int32_t>,
      std::vector<Box>>
      m_stepChanges;
  // Per flower (the kinds in order, each by number): its place shows its
  // cell drawn over its saved background and nothing else, so a growth
  // step there changes only where the two cells differ.
  std::vector<char> m_clean;
  // The stage's pixels where a frame may change them, as they were before
  // it (which the window shows too): each area at its place in the buffer.
  plat::PixelBuffer m_before;
  struct Kept {
    Box area;
    std::int32_t x, y;  // in m_before
  };
  std::vector<Kept> m_kept;
  std::vector<std::uint32_t> m_zeros;  // a row of m_before unchanged
};

}  // namespace stage
