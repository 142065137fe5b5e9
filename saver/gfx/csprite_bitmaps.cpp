#include "saver/gfx/csprite_bitmaps.h"

#include "platform/errors.h"
#include "platform/rules.h"
#include "saver/gfx/mgdi.h"

namespace {
constexpr win::COLORREF kWhite = 0x00FFFFFF;
}

cSpriteBitmaps::~cSpriteBitmaps() { ReleaseBitmaps(); }

void cSpriteBitmaps::TransparentDraw(win::HDC hDCDest, std::int32_t lX, std::int32_t lY,
                                     std::int32_t lCell, bool bUseBuildDC) {
  const std::int32_t w = m_lCellWidth;
  const std::int32_t h = m_lCellHeight;
  if (!bUseBuildDC) {
    TransparentDrawPart(hDCDest, lX, lY, lCell, 0, 0, w, h);
    return;
  }
  win::BitBlt(m_hBuildDC, 0, 0, w, h, hDCDest, lX, lY, win::SRCCOPY);
  TransparentDrawPart(m_hBuildDC, 0, 0, lCell, 0, 0, w, h);
  win::BitBlt(hDCDest, lX, lY, w, h, m_hBuildDC, 0, 0, win::SRCCOPY);
}

void cSpriteBitmaps::TransparentDrawPart(win::HDC hDCDest, std::int32_t lX, std::int32_t lY,
                                         std::int32_t lCell, std::int32_t lPartX,
                                         std::int32_t lPartY, std::int32_t lPartWidth,
                                         std::int32_t lPartHeight) {
  const Offset src = CellOffset(lCell);
  const std::int32_t x = plat::Add32(lX, lPartX), y = plat::Add32(lY, lPartY);
  const std::int32_t sx = plat::Add32(src.x, lPartX), sy = plat::Add32(src.y, lPartY);
  // Opaque pixels turn white, transparent ones stay; then AND with the sheet
  // (white where transparent) puts the cell's colours on the opaque ones.
  win::BitBlt(hDCDest, x, y, lPartWidth, lPartHeight, m_hMaskDC, sx, sy, win::SRCPAINT);
  win::BitBlt(hDCDest, x, y, lPartWidth, lPartHeight, m_hSpriteDC, sx, sy, win::SRCAND);
}

bool cSpriteBitmaps::CreateFromPicture(const forms::Picture& oPic, std::int32_t lXImageCount,
                                       std::int32_t lYImageCount, const forms::Picture* oMaskPic,
                                       win::COLORREF lTransColor) {
  ReleaseBitmaps();
  if (!mGDI::CreateDCFromPicture(false, oPic, m_hSpriteDC, m_hSpriteBmp, m_hSpriteBmpOld)) {
    return false;
  }
  std::int32_t lWidth = 0;
  std::int32_t lHeight = 0;
  ReadSheetSize(lWidth, lHeight);
  bool bMask;
  if (oMaskPic == nullptr) {
    bMask = BuildMask(lWidth, lHeight, lTransColor);
  } else {
    bMask = mGDI::CreateDCFromPicture(true, *oMaskPic, m_hMaskDC, m_hMaskBmp, m_hMaskBmpOld);
  }
  if (!bMask) return false;
  return FinishSheet(lWidth, lHeight, lXImageCount, lYImageCount);
}

bool cSpriteBitmaps::CreateFromFile(const std::string& sSpriteBitmap, std::int32_t lXImageCount,
                                    std::int32_t lYImageCount, const std::string& sMaskBitmap,
                                    win::COLORREF lTransColor) {
  ReleaseBitmaps();
  if (!mGDI::CreateDCFromFile(false, sSpriteBitmap, m_hSpriteDC, m_hSpriteBmp, m_hSpriteBmpOld)) {
    return false;
  }
  std::int32_t lWidth = 0;
  std::int32_t lHeight = 0;
  ReadSheetSize(lWidth, lHeight);
  bool bMask;
  if (!sMaskBitmap.empty()) {
    bMask = mGDI::CreateDCFromFile(true, sMaskBitmap, m_hMaskDC, m_hMaskBmp, m_hMaskBmpOld);
  } else {
    bMask = BuildMask(lWidth, lHeight, lTransColor);
  }
  if (!bMask) return false;
  return FinishSheet(lWidth, lHeight, lXImageCount, lYImageCount);
}

