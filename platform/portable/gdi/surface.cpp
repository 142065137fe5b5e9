// The surfaces that window DCs draw into: our own windows (registered by the
// forms side, shown by it), other programs' X windows (the preview window a
// screen-saver host hands us) and the screen.
#include "gdi/surface.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "gdi/raster.h"
#include "platform/image.h"
#include "platform/process.h"
#include "x11/present.h"

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
  portable::gdi::Stamps stamps;
  std::string className;
  std::string title;
  // Drawn since the window was last served by the direct path.
  std::vector<portable::present::Rect> dirty;
};

// Whether a present is already asked for.
bool g_presentAsked = false;

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

// A frame draws the same places more than once (and the logo four times):
// each place is put once. Past kMaxDirty places the nearest two are joined.
constexpr std::size_t kMaxDirty = 64;

std::int64_t Area(const portable::present::Rect& r) {
  return static_cast<std::int64_t>(r.w) * static_cast<std::int64_t>(r.h);
}

bool Contains(const portable::present::Rect& a, const portable::present::Rect& b) {
  return b.x >= a.x && b.y >= a.y && b.x + b.w <= a.x + a.w && b.y + b.h <= a.y + a.h;
}

portable::present::Rect Union(const portable::present::Rect& a, const portable::present::Rect& b) {
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
  return {x0, y0, x1 - x0, y1 - y0};
}

void AddDirty(std::vector<portable::present::Rect>& list, const portable::present::Rect& r) {
  for (const auto& d : list)
    if (Contains(d, r)) return;
  std::erase_if(list, [&](const portable::present::Rect& d) { return Contains(r, d); });
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
void Queue(OurWindow& w, const portable::present::Rect& r) {
  AddDirty(w.dirty, r);
  if (!g_presentAsked) {
    g_presentAsked = true;
    portable::SchedulePresent();
  }
}

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

// ---- X ---------------------------------------------------------------------------

bool g_xError = false;
int NoteXError(Display*, XErrorEvent*) {
  g_xError = true;
  return 0;
}

// Traps the X errors of one step, so that a bad window id fails the call
// instead of ending the program.
class XErrorTrap {
 public:
  explicit XErrorTrap(Display* d) : d_(d) {
    g_xError = false;
    old_ = XSetErrorHandler(NoteXError);
  }
  ~XErrorTrap() { XSetErrorHandler(old_); }
  bool Failed() {
    XSync(d_, False);
    return g_xError;
  }

 private:
  Display* d_;
  XErrorHandler old_;
};

Display* XDisplay() {
  static Display* d = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    d = XOpenDisplay(portable::XDisplayName());
  }
  return d;
}

struct Foreign {
  bool used = false;
  Window xid = 0;
  bool gone = false;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> px;
  GC gc = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
};
std::vector<std::unique_ptr<Foreign>>& Foreigns() {
  static auto* f = new std::vector<std::unique_ptr<Foreign>>(1);  // id 0 unused
  return *f;
}
Foreign* FindForeign(int id) {
  auto& fs = Foreigns();
  if (id <= 0 || static_cast<std::size_t>(id) >= fs.size() || !fs[id] || !fs[id]->used)
    return nullptr;
  return fs[id].get();
}

int MaskShift(unsigned long mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}
unsigned long MaskBits(unsigned long mask) { return mask >> MaskShift(mask); }
// One 8-bit channel into the visual's mask.
unsigned long Channel(std::uint32_t v8, unsigned long mask) {
  const unsigned long top = MaskBits(mask);
  return ((static_cast<unsigned long>(v8) * top + 127) / 255) << MaskShift(mask);
}

void Push(Foreign& f, const Rect& r) {
  Display* d = XDisplay();
  if (!d || f.gone || r.Empty()) return;
  XErrorTrap trap(d);
  const bool direct = (f.depth == 24 || f.depth == 32) && f.visual->red_mask == 0xFF0000 &&
                      f.visual->green_mask == 0xFF00 && f.visual->blue_mask == 0xFF;
  XImage* img = nullptr;
  if (direct) {
    // The surface's own rows, as they are (0x00RRGGBB is the visual's order).
    char* start = reinterpret_cast<char*>(&f.px[static_cast<std::size_t>(r.y) * f.width + r.x]);
    img = XCreateImage(d, f.visual, static_cast<unsigned>(f.depth), ZPixmap, 0, start,
                       static_cast<unsigned>(r.w), static_cast<unsigned>(r.h), 32, f.width * 4);
    if (img && img->bits_per_pixel == 32) {
      XPutImage(d, f.xid, f.gc, img, 0, 0, r.x, r.y, static_cast<unsigned>(r.w),
                static_cast<unsigned>(r.h));
    }
    if (img) {
      img->data = nullptr;  // ours, not Xlib's to free
      XDestroyImage(img);
    }
  } else {
    img = XCreateImage(d, f.visual, static_cast<unsigned>(f.depth), ZPixmap, 0, nullptr,
                       static_cast<unsigned>(r.w), static_cast<unsigned>(r.h), 32, 0);
    if (img) {
      img->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(img->bytes_per_line),
                                                 static_cast<std::size_t>(r.h)));
      if (img->data) {
        for (int y = 0; y < r.h; ++y)
          for (int x = 0; x < r.w; ++x) {
            const std::uint32_t p = f.px[static_cast<std::size_t>(r.y + y) * f.width + r.x + x];
            XPutPixel(img, x, y,
                      Channel((p >> 16) & 0xFF, f.visual->red_mask) |
                          Channel((p >> 8) & 0xFF, f.visual->green_mask) |
                          Channel(p & 0xFF, f.visual->blue_mask));
          }
        XPutImage(d, f.xid, f.gc, img, 0, 0, r.x, r.y, static_cast<unsigned>(r.w),
                  static_cast<unsigned>(r.h));
      }
      XDestroyImage(img);
    }
  }
  XFlush(d);
  if (trap.Failed()) f.gone = true;
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
  w.stamps.Reset(w.width, w.height);
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
  w->stamps.Reset(width, height);
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
  g_presentAsked = false;
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
  view->stamps = &w->stamps;
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
  if (w == 0) {
    w = 1920;
    h = 1080;
    if (Display* d = XDisplay()) {
      w = DisplayWidth(d, DefaultScreen(d));
      h = DisplayHeight(d, DefaultScreen(d));
    }
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
  Display* d = XDisplay();
  if (!d) return 0;
  auto f = std::make_unique<Foreign>();
  {
    XErrorTrap trap(d);
    XWindowAttributes attr{};
    const Status ok = XGetWindowAttributes(d, static_cast<Window>(v), &attr);
    if (trap.Failed() || !ok || attr.width <= 0 || attr.height <= 0) return 0;
    f->xid = static_cast<Window>(v);
    f->width = Clamp(attr.width);
    f->height = Clamp(attr.height);
    f->visual = attr.visual;
    f->depth = attr.depth;
    f->gc = XCreateGC(d, f->xid, 0, nullptr);
    if (trap.Failed() || !f->gc) return 0;
  }
  if (!Allocate(f->px, f->width, f->height)) {
    XFreeGC(d, f->gc);
    return 0;
  }
  f->used = true;
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
  if (Foreign* f = FindForeign(id)) Push(*f, changed);
}

void CloseForeign(int id) {
  Foreign* f = FindForeign(id);
  if (!f) return;
  if (Display* d = XDisplay()) {
    XErrorTrap trap(d);
    if (f->gc) XFreeGC(d, f->gc);
    trap.Failed();
  }
  Foreigns()[id].reset();
}

}  // namespace gdi
}  // namespace portable
