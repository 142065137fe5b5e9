// The GDI calls on Linux: memory DCs and bitmaps in a handle table, window
// DCs on the surfaces of surface.cpp, .bmp loading and the block transfer
// (gdi_blit.cpp), with Windows' own results for every call.
//
// A handle is an index into the table with a generation count and a type
// tag. A freed slot gets a new generation, and freed slots are reused only
// after many others, so a stale, deleted or made-up handle finds no object
// and the call fails as on Windows (FALSE, 0 or CLR_INVALID), never touching
// freed memory.
#include <sys/mman.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <vector>

#include "bmp_internal.h"
#include "gdi/gdi_engine.h"
#include "platform/image.h"
#include "platform/process.h"
#include "platform/winapi.h"
#include "gdi/surface.h"

namespace {

using portable::gdi::Colours;
using portable::gdi::Rect;
using portable::gdi::View;

constexpr std::uint32_t kTypeDc = 1;
constexpr std::uint32_t kTypeBitmap = 2;
constexpr std::uint32_t kMaxSlots = 0x10000;
// Freed slots wait behind this many others before reuse.
constexpr std::size_t kReuseAfter = 1024;
// The desktop window: outside both X window ids (top three bits clear) and
// the tag of our own windows.
constexpr std::uintptr_t kDesktopWindow = 0x40000010;

// A bitmap's pixels, zeroed. Screen-sized ones go on huge pages where the
// system grants them on request: a cell-sized rectangle of a 1920-pixel
// bitmap spans sixty rows, each on its own small page, more than the
// processor's first translation cache holds.
class PixelStore {
 public:
  PixelStore() = default;
  PixelStore(const PixelStore&) = delete;
  PixelStore& operator=(const PixelStore&) = delete;
  ~PixelStore() { std::free(p_); }

  bool Allocate(std::size_t bytes) {
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    if (bytes >= kHuge) {
      const std::size_t rounded = (bytes + kHuge - 1) & ~(kHuge - 1);
      void* p = nullptr;
      if (posix_memalign(&p, kHuge, rounded) != 0) return false;
      madvise(p, rounded, MADV_HUGEPAGE);  // a hint: without it, small pages
      std::memset(p, 0, bytes);
      p_ = static_cast<std::uint8_t*>(p);
    } else {
      p_ = static_cast<std::uint8_t*>(std::calloc(bytes ? bytes : 1, 1));
    }
    return p_ != nullptr;
  }
  std::uint8_t* data() const { return p_; }

 private:
  std::uint8_t* p_ = nullptr;
};

struct Bitmap {
  int width = 0;
  int height = 0;
  int bpp = 0;
  std::ptrdiff_t stride = 0;
  PixelStore bits;
  portable::gdi::Stamps stamps;
  std::uint32_t selectedIn = 0;  // handle value of the DC holding it
  bool stock = false;            // the 1 x 1 bitmap new memory DCs hold
  bool deletePending = false;    // deleted while selected: freed when let go
  View view() {
    View v;
    v.bits = bits.data();
    v.width = width;
    v.height = height;
    v.stride = stride;
    v.bpp = bpp;
    v.stamps = &stamps;
    return v;
  }
};

enum class DcKind { Memory, Window, Screen, Foreign };

struct Dc {
  DcKind kind = DcKind::Memory;
  std::uint32_t bitmap = 0;  // memory DC: the selected bitmap's handle value
  win::HWND hwnd = nullptr;  // window DC
  int foreign = 0;           // another program's window
  win::COLORREF bk = 0x00FFFFFF;
  win::COLORREF text = 0x00000000;
};

struct Slot {
  std::uint16_t gen = 0;
  std::uint32_t type = 0;  // 0: free
  std::unique_ptr<Dc> dc;
  std::unique_ptr<Bitmap> bmp;
};

// Bytes per row of a colour bitmap. Rows of a power-of-two-rich length
// (a 1920-pixel row is 120 cache lines) would all fall on a few sets of the
// processor's cache, so a cell-sized rectangle of a screen-sized bitmap
// would evict itself; wide rows are padded to an odd number of cache lines
// instead. Only the engine sees the stride (GetObjectA reports Windows'
// own).
std::ptrdiff_t ColourStride(int width) {
  const std::ptrdiff_t bytes = static_cast<std::ptrdiff_t>(width) * 4;
  if (bytes < 1024) return bytes;
  std::ptrdiff_t lines = (bytes + 63) / 64;
  if (lines % 2 == 0) ++lines;
  return lines * 64;
}

class Table {
 public:
  Table() {
    slots_.resize(1);  // index 0 is never a handle
    auto b = MakeBitmapStorage(1, 1, 1);
    b->stock = true;
    stock_ = Add(kTypeBitmap, nullptr, std::move(b));
  }

