#include "saver/gfx/ctile.h"

#include "platform/errors.h"
#include "platform/forms.h"
#include "platform/rules.h"

cTile::cTile() : m_cBitmap(std::make_shared<cBitmap>()) {}

cTile::~cTile() { ReleaseTile(); }

void cTile::TileObject() {
  if (m_objRender == nullptr) plat::Raise(plat::ErrorKind::ObjectNotSet);
  const std::int32_t lWidth =
      plat::TwipsToPixels(m_objRender->ScaleWidth(), forms::Screen::TwipsPerPixelX());
  const std::int32_t lHeight =
      plat::TwipsToPixels(m_objRender->ScaleHeight(), forms::Screen::TwipsPerPixelY());
  TileDC(m_objRender->hDC(), lWidth, lHeight);
}

void cTile::TileDC(win::HDC lHDC, std::int32_t lWidth, std::int32_t lHeight) {
  const cBitmap& image = Image();
  const std::int32_t w = image.Width();
  const std::int32_t h = image.Height();
  // No step forward: the loop would never end.
  if (w <= 0 || h <= 0) return;
  for (std::int32_t y = 0; y <= lHeight; y = plat::Add32(y, h)) {
    for (std::int32_t x = 0; x <= lWidth; x = plat::Add32(x, w)) {
      image.RenderBitmap(lHDC, x, y, win::SRCCOPY);
    }
  }
}

void cTile::Filename(const std::string& sFilename) {
  if (sFilename == m_sFilename) return;
  if (sFilename.empty()) {
    ReleaseTile();
    return;
  }
  if (!IsInitialised()) return;
  if (Image().CreateFromFile(sFilename)) m_sFilename = sFilename;
}

void cTile::Picture(const forms::Picture& oPic) {
  ReleaseTile();
  m_cBitmap = std::make_shared<cBitmap>();
  m_cBitmap->CreateFromPicture(oPic);
}

void cTile::Initialise(forms::Form* objRender) { m_objRender = objRender; }

bool cTile::IsInitialised() {
  if (m_objRender != nullptr) return true;
  ReportError(1, "Object not initialised");
  return false;
}

void cTile::ReportError(std::int32_t lCode, const std::string& sText) {
  (void)lCode;
  (void)sText;
}

void cTile::ReleaseTile() {
  m_cBitmap.reset();
  m_objRender = nullptr;
  m_sFilename.clear();
}

cBitmap& cTile::Image() const {
  if (!m_cBitmap) plat::Raise(plat::ErrorKind::ObjectNotSet);
  return *m_cBitmap;
}
