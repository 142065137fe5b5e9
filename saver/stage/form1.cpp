// The stage window: its set-up (the window over its monitor, the counts,
// the garden, the desktop out of the way) and its input.
#include "saver/stage/form1.h"

#include <cmath>
#include <limits>
#include <string>

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "saver/stage/garden.h"
#include "saver/stage/host.h"

namespace {

constexpr std::int32_t kTimerInterval = 60000;
constexpr win::UINT kNoMoveNoSize = win::SWP_NOMOVE | win::SWP_NOSIZE;

// A count text of the settings file as a 16-bit number; anything else is a
// failure of the set-up.
std::int16_t CountOf(const std::string& text) {
  const auto v = plat::TextToInt16(text);
  if (!v) plat::Raise(plat::ErrorKind::TypeMismatch);
  return *v;
}

// A mouse position kept in 32 bits: positions far beyond any screen are
// held at the limit instead of failing.
std::int32_t StoredPosition(float twips) {
  if (const auto r = plat::ToInt32(twips)) return *r;
  if (std::isnan(twips)) return 0;
  return twips < 0 ? std::numeric_limits<std::int32_t>::min()
                   : std::numeric_limits<std::int32_t>::max();
}

}  // namespace

Form1::Form1(stage::Garden& garden, const Area& monitor, bool primary)
    : TimerChMode(*this), m_cGarden(garden), m_bPrimary(primary) {
  SetCaption("Tamarel");
  SetBorderStyle(forms::BorderStyle::None);
  SetBackColor(forms::kBlack);
  SetLeft(0);
  SetTop(0);
  if (monitor.width > 0 && monitor.height > 0) SetMonitorArea(monitor);
  TimerChMode.SetInterval(kTimerInterval);
  TimerChMode.SetEnabled(false);
  TimerChMode.OnTimer = [this] { TimerChMode_Timer(); };
}

Form1::~Form1() = default;

stage::Scene& Form1::Scene() const {
  if (!m_cScene) plat::Raise(plat::ErrorKind::ObjectNotSet);
  return *m_cScene;
}

forms::Form::Area Form1::Covered() const {
  const Area& monitor = MonitorArea();
  if (monitor.width > 0 && monitor.height > 0) return monitor;
  return {0, 0, forms::Screen::WidthPixels(), forms::Screen::HeightPixels()};
}

void Form1::Form_Load() {
  // The window covers the screen (a monitor of several: that monitor).
  const Area covered = Covered();
  SetWidth(static_cast<float>(covered.width) * forms::Screen::TwipsPerPixelX());
  SetHeight(static_cast<float>(covered.height) * forms::Screen::TwipsPerPixelY());
  SetWindowState(forms::WindowState::Maximized);

  // The first mowing pass comes one interval from now.
  TimerChMode.SetEnabled(true);
  BuildScene(covered.width, covered.height);

  // Where the password is ours to ask for, the system's task-switching keys
  // are blocked (by the show's window, once) and every window stays in front.
  if (m_cGarden.TheHost().PasswordIsOurs()) {
    std::int32_t zero = 0;
    if (m_bPrimary) win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 1, &zero, 0);
    win::SetWindowPos(hWnd(), win::HWND_TOPMOST(), 0, 0, 0, 0, kNoMoveNoSize);
  }
  // The taskbar is hidden (the end of the show brings it back).
  if (m_bPrimary)
    win::SetWindowPos(win::FindWindowA("Shell_traywnd", ""), win::HWND_TOP(), 0, 0, 0, 0,
                      win::SWP_HIDEWINDOW);
}

void Form1::BuildScene(int width, int height) {
  stage::Host& host = m_cGarden.TheHost();
  // A count given on the command line (a host's panel) holds for this run
  // only; the file's text for it is then not needed.
  static const char* const kKeys[] = {"yellow", "red", "rose", "white"};
  stage::Scene::SetUp setUp;
  setUp.width = width;
  setUp.height = height;
  for (int k = 0; k < 4; ++k) {
    const std::string text = host.CountText(kKeys[k]);
    const std::int16_t given = m_cGarden.Options().counts[k];
    setUp.counts[k] = given >= 0 ? given : CountOf(text);
  }
  // On a high-density screen every picture comes from the 2x folder, drawn
  // at twice the size under the same name.
  setUp.pictures = host.PicturesFolder();
  if (forms::Screen::PictureScale() == 2)
    setUp.pictures += std::string("2x") + plat::PathSeparator();
  setUp.render = this;
  m_cScene.reset();
  m_cScene = std::make_unique<stage::Scene>(setUp);
}

void Form1::Form_Resize() {
  if (!m_cScene || !IsLoaded()) return;
  const auto pixels = [](float twips, float perPixel) {
    return static_cast<int>(std::lround(twips / perPixel));
  };
  const int w = pixels(ScaleWidth(), forms::Screen::TwipsPerPixelX());
  const int h = pixels(ScaleHeight(), forms::Screen::TwipsPerPixelY());
  if (w > 0 && h > 0 && (w != m_cScene->Width() || h != m_cScene->Height()))
    m_cGarden.Resize(*this, w, h);
}

// ---- input ----------------------------------------------------------------------------

void Form1::Form_KeyDown(int keyCode, int shift) {
  (void)keyCode;
  (void)shift;
  m_cGarden.TheHost().EndShow(m_cGarden);
}

void Form1::Form_MouseDown(int button, int shift, float x, float y) {
  (void)button;
  (void)shift;
  (void)x;
  (void)y;
  m_cGarden.TheHost().EndShow(m_cGarden);
}

void Form1::Form_MouseMove(int button, int shift, float x, float y) {
  (void)button;
  (void)shift;
  // Repeated reports of the same place, and the first report of a show,
  // are not movement.
  const float dx = std::fabs(x - static_cast<float>(m_iLastMouseX));
  const float dy = std::fabs(y - static_cast<float>(m_iLastMouseY));
  if ((dx > 3 || dy > 3) && m_iLastMouseX > 0 && m_iLastMouseY > 0)
    m_cGarden.TheHost().CountMouseMove(m_cGarden);
  m_iLastMouseX = StoredPosition(x);
  m_iLastMouseY = StoredPosition(y);
}

void Form1::TimerChMode_Timer() {
  if (m_cScene) m_cScene->StartMowing();
  TimerChMode.SetEnabled(false);
}
