// The portable GDI's handle table: memory DCs, window DCs and bitmaps
// (32-bit colour and 1-bit), each behind a handle.
//
// A handle is an index into the table with a generation count and a type
// tag. A freed slot gets a new generation, and freed slots are reused only
// after many others, so a stale, deleted or made-up handle finds no object
// and the call fails as on Windows (FALSE, 0 or CLR_INVALID), never touching
// freed memory.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <vector>

#include "gdi/raster.h"
#include "gdi/surface.h"
#include "platform/image.h"
#include "platform/winapi.h"

namespace portable::gdi {

// A DC, in this namespace so that the leave-out can hold one and hand it back.
enum class DcKind { Memory, Window, Screen, Foreign };

struct Dc {
  DcKind kind = DcKind::Memory;
  std::uint32_t bitmap = 0;  // memory DC: the selected bitmap's handle value
  win::HWND hwnd = nullptr;  // window DC
  int foreign = 0;           // another program's window
  win::COLORREF bk = 0x00FFFFFF;
  win::COLORREF text = 0x00000000;
};

constexpr std::uint32_t kTypeDc = 1;
constexpr std::uint32_t kTypeBitmap = 2;
constexpr std::uint32_t kMaxSlots = 0x10000;
// Freed slots wait behind this many others before reuse.
constexpr std::size_t kReuseAfter = 1024;

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
    return v;
  }
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
inline std::ptrdiff_t ColourStride(int width) {
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
      return b;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  // The pixels a DC draws into; false when it has none.
  bool ViewOf(const Dc& dc, View* v) {
    switch (dc.kind) {
      case DcKind::Memory: {
        Bitmap* b = FindBitmap(dc.bitmap);
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

  // A bitmap leaves its DC; one deleted meanwhile goes now.
  void LetGo(std::uint32_t bitmap) {
    Bitmap* b = FindBitmap(bitmap);
    if (!b) return;
    b->selectedIn = 0;
    if (b->deletePending) Remove(bitmap);
  }

  std::uint32_t AddDc(std::unique_ptr<Dc> dc) {
    if (!dc) return 0;
    return Add(kTypeDc, std::move(dc), nullptr);
  }
  std::uint32_t AddBitmap(std::unique_ptr<Bitmap> b) {
    if (!b) return 0;
    return Add(kTypeBitmap, nullptr, std::move(b));
  }

 private:
  std::vector<Slot> slots_;
  std::deque<std::uint32_t> free_;
  std::uint32_t stock_ = 0;
};

inline std::uintptr_t Value(const void* h) { return reinterpret_cast<std::uintptr_t>(h); }
template <class H>
H Handle(std::uint32_t v) {
  return reinterpret_cast<H>(static_cast<std::uintptr_t>(v));
}

}  // namespace portable::gdi