  std::uint32_t Add(std::uint32_t type, std::unique_ptr<Dc> dc, std::unique_ptr<Bitmap> bmp) {
    std::uint32_t index = 0;
    if (free_.size() > kReuseAfter || (slots_.size() >= kMaxSlots && !free_.empty())) {
      index = free_.front();
      free_.pop_front();
    } else if (slots_.size() < kMaxSlots) {
      try {
        slots_.emplace_back();
      } catch (const std::bad_alloc&) {
        return 0;
      }
      index = static_cast<std::uint32_t>(slots_.size() - 1);
    } else {
      return 0;
    }
    Slot& s = slots_[index];
    s.type = type;
    s.dc = std::move(dc);
    s.bmp = std::move(bmp);
    return (type << 28) | (static_cast<std::uint32_t>(s.gen & 0xFFF) << 16) | index;
  }

  Slot* Find(std::uintptr_t value, std::uint32_t type) {
    if (value == 0 || value > 0xFFFFFFFFu) return nullptr;
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    const std::uint32_t index = v & 0xFFFF;
    if ((v >> 28) != type || index == 0 || index >= slots_.size()) return nullptr;
    Slot& s = slots_[index];
    if (s.type != type || (s.gen & 0xFFF) != ((v >> 16) & 0xFFF)) return nullptr;
    return &s;
  }
  Dc* FindDc(const void* h) {
    Slot* s = Find(reinterpret_cast<std::uintptr_t>(h), kTypeDc);
    return s ? s->dc.get() : nullptr;
  }
  Bitmap* FindBitmap(std::uintptr_t h) {
    Slot* s = Find(h, kTypeBitmap);
    return s ? s->bmp.get() : nullptr;
  }

  void Remove(std::uintptr_t value) {
    const std::uint32_t index = static_cast<std::uint32_t>(value) & 0xFFFF;
    Slot& s = slots_[index];
    s.type = 0;
    s.dc.reset();
    s.bmp.reset();
    ++s.gen;
    free_.push_back(index);
  }

  std::uint32_t stock() const { return stock_; }

