// A sprite sheet: a grid of equal cells (the frames of an animation), a mask
// of the same size marking the transparent pixels, and a one-cell build
// buffer. Cells are numbered from 1, left to right, then top to bottom.
//
// Once made with a built mask, the sheet is white where it had the
// transparent colour and the mask is 1 on opaque pixels, 0 on transparent
// ones. Several sprites share one sheet (std::shared_ptr).
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi.h"

namespace forms {
class Picture;
}

class cSpriteBitmaps {
 public:
  cSpriteBitmaps() = default;
  ~cSpriteBitmaps();
  cSpriteBitmaps(const cSpriteBitmaps&) = delete;
  cSpriteBitmaps& operator=(const cSpriteBitmaps&) = delete;

  // Draws cell lCell at (lX, lY) of hDCDest, leaving the destination as it
  // was under the transparent pixels. With bUseBuildDC the cell is composed
  // in the build buffer and reaches the destination in one copy.
  void TransparentDraw(win::HDC hDCDest, std::int32_t lX, std::int32_t lY, std::int32_t lCell,
                       bool bUseBuildDC = true);
  // The part (lPartX, lPartY, lPartWidth, lPartHeight) of the cell, relative
  // to its corner, drawn as TransparentDraw without the build buffer draws it.
  void TransparentDrawPart(win::HDC hDCDest, std::int32_t lX, std::int32_t lY, std::int32_t lCell,
                           std::int32_t lPartX, std::int32_t lPartY, std::int32_t lPartWidth,
                           std::int32_t lPartHeight);
  // Makes the sheet. A count of 0 raises DivisionByZero (plat::RuntimeError).
  // oMaskPic == nullptr: the mask is built from lTransColor.
  bool CreateFromPicture(const forms::Picture& oPic, std::int32_t lXImageCount,
                         std::int32_t lYImageCount, const forms::Picture* oMaskPic = nullptr,
                         win::COLORREF lTransColor = 0x00FFFFFF);
  // sMaskBitmap == "": the mask is built from lTransColor.
  bool CreateFromFile(const std::string& sSpriteBitmap, std::int32_t lXImageCount,
                      std::int32_t lYImageCount, const std::string& sMaskBitmap = "",
                      win::COLORREF lTransColor = 0x00FFFFFF);
  std::int32_t CellWidth() const { return m_lCellWidth; }
  std::int32_t CellHeight() const { return m_lCellHeight; }
  // An opaque copy of the cell; transparent areas show white.
  void DirectBltSprite(win::HDC lHDC, std::int32_t lX, std::int32_t lY, std::int32_t lCell);

 private:
  struct Offset {
    std::int32_t x;
    std::int32_t y;
  };
  bool BuildMask(std::int32_t lWidth, std::int32_t lHeight, win::COLORREF lColor);
  Offset CellOffset(std::int32_t lCell) const;
  void ReleaseBitmaps();
  // Steps 3, 5 and 6 of making a sheet, once the sheet and mask exist.
  void ReadSheetSize(std::int32_t& lWidth, std::int32_t& lHeight) const;
  bool FinishSheet(std::int32_t lWidth, std::int32_t lHeight, std::int32_t lXImageCount,
                   std::int32_t lYImageCount);

  win::HDC m_hSpriteDC = nullptr;
  win::HBITMAP m_hSpriteBmp = nullptr;
  win::HGDIOBJ m_hSpriteBmpOld = nullptr;
  win::HDC m_hMaskDC = nullptr;
  win::HBITMAP m_hMaskBmp = nullptr;
  win::HGDIOBJ m_hMaskBmpOld = nullptr;
  win::HDC m_hBuildDC = nullptr;
  win::HBITMAP m_hBuildBmp = nullptr;
  win::HGDIOBJ m_hBuildBmpOld = nullptr;
  std::int32_t m_lCellWidth = 0;
  std::int32_t m_lCellHeight = 0;
  std::int32_t m_lXImageCount = 0;
  std::int32_t m_lYImageCount = 0;
};
