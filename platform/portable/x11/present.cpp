// Putting surfaces on X windows, ours and another program's (a preview
// window), on the one connection of our own: requests never block on a reply
// in a frame, and an error the server sends back (a window gone under us) is
// read and dropped instead of ending the program.
#include "x11/present.h"

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

#include "x11/connection.h"

namespace portable::present {

namespace {

// A plain request carries at most this much of a picture, so that the
// buffer it is gathered in stays small.
constexpr std::size_t kMaxPlainBytes = 1 << 20;

// How a window takes our 0x00RRGGBB pixels.
enum class Way {
  kNone,       // not at all (not true colour, or an order we do not write)
  kDirect,     // as they are: depth 24, the same channels and byte order
  kConverted,  // channel by channel into its own pixel format, plain requests
};

struct Verdict {
  unsigned long xid = 0;
  bool known = false;
  Way way = Way::kNone;
  std::uint8_t depth = 0;
  int bitsPerPixel = 0;
  std::uint32_t red = 0, green = 0, blue = 0;
  std::uint32_t rest = 0;  // bits of the depth in no channel (opacity): all set
};

struct State {
  // Windows already judged; a few are enough (a program has one or two).
  Verdict verdicts[8];
  unsigned next = 0;
  // One graphics context per depth.
  std::uint8_t gcDepth[4] = {};
  xcb_gcontext_t gc[4] = {};
  std::vector<std::uint32_t> gather;
};

State& S() {
  static State* s = new State;  // lives to the end: surfaces outlive statics
  return *s;
}

using x11::Connection;

Verdict Judge(unsigned long xid) {
  Verdict v;
  v.xid = xid;
  x11::WindowInfo info;
  // Not known (yet: the toolkit's request to make it may still be on its
  // way): asked again next time.
  if (!x11::QueryWindow(xid, &info)) return v;
  v.known = true;
  v.depth = info.depth;
  v.bitsPerPixel = x11::BitsPerPixel(info.depth);
  const xcb_visualtype_t* visual = info.visual;
  const bool order = (xcb_get_setup(Connection())->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) ==
                     (std::endian::native == std::endian::little);
  if (!visual || !order ||
      (visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
       visual->_class != XCB_VISUAL_CLASS_DIRECT_COLOR) ||
      (v.bitsPerPixel != 32 && v.bitsPerPixel != 16) || v.depth > 32)
    return v;
  v.red = visual->red_mask;
  v.green = visual->green_mask;
  v.blue = visual->blue_mask;
  const std::uint32_t all = v.depth >= 32 ? 0xFFFFFFFFu : (1u << v.depth) - 1;
  v.rest = all & ~(v.red | v.green | v.blue);
  // Depth 24 only goes as it is: a 32-bit window would take the surface's
  // unused top byte as its opacity.
  v.way = v.depth == 24 && v.bitsPerPixel == 32 && v.red == 0xFF0000 && v.green == 0xFF00 &&
                  v.blue == 0xFF
              ? Way::kDirect
              : Way::kConverted;
  return v;
}

const Verdict* VerdictFor(unsigned long xid) {
  if (!Connection() || xid == 0 || xid > 0xFFFFFFFFul) return nullptr;
  State& s = S();
  for (const Verdict& v : s.verdicts)
    if (v.xid == xid && v.known) return &v;
  const Verdict v = Judge(xid);
  if (!v.known) return nullptr;
  Verdict& slot = s.verdicts[s.next];
  s.next = (s.next + 1) % std::size(s.verdicts);
  slot = v;
  return &slot;
}

xcb_gcontext_t GcFor(xcb_connection_t* c, unsigned long xid, std::uint8_t depth) {
  State& s = S();
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

// One 8-bit channel into a visual's mask.
std::uint32_t Channel(std::uint32_t v8, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint32_t top = mask >> shift;
  return ((v8 * top + 127) / 255) << shift;
}

// A row of surface pixels into the window's format (`out` holds `w`
// pixels of its size).
void Convert(const Verdict& v, const std::uint32_t* in, int w, std::uint8_t* out) {
  for (int i = 0; i < w; ++i) {
    const std::uint32_t p = in[i];
    const std::uint32_t x = Channel((p >> 16) & 0xFF, v.red) | Channel((p >> 8) & 0xFF, v.green) |
                            Channel(p & 0xFF, v.blue) | v.rest;
    if (v.bitsPerPixel == 32) {
      std::memcpy(out + static_cast<std::size_t>(i) * 4, &x, 4);
    } else {
      const auto x16 = static_cast<std::uint16_t>(x);
      std::memcpy(out + static_cast<std::size_t>(i) * 2, &x16, 2);
    }
  }
}

// A rectangle in requests of at most kMaxPlainBytes each: whole rows where
// they fit, narrower pieces of rows where one row is too long.
void PutPlain(State& s, xcb_connection_t* c, xcb_window_t window, xcb_gcontext_t gc,
              const Verdict& v, const std::uint32_t* px, int width, const Rect& r) {
  const std::size_t bytes =
      v.way == Way::kDirect ? 4 : static_cast<std::size_t>(v.bitsPerPixel / 8);
  const std::size_t limit = std::min(kMaxPlainBytes, x11::MaxRequestBytes() - 64);
  const int pieceWidth = std::max(1, std::min(r.w, static_cast<int>(limit / 4)));
  const int rows =
      std::max(1, static_cast<int>(limit / (static_cast<std::size_t>(pieceWidth) * 4)));
  try {
    s.gather.resize(static_cast<std::size_t>(pieceWidth) * static_cast<std::size_t>(rows));
  } catch (const std::bad_alloc&) {
    return;
  }
  auto* out = reinterpret_cast<std::uint8_t*>(s.gather.data());
  for (int x = 0; x < r.w; x += pieceWidth) {
    const int w = std::min(pieceWidth, r.w - x);
    // Rows padded to 32 bits.
    const std::size_t rowBytes = (static_cast<std::size_t>(w) * bytes + 3) & ~std::size_t{3};
    for (int y = 0; y < r.h; y += rows) {
      const int h = std::min(rows, r.h - y);
      for (int i = 0; i < h; ++i) {
        const std::uint32_t* in = px + static_cast<std::size_t>(r.y + y + i) * width + r.x + x;
        std::uint8_t* to = out + static_cast<std::size_t>(i) * rowBytes;
        if (v.way == Way::kDirect)
          std::memcpy(to, in, static_cast<std::size_t>(w) * 4);
        else
          Convert(v, in, w, to);
      }
      xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc, static_cast<std::uint16_t>(w),
                    static_cast<std::uint16_t>(h), static_cast<std::int16_t>(r.x + x),
                    static_cast<std::int16_t>(r.y + y), 0, v.depth,
                    static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(h)), out);
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
  if (c && x11::HasSharedMemory() && count <= SIZE_MAX / 4) {
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
  return v && v->way == Way::kDirect;
}

bool Put(unsigned long xid, const SurfacePixels& px, int width, int height,
         const std::vector<Rect>& rects) {
  const Verdict* v = VerdictFor(xid);
  xcb_connection_t* c = Connection();
  if (!v || v->way == Way::kNone || !c || px.empty() || width > 0xFFFF || height > 0xFFFF)
    return false;
  State& s = S();
  const xcb_gcontext_t gc = GcFor(c, xid, v->depth);
  if (gc == 0) return false;
  const auto window = static_cast<xcb_window_t>(xid);
  for (const Rect& r : rects) {
    if (r.w <= 0 || r.h <= 0 || r.x < 0 || r.y < 0 || r.x + r.w > width || r.y + r.h > height)
      continue;
    if (px.Segment() != 0 && v->way == Way::kDirect) {
      xcb_shm_put_image(c, window, gc, static_cast<std::uint16_t>(width),
                        static_cast<std::uint16_t>(height), static_cast<std::uint16_t>(r.x),
                        static_cast<std::uint16_t>(r.y), static_cast<std::uint16_t>(r.w),
                        static_cast<std::uint16_t>(r.h), static_cast<std::int16_t>(r.x),
                        static_cast<std::int16_t>(r.y), v->depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                        px.Segment(), 0);
    } else {
      PutPlain(s, c, window, gc, *v, px.data(), width, r);
    }
  }
  return true;
}

void Flush() { x11::Flush(); }
void Read() { x11::Read(); }

}  // namespace portable::present
