// The stage's set-up and its input: the scene built from the settings and
// the pictures, the flowers planted, the desktop taken out of the way; a
// key, a button or a burst of mouse moves ends the show.
#include "saver/stage/form1.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iterator>
#include <limits>

#include "platform/errors.h"
#include "platform/host_window.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "saver/host/module1.h"
#include "saver/stage/random.h"

namespace {

constexpr win::COLORREF kTransparent = 0x00FF00;
constexpr std::int32_t kTimerInterval = 60000;
constexpr win::UINT kNoMoveNoSize = win::SWP_NOMOVE | win::SWP_NOSIZE;

stage::RunOptions CommandLineOptions() {
  return stage::ParseRunOptions(plat::Arguments(), plat::HostWindowNamed());
}

// A count text of the settings file as a 16-bit number; anything else is a
// failure of the set-up.
std::int16_t CountOf(const std::string& text) {
  const auto v = plat::TextToInt16(text);
  if (!v) plat::Raise(plat::ErrorKind::TypeMismatch);
  return *v;
}

std::int32_t Rounded32(double v) {
  const auto r = plat::ToInt32(v);
  if (!r) plat::Raise(plat::ErrorKind::Overflow);
  return *r;
}

// A mouse position kept in 32 bits: positions far beyond any screen are
// held at the limit instead of failing.
std::int32_t StoredPosition(float twips) {
  if (const auto r = plat::ToInt32(twips)) return *r;
  if (std::isnan(twips)) return 0;
  return twips < 0 ? std::numeric_limits<std::int32_t>::min()
                   : std::numeric_limits<std::int32_t>::max();
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

// The desktop's monitors, the primary first, then from left to right and
// top to bottom: the same order on every system.
std::vector<forms::Form::Area> DesktopMonitors() {
  struct Found {
    bool primary;
    forms::Form::Area area;
  };
  std::vector<Found> found;
  win::EnumDisplayMonitors(
      nullptr, nullptr,
      [](win::HMONITOR monitor, win::HDC, win::RECT*, win::LPARAM data) -> win::BOOL {
        win::MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        const win::RECT& r = mi.rcMonitor;
        if (win::GetMonitorInfoA(monitor, &mi) && r.right > r.left && r.bottom > r.top)
          reinterpret_cast<std::vector<Found>*>(data)->push_back(
              {(mi.dwFlags & win::MONITORINFOF_PRIMARY) != 0,
               {r.left, r.top, r.right - r.left, r.bottom - r.top}});
        return win::TRUE;
      },
      reinterpret_cast<win::LPARAM>(&found));
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.primary != b.primary) return a.primary;
    if (a.area.left != b.area.left) return a.area.left < b.area.left;
    return a.area.top < b.area.top;
  });
  std::vector<forms::Form::Area> areas;
  for (const Found& f : found) areas.push_back(f.area);
  return areas;
}

// Never destroyed at the program's end: the window system may be gone by
// then. Reachable all along, so leak checkers are content.
Form1*& Instance() {
  static Form1* form = nullptr;
  return form;
}

}  // namespace

Form1::Form1() : Form1(CommandLineOptions()) {}

Form1::Form1(const stage::RunOptions& options) : TimerChMode(*this), m_options(options) {
  SetCaption("Tamarel");
  SetBorderStyle(forms::BorderStyle::None);
  SetBackColor(forms::kBlack);
  SetLeft(0);
  SetTop(0);
  TimerChMode.SetInterval(kTimerInterval);
  TimerChMode.SetEnabled(false);
  TimerChMode.OnTimer = [this] { TimerChMode_Timer(); };

  if (m_options.virtualClock) plat::SetClockMode(plat::ClockMode::Virtual);
  if (m_options.hostWindow != 0) {
    int w = 0, h = 0;
    // A host window that cannot be found leaves the show a window of its own.
    if (plat::HostWindowSize(m_options.hostWindow, &w, &h)) {
      SetHostWindow(m_options.hostWindow);
      forms::SetScreenSizeOverride(w, h);
    } else {
      m_options.hostWindow = 0;
    }
  }
}

