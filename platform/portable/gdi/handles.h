// The portable GDI's handle table: memory DCs, window DCs and bitmaps
// (32-bit colour and 1-bit), each behind a handle.
//
// A handle is an index into the table with a generation count and a type
// tag. A freed slot gets a new generation, and freed slots are reused only
// after many others, so a stale, deleted or made-up handle finds no object
// and the call fails as on Windows (FALSE, 0 or CLR_INVALID), never touching
// freed memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "gdi/raster.h"
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

  bool Allocate(std::size_t bytes);
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

struct Slot {
  std::uint16_t gen = 0;
  std::uint32_t type = 0;  // 0: free
  std::unique_ptr<Dc> dc;
  std::unique_ptr<Bitmap> bmp;
};

class Table {
 public:
  Table();

  std::uint32_t Add(std::uint32_t type, std::unique_ptr<Dc> dc, std::unique_ptr<Bitmap> bmp);

  Slot* Find(std::uintptr_t value, std::uint32_t type);
  Dc* FindDc(const void* h);
  Bitmap* FindBitmap(std::uintptr_t h);

  void Remove(std::uintptr_t value);

  std::uint32_t stock() const { return stock_; }

  static std::unique_ptr<Bitmap> MakeBitmapStorage(int width, int height, int bpp);

  // The pixels a DC draws into; false when it has none.
  bool ViewOf(const Dc& dc, View* v);

  // A bitmap leaves its DC; one deleted meanwhile goes now.
  void LetGo(std::uint32_t bitmap);

  std::uint32_t AddDc(std::unique_ptr<Dc> dc);
  std::uint32_t AddBitmap(std::unique_ptr<Bitmap> b);

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
