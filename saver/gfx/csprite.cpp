#include "saver/gfx/csprite.h"

#include <algorithm>

#include "platform/errors.h"
#include "platform/forms.h"
#include "platform/rules.h"
#include "saver/gfx/mgdi.h"

namespace {
// Farther apart than this (horizontal plus vertical), two cell-sized copies
// cost less than one rectangle around both places.
constexpr std::int32_t kMaxSingleBltDistance = 24;
}  // namespace

cSprite::cSprite() {
  m_lDrawX = plat::TwipsToPixels(-forms::Screen::Width(), forms::Screen::TwipsPerPixelX());
  m_lPreviousX = m_lDrawX;
  m_lDrawY = plat::TwipsToPixels(-forms::Screen::Height(), forms::Screen::TwipsPerPixelY());
  m_lPreviousY = m_lDrawY;
}

cSprite::~cSprite() {
  ReleaseBackground();
  m_cSpriteData.reset();
}

void cSprite::IncrementPosition() {
  m_lX = plat::Add32(m_lX, m_lXDir);
  m_lY = plat::Add32(m_lY, m_lYDir);
}

void cSprite::StageToScreen(win::HDC lHDC, win::HDC lStageHDC) {
  const std::int32_t w = m_lWidth;
  const std::int32_t h = m_lHeight;
  if (BltInTwo()) {
    win::BitBlt(lHDC, m_lPreviousX, m_lPreviousY, w, h, lStageHDC, m_lPreviousX, m_lPreviousY,
                win::SRCCOPY);
    win::BitBlt(lHDC, m_lDrawX, m_lDrawY, w, h, lStageHDC, m_lDrawX, m_lDrawY, win::SRCCOPY);
    return;
  }
  const std::int32_t dx = plat::Sub32(m_lDrawX, m_lPreviousX);
  const std::int32_t dy = plat::Sub32(m_lDrawY, m_lPreviousY);
  m_lDelta[0] = dx;
  m_lDelta[1] = dy;
  const std::int32_t lLeft = std::min(m_lDrawX, m_lPreviousX);
  const std::int32_t lTop = std::min(m_lDrawY, m_lPreviousY);
  const std::int32_t lWidth = plat::Add32(plat::Abs32(dx), w);
  const std::int32_t lHeight = plat::Add32(plat::Abs32(dy), h);
  win::BitBlt(lHDC, lLeft, lTop, lWidth, lHeight, lStageHDC, lLeft, lTop, win::SRCCOPY);
}

bool cSprite::BltInTwo() const {
  const std::int32_t lDistance = plat::Add32(plat::Abs32(plat::Sub32(m_lPreviousY, m_lDrawY)),
                                             plat::Abs32(plat::Sub32(m_lPreviousX, m_lDrawX)));
  return lDistance > kMaxSingleBltDistance;
}

void cSprite::StoreBackground(win::HDC hDC, std::int32_t lX, std::int32_t lY) {
  StoreBackgroundPart(hDC, lX, lY, Whole());
}

void cSprite::TransparentDraw(win::HDC hDC, std::int32_t lX, std::int32_t lY, std::int32_t lCell,
                              bool bUseBuildDC) {
  RecordDraw(lX, lY, lCell);
  Sheet().TransparentDraw(hDC, lX, lY, lCell, bUseBuildDC);
}

void cSprite::Create(win::HDC hDC) {
  (void)hDC;
  ReleaseBackground();
  const cSpriteBitmaps& sheet = Sheet();
  m_lWidth = sheet.CellWidth();
  m_lHeight = sheet.CellHeight();
  // Without a buffer, storing and restoring must copy nothing: a bare DC
  // left by a failed bitmap would still hold its 1 x 1 initial bitmap.
  if (!mGDI::CreateDCAtSize(false, m_hBackDC, m_hBackBmp, m_hBackBmpOld, m_lWidth, m_lHeight)) {
    mGDI::DeleteDCBitmap(m_hBackDC, m_hBackBmp, m_hBackBmpOld);
  }
}

void cSprite::RestoreBackground(win::HDC hDC) { RestoreBackgroundPart(hDC, Whole()); }

void cSprite::RestoreBackgroundPart(win::HDC hDC, const win::RECT& part) {
  if (!m_bBackStored) return;
  win::BitBlt(hDC, plat::Add32(m_lDrawX, part.left), plat::Add32(m_lDrawY, part.top),
              plat::Sub32(part.right, part.left), plat::Sub32(part.bottom, part.top), m_hBackDC,
              part.left, part.top, win::SRCCOPY);
}

void cSprite::StoreBackgroundPart(win::HDC hDC, std::int32_t lX, std::int32_t lY,
                                  const win::RECT& part) {
  win::BitBlt(m_hBackDC, part.left, part.top, plat::Sub32(part.right, part.left),
              plat::Sub32(part.bottom, part.top), hDC, plat::Add32(lX, part.left),
              plat::Add32(lY, part.top), win::SRCCOPY);
  m_bBackStored = true;
}

void cSprite::TransparentDrawPart(win::HDC hDC, std::int32_t lX, std::int32_t lY,
                                  std::int32_t lCell, const win::RECT& part) {
  RecordDraw(lX, lY, lCell);
  Sheet().TransparentDrawPart(hDC, lX, lY, lCell, part.left, part.top,
                              plat::Sub32(part.right, part.left),
                              plat::Sub32(part.bottom, part.top));
}

void cSprite::RecordDraw(std::int32_t lX, std::int32_t lY, std::int32_t lCell) {
  m_lPreviousX = m_lDrawX;
  m_lPreviousY = m_lDrawY;
  m_lDrawX = lX;
  m_lDrawY = lY;
  m_lCell = lCell;
}

void cSprite::SpriteData(std::shared_ptr<cSpriteBitmaps> cSpriteData) {
  m_cSpriteData = std::move(cSpriteData);
  const cSpriteBitmaps& sheet = Sheet();
  m_lWidth = sheet.CellWidth();
  m_lHeight = sheet.CellHeight();
}

void cSprite::ReleaseBackground() {
  mGDI::DeleteDCBitmap(m_hBackDC, m_hBackBmp, m_hBackBmpOld);
  m_bBackStored = false;
}

cSpriteBitmaps& cSprite::Sheet() const {
  if (!m_cSpriteData) plat::Raise(plat::ErrorKind::ObjectNotSet);
  return *m_cSpriteData;
}