Form1::~Form1() = default;

cSpriteBitmaps& Form1::SheetOf(const Sheet& sheet) const {
  if (!sheet) plat::Raise(plat::ErrorKind::ObjectNotSet);
  return *sheet;
}

void Form1::Form_Load() {
  // Another monitor's stage: its failures are its show's.
  if (m_bOtherStage) {
    BuildScene();
    return;
  }
  try {
    const std::vector<Area> monitors = ShowMonitors();
    if (!monitors.empty()) SetMonitorArea(monitors.front());
    BuildScene();
    BuildOtherStages(monitors);
    if (!m_bSetUpOnly) {
      // The primary's stage last, so that it has the keyboard.
      for (Form1* stage : Stages()) {
        if (stage == this) continue;
        stage->Show();
        stage->Refresh();
      }
      Show();
      Refresh();
    }
  } catch (const std::exception&) {
    Module1::WarnAndEndShow(Module1::MissingFilesText());
    return;
  }
  if (m_bSetUpOnly) {
    m_bSetUpDone = true;
    return;
  }
  RunGarden();
}

void Form1::Form_Unload(int& cancel) {
  (void)cancel;
  // The show's end takes every monitor's garden with it.
  for (auto& stage : m_cOtherStages) stage->Unload();
}

std::vector<Form1*> Form1::Stages() {
  std::vector<Form1*> all{this};
  for (auto& stage : m_cOtherStages) all.push_back(stage.get());
  return all;
}

forms::Form::Area Form1::Covered() const {
  const Area& monitor = MonitorArea();
  if (monitor.width > 0 && monitor.height > 0) return monitor;
  return {0, 0, forms::Screen::WidthPixels(), forms::Screen::HeightPixels()};
}

std::vector<forms::Form::Area> Form1::ShowMonitors() const {
  // A show in a host's window (or on a test's screen) has that one window;
  // a host runs a copy per monitor itself.
  if (m_options.hostWindow != 0 || m_options.hosted || forms::ScreenSizeOverridden()) return {};
  std::vector<Area> monitors = DesktopMonitors();
  // One monitor: the whole screen, as ever.
  if (monitors.size() < 2) monitors.clear();
  return monitors;
}

void Form1::BuildOtherStages(const std::vector<Area>& monitors) {
  m_cOtherStages.clear();
  for (std::size_t i = 1; i < monitors.size(); ++i) {
    // The same flowers; the clock, the count of frames and the snapshot are
    // the show's.
    stage::RunOptions options;
    std::copy(std::begin(m_options.counts), std::end(m_options.counts), options.counts);
    auto other = std::make_unique<Form1>(options);
    other->m_bOtherStage = true;
    other->SetMonitorArea(monitors[i]);
    Form1& added = *other;
    m_cOtherStages.push_back(std::move(other));
    added.Load();
  }
}