  static std::unique_ptr<Bitmap> MakeBitmapStorage(int width, int height, int bpp) {
    if (width <= 0 || height <= 0) return nullptr;
    if (width > plat::kMaxImageSide * 2 || height > plat::kMaxImageSide * 2) return nullptr;
    if (static_cast<std::int64_t>(width) * height > plat::kMaxImagePixels) return nullptr;
    try {
      auto b = std::make_unique<Bitmap>();
      b->width = width;
      b->height = height;
      b->bpp = bpp;
      b->stride =
          bpp == 32 ? ColourStride(width) : static_cast<std::ptrdiff_t>((width + 31) / 32) * 4;
      if (!b->bits.Allocate(static_cast<std::size_t>(b->stride) * static_cast<std::size_t>(height)))
        return nullptr;
      b->stamps.Reset(width, height);
      return b;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

 private:
  std::vector<Slot> slots_;
  std::deque<std::uint32_t> free_;
  std::uint32_t stock_ = 0;
};

// Lives for the whole process (forms may release their DCs late in exit).
Table& T() {
  static Table* table = new Table;
  return *table;
}

std::uintptr_t Value(const void* h) { return reinterpret_cast<std::uintptr_t>(h); }
template <class H>
H Handle(std::uint32_t v) {
  return reinterpret_cast<H>(static_cast<std::uintptr_t>(v));
}

// The pixels a DC draws into; false when it has none.
bool ViewOf(const Dc& dc, View* v) {
  switch (dc.kind) {
    case DcKind::Memory: {
      Bitmap* b = T().FindBitmap(dc.bitmap);
      if (!b) return false;
      *v = b->view();
      return true;
    }
    case DcKind::Window:
      return portable::gdi::OurWindowView(dc.hwnd, v);
    case DcKind::Screen:
      return portable::gdi::ScreenView(v);
    case DcKind::Foreign:
      return portable::gdi::ForeignView(dc.foreign, v);
  }
  return false;
}

// After drawing into a DC: a window shows what changed.
void Drawn(const Dc& dc, const Rect& r, const Rect& changed) {
  if (r.Empty()) return;
  if (dc.kind == DcKind::Window) {
    portable::gdi::OurWindowDrawn(dc.hwnd, r, changed);
  } else if (dc.kind == DcKind::Foreign && !changed.Empty()) {
    portable::gdi::ForeignDrawn(dc.foreign, changed);
  }
}

// A bitmap leaves its DC; one deleted meanwhile goes now.
void LetGo(std::uint32_t bitmap) {
  Bitmap* b = T().FindBitmap(bitmap);
  if (!b) return;
  b->selectedIn = 0;
  if (b->deletePending) T().Remove(bitmap);
}

std::uint32_t NewDc(std::unique_ptr<Dc> dc) {
  if (!dc) return 0;
  return T().Add(kTypeDc, std::move(dc), nullptr);
}

std::uint32_t AddBitmap(std::unique_ptr<Bitmap> b) {
  if (!b) return 0;
  return T().Add(kTypeBitmap, nullptr, std::move(b));
}

bool Get(const View& v, int x, int y, std::uint32_t* px) {
  if (x < 0 || y < 0 || x >= v.width || y >= v.height) return false;
  if (v.bpp == 32) {
    *px = v.Row32(y)[x];
  } else {
    *px = (v.Row1(y)[x >> 3] >> (7 - (x & 7))) & 1 ? 0x00FFFFFFu : 0u;
  }
  return true;
}

// ---- transfers that would change nothing ----------------------------------------------------
//
// A frame of the show repeats most of its transfers exactly: a cell drawn
// where it already is, the same rectangle copied to the window again. A
// copy, an OR and an AND give the same pixels when done twice over (so does
// a cell's transparent draw, an OR with its mask followed at once by an AND
// with its picture), so such a transfer is left out when nothing was written
// since it last ran to the pixels it reads or writes (the stamps of each
// pixel store tell). The OR of a pair is owed rather than left out: if the
// next call is not its AND, it is done first.
//
// A sprite put back and drawn again (a copy of its saved background, then
// its pair on the same rectangle) writes pixels twice and ends where it
// began. Such a chain is remembered on the copy's entry; when the copy comes
// again with its rectangle and sources as the chain left them, it is owed:
// transfers that touch neither its rectangle nor its source may pass, its
// pair ends the chain with nothing done, and anything else does the copy
// first.

using portable::gdi::Stamps;
using win::BOOL;
using win::COLORREF;
using win::DWORD;
using win::FALSE;
using win::HDC;
using win::SRCAND;
using win::SRCCOPY;
using win::SRCPAINT;
using win::TRUE;

struct MemoKey {
  std::uint64_t dst = 0, src = 0;
  int x = 0, y = 0, cx = 0, cy = 0, x1 = 0, y1 = 0;
  DWORD rop = 0;
  COLORREF dstBk = 0, dstText = 0, srcBk = 0;
  bool operator==(const MemoKey&) const = default;
  std::size_t Hash() const {
    std::uint64_t h = dst * 0x9E3779B97F4A7C15ull ^ src * 0xC2B2AE3D27D4EB4Full;
    for (std::uint64_t v : {std::uint64_t(std::uint32_t(x)) << 32 | std::uint32_t(y),
                            std::uint64_t(std::uint32_t(cx)) << 32 | std::uint32_t(cy),
                            std::uint64_t(std::uint32_t(x1)) << 32 | std::uint32_t(y1),
                            std::uint64_t(rop) << 32 | dstBk, std::uint64_t(dstText) << 32 | srcBk})
      h = (h ^ v) * 0x100000001B3ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

struct MemoEntry {
  MemoKey key;
  Rect dstRect, srcRect;
  std::uint64_t seq = 0;
  // An OR: an AND on the same rectangle followed at once. A copy: such a
  // pair followed it on the rectangle it wrote (`next` the OR, `next2` the
  // AND), and `pairSeq` is when that chain ended.
  bool paired = false;
  MemoKey next;
  Rect nextSrcRect;
  std::uint64_t pairSeq = 0;
  MemoKey next2;
  Rect next2SrcRect;
};

// A transfer as it was asked for.
struct Call {
  HDC dst = nullptr, src = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0, x1 = 0, y1 = 0;
  DWORD rop = 0;
};

struct Memo {
  // Four ways per set, so that the few hundred transfers a frame repeats
  // seldom push each other out; a set's tags are looked at first, and only
  // the entry whose tag matches is read.
  static constexpr std::size_t kSets = 256, kWays = 4;  // kSets a power of two
  std::vector<MemoEntry> entries = std::vector<MemoEntry>(kSets * kWays);
  std::vector<std::uint32_t> tags = std::vector<std::uint32_t>(kSets * kWays);
  std::vector<std::uint8_t> victim = std::vector<std::uint8_t>(kSets);
  bool enabled = true;
  std::uint64_t leftOut = 0;
  // The transfer just done, for pairing.
  bool lastValid = false;
  MemoKey lastKey;
  Rect lastRect;
  // An OR left out for now, and the AND that would make it and itself
  // change nothing.
  struct Owed {
    bool active = false;
    Call call;
    MemoKey next;
    Rect nextSrcRect;
    std::uint64_t pairSeq = 0;
  } owed;
  // A copy that begins a chain, left out for now; `orOwed` once its OR has
  // come (and is owed as well).
  struct OwedCopy {
    bool active = false, orOwed = false;
    Call call, orCall;
    MemoKey key;
    Rect dstRect, srcRect;
    MemoKey next, next2;
    Rect nextSrcRect, next2SrcRect;
    std::uint64_t chainSeq = 0;
  } copy;
  // The last copy done from one bitmap into another, while nothing else
  // wrote where it wrote or read: a pair on its rectangle may make a chain.
  struct Head {
    bool active = false;
    MemoKey key;
    Rect dstRect, srcRect;
  } head;
  // Such a copy whose pair's OR was just done, and that OR's source.
  bool armed = false;
  MemoKey armedKey;
  Rect armedOrSrc;

  static std::uint32_t Tag(std::size_t hash) { return static_cast<std::uint32_t>(hash >> 8) | 1u; }
  MemoEntry* Find(const MemoKey& k) {
    const std::size_t h = k.Hash(), set = h & (kSets - 1);
    const std::uint32_t tag = Tag(h);
    for (std::size_t w = 0; w < kWays; ++w) {
      const std::size_t i = set * kWays + w;
      if (tags[i] == tag && entries[i].key == k) return &entries[i];
    }
    return nullptr;
  }
  // The entry for `k`: its own if it has one, else an empty or the oldest way.
  MemoEntry& Slot(const MemoKey& k) {
    if (MemoEntry* e = Find(k)) return *e;
    const std::size_t h = k.Hash(), set = h & (kSets - 1);
    std::size_t way = kWays;
    for (std::size_t w = 0; w < kWays && way == kWays; ++w)
      if (tags[set * kWays + w] == 0) way = w;
    if (way == kWays) {
      way = victim[set];
      victim[set] = static_cast<std::uint8_t>((way + 1) % kWays);
    }
    tags[set * kWays + way] = Tag(h);
    return entries[set * kWays + way];
  }
};

Memo& M() {
  static Memo* m = new Memo;
  return *m;
}

bool Same(const Rect& a, const Rect& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}
bool Meet(const Rect& a, const Rect& b) {
  return !a.Empty() && !b.Empty() && a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h &&
         b.y < a.y + a.h;
}

// A transfer's DCs and pixels, looked up once.
struct Resolved {
  Dc* d = nullptr;
  Dc* s = nullptr;
  View dv, sv;
  const View* sp = nullptr;
  Colours colours;
  bool memo = false;  // it may be left out, and is remembered
  MemoKey key;
};

bool Resolve(const Call& c, Resolved* r) {
  const Memo& m = M();
  r->d = T().FindDc(c.dst);
  if (!r->d || !ViewOf(*r->d, &r->dv)) return false;
  r->colours.dstBk = r->d->bk;
  r->colours.dstText = r->d->text;
  r->sp = nullptr;
  r->s = nullptr;
  if (portable::gdi::RopUsesSource(c.rop)) {
    r->s = T().FindDc(c.src);
    if (!r->s || !ViewOf(*r->s, &r->sv)) return false;
    r->colours.srcBk = r->s->bk;
    r->sp = &r->sv;
  }
  // Only a copy, an OR or an AND of two different stores whose writes are
  // followed, of a plain (positive) size.
  r->memo = m.enabled && r->sp && r->dv.stamps && r->sv.stamps && r->dv.bits != r->sv.bits &&
            c.cx > 0 && c.cy > 0 && (c.rop == SRCCOPY || c.rop == SRCPAINT || c.rop == SRCAND);
  if (r->memo)
    r->key = MemoKey{r->dv.stamps->Serial(),
                     r->sv.stamps->Serial(),
                     c.x,
                     c.y,
                     c.cx,
                     c.cy,
                     c.x1,
                     c.y1,
                     c.rop,
                     r->colours.dstBk,
                     r->colours.dstText,
                     r->colours.srcBk};
  return true;
}

bool BothMemory(const Resolved& r) {
  return r.d->kind == DcKind::Memory && r.s && r.s->kind == DcKind::Memory;
}

// Does the transfer and remembers it.
BOOL Execute(const Call& c, const Resolved& r) {
  Memo& m = M();
  Rect drawn, changed;
  if (!portable::gdi::Blit(r.dv, c.x, c.y, c.cx, c.cy, r.sp, c.x1, c.y1, c.rop, r.colours, &drawn,
                           &changed))
    return FALSE;
  if (r.memo) {
    const MemoKey& key = r.key;
    MemoEntry& e = m.Slot(key);
    e = MemoEntry{};
    e.key = key;
    e.dstRect = drawn;
    e.srcRect = Rect{drawn.x + (c.x1 - c.x), drawn.y + (c.y1 - c.y), drawn.w, drawn.h};
    e.seq = Stamps::Now();
    if (c.rop == SRCAND && m.lastValid && m.lastKey.rop == SRCPAINT && m.lastKey.dst == key.dst &&
        Same(m.lastRect, drawn)) {
      if (MemoEntry* p = m.Find(m.lastKey)) {
        p->paired = true;
        p->next = key;
        p->nextSrcRect = e.srcRect;
        p->pairSeq = e.seq;
      }
      if (m.armed) {
        if (MemoEntry* h = m.Find(m.armedKey)) {
          h->paired = true;
          h->next = m.lastKey;
          h->nextSrcRect = m.armedOrSrc;
          h->next2 = key;
          h->next2SrcRect = e.srcRect;
          h->pairSeq = e.seq;
        }
      }
    }
    m.armed = false;
    Memo::Head& h = m.head;
    if (c.rop == SRCCOPY && BothMemory(r)) {
      h = Memo::Head{true, key, drawn, e.srcRect};
    } else if (h.active && c.rop == SRCPAINT && key.dst == h.key.dst && Same(drawn, h.dstRect)) {
      m.armed = true;
      m.armedKey = h.key;
      m.armedOrSrc = e.srcRect;
      h.active = false;
    } else if (h.active && ((key.dst == h.key.dst && Meet(drawn, h.dstRect)) ||
                            (key.dst == h.key.src && Meet(drawn, h.srcRect)))) {
      h.active = false;
    }
    m.lastValid = true;
    m.lastKey = key;
    m.lastRect = drawn;
  } else {
    m.lastValid = false;
    m.armed = false;
    m.head.active = false;
  }
  Drawn(*r.d, drawn, changed);
  return TRUE;
}

BOOL Run(const Call& c) {
  Resolved r;
  if (!Resolve(c, &r)) return FALSE;
  return Execute(c, r);
}

// Does the owed copy, and its OR if that came.
void SettleCopy() {
  Memo& m = M();
  if (!m.copy.active) return;
  const Memo::OwedCopy o = m.copy;
  m.copy.active = false;
  Run(o.call);
  if (o.orOwed) Run(o.orCall);
}

// Does the owed OR (it touches nothing the owed copy does).
void SettleOr() {
  Memo& m = M();
  if (!m.owed.active) return;
  const Call o = m.owed.call;
  m.owed.active = false;
  Run(o);
}

// Before anything else may look at or change pixels: what is owed is done,
// and nothing just done can pair with or begin a chain with what follows.
void Settle() {
  SettleCopy();
  SettleOr();
  Memo& m = M();
  m.lastValid = false;
  m.armed = false;
  m.head.active = false;
}

// Whether a transfer would write or read what the owed copy writes, or
// write what it reads (its own extent, not yet clipped, is enough).
bool TouchesOwedCopy(const Call& c, const Resolved& r) {
  const Memo::OwedCopy& o = M().copy;
  if (!o.active) return false;
  const Rect to{c.x, c.y, c.cx, c.cy}, from{c.x1, c.y1, c.cx, c.cy};
  return (r.key.dst == o.key.dst && Meet(to, o.dstRect)) ||
         (r.key.src == o.key.dst && Meet(from, o.dstRect)) ||
         (r.key.dst == o.key.src && Meet(to, o.srcRect));
}

BOOL Transfer(const Call& c) {
  Memo& m = M();
  Resolved r;
  if (!Resolve(c, &r)) return FALSE;
  if (!r.memo) {
    Settle();
    // What was done may have been the last use of a DC's pixels it had.
    if (!Resolve(c, &r)) return FALSE;
    return Execute(c, r);
  }
  const MemoKey& key = r.key;
  const auto leaveOut = [&](int n) {
    m.leftOut += static_cast<std::uint64_t>(n);
    m.lastValid = false;
    return TRUE;
  };
  // A copy straight back of the copy just done (or owed): both places hold
  // the same pixels already (a background saved right after it was put back).
  const auto copiesBack = [&] {
    return c.rop == SRCCOPY && m.lastValid && m.lastKey.rop == SRCCOPY && r.dv.bpp == r.sv.bpp &&
           m.lastKey.dst == key.src && m.lastKey.src == key.dst && m.lastKey.x == c.x1 &&
           m.lastKey.y == c.y1 && m.lastKey.x1 == c.x && m.lastKey.y1 == c.y &&
           m.lastKey.cx == c.cx && m.lastKey.cy == c.cy;
  };

  // A transfer left out still counts as copied to a window (the benchmarks
  // count what the program copies there).
  const auto leaveOutCopy = [&](const Rect& drawn) {
    if (r.d->kind == DcKind::Window)
      plat::CountWindowPixels(static_cast<std::uint64_t>(drawn.w) *
                              static_cast<std::uint64_t>(drawn.h));
    return leaveOut(1);
  };
  // Only right after a copy, done or owed: nothing else is owed then.
  if (copiesBack()) return leaveOutCopy(m.lastRect);

  bool settled = false;
  if (m.owed.active) {
    if (key == m.owed.next && r.sv.stamps->Unchanged(m.owed.nextSrcRect, m.owed.pairSeq) &&
        !TouchesOwedCopy(c, r)) {
      // The pair again, on pixels it left: neither changes anything.
      m.owed.active = false;
      return leaveOut(2);
    }
    SettleOr();
    settled = true;
  }
  if (m.copy.active) {
    Memo::OwedCopy& o = m.copy;
    if (o.orOwed) {
      if (key == o.next2 && r.sv.stamps->Unchanged(o.next2SrcRect, o.chainSeq)) {
        // The chain again, ending on the pixels it left: none of it changes anything.
        o.active = false;
        return leaveOut(3);
      }
      SettleCopy();
      settled = true;
    } else if (c.rop == SRCPAINT && key == o.next && BothMemory(r) &&
               r.sv.stamps->Unchanged(o.nextSrcRect, o.chainSeq)) {
      o.orOwed = true;
      o.orCall = c;
      m.lastValid = false;
      return TRUE;
    } else if (TouchesOwedCopy(c, r) || (c.rop == SRCCOPY && BothMemory(r))) {
      // One copy is owed at a time.
      SettleCopy();
      settled = true;
    }
  }
  // What was done may have written what this one reads or writes.
  if (settled && !Resolve(c, &r)) return FALSE;

  if (const MemoEntry* e = m.Find(key)) {
    if (r.dv.stamps->Unchanged(e->dstRect, e->seq) && r.sv.stamps->Unchanged(e->srcRect, e->seq))
      return leaveOutCopy(e->dstRect);
    if (e->paired && BothMemory(r) && r.dv.stamps->Unchanged(e->dstRect, e->pairSeq) &&
        r.sv.stamps->Unchanged(e->srcRect, e->pairSeq)) {
      if (c.rop == SRCPAINT) {
        m.owed = Memo::Owed{true, c, e->next, e->nextSrcRect, e->pairSeq};
        m.lastValid = false;
        return TRUE;
      }
      if (c.rop == SRCCOPY) {
        m.copy = Memo::OwedCopy{true,
                                false,
                                c,
                                Call{},
                                key,
                                e->dstRect,
                                e->srcRect,
                                e->next,
                                e->next2,
                                e->nextSrcRect,
                                e->next2SrcRect,
                                e->pairSeq};
        // So that saving it straight back is known.
        m.head.active = false;
        m.lastValid = true;
        m.lastKey = key;
        m.lastRect = e->dstRect;
        return TRUE;
      }
    }
  }
  return Execute(c, r);
}

}  // namespace

namespace portable::gdi {

std::uint64_t TransfersLeftOut() { return M().leftOut; }
void SetLeaveOutForTest(bool enabled) {
  Settle();
  M().enabled = enabled;
}

}  // namespace portable::gdi

namespace win {

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(kDesktopWindow); }

HDC GetDC(HWND hwnd) {
  Settle();
  auto dc = std::make_unique<Dc>();
  const std::uintptr_t v = Value(hwnd);
  if (v == 0 || v == kDesktopWindow) {
    dc->kind = DcKind::Screen;
  } else if (portable::IsOurWindow(hwnd)) {
    View view;
    if (!portable::gdi::OurWindowView(hwnd, &view)) return nullptr;
    dc->kind = DcKind::Window;
    dc->hwnd = hwnd;
  } else {
    dc->kind = DcKind::Foreign;
    dc->foreign = portable::gdi::OpenForeign(hwnd);
    if (dc->foreign == 0) return nullptr;
    dc->hwnd = hwnd;
  }
  const int foreign = dc->foreign;
  const std::uint32_t h = NewDc(std::move(dc));
  if (h == 0 && foreign != 0) portable::gdi::CloseForeign(foreign);
  return Handle<HDC>(h);
}

int ReleaseDC(HWND, HDC hdc) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  if (!dc || dc->kind == DcKind::Memory) return 0;
  if (dc->kind == DcKind::Foreign) portable::gdi::CloseForeign(dc->foreign);
  T().Remove(Value(hdc));
  return 1;
}

HDC CreateCompatibleDC(HDC hdc) {
  Settle();
  if (hdc != nullptr && !T().FindDc(hdc)) return nullptr;
  auto dc = std::make_unique<Dc>();
  dc->kind = DcKind::Memory;
  dc->bitmap = T().stock();
  return Handle<HDC>(NewDc(std::move(dc)));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  if (!dc) return nullptr;
  // As Windows: a negative size counts as its magnitude.
  if (cx < 0) cx = cx == INT_MIN ? INT_MAX : -cx;
  if (cy < 0) cy = cy == INT_MIN ? INT_MAX : -cy;
  // As Windows: an empty size gives the 1 x 1 monochrome stock bitmap.
  if (cx == 0 || cy == 0) return Handle<HBITMAP>(T().stock());
  int bpp = 32;
  if (dc->kind == DcKind::Memory) {
    Bitmap* sel = T().FindBitmap(dc->bitmap);
    bpp = sel ? sel->bpp : 1;
  }
  return Handle<HBITMAP>(AddBitmap(Table::MakeBitmapStorage(cx, cy, bpp)));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  const std::uintptr_t v = Value(obj);
  Bitmap* b = T().FindBitmap(v);
  if (!dc || !b || dc->kind != DcKind::Memory || b->deletePending) return nullptr;
  const std::uint32_t dcValue = static_cast<std::uint32_t>(Value(hdc));
  const std::uint32_t previous = dc->bitmap;
  if (previous == v) return obj;
  // A bitmap is in one DC at a time (the stock one may be in any number).
  if (!b->stock && b->selectedIn != 0) return nullptr;
  if (!b->stock) b->selectedIn = dcValue;
  dc->bitmap = static_cast<std::uint32_t>(v);
  LetGo(previous);
  return Handle<HGDIOBJ>(previous);
}

BOOL DeleteDC(HDC hdc) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  if (!dc) return FALSE;
  const std::uint32_t bitmap = dc->kind == DcKind::Memory ? dc->bitmap : 0;
  if (dc->kind == DcKind::Foreign) portable::gdi::CloseForeign(dc->foreign);
  T().Remove(Value(hdc));
  LetGo(bitmap);
  return TRUE;
}

BOOL DeleteObject(HGDIOBJ obj) {
  Settle();
  const std::uintptr_t v = Value(obj);
  if (T().FindDc(obj)) return DeleteDC(static_cast<HDC>(obj));
  Bitmap* b = T().FindBitmap(v);
  if (!b) return FALSE;
  if (b->stock) return TRUE;  // stock objects are never deleted
  if (b->selectedIn != 0) {
    // As Windows does: still in a DC, it goes when the DC lets it go.
    b->deletePending = true;
    return TRUE;
  }
  T().Remove(v);
  return TRUE;
}

int GetObjectA(HGDIOBJ obj, int size, void* out) {
  Settle();
  Bitmap* b = T().FindBitmap(Value(obj));
  if (!b) return 0;
  if (!out) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = b->width;
  bm.bmHeight = b->height;
  bm.bmWidthBytes = b->bpp == 32 ? b->width * 4 : ((b->width + 15) / 16) * 2;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(b->bpp);
  bm.bmBits = nullptr;
  *static_cast<BITMAP*>(out) = bm;
  return static_cast<int>(sizeof(BITMAP));
}

COLORREF SetBkColor(HDC hdc, COLORREF c) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->bk;
  dc->bk = c;
  return old;
}
COLORREF GetBkColor(HDC hdc) {
  Dc* dc = T().FindDc(hdc);
  return dc ? dc->bk : CLR_INVALID;
}
COLORREF SetTextColor(HDC hdc, COLORREF c) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->text;
  dc->text = c;
  return old;
}
COLORREF GetTextColor(HDC hdc) {
  Dc* dc = T().FindDc(hdc);
  return dc ? dc->text : CLR_INVALID;
}

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  Settle();
  // Files only (there are no resources here), at their own size.
  if (!name || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || cx != 0 || cy != 0)
    return nullptr;
  std::vector<std::uint8_t> bytes;
  if (!plat::ReadFileBytes(name, bytes)) return nullptr;
  plat::Image img;
  if (!plat::DecodeBmp(bytes.data(), bytes.size(), img)) return nullptr;
  const bool mono = plat::BmpIsMonochrome(bytes.data(), bytes.size());
  bytes = {};
  auto b = Table::MakeBitmapStorage(img.width, img.height, mono ? 1 : 32);
  if (!b) return nullptr;
  for (int y = 0; y < img.height; ++y) {
    if (mono) {
      std::uint8_t* row = b->bits.data() + b->stride * y;
      for (int x = 0; x < img.width; ++x)
        if (img.at(x, y) != 0) row[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
    } else {
      std::uint32_t* row = reinterpret_cast<std::uint32_t*>(b->bits.data() + b->stride * y);
      for (int x = 0; x < img.width; ++x) row[x] = img.at(x, y) & 0x00FFFFFF;
    }
  }
  return Handle<HANDLE>(AddBitmap(std::move(b)));
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  return Transfer(Call{dst, src, x, y, cx, cy, x1, y1, rop});
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  View v;
  std::uint32_t px = 0;
  if (!dc || !ViewOf(*dc, &v) || !Get(v, x, y, &px)) return CLR_INVALID;
  return portable::gdi::ColorrefFromPixel(px);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) {
  Settle();
  Dc* dc = T().FindDc(hdc);
  View v;
  if (!dc || !ViewOf(*dc, &v)) return CLR_INVALID;
  c &= 0x00FFFFFF;
  // A monochrome pixel takes the nearer of black and white.
  const int sum = static_cast<int>((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF));
  const bool white = sum > 3 * 127;
  const COLORREF set = v.bpp == 32 ? c : (white ? 0x00FFFFFF : 0);
  // Outside the surface nothing is set, but the colour still comes back.
  if (x < 0 || y < 0 || x >= v.width || y >= v.height) return set;
  if (v.bpp == 32) {
    v.Row32(y)[x] = portable::gdi::PixelFromColorref(c);
  } else {
    std::uint8_t& byte = v.Row1(y)[x >> 3];
    const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
    byte = white ? (byte | bit) : (byte & ~bit);
  }
  if (v.stamps) v.stamps->Mark(Rect{x, y, 1, 1});
  Drawn(*dc, Rect{x, y, 1, 1}, Rect{x, y, 1, 1});
  return set;
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!T().FindDc(hdc)) return 0;
  return index == BITSPIXEL ? 32 : 0;
}

}  // namespace win