void cSpriteBitmaps::DirectBltSprite(win::HDC lHDC, std::int32_t lX, std::int32_t lY,
                                     std::int32_t lCell) {
  const Offset src = CellOffset(lCell);
  win::BitBlt(lHDC, lX, lY, m_lCellWidth, m_lCellHeight, m_hSpriteDC, src.x, src.y, win::SRCCOPY);
}

bool cSpriteBitmaps::BuildMask(std::int32_t lWidth, std::int32_t lHeight, win::COLORREF lColor) {
  if (!mGDI::CreateDCAtSize(true, m_hMaskDC, m_hMaskBmp, m_hMaskBmpOld, lWidth, lHeight)) {
    return false;
  }
  if (lColor == kWhite) {
    // Colour into 1 bit gives 1 on pixels of the sheet DC's background
    // colour (white); XOR with all ones leaves 1 on the opaque pixels.
    win::BitBlt(m_hMaskDC, 0, 0, lWidth, lHeight, m_hSpriteDC, 0, 0, win::WHITENESS);
    win::BitBlt(m_hMaskDC, 0, 0, lWidth, lHeight, m_hSpriteDC, 0, 0, win::SRCINVERT);
    return true;
  }
  win::HDC hTempDC = nullptr;
  win::HBITMAP hTempBmp = nullptr;
  win::HGDIOBJ hTempBmpOld = nullptr;
  if (!mGDI::CreateDCAtSize(true, hTempDC, hTempBmp, hTempBmpOld, lWidth, lHeight)) {
    // A bare DC may have been made before the bitmap failed.
    mGDI::DeleteDCBitmap(hTempDC, hTempBmp, hTempBmpOld);
    return false;
  }
  // temp: 1 where the sheet has the transparent colour.
  const win::COLORREF lOldColor = win::SetBkColor(m_hSpriteDC, lColor);
  win::BitBlt(hTempDC, 0, 0, lWidth, lHeight, m_hSpriteDC, 0, 0, win::SRCCOPY);
  win::SetBkColor(m_hSpriteDC, lOldColor);
  // 1 bits expand to the sheet DC's background (white), 0 bits to its text
  // colour (black): the transparent pixels turn white, the rest stay.
  win::BitBlt(m_hSpriteDC, 0, 0, lWidth, lHeight, hTempDC, 0, 0, win::SRCPAINT);
  win::BitBlt(m_hMaskDC, 0, 0, lWidth, lHeight, m_hSpriteDC, 0, 0, win::WHITENESS);
  win::BitBlt(m_hMaskDC, 0, 0, lWidth, lHeight, hTempDC, 0, 0, win::SRCINVERT);
  mGDI::DeleteDCBitmap(hTempDC, hTempBmp, hTempBmpOld);
  return true;
}

cSpriteBitmaps::Offset cSpriteBitmaps::CellOffset(std::int32_t lCell) const {
  const std::int32_t lIndex = plat::Sub32(lCell, 1);
  Offset o;
  o.x = plat::Mul32(plat::Mod32(lIndex, m_lXImageCount), m_lCellWidth);
  o.y = plat::Mul32(plat::Div32(lIndex, m_lXImageCount), m_lCellHeight);
  return o;
}

void cSpriteBitmaps::ReleaseBitmaps() {
  mGDI::DeleteDCBitmap(m_hSpriteDC, m_hSpriteBmp, m_hSpriteBmpOld);
  mGDI::DeleteDCBitmap(m_hMaskDC, m_hMaskBmp, m_hMaskBmpOld);
  mGDI::DeleteDCBitmap(m_hBuildDC, m_hBuildBmp, m_hBuildBmpOld);
}

void cSpriteBitmaps::ReadSheetSize(std::int32_t& lWidth, std::int32_t& lHeight) const {
  win::BITMAP bm{};
  win::GetObjectA(m_hSpriteBmp, sizeof(bm), &bm);
  lWidth = bm.bmWidth;
  lHeight = bm.bmHeight;
}

bool cSpriteBitmaps::FinishSheet(std::int32_t lWidth, std::int32_t lHeight,
                                 std::int32_t lXImageCount, std::int32_t lYImageCount) {
  m_lXImageCount = lXImageCount;
  m_lYImageCount = lYImageCount;
  m_lCellWidth = plat::Div32(lWidth, lXImageCount);
  m_lCellHeight = plat::Div32(lHeight, lYImageCount);
  return mGDI::CreateDCAtSize(false, m_hBuildDC, m_hBuildBmp, m_hBuildBmpOld, m_lCellWidth,
                              m_lCellHeight);
}
