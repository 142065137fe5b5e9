// The frame loop of a show and its windows: one per monitor, each with its
// scene; a frame of every scene, then the window system served, then the
// wait for the next tick.
#include "saver/stage/garden.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>

#include "platform/host_window.h"
#include "platform/image.h"
#include "platform/process.h"

namespace stage {

namespace {

constexpr std::int32_t kFrameMillis = 5;

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

}  // namespace

Garden::Garden(Host& host, const RunOptions& options) : m_host(host), m_options(options) {
  if (m_options.virtualClock) plat::SetClockMode(plat::ClockMode::Virtual);
  if (m_options.hostWindow != 0) {
    int w = 0, h = 0;
    // A host window that cannot be found leaves the show a window of its own.
    if (plat::HostWindowSize(m_options.hostWindow, &w, &h)) {
      forms::SetScreenSizeOverride(w, h);
    } else {
      m_options.hostWindow = 0;
    }
  }
}

Garden::~Garden() = default;

std::vector<Form1*> Garden::Windows() const {
  std::vector<Form1*> all;
  for (const auto& w : m_cWindows) all.push_back(w.get());
  return all;
}

std::vector<forms::Form::Area> Garden::ShowMonitors() const {
  // A show in a host's window (or on a test's screen) has that one window;
  // a host runs a copy per monitor itself.
  if (m_options.hostWindow != 0 || m_options.hosted || forms::ScreenSizeOverridden()) return {};
  std::vector<forms::Form::Area> monitors = DesktopMonitors();
  // One monitor: the whole screen, as ever.
  if (monitors.size() < 2) monitors.clear();
  return monitors;
}

bool Garden::Load() {
  try {
    std::vector<forms::Form::Area> monitors = ShowMonitors();
    if (monitors.empty()) monitors.push_back({});
    m_cWindows.clear();
    for (std::size_t i = 0; i < monitors.size(); ++i) {
      m_cWindows.push_back(std::make_unique<Form1>(*this, monitors[i], i == 0));
      if (i == 0 && m_options.hostWindow != 0) m_cWindows[0]->SetHostWindow(m_options.hostWindow);
      m_cWindows.back()->Load();
    }
    // The show's window last, so that it has the keyboard.
    for (std::size_t i = m_cWindows.size(); i-- > 0;) {
      m_cWindows[i]->Show();
      m_cWindows[i]->Refresh();
    }
  } catch (const std::exception&) {
    m_host.WarnAndEndShow(*this);
    return false;
  }
  return true;
}

void Garden::Unload() {
  for (const auto& w : m_cWindows) w->Unload();
}

void Garden::RunGarden() {
  try {
    Prepare();
    for (m_lFramesRun = 0;; ++m_lFramesRun) {
      if (m_options.frames >= 0 && m_lFramesRun == m_options.frames) EndOfRun();
      Frame();
    }
  } catch (const std::exception&) {
    m_host.WarnAndEndShow(*this);
  }
}

void Garden::Prepare() {
  for (Form1* w : Windows()) w->Scene().Prepare(w->hDC());
}

void Garden::Frame() {
  m_lNextTick = static_cast<std::int32_t>(win::GetTickCount());
  // One frame of every monitor's garden, then the messages of them all.
  for (Form1* w : Windows())
    if (w->Scene().DrawFrame(w->hDC())) w->TimerChMode.SetEnabled(true);
  // The frame reaches the screen here; the wait that follows serves the
  // messages.
  forms::ShowDrawn();
  // Wrapping, so that frames stay paced where the counter passes 2^31.
  m_lNextTick = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_lNextTick) +
                                          static_cast<std::uint32_t>(kFrameMillis));
  // After the wait through frames that draw nothing, the next frame's tick
  // has come: its messages were served on waking.
  if (WaitThroughIdleFrames() &&
      plat::TickReached(win::GetTickCount(), static_cast<std::uint32_t>(m_lNextTick)))
    return;
  m_host.WaitForTick(m_lNextTick);
}

