// The surfaces that window DCs draw into: our own windows (registered by the
// forms side, shown by it), other programs' X windows (the preview window a
// screen-saver host hands us) and the screen.
#include "gdi/surface.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "forms_side.h"
#include "gdi/raster.h"
#include "platform/image.h"
#include "platform/process.h"
#include "x11/present.h"
#include "x11/x11.h"

namespace {

using portable::gdi::Rect;
using portable::gdi::View;

// Our window handles: 011 in the top three bits (never set in an X window
// id), a generation count, and an index.
constexpr std::uint32_t kOurTag = 0x60000000;
constexpr std::uint32_t kMaxWindows = 0x10000;

struct OurWindow {
  bool used = false;
  std::uint16_t gen = 0;
  portable::WindowSink* sink = nullptr;
  int width = 0;
  int height = 0;
  portable::present::SurfacePixels px;
  std::string className;
  std::string title;
  // Drawn since the window was last served by the direct path.
  std::vector<Rect> dirty;
};

struct Registry {
  std::vector<OurWindow> windows = std::vector<OurWindow>(1);  // index 0 unused
};
Registry& R() {
  static Registry* r = new Registry;
  return *r;
}

OurWindow* Find(win::HWND hwnd) {
  const std::uintptr_t v = reinterpret_cast<std::uintptr_t>(hwnd);
  if (v > 0xFFFFFFFFu || (v & 0xE0000000u) != kOurTag) return nullptr;
  const std::uint32_t index = v & 0xFFFF;
  auto& ws = R().windows;
  if (index == 0 || index >= ws.size()) return nullptr;
  OurWindow& w = ws[index];
  if (!w.used || (w.gen & 0x1FFF) != ((v >> 16) & 0x1FFF)) return nullptr;
  return &w;
}

bool Allocate(std::vector<std::uint32_t>& px, int width, int height) {
  try {
    px.assign(static_cast<std::size_t>(std::max(width, 0)) *
                  static_cast<std::size_t>(std::max(height, 0)),
              0u);
    return true;
  } catch (const std::bad_alloc&) {
    px.clear();
    return false;
  }
}

bool Allocate(portable::present::SurfacePixels& px, int width, int height) {
  return px.Allocate(static_cast<std::size_t>(std::max(width, 0)) *
                     static_cast<std::size_t>(std::max(height, 0)));
}

// A frame's copies to a window lie mostly apart: each place is kept as it
// comes, for a put of its own, unless it joins the one before at little
// cost (the bands of one rectangle, one drawn again at once): a put is a
// request for the server, worth more than a few pixels. Past kMaxDirty
// places the new one joins the nearest.
constexpr std::size_t kMaxDirty = 256;

std::int64_t Area(const Rect& r) {
  return static_cast<std::int64_t>(r.w) * static_cast<std::int64_t>(r.h);
}

Rect Union(const Rect& a, const Rect& b) {
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
  return {x0, y0, x1 - x0, y1 - y0};
}

void AddDirty(std::vector<Rect>& list, const Rect& r) {
  if (!list.empty() && Area(Union(list.back(), r)) * 4 <= (Area(list.back()) + Area(r)) * 5) {
    list.back() = Union(list.back(), r);
    return;
  }
  if (list.size() < kMaxDirty) {
    list.push_back(r);
    return;
  }
  std::size_t best = 0;
  std::int64_t growth = INT64_MAX;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::int64_t g = Area(Union(list[i], r)) - Area(list[i]);
    if (g < growth) {
      growth = g;
      best = i;
    }
  }
  list[best] = Union(list[best], r);
}

// Keeps a drawn place for the next present, which the event loop runs.
void Queue(OurWindow& w, const Rect& r) { AddDirty(w.dirty, r); }

int Clamp(int v) { return std::clamp(v, 0, plat::kMaxImageSide); }

bool Equal(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// ---- other programs' windows ----------------------------------------------------

// A window another program gave us (a preview): drawn into a surface of its
// size, which the X presenter puts on it as it is drawn.
struct Foreign {
  unsigned long xid = 0;
  bool gone = false;
  int width = 0;
  int height = 0;
  portable::present::SurfacePixels px;
};
std::vector<std::unique_ptr<Foreign>>& Foreigns() {
  static auto* f = new std::vector<std::unique_ptr<Foreign>>(1);  // id 0 unused
  return *f;
}
Foreign* FindForeign(int id) {
  auto& fs = Foreigns();
  if (id <= 0 || static_cast<std::size_t>(id) >= fs.size() || !fs[id]) return nullptr;
  return fs[id].get();
}

}  // namespace

