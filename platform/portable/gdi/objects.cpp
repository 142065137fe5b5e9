// The GDI calls on Linux: memory DCs and bitmaps in the handle table
// (handles.h), window DCs on the surfaces of surface.cpp and .bmp loading,
// with Windows' own results for every call. Pixels are drawn by the raster
// engine (raster.cpp).
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "bmp_internal.h"
#include "gdi/counters.h"
#include "gdi/handles.h"
#include "gdi/raster.h"
#include "gdi/surface.h"
#include "platform/image.h"
#include "platform/winapi.h"
#include "x11/x11.h"

namespace {

using portable::gdi::Bitmap;
using portable::gdi::Dc;
using portable::gdi::DcKind;
using portable::gdi::Handle;
using portable::gdi::Rect;
using portable::gdi::Table;
using portable::gdi::Value;
using portable::gdi::View;

// The desktop window: outside both X window ids (top three bits clear) and
// the tag of our own windows.
constexpr std::uintptr_t kDesktopWindow = 0x40000010;

// After drawing into a DC: a window shows what changed.
void Drawn(const Dc& dc, const Rect& r, const Rect& changed) {
  if (r.Empty()) return;
  if (dc.kind == DcKind::Window) {
    portable::gdi::CountWindowPixels(static_cast<std::uint64_t>(r.w) *
                                     static_cast<std::uint64_t>(r.h));
    portable::gdi::OurWindowDrawn(dc.hwnd, r, changed);
  } else if (dc.kind == DcKind::Foreign && !changed.Empty()) {
    portable::gdi::ForeignDrawn(dc.foreign, changed);
  }
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

// The handle table. It lives for the whole process (forms may release their
// DCs late in exit).
class Gdi final {
 public:
  static Table& Handles() {
    static Table* table = new Table;
    return *table;
  }
  static bool Transfer(win::HDC dst, int x, int y, int cx, int cy, win::HDC src, int x1, int y1,
                       win::DWORD rop) {
    Table& t = Handles();
    Dc* d = t.FindDc(dst);
    View dv, sv;
    if (!d || !t.ViewOf(*d, &dv)) return false;
    portable::gdi::Colours colours;
    colours.dstBk = d->bk;
    colours.dstText = d->text;
    const View* source = nullptr;
    if (portable::gdi::RopUsesSource(rop)) {
      Dc* s = t.FindDc(src);
      if (!s || !t.ViewOf(*s, &sv)) return false;
      colours.srcBk = s->bk;
      source = &sv;
    }
    Rect drawn, changed;
    if (!portable::gdi::Blit(dv, x, y, cx, cy, source, x1, y1, rop, colours, &drawn, &changed))
      return false;
    Drawn(*d, drawn, changed);
    return true;
  }
};

}  // namespace

namespace portable::gdi {

std::uint64_t* windowPixelCounter = nullptr;

}  // namespace portable::gdi

namespace win {

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(kDesktopWindow); }

HDC GetDC(HWND hwnd) {
  Table& t = Gdi::Handles();
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
  const std::uint32_t h = t.AddDc(std::move(dc));
  if (h == 0 && foreign != 0) portable::gdi::CloseForeign(foreign);
  return Handle<HDC>(h);
}

int ReleaseDC(HWND, HDC hdc) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  if (!dc || dc->kind == DcKind::Memory) return 0;
  if (dc->kind == DcKind::Foreign) portable::gdi::CloseForeign(dc->foreign);
  t.Remove(Value(hdc));
  return 1;
}

HDC CreateCompatibleDC(HDC hdc) {
  Table& t = Gdi::Handles();
  if (hdc != nullptr && !t.FindDc(hdc)) return nullptr;
  auto dc = std::make_unique<Dc>();
  dc->kind = DcKind::Memory;
  dc->bitmap = t.stock();
  return Handle<HDC>(t.AddDc(std::move(dc)));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  if (!dc) return nullptr;
  // As Windows: a negative size counts as its magnitude.
  if (cx < 0) cx = cx == INT_MIN ? INT_MAX : -cx;
  if (cy < 0) cy = cy == INT_MIN ? INT_MAX : -cy;
  // As Windows: an empty size gives the 1 x 1 monochrome stock bitmap.
  if (cx == 0 || cy == 0) return Handle<HBITMAP>(t.stock());
  int bpp = 32;
  if (dc->kind == DcKind::Memory) {
    Bitmap* sel = t.FindBitmap(dc->bitmap);
    bpp = sel ? sel->bpp : 1;
  }
  return Handle<HBITMAP>(t.AddBitmap(Table::MakeBitmapStorage(cx, cy, bpp)));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  const std::uintptr_t v = Value(obj);
  Bitmap* b = t.FindBitmap(v);
  if (!dc || !b || dc->kind != DcKind::Memory || b->deletePending) return nullptr;
  const std::uint32_t dcValue = static_cast<std::uint32_t>(Value(hdc));
  const std::uint32_t previous = dc->bitmap;
  if (previous == v) return obj;
  // A bitmap is in one DC at a time (the stock one may be in any number).
  if (!b->stock && b->selectedIn != 0) return nullptr;
  if (!b->stock) b->selectedIn = dcValue;
  dc->bitmap = static_cast<std::uint32_t>(v);
  t.LetGo(previous);
  return Handle<HGDIOBJ>(previous);
}