namespace plat {

win::HBITMAP CreateBitmapFromImage(const Image& img) {
  Settle();
  if (img.width <= 0 || img.height <= 0 ||
      img.px.size() != static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height))
    return nullptr;
  auto b = Table::MakeBitmapStorage(img.width, img.height, 32);
  if (!b) return nullptr;
  for (int y = 0; y < img.height; ++y) {
    std::uint32_t* row = reinterpret_cast<std::uint32_t*>(b->bits.data() + b->stride * y);
    for (int x = 0; x < img.width; ++x) row[x] = img.at(x, y) & 0x00FFFFFF;
  }
  return Handle<win::HBITMAP>(AddBitmap(std::move(b)));
}

bool ReadPixels(win::HDC hdc, int x, int y, int width, int height, Image& out) {
  Settle();
  out = Image();
  Dc* dc = T().FindDc(hdc);
  View v;
  if (!dc || !ViewOf(*dc, &v) || width < 0 || height < 0) return false;
  if (static_cast<std::int64_t>(width) * height > kMaxImagePixels) return false;
  out.width = width;
  out.height = height;
  out.px.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) {
      const std::int64_t X = static_cast<std::int64_t>(x) + i, Y = static_cast<std::int64_t>(y) + j;
      std::uint32_t px = 0;
      if (X >= 0 && Y >= 0 && X < v.width && Y < v.height &&
          Get(v, static_cast<int>(X), static_cast<int>(Y), &px))
        out.at(i, j) = px & 0x00FFFFFF;
    }
  return true;
}

}  // namespace plat