void Form1::BuildScene() {
  // 1. The window covers the screen (a monitor of several: that monitor).
  const Area covered = Covered();
  SetWidth(static_cast<float>(covered.width) * forms::Screen::TwipsPerPixelX());
  SetHeight(static_cast<float>(covered.height) * forms::Screen::TwipsPerPixelY());
  SetWindowState(forms::WindowState::Maximized);

  // 2. The first mowing pass comes one interval from now.
  TimerChMode.SetEnabled(true);

  // 3. The flower counts.
  const std::string ini = Module1::IniFilePath();
  Module1::ReadIniValue("flowers", "yellow", Module1::YellowCount, ini);
  Module1::ReadIniValue("flowers", "red", Module1::RedCount, ini);
  Module1::ReadIniValue("flowers", "rose", Module1::RoseCount, ini);
  Module1::ReadIniValue("flowers", "white", Module1::WhiteCount, ini);
  // A count given on the command line (a host's panel) holds for this run
  // only; the file's text for it is then not needed.
  const auto count = [this](int kind, const std::string& text) {
    const std::int16_t given = m_options.counts[kind];
    return given >= 0 ? given : CountOf(text);
  };
  m_iYellowCount = count(0, Module1::YellowCount);
  m_iRedCount = count(1, Module1::RedCount);
  m_iRoseCount = count(2, Module1::RoseCount);
  m_iWhiteCount = count(3, Module1::WhiteCount);

  // 4. The two lawn tiles. On a high-density screen every picture comes
  // from the 2x folder, drawn at twice the size under the same name.
  std::string data = Module1::DataFolderPath();
  if (forms::Screen::PictureScale() == 2) data += std::string("2x") + plat::PathSeparator();
  for (std::unique_ptr<cTile>* tile : {&m_cStageTile, &m_cLawnTile}) {
    *tile = std::make_unique<cTile>();
    (*tile)->Initialise(this);
    (*tile)->Filename(data + "lawn.bmp");
    if (!TileHoldsImage(**tile)) plat::Raise(plat::ErrorKind::Other);
  }

  // 5. The logo.
  LoadSheet(m_cLogoSheet, data + "logo.bmp", 1, 1, kTransparent);
  CreateSprite(m_cLogoSheet, m_cLogo);

  // 6. The flowers: a kind without flowers needs no picture.
  struct Planting {
    std::int16_t count;
    Sheet& sheet;
    Sprites& sprites;
    const char* file;
    std::int32_t cells;
  };
  const Planting kinds[] = {
      {m_iYellowCount, m_cYellowSheet, m_cYellowFlowers, "yellowFlower.bmp", 11},
      {m_iRedCount, m_cRedSheet, m_cRedFlowers, "redFlower.bmp", 11},
      {m_iRoseCount, m_cRoseSheet, m_cRoses, "roses.bmp", 10},
      {m_iWhiteCount, m_cWhiteSheet, m_cWhiteFlowers, "whiteFlower.bmp", 11},
  };
  for (const Planting& k : kinds) {
    if (k.count <= 0) continue;
    LoadSheet(k.sheet, data + k.file, k.cells, 1, kTransparent);
    k.sprites.clear();
    k.sprites.resize(static_cast<std::size_t>(k.count) + 1);
    for (std::int32_t i = 1; i <= k.count; ++i) {
      CreateSprite(k.sheet, k.sprites[static_cast<std::size_t>(i)]);
      PlantAtRandom(*k.sprites[static_cast<std::size_t>(i)]);
    }
  }

  // 7. The tractor and 8. the strip that trails it.
  LoadSheet(m_cTractorSheet, data + "tractor.bmp", 6, 1, kTransparent);
  CreateSprite(m_cTractorSheet, m_cTractor);
  m_cTractor->Active(true);
  LoadSheet(m_cBlankSheet, data + "blank.bmp", 1, 1, kTransparent);
  CreateSprite(m_cBlankSheet, m_cBlank);
  m_cBlank->Active(true);

  // 9. and 10. The current garden and the clean lawn, both plain lawn.
  const std::int32_t w = covered.width;
  const std::int32_t h = covered.height;
  m_cStage = std::make_unique<cBitmap>();
  m_cStage->CreateAtSize(w, h);
  m_cLawn = std::make_unique<cBitmap>();
  m_cLawn->CreateAtSize(w, h);
  m_cStageTile->TileDC(m_cStage->hDC(), w, h);
  m_cLawnTile->TileDC(m_cLawn->hDC(), w, h);

  // 11. Where the password is ours to ask for, the system's task-switching
  // keys are blocked (by the show's stage, once) and every stage stays in
  // front.
  if (Module1::PlatformId != 2 && Module1::UsePassword != 0) {
    std::int32_t zero = 0;
    if (!m_bOtherStage)
      Module1::LastApiResult =
          win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 1, &zero, 0);
    Module1::LastApiResult =
        win::SetWindowPos(hWnd(), win::HWND_TOPMOST(), 0, 0, 0, 0, kNoMoveNoSize);
  }
  if (m_bOtherStage) return;

  // 12. The taskbar is hidden (the end of the show brings it back); the
  // show's stage does it, once.
  Module1::TaskbarHwnd = win::FindWindowA("Shell_traywnd", "");
  Module1::LastApiResult =
      win::SetWindowPos(Module1::TaskbarHwnd, win::HWND_TOP(), 0, 0, 0, 0, win::SWP_HIDEWINDOW);
}

