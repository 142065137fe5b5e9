// A background image repeated edge to edge from the top-left corner over a
// device context, or over the whole client area of its render form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/winapi.h"
#include "saver/gfx/cbitmap.h"

namespace forms {
class Form;
class Picture;
}  // namespace forms

class cTile {
 public:
  cTile();
  ~cTile();
  cTile(const cTile&) = delete;
  cTile& operator=(const cTile&) = delete;

  // Tiles the render form's client area (its twips size in pixels) on its
  // DC. Without a render form: ObjectNotSet.
  void TileObject();
  // Places the image at every multiple of its size with x <= lWidth and
  // y <= lHeight (bounds inclusive). An image without area draws nothing.
  void TileDC(win::HDC lHDC, std::int32_t lWidth, std::int32_t lHeight);
  // Loads the tile image once per name (only after Initialise); "" resets
  // the tile, dropping the image object, the render form and the name.
  void Filename(const std::string& sFilename);
  // Resets the tile, then takes a fresh image from the picture.
  void Picture(const forms::Picture& oPic);
  void Initialise(forms::Form* objRender);

 private:
  bool IsInitialised();
  // Diagnostic hook: silent by design.
  void ReportError(std::int32_t lCode, const std::string& sText);
  void ReleaseTile();
  cBitmap& Image() const;

  std::string m_sFilename;
  std::shared_ptr<cBitmap> m_cBitmap;
  forms::Form* m_objRender = nullptr;
};
