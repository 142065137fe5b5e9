// One off-screen bitmap in its own memory DC, copied onto other DCs whole.
// The stage keeps its screen-sized buffers in these; a tile keeps its image.
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi.h"

namespace forms {
class Picture;
}

class cBitmap {
 public:
  cBitmap() = default;
  ~cBitmap();
  cBitmap(const cBitmap&) = delete;
  cBitmap& operator=(const cBitmap&) = delete;

  // Each create first frees what the object holds. Width and Height change
  // only on success.
  bool CreateAtSize(std::int32_t lDX, std::int32_t lDY);
  bool CreateFromFile(const std::string& sBitmapBitmap);
  bool CreateFromPicture(const forms::Picture& picThis);

  std::int32_t Width() const { return m_lWidth; }
  std::int32_t Height() const { return m_lHeight; }
  win::HDC hDC() const { return m_hDC; }

  // One block transfer of the whole bitmap to (lX, lY) of lHDC.
  void RenderBitmap(win::HDC lHDC, std::int32_t lX, std::int32_t lY,
                    win::DWORD OpCode = win::SRCCOPY) const;

 private:
  void ReleaseBitmap();
  // The size of m_hBmp into m_lWidth and m_lHeight.
  void ReadSize();

  win::HDC m_hDC = nullptr;
  win::HBITMAP m_hBmp = nullptr;
  win::HGDIOBJ m_hBmpOld = nullptr;
  std::int32_t m_lWidth = 0;
  std::int32_t m_lHeight = 0;
};
