// The X side of putting surfaces on our windows, on an XCB connection of our
// own: requests never block on a reply in a frame, and an error the server
// sends back (a window gone under us) is read and dropped instead of ending
// the program.
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "x11/present.h"
#include "gdi/surface.h"

namespace portable::present {

namespace {

// A plain request carries at most this much of a picture, so that the
// buffer it is gathered in stays small.
constexpr std::size_t kMaxPlainBytes = 1 << 20;

struct Verdict {
  unsigned long xid = 0;
  bool ok = false;
  // False when the server did not know the window (yet: the toolkit's
  // request to make it may still be on its way): asked again next time.
  bool known = false;
  std::uint8_t depth = 0;
};

struct Server {
  bool tried = false;
  xcb_connection_t* c = nullptr;
  bool shm = false;
  std::size_t maxRequestBytes = 0;
  // Windows already judged; a few are enough (a program has one or two).
  Verdict verdicts[8];
  unsigned next = 0;
  // One graphics context per depth.
  std::uint8_t gcDepth[4] = {};
  xcb_gcontext_t gc[4] = {};
  std::vector<std::uint32_t> gather;
  bool sharedAllowed = true;
  Counts counts;
};

Server& S() {
  static Server* s = new Server;  // lives to the end: surfaces outlive statics
  return *s;
}

void Query(Server& s) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(s.c, &xcb_shm_id);
  if (ext && ext->present) {
    xcb_shm_query_version_reply_t* v =
        xcb_shm_query_version_reply(s.c, xcb_shm_query_version(s.c), nullptr);
    s.shm = v != nullptr;
    std::free(v);
  }
  s.maxRequestBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(s.c)) * 4;
}

// The connection, made on first use; null when the toolkit is not on X or
// the server cannot be reached (or was lost).
xcb_connection_t* Connection() {
  Server& s = S();
  if (!s.tried) {
    s.tried = true;
    if (const char* name = portable::XDisplayName()) {
      s.c = xcb_connect(name, nullptr);
      if (xcb_connection_has_error(s.c)) {
        xcb_disconnect(s.c);
        s.c = nullptr;
      } else {
        Query(s);
      }
    }
  }
  if (s.c && xcb_connection_has_error(s.c)) return nullptr;
  return s.c;
}

const xcb_visualtype_t* FindVisual(const xcb_setup_t* setup, xcb_visualid_t id) {
  for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens)) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem;
         xcb_depth_next(&depths)) {
      for (auto v = xcb_depth_visuals_iterator(depths.data); v.rem; xcb_visualtype_next(&v))
        if (v.data->visual_id == id) return v.data;
    }
  }
  return nullptr;
}

bool ThirtyTwoBitPixels(const xcb_setup_t* setup, std::uint8_t depth) {
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
    if (f.data->depth == depth) return f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
  return false;
}

Verdict Judge(xcb_connection_t* c, unsigned long xid) {
  Verdict v;
  v.xid = xid;
  const auto window = static_cast<xcb_window_t>(xid);
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  xcb_get_window_attributes_reply_t* a =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  if (g && a) {
    v.known = true;
    const xcb_setup_t* setup = xcb_get_setup(c);
    const xcb_visualtype_t* visual = FindVisual(setup, a->visual);
    // The surface is 0x00RRGGBB in this machine's byte order.
    const bool order = (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) ==
                       (std::endian::native == std::endian::little);
    v.depth = g->depth;
    // Depth 24 only: a 32-bit window would take the surface's unused top byte
    // as its opacity.
    v.ok = visual && order && g->depth == 24 &&
           (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
            visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR) &&
           visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
           visual->blue_mask == 0xFF && ThirtyTwoBitPixels(setup, g->depth);
  }
  std::free(g);
  std::free(a);
  return v;
}

const Verdict* VerdictFor(unsigned long xid) {
  xcb_connection_t* c = Connection();
  if (!c || xid == 0 || xid > 0xFFFFFFFFul) return nullptr;
  Server& s = S();
  for (const Verdict& v : s.verdicts)
    if (v.xid == xid && v.known) return &v;
  const Verdict v = Judge(c, xid);
  if (!v.known) {
    static Verdict unknown;
    unknown = v;
    return &unknown;
  }
  Verdict& slot = s.verdicts[s.next];
  s.next = (s.next + 1) % std::size(s.verdicts);
  slot = v;
  return &slot;
}

xcb_gcontext_t GcFor(xcb_connection_t* c, unsigned long xid, std::uint8_t depth) {
  Server& s = S();
  for (int i = 0; i < 4; ++i)
    if (s.gc[i] != 0 && s.gcDepth[i] == depth) return s.gc[i];
  for (int i = 0; i < 4; ++i)
    if (s.gc[i] == 0) {
      s.gc[i] = xcb_generate_id(c);
      s.gcDepth[i] = depth;
      // A context made on one window serves every drawable of its depth.
      xcb_create_gc(c, s.gc[i], static_cast<xcb_drawable_t>(xid), 0, nullptr);
      return s.gc[i];
    }
  return 0;
}

