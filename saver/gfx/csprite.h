// One moving, animated figure of the stage. It draws from a shared sheet,
// saves and restores the stage pixels under itself in a one-cell background
// buffer, and copies to the screen only what its last draw changed.
//
// A frame, per sprite: RestoreBackground (erases the last draw), move,
// StoreBackground at the new place, TransparentDraw there, StageToScreen.
//
// Properties read as Name() and are written as Name(value).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/winapi.h"
#include "saver/gfx/csprite_bitmaps.h"

class cSprite {
 public:
  // The draw positions start one whole screen up and to the left.
  cSprite();
  ~cSprite();
  cSprite(const cSprite&) = delete;
  cSprite& operator=(const cSprite&) = delete;

  std::int32_t XDir() const { return m_lXDir; }
  void XDir(std::int32_t lXDir) { m_lXDir = lXDir; }
  std::int32_t YDir() const { return m_lYDir; }
  void YDir(std::int32_t lYDir) { m_lYDir = lYDir; }
  // X += XDir, then Y += YDir; an overflow raises (X keeps its new value if
  // only the second sum overflows).
  void IncrementPosition();
  // Kept for the caller; nothing in the class reads it.
  bool Active() const { return m_bActive; }
  void Active(bool bActive) { m_bActive = bActive; }
  std::int32_t X() const { return m_lX; }
  void X(std::int32_t lX) { m_lX = lX; }
  std::int32_t Y() const { return m_lY; }
  void Y(std::int32_t lY) { m_lY = lY; }
  // Copies from the stage buffer to the screen, at the same coordinates, the
  // area the last draw changed: one rectangle around both places, or the two
  // places apart when BltInTwo.
  void StageToScreen(win::HDC lHDC, win::HDC lStageHDC);
  std::int32_t Cell() const { return m_lCell; }
  void Cell(std::int32_t iCell) { m_lCell = iCell; }
  std::int32_t PreviousX() const { return m_lPreviousX; }
  std::int32_t PreviousY() const { return m_lPreviousY; }
  // True when the last two draws lie more than 24 pixels apart (horizontal
  // plus vertical distance).
  bool BltInTwo() const;
  std::int32_t Width() const { return m_lWidth; }
  std::int32_t Height() const { return m_lHeight; }
  // Saves the cell-sized area at (lX, lY) of hDC.
  void StoreBackground(win::HDC hDC, std::int32_t lX, std::int32_t lY);
  // Records the draw (the last position becomes the previous one) and draws
  // the cell through the sheet. X and Y are neither read nor changed.
  void TransparentDraw(win::HDC hDC, std::int32_t lX, std::int32_t lY, std::int32_t lCell,
                       bool bUseBuildDC);
  // Makes the background buffer (screen-compatible; hDC is not consulted).
  void Create(win::HDC hDC);
  // Puts the saved area back at the last drawn position, once anything has
  // been saved.
  void RestoreBackground(win::HDC hDC);
  // The same three within a part of the cell-sized area only (left, top,
  // right, bottom from its corner). A stored part counts as a stored
  // background; the draw is recorded as a whole one.
  void RestoreBackgroundPart(win::HDC hDC, const win::RECT& part);
  void StoreBackgroundPart(win::HDC hDC, std::int32_t lX, std::int32_t lY, const win::RECT& part);
  void TransparentDrawPart(win::HDC hDC, std::int32_t lX, std::int32_t lY, std::int32_t lCell,
                           const win::RECT& part);
  // Sets the sheet; a null sheet raises ObjectNotSet.
  void SpriteData(std::shared_ptr<cSpriteBitmaps> cSpriteData);

 private:
  void ReleaseBackground();
  // The cell-sized area as a part of itself.
  win::RECT Whole() const { return {0, 0, m_lWidth, m_lHeight}; }
  // A draw at (lX, lY): the last position becomes the previous one.
  void RecordDraw(std::int32_t lX, std::int32_t lY, std::int32_t lCell);
  // The sheet, or ObjectNotSet when there is none.
  cSpriteBitmaps& Sheet() const;

  win::HDC m_hBackDC = nullptr;
  win::HBITMAP m_hBackBmp = nullptr;
  win::HGDIOBJ m_hBackBmpOld = nullptr;
  std::shared_ptr<cSpriteBitmaps> m_cSpriteData;
  std::int32_t m_lCell = 0;
  std::int32_t m_lX = 0;
  std::int32_t m_lY = 0;
  std::int32_t m_lDrawX = 0;
  std::int32_t m_lDrawY = 0;
  std::int32_t m_lPreviousX = 0;
  std::int32_t m_lPreviousY = 0;
  std::int32_t m_lWidth = 0;
  std::int32_t m_lHeight = 0;
  bool m_bBackStored = false;
  bool m_bActive = false;
  std::int32_t m_lXDir = 0;
  std::int32_t m_lYDir = 0;
  std::int32_t m_lDelta[2] = {0, 0};
};
