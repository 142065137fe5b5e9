#include "saver/gfx/cbitmap.h"

#include "saver/gfx/mgdi.h"

cBitmap::~cBitmap() { ReleaseBitmap(); }

bool cBitmap::CreateAtSize(std::int32_t lDX, std::int32_t lDY) {
  ReleaseBitmap();
  if (!mGDI::CreateDCAtSize(false, m_hDC, m_hBmp, m_hBmpOld, lDX, lDY)) return false;
  m_lWidth = lDX;
  m_lHeight = lDY;
  return true;
}

bool cBitmap::CreateFromFile(const std::string& sBitmapBitmap) {
  ReleaseBitmap();
  if (!mGDI::CreateDCFromFile(false, sBitmapBitmap, m_hDC, m_hBmp, m_hBmpOld)) return false;
  ReadSize();
  return true;
}

bool cBitmap::CreateFromPicture(const forms::Picture& picThis) {
  ReleaseBitmap();
  if (!mGDI::CreateDCFromPicture(false, picThis, m_hDC, m_hBmp, m_hBmpOld)) return false;
  ReadSize();
  return true;
}

void cBitmap::RenderBitmap(win::HDC lHDC, std::int32_t lX, std::int32_t lY,
                           win::DWORD OpCode) const {
  win::BitBlt(lHDC, lX, lY, m_lWidth, m_lHeight, m_hDC, 0, 0, OpCode);
}

void cBitmap::ReleaseBitmap() { mGDI::DeleteDCBitmap(m_hDC, m_hBmp, m_hBmpOld); }

void cBitmap::ReadSize() {
  win::BITMAP bm{};
  win::GetObjectA(m_hBmp, sizeof(bm), &bm);
  m_lWidth = bm.bmWidth;
  m_lHeight = bm.bmHeight;
}
