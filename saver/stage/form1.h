// The garden stage: one full-screen window with a tiled lawn on which
// flowers of four kinds grow, bloom and are planted anew, a logo in the
// bottom-left corner, and from time to time a tractor that mows the lawn.
//
// Loading the form builds the scene and runs the frame loop, which does not
// return while the show runs; the show ends through Module1::EndShow.
//
// A full-screen show on a desktop of several monitors gives each monitor a
// garden of its own: the stage of the show covers the primary monitor and
// owns one more stage per other monitor, set up the same way; its frame
// loop steps them all.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "saver/gfx/cbitmap.h"
#include "saver/gfx/csprite.h"
#include "saver/gfx/csprite_bitmaps.h"
#include "saver/gfx/ctile.h"
#include "saver/stage/run_options.h"

class Form1 : public forms::Form {
 public:
  // A flower array: index i holds flower i (1 to the count); index 0 is
  // never used. Empty when the kind's count is 0 or less.
  using Sprites = std::vector<std::unique_ptr<cSprite>>;
  using Sheet = std::shared_ptr<cSpriteBitmaps>;

  // Locals of the frame loop, alive for the whole show.
  struct GardenLocals {
    win::HDC lFormHDC = nullptr;
    std::vector<std::int16_t> iYellowStage, iRedStage, iRoseStage, iWhiteStage;
    std::int16_t iYellowTick = 1, iRedTick = 1, iRoseTick = 1, iWhiteTick = 1;
    std::int16_t iTractorCell = 1;
    std::int16_t iTractorY = 0;
    std::int32_t lNextTick = 0;
  };

  // Takes its run options from the command line.
  Form1();
  explicit Form1(const stage::RunOptions& options);
  ~Form1() override;

  void Form_Load() override;
  void Form_Unload(int& cancel) override;
  void Form_KeyDown(int keyCode, int shift) override;
  void Form_MouseDown(int button, int shift, float x, float y) override;
  void Form_MouseMove(int button, int shift, float x, float y) override;
  void TimerChMode_Timer();

  forms::Timer TimerChMode;

  // ---- for tests and benchmarks ------------------------------------------------

  // Called after the frame loop's preparation (frame 0) and after each frame
  // (1, 2, ...), once its waits are over.
  using FrameHook = std::function<void(Form1& form, std::int64_t frame)>;
  void SetFrameHookForTest(FrameHook hook) { m_frameHook = std::move(hook); }
  // Runs first in each input handler, with the event's name ("keydown",
  // "mousedown", "mousemove"): a test program makes a handler fail here.
  using InputHook = std::function<void(const char* event)>;
  void SetInputHookForTest(InputHook hook) { m_inputHook = std::move(hook); }
  // Loads the form and builds the scene as Form_Load does, without showing
  // the stage or running the loop; false when the set-up failed (the
  // warning has then been given).
  bool SetUpForTest();
  // The frame loop's preparation; then the drawing of one frame per call
  // (growing or mowing as the mode says), without its message processing
  // and waits.
  void PrepareForTest();
  void DrawFrameForTest();

  // This stage and the other monitors' stages, the primary first.
  std::vector<Form1*> Stages();

  const stage::RunOptions& Options() const { return m_options; }
  const GardenLocals& Locals() const { return m_loop; }
  std::int64_t FramesRun() const { return m_lFramesRun; }
  cBitmap* Stage() const { return m_cStage.get(); }
  cBitmap* Lawn() const { return m_cLawn.get(); }
  cSprite* Logo() const { return m_cLogo.get(); }
  cSprite* Tractor() const { return m_cTractor.get(); }
  cSprite* Blank() const { return m_cBlank.get(); }
  const Sprites& YellowFlowers() const { return m_cYellowFlowers; }
  const Sprites& RedFlowers() const { return m_cRedFlowers; }
  const Sprites& Roses() const { return m_cRoses; }
  const Sprites& WhiteFlowers() const { return m_cWhiteFlowers; }
  const Sheet& YellowSheet() const { return m_cYellowSheet; }
  const Sheet& RedSheet() const { return m_cRedSheet; }
  const Sheet& RoseSheet() const { return m_cRoseSheet; }
  const Sheet& WhiteSheet() const { return m_cWhiteSheet; }
  std::int16_t YellowCount() const { return m_iYellowCount; }
  std::int16_t RedCount() const { return m_iRedCount; }
  std::int16_t RoseCount() const { return m_iRoseCount; }
  std::int16_t WhiteCount() const { return m_iWhiteCount; }
  std::int16_t Mode() const { return m_iMode; }
  std::int32_t ScreenWidth() const { return m_lScreenWidth; }
  std::int32_t ScreenHeight() const { return m_lScreenHeight; }
  std::int32_t LastMouseX() const { return m_iLastMouseX; }
  std::int32_t LastMouseY() const { return m_iLastMouseY; }

 private:
  struct Kind;

  // The set-up steps 1 to 12 of Form_Load; raise on failure.
  void BuildScene();
  // The monitors of a full-screen show of several, the primary first;
  // none otherwise.
  std::vector<Area> ShowMonitors() const;
  // One more stage for each monitor but the first.
  void BuildOtherStages(const std::vector<Area>& monitors);
  // The stage's place and size, pixels: its monitor, else the screen.
  Area Covered() const;
  void LoadSheet(Sheet& sheet, const std::string& path, std::int32_t cellsAcross,
                 std::int32_t cellsDown, win::COLORREF transColor);
  void CreateSprite(const Sheet& sheet, std::unique_ptr<cSprite>& sprite);
  void PlantAtRandom(cSprite& sprite);

  void RunGarden();
  void PrepareGarden();
  void GardenFrame();
  void GrowingFrame();
  void MowingFrame();
  void AdvanceGrowth(Sprites& sprites, std::vector<std::int16_t>& stages, std::int32_t first,
                     std::int32_t last, std::int32_t cells);
  void DrawFlowers(Sprites& sprites, std::int16_t count, win::HDC destination);
  // A frame's drawing, growing or mowing as the mode says.
  void DrawFrame();
  // The end of a run of -frames N: the snapshot, then the end of the show.
  void EndOfRun();
  void WriteSnapshot(const std::string& path);

  cSpriteBitmaps& SheetOf(const Sheet& sheet) const;

  // Members of the stage, in this order.
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
  // Twips; 32 bits, since a screen wider or taller than 2184 pixels reports
  // positions beyond a 16-bit value.
  std::int32_t m_iLastMouseX = 0;
  std::int32_t m_iLastMouseY = 0;

  GardenLocals m_loop;
  stage::RunOptions m_options;
  std::int64_t m_lFramesRun = 0;
  FrameHook m_frameHook;
  InputHook m_inputHook;
  bool m_bSetUpOnly = false;
  bool m_bSetUpDone = false;
  // Set for the stage of a monitor other than the primary: the stage of the
  // show owns it, shows it and runs its frames.
  bool m_bOtherStage = false;
  std::vector<std::unique_ptr<Form1>> m_cOtherStages;
};

// The stage of this run.
Form1& TheForm1();
// Tests: a new stage with these options takes the place of the old one.
Form1& NewForm1ForTest(const stage::RunOptions& options);
