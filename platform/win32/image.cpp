// Pixels between memory and Windows' bitmaps and DCs, through 32-bit DIBs
// (whose rows are 0x00RRGGBB, as plat::Image's).
// clang-format off
#include "platform/image.h"
#include <windows.h>
// clang-format on

namespace plat {

namespace {
BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}
}  // namespace

win::HBITMAP CreateBitmapFromImage(const Image& img) {
  if (img.width <= 0 || img.height <= 0 ||
      img.px.size() != static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height))
    return nullptr;
  ::HDC screen = ::GetDC(nullptr);
  if (!screen) return nullptr;
  ::HBITMAP bmp = ::CreateCompatibleBitmap(screen, img.width, img.height);
  if (bmp) {
    const BITMAPINFO bi = TopDown32(img.width, img.height);
    if (::SetDIBits(screen, bmp, 0, static_cast<UINT>(img.height), img.px.data(), &bi,
                    DIB_RGB_COLORS) != img.height) {
      ::DeleteObject(bmp);
      bmp = nullptr;
    }
  }
  ::ReleaseDC(nullptr, screen);
  return reinterpret_cast<win::HBITMAP>(bmp);
}

bool ReadPixels(win::HDC dc, int x, int y, int width, int height, Image& out) {
  out = Image();
  ::HDC src = reinterpret_cast<::HDC>(dc);
  const DWORD type = src ? ::GetObjectType(src) : 0;
  if ((type != OBJ_DC && type != OBJ_MEMDC) || width < 0 || height < 0) return false;
  if (static_cast<long long>(width) * height > kMaxImagePixels) return false;
  out.width = width;
  out.height = height;
  out.px.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
  if (width == 0 || height == 0) return true;
  // Copied into a 32-bit DIB through a memory DC of default colours, so a
  // monochrome source reads black (0) and white (1); what lies outside the
  // source stays black.
  PixelBuffer copy;
  const bool ok =
      copy.Create(width, height) &&
      ::BitBlt(reinterpret_cast<::HDC>(copy.hDC()), 0, 0, width, height, nullptr, 0, 0,
               BLACKNESS) &&
      ::BitBlt(reinterpret_cast<::HDC>(copy.hDC()), 0, 0, width, height, src, x, y, SRCCOPY);
  if (!ok) {
    out = Image();
    return false;
  }
  const std::uint32_t* row = copy.Pixels();
  for (int j = 0; j < height; ++j, row += copy.Stride())
    for (int i = 0; i < width; ++i) out.at(i, j) = row[i] & 0x00FFFFFF;
  return true;
}

bool PixelBuffer::Create(int width, int height) {
  Release();
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxImagePixels)
    return false;
  // A DIB section: its rows are the program's memory, 4 bytes a pixel with
  // no padding.
  const BITMAPINFO bi = TopDown32(width, height);
  void* bits = nullptr;
  ::HBITMAP dib = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ::HDC mem = ::CreateCompatibleDC(nullptr);
  if (!dib || !mem || !bits) {
    if (mem) ::DeleteDC(mem);
    if (dib) ::DeleteObject(dib);
    return false;
  }
  m_old = reinterpret_cast<win::HGDIOBJ>(::SelectObject(mem, dib));
  m_dc = reinterpret_cast<win::HDC>(mem);
  m_bitmap = reinterpret_cast<win::HBITMAP>(dib);
  m_bits = static_cast<const std::uint32_t*>(bits);
  m_stride = width;
  m_width = width;
  m_height = height;
  return true;
}

const std::uint32_t* PixelBuffer::Pixels() {
  // Drawing calls may be batched until then.
  ::GdiFlush();
  return m_bits;
}

}  // namespace plat