bool Garden::WaitThroughIdleFrames() {
  // A counted run on the virtual clock keeps every frame's own wait: its
  // timers fire between frames exactly as the clock passes them.
  if (plat::GetClockMode() != plat::ClockMode::Real) return false;
  bool waited = false;
  constexpr std::int64_t kMaxIdle = 64;  // a second: the wait stays bounded
  for (;;) {
    std::int64_t idle = kMaxIdle;
    for (Form1* w : Windows()) idle = std::min(idle, w->Scene().IdleFrames());
    // A counted run ends after its last frame: none beyond it runs here.
    if (m_options.frames >= 0) idle = std::min(idle, m_options.frames - 1 - m_lFramesRun);
    if (idle <= 0) return waited;
    // When each of them starts: one counter step after the other.
    std::array<std::uint32_t, kMaxIdle> starts{};
    auto target = static_cast<std::uint32_t>(m_lNextTick);
    for (std::int64_t i = 0; i < idle; ++i) {
      starts[static_cast<std::size_t>(i)] = plat::TickReaching(target);
      target = starts[static_cast<std::size_t>(i)] + static_cast<std::uint32_t>(kFrameMillis);
    }
    forms::WaitForEvents(plat::MillisUntilTick(target));
    waited = true;
    // Those that have started run now; they draw nothing. A message may
    // have changed that (the timer starts a pass): the loop looks again.
    const std::uint32_t now = win::GetTickCount();
    for (std::int64_t i = 0; i < idle; ++i) {
      const std::uint32_t start = starts[static_cast<std::size_t>(i)];
      if (!plat::TickReached(now, start)) break;
      bool still = true;
      for (Form1* w : Windows()) still = still && w->Scene().IdleFrames() > 0;
      if (!still) break;
      ++m_lFramesRun;
      for (Form1* w : Windows()) w->Scene().DrawFrame(w->hDC());
      m_lNextTick = static_cast<std::int32_t>(start + static_cast<std::uint32_t>(kFrameMillis));
    }
  }
}

void Garden::Resize(Form1& window, int width, int height) {
  // The scene starts again: lawn, flowers, the logo in its corner and the
  // mowing rows all follow from the size. A host's window is the screen the
  // garden covers.
  if (m_options.hostWindow != 0) forms::SetScreenSizeOverride(width, height);
  window.BuildScene(width, height);
  window.Scene().Prepare(window.hDC());
  window.TimerChMode.SetEnabled(false);
  window.TimerChMode.SetEnabled(true);
}

void Garden::EndOfRun() {
  if (!m_options.snapshot.empty()) WriteSnapshot(m_options.snapshot);
  m_host.EndShow(*this);
}

void Garden::WriteSnapshot(const std::string& path) {
  // The whole desktop: each garden at its monitor's place, black between.
  const std::vector<Form1*> windows = Windows();
  const forms::Form::Area first = windows.front()->Covered();
  int left = first.left, top = first.top;
  int right = first.left + first.width, bottom = first.top + first.height;
  for (Form1* w : windows) {
    const forms::Form::Area a = w->Covered();
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
  for (Form1* w : windows) {
    const forms::Form::Area a = w->Covered();
    plat::Image part;
    read = read && plat::ReadPixels(w->hDC(), 0, 0, w->Scene().Width(), w->Scene().Height(), part);
    for (int y = 0; read && y < part.height; ++y)
      for (int x = 0; x < part.width; ++x)
        shown.at(a.left - left + x, a.top - top + y) = part.at(x, y);
  }
  if (!read || !plat::WriteFileBytes(path, plat::EncodePng(shown))) {
    // The show still ends as asked; the missing file tells the caller.
    std::fprintf(stderr, "Tamarel: the snapshot %s could not be written\n", path.c_str());
  }
}

}  // namespace stage