void Form1::LoadSheet(Sheet& sheet, const std::string& path, std::int32_t cellsAcross,
                      std::int32_t cellsDown, win::COLORREF transColor) {
  sheet = std::make_shared<cSpriteBitmaps>();
  if (!sheet->CreateFromFile(path, cellsAcross, cellsDown, "", transColor))
    plat::Raise(plat::ErrorKind::Other);
}

void Form1::CreateSprite(const Sheet& sheet, std::unique_ptr<cSprite>& sprite) {
  sprite = std::make_unique<cSprite>();
  sprite->SpriteData(sheet);
  sprite->Create(hDC());
}

void Form1::PlantAtRandom(cSprite& sprite) {
  stage::RandomGenerator& rnd = stage::ShowRandom();
  rnd.Reseed(plat::TimeOfDay());
  // The product of a 24-bit fraction and a 32-bit width is exact in double
  // precision, so every platform rounds the same value. The window covers
  // its monitor: its size in pixels is the monitor's.
  const Area covered = Covered();
  const std::int32_t w = covered.width;
  const std::int32_t x = Rounded32(static_cast<double>(rnd.Next()) * w);
  const std::int32_t h = covered.height;
  const std::int32_t y = Rounded32(static_cast<double>(rnd.Next()) * h);
  sprite.X(x);
  sprite.Y(y);
  sprite.Active(true);
}

// ---- input ----------------------------------------------------------------------------

void Form1::Form_KeyDown(int keyCode, int shift) {
  (void)keyCode;
  (void)shift;
  if (m_inputHook) m_inputHook("keydown");
  Module1::EndShow();
}

void Form1::Form_MouseDown(int button, int shift, float x, float y) {
  (void)button;
  (void)shift;
  (void)x;
  (void)y;
  if (m_inputHook) m_inputHook("mousedown");
  Module1::EndShow();
}

void Form1::Form_MouseMove(int button, int shift, float x, float y) {
  (void)button;
  (void)shift;
  if (m_inputHook) m_inputHook("mousemove");
  // Repeated reports of the same place, and the first report of a show,
  // are not movement.
  const float dx = std::fabs(x - static_cast<float>(m_iLastMouseX));
  const float dy = std::fabs(y - static_cast<float>(m_iLastMouseY));
  if ((dx > 3 || dy > 3) && m_iLastMouseX > 0 && m_iLastMouseY > 0) Module1::CountMouseMove();
  m_iLastMouseX = StoredPosition(x);
  m_iLastMouseY = StoredPosition(y);
}

void Form1::TimerChMode_Timer() {
  m_iMode = 1;
  TimerChMode.SetEnabled(false);
}

// ---- for tests ------------------------------------------------------------------------------

bool Form1::SetUpForTest() {
  m_bSetUpOnly = true;
  m_bSetUpDone = false;
  try {
    Load();
  } catch (const plat::ProgramEnded&) {
    return false;
  }
  return m_bSetUpDone;
}

Form1& TheForm1() {
  Form1*& form = Instance();
  if (!form) form = new Form1();
  return *form;
}

Form1& NewForm1ForTest(const stage::RunOptions& options) {
  Form1*& form = Instance();
  delete form;
  form = nullptr;
  form = new Form1(options);
  return *form;
}