// A rectangle in requests of at most kMaxPlainBytes each: whole rows where
// they fit, narrower pieces of rows where one row is too long.
void PutPlain(Server& s, xcb_connection_t* c, xcb_window_t window, xcb_gcontext_t gc,
              std::uint8_t depth, const std::uint32_t* px, int width, const Rect& r) {
  const std::size_t limit = std::min(kMaxPlainBytes, s.maxRequestBytes - 64);
  const int pieceWidth = std::max(1, std::min(r.w, static_cast<int>(limit / 4)));
  const int rows =
      std::max(1, static_cast<int>(limit / (static_cast<std::size_t>(pieceWidth) * 4)));
  try {
    s.gather.resize(static_cast<std::size_t>(pieceWidth) * static_cast<std::size_t>(rows));
  } catch (const std::bad_alloc&) {
    return;
  }
  for (int x = 0; x < r.w; x += pieceWidth) {
    const int w = std::min(pieceWidth, r.w - x);
    for (int y = 0; y < r.h; y += rows) {
      const int h = std::min(rows, r.h - y);
      for (int i = 0; i < h; ++i)
        std::memcpy(&s.gather[static_cast<std::size_t>(i) * w],
                    px + static_cast<std::size_t>(r.y + y + i) * width + r.x + x,
                    static_cast<std::size_t>(w) * 4);
      xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, static_cast<std::uint16_t>(w),
                    static_cast<std::uint16_t>(h), static_cast<std::int16_t>(r.x + x),
                    static_cast<std::int16_t>(r.y + y), 0, depth,
                    static_cast<std::uint32_t>(static_cast<std::size_t>(w) * h * 4),
                    reinterpret_cast<const std::uint8_t*>(s.gather.data()));
    }
  }
}

}  // namespace

// ---- surfaces -------------------------------------------------------------------------------

SurfacePixels::SurfacePixels(SurfacePixels&& o) noexcept { *this = std::move(o); }

SurfacePixels& SurfacePixels::operator=(SurfacePixels&& o) noexcept {
  if (this == &o) return *this;
  Release();
  heap_ = std::move(o.heap_);
  data_ = std::exchange(o.data_, nullptr);
  count_ = std::exchange(o.count_, 0);
  shared_ = std::exchange(o.shared_, nullptr);
  segment_ = std::exchange(o.segment_, 0);
  return *this;
}

SurfacePixels::~SurfacePixels() { Release(); }

void SurfacePixels::Release() {
  if (shared_) {
    if (xcb_connection_t* c = Connection()) xcb_shm_detach(c, segment_);
    ::shmdt(shared_);
  }
  std::vector<std::uint32_t>().swap(heap_);
  data_ = nullptr;
  count_ = 0;
  shared_ = nullptr;
  segment_ = 0;
}

bool SurfacePixels::Allocate(std::size_t count) {
  Release();
  if (count == 0) return true;
  xcb_connection_t* c = Connection();
  Server& s = S();
  if (c && s.shm && s.sharedAllowed && count <= SIZE_MAX / 4) {
    const int id = ::shmget(IPC_PRIVATE, count * 4, IPC_CREAT | 0600);
    if (id >= 0) {
      void* addr = ::shmat(id, nullptr, 0);
      if (addr != reinterpret_cast<void*>(-1)) {
        const xcb_shm_seg_t seg = xcb_generate_id(c);
        // The server only reads: it attaches the segment read-only.
        xcb_generic_error_t* e = xcb_request_check(c, xcb_shm_attach_checked(c, seg, id, 1));
        // Marked for removal now that both sides hold it: it goes with them.
        ::shmctl(id, IPC_RMID, nullptr);
        if (!e) {
          data_ = static_cast<std::uint32_t*>(addr);  // new segments are zeroed
          shared_ = addr;
          segment_ = seg;
          count_ = count;
          return true;
        }
        std::free(e);  // e.g. a server on another machine
        ::shmdt(addr);
      } else {
        ::shmctl(id, IPC_RMID, nullptr);
      }
    }
  }
  try {
    heap_.assign(count, 0u);
  } catch (const std::bad_alloc&) {
    return false;
  }
  data_ = heap_.data();
  count_ = count;
  return true;
}

// ---- putting ------------------------------------------------------------------------------

bool CanServe(unsigned long xid) {
  const Verdict* v = VerdictFor(xid);
  return v && v->ok;
}

bool Put(unsigned long xid, const SurfacePixels& px, int width, int height,
         const std::vector<Rect>& rects) {
  const Verdict* v = VerdictFor(xid);
  xcb_connection_t* c = Connection();
  if (!v || !v->ok || !c || px.empty() || width > 0xFFFF || height > 0xFFFF) return false;
  Server& s = S();
  const xcb_gcontext_t gc = GcFor(c, xid, v->depth);
  if (gc == 0) return false;
  const auto window = static_cast<xcb_window_t>(xid);
  for (const Rect& r : rects) {
    if (r.w <= 0 || r.h <= 0 || r.x < 0 || r.y < 0 || r.x + r.w > width || r.y + r.h > height)
      continue;
    if (px.Segment() != 0) {
      xcb_shm_put_image(c, window, gc, static_cast<std::uint16_t>(width),
                        static_cast<std::uint16_t>(height), static_cast<std::uint16_t>(r.x),
                        static_cast<std::uint16_t>(r.y), static_cast<std::uint16_t>(r.w),
                        static_cast<std::uint16_t>(r.h), static_cast<std::int16_t>(r.x),
                        static_cast<std::int16_t>(r.y), v->depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                        px.Segment(), 0);
      ++s.counts.shared;
    } else {
      PutPlain(s, c, window, gc, v->depth, px.data(), width, r);
      ++s.counts.plain;
    }
  }
  return true;
}

void Flush() {
  xcb_connection_t* c = Connection();
  if (!c) return;
  // Nothing is asked for but errors: a window that went away under us.
  while (xcb_generic_event_t* e = xcb_poll_for_event(c)) std::free(e);
  xcb_flush(c);
}

void SetSharedMemoryForTest(bool allowed) { S().sharedAllowed = allowed; }

Counts CountsForTest() { return S().counts; }

}  // namespace portable::present