BOOL DeleteDC(HDC hdc) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  if (!dc) return FALSE;
  const std::uint32_t bitmap = dc->kind == DcKind::Memory ? dc->bitmap : 0;
  if (dc->kind == DcKind::Foreign) portable::gdi::CloseForeign(dc->foreign);
  t.Remove(Value(hdc));
  t.LetGo(bitmap);
  return TRUE;
}

BOOL DeleteObject(HGDIOBJ obj) {
  Table& t = Gdi::Handles();
  const std::uintptr_t v = Value(obj);
  if (t.FindDc(obj)) return DeleteDC(static_cast<HDC>(obj));
  Bitmap* b = t.FindBitmap(v);
  if (!b) return FALSE;
  if (b->stock) return TRUE;  // stock objects are never deleted
  if (b->selectedIn != 0) {
    // As Windows does: still in a DC, it goes when the DC lets it go.
    b->deletePending = true;
    return TRUE;
  }
  t.Remove(v);
  return TRUE;
}

int GetObjectA(HGDIOBJ obj, int size, void* out) {
  Table& t = Gdi::Handles();
  Bitmap* b = t.FindBitmap(Value(obj));
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
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->bk;
  dc->bk = c;
  return old;
}
COLORREF GetBkColor(HDC hdc) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  return dc ? dc->bk : CLR_INVALID;
}
COLORREF SetTextColor(HDC hdc, COLORREF c) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->text;
  dc->text = c;
  return old;
}
COLORREF GetTextColor(HDC hdc) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  return dc ? dc->text : CLR_INVALID;
}

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  Table& t = Gdi::Handles();
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
  return Handle<HANDLE>(t.AddBitmap(std::move(b)));
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  return Gdi::Transfer(dst, x, y, cx, cy, src, x1, y1, rop) ? TRUE : FALSE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  View v;
  std::uint32_t px = 0;
  if (!dc || !t.ViewOf(*dc, &v) || !Get(v, x, y, &px)) return CLR_INVALID;
  return portable::gdi::ColorrefFromPixel(px);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) {
  Table& t = Gdi::Handles();
  Dc* dc = t.FindDc(hdc);
  View v;
  if (!dc || !t.ViewOf(*dc, &v)) return CLR_INVALID;
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
  Drawn(*dc, Rect{x, y, 1, 1}, Rect{x, y, 1, 1});
  return set;
}

int GetDeviceCaps(HDC hdc, int index) {
  Table& t = Gdi::Handles();
  if (!t.FindDc(hdc)) return 0;
  if (index == LOGPIXELSX || index == LOGPIXELSY) {
    // Every DC answers with the screen's: the desktop's scale, 96 off X.
    const int dpi = portable::x11::ScreenDpi();
    return dpi > 0 ? dpi : 96;
  }
  return index == BITSPIXEL ? 32 : 0;
}

}  // namespace win

namespace plat {

win::HBITMAP CreateBitmapFromImage(const Image& img) {
  Table& t = Gdi::Handles();
  if (img.width <= 0 || img.height <= 0 ||
      img.px.size() != static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height))
    return nullptr;
  auto b = Table::MakeBitmapStorage(img.width, img.height, 32);
  if (!b) return nullptr;
  for (int y = 0; y < img.height; ++y) {
    std::uint32_t* row = reinterpret_cast<std::uint32_t*>(b->bits.data() + b->stride * y);
    for (int x = 0; x < img.width; ++x) row[x] = img.at(x, y) & 0x00FFFFFF;
  }
  return Handle<win::HBITMAP>(t.AddBitmap(std::move(b)));
}

bool ReadPixels(win::HDC hdc, int x, int y, int width, int height, Image& out) {
  Table& t = Gdi::Handles();
  out = Image();
  Dc* dc = t.FindDc(hdc);
  View v;
  if (!dc || !t.ViewOf(*dc, &v) || width < 0 || height < 0) return false;
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

bool PixelBuffer::Create(int width, int height) {
  Release();
  if (width <= 0 || height <= 0) return false;
  // A bitmap of the screen's format: 32 bits a pixel.
  const win::HDC screen = win::GetDC(nullptr);
  const win::HBITMAP bitmap = win::CreateCompatibleBitmap(screen, width, height);
  const win::HDC dc = win::CreateCompatibleDC(screen);
  win::ReleaseDC(nullptr, screen);
  Table& t = Gdi::Handles();
  const Dc* d = dc ? t.FindDc(dc) : nullptr;
  const win::HGDIOBJ old = d && bitmap ? win::SelectObject(dc, bitmap) : nullptr;
  View v;
  if (!old || !t.ViewOf(*d, &v) || v.bpp != 32) {
    if (old) win::SelectObject(dc, old);
    if (dc) win::DeleteDC(dc);
    if (bitmap) win::DeleteObject(bitmap);
    return false;
  }
  m_dc = dc;
  m_bitmap = bitmap;
  m_old = old;
  m_bits = v.Row32(0);
  m_stride = v.stride / 4;
  m_width = width;
  m_height = height;
  return true;
}

const std::uint32_t* PixelBuffer::Pixels() { return m_bits; }

}  // namespace plat