namespace portable {

win::HWND RegisterWindow(WindowSink* sink, int width, int height, const std::string& className,
                         const std::string& title) {
  auto& ws = R().windows;
  std::size_t index = 0;
  for (std::size_t i = 1; i < ws.size(); ++i)
    if (!ws[i].used) {
      index = i;
      break;
    }
  if (index == 0) {
    if (ws.size() >= kMaxWindows) return nullptr;
    ws.emplace_back();
    index = ws.size() - 1;
  }
  OurWindow& w = ws[index];
  w.used = true;
  w.sink = sink;
  w.width = Clamp(width);
  w.height = Clamp(height);
  if (!Allocate(w.px, w.width, w.height)) w.width = w.height = 0;
  w.className = className;
  w.title = title;
  const std::uint32_t v = kOurTag | (static_cast<std::uint32_t>(w.gen & 0x1FFF) << 16) |
                          static_cast<std::uint32_t>(index);
  return reinterpret_cast<win::HWND>(static_cast<std::uintptr_t>(v));
}

void ResizeWindow(win::HWND hwnd, int width, int height) {
  OurWindow* w = Find(hwnd);
  if (!w) return;
  width = Clamp(width);
  height = Clamp(height);
  if (width == w->width && height == w->height) return;
  // What was drawn stays where it was; new area is black.
  present::SurfacePixels px;
  if (!Allocate(px, width, height)) return;
  for (int y = 0; y < std::min(height, w->height); ++y)
    std::copy_n(w->px.data() + static_cast<std::size_t>(y) * w->width, std::min(width, w->width),
                px.data() + static_cast<std::size_t>(y) * width);
  w->px = std::move(px);
  w->width = width;
  w->height = height;
  // Places drawn before may lie outside now; the toolkit repaints a resized
  // window in full anyway.
  w->dirty.clear();
}

void SetWindowTitle(win::HWND hwnd, const std::string& title) {
  if (OurWindow* w = Find(hwnd)) w->title = title;
}

void UnregisterWindow(win::HWND hwnd) {
  OurWindow* w = Find(hwnd);
  if (!w) return;
  const std::uint16_t gen = w->gen;
  *w = OurWindow();
  w->gen = static_cast<std::uint16_t>(gen + 1);  // its handle is stale from now on
}

bool IsOurWindow(win::HWND hwnd) { return Find(hwnd) != nullptr; }

win::HWND FindOurWindow(const char* className, const char* title) {
  if (!className) return nullptr;
  auto& ws = R().windows;
  for (std::size_t i = 1; i < ws.size(); ++i) {
    const OurWindow& w = ws[i];
    if (!w.used || !Equal(w.className, className)) continue;
    if (title && w.title != title) continue;
    const std::uint32_t v = kOurTag | (static_cast<std::uint32_t>(w.gen & 0x1FFF) << 16) |
                            static_cast<std::uint32_t>(i);
    return reinterpret_cast<win::HWND>(static_cast<std::uintptr_t>(v));
  }
  return nullptr;
}

void PresentWindows() {
  bool put = false;
  for (OurWindow& w : R().windows) {
    if (!w.used || w.dirty.empty()) continue;
    const unsigned long xid = w.sink ? w.sink->NativeWindow() : 0;
    if (!present::Put(xid, w.px, w.width, w.height, w.dirty)) {
      // No longer served directly (hidden, or its native window changed):
      // the toolkit repaints these places.
      if (w.sink)
        for (const auto& r : w.dirty) w.sink->SurfaceDrawn(r.x, r.y, r.w, r.h);
    } else {
      put = true;
    }
    w.dirty.clear();
  }
  if (put) present::Flush();
}

void WindowRepainted(win::HWND hwnd, int x, int y, int width, int height) {
  OurWindow* w = Find(hwnd);
  if (!w || !w->sink || width <= 0 || height <= 0) return;
  if (!present::CanServe(w->sink->NativeWindow())) return;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, w->width), y1 = std::min(y + height, w->height);
  if (x1 > x0 && y1 > y0) Queue(*w, {x0, y0, x1 - x0, y1 - y0});
}

WindowSink* SinkOf(win::HWND hwnd) {
  OurWindow* w = Find(hwnd);
  return w ? w->sink : nullptr;
}

const std::uint32_t* WindowPixels(win::HWND hwnd, int* width, int* height, int* stride) {
  OurWindow* w = Find(hwnd);
  if (!w) return nullptr;
  if (width) *width = w->width;
  if (height) *height = w->height;
  if (stride) *stride = w->width;
  return w->px.data();
}

namespace gdi {

bool OurWindowView(win::HWND hwnd, View* view) {
  OurWindow* w = Find(hwnd);
  if (!w || w->px.empty()) return false;
  view->bits = reinterpret_cast<std::uint8_t*>(w->px.data());
  view->width = w->width;
  view->height = w->height;
  view->stride = static_cast<std::ptrdiff_t>(w->width) * 4;
  view->bpp = 32;
  view->shown = true;
  return true;
}

void OurWindowDrawn(win::HWND hwnd, const Rect& drawn, const Rect& r) {
  OurWindow* w = Find(hwnd);
  if (!w || drawn.Empty()) return;
  if (!w->sink || r.Empty()) return;
  if (present::CanServe(w->sink->NativeWindow())) {
    Queue(*w, {r.x, r.y, r.w, r.h});
    return;
  }
  w->sink->SurfaceDrawn(r.x, r.y, r.w, r.h);
}

void ScreenSize(int* width, int* height) {
  static int w = 0, h = 0;
  if (w == 0 && !x11::ScreenSize(&w, &h)) {
    w = 1920;
    h = 1080;
  }
  *width = w;
  *height = h;
}

bool ScreenView(View* view) {
  // Made on first use: most programs only name the screen as a reference.
  static std::vector<std::uint32_t>* px = nullptr;
  int w = 0, h = 0;
  ScreenSize(&w, &h);
  if (!px) {
    auto* p = new (std::nothrow) std::vector<std::uint32_t>();
    if (!p || !Allocate(*p, w, h)) {
      delete p;
      return false;
    }
    px = p;
  }
  view->bits = reinterpret_cast<std::uint8_t*>(px->data());
  view->width = w;
  view->height = h;
  view->stride = static_cast<std::ptrdiff_t>(w) * 4;
  view->bpp = 32;
  return true;
}

int OpenForeign(win::HWND hwnd) {
  const std::uintptr_t v = reinterpret_cast<std::uintptr_t>(hwnd);
  if (v == 0 || v > 0x1FFFFFFFu) return 0;  // not an X window id
  auto f = std::make_unique<Foreign>();
  if (!x11::WindowSize(v, &f->width, &f->height)) return 0;
  f->xid = v;
  f->width = Clamp(f->width);
  f->height = Clamp(f->height);
  if (!Allocate(f->px, f->width, f->height)) return 0;
  auto& fs = Foreigns();
  for (std::size_t i = 1; i < fs.size(); ++i)
    if (!fs[i]) {
      fs[i] = std::move(f);
      return static_cast<int>(i);
    }
  fs.push_back(std::move(f));
  return static_cast<int>(fs.size() - 1);
}

bool ForeignView(int id, View* view) {
  Foreign* f = FindForeign(id);
  if (!f) return false;
  view->bits = reinterpret_cast<std::uint8_t*>(f->px.data());
  view->width = f->width;
  view->height = f->height;
  view->stride = static_cast<std::ptrdiff_t>(f->width) * 4;
  view->bpp = 32;
  view->shown = true;
  return true;
}

void ForeignDrawn(int id, const Rect& changed) {
  Foreign* f = FindForeign(id);
  if (!f || f->gone || changed.Empty()) return;
  // Put at once: the host shows what is drawn, there is no frame loop of
  // ours to wait for.
  if (!present::Put(f->xid, f->px, f->width, f->height, {changed})) f->gone = true;
  present::Flush();
}

void CloseForeign(int id) {
  if (FindForeign(id)) Foreigns()[id].reset();
}

}  // namespace gdi
}  // namespace portable
