// Memory device contexts with a bitmap selected into them: the unit of pixel
// storage of the drawing toolkit.
//
// Each procedure fills a DC triple (the memory DC, the bitmap selected into
// it, the bitmap the DC held before) through its reference arguments. The
// first argument chooses the reference device: false = the screen's DC (the
// new bitmap has display format); true = no screen DC, the procedure's own
// memory DC is the reference (a fresh memory DC holds a 1 x 1 monochrome
// bitmap, so CreateDCAtSize makes a 1-bit bitmap).
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi.h"

namespace forms {
class Picture;
}

namespace mGDI {

// A memory DC with a new width x height bitmap selected into it. A DC made
// before the bitmap failed stays in hDC; DeleteDCBitmap frees it.
bool CreateDCAtSize(bool bUseMemDC, win::HDC& hDC, win::HBITMAP& hBmp, win::HGDIOBJ& hBmpOld,
                    std::int32_t lWidth, std::int32_t lHeight);

// A memory DC holding the bitmap loaded from a .bmp file at its own size.
bool CreateDCFromFile(bool bUseMemDC, const std::string& sFileName, win::HDC& hDC,
                      win::HBITMAP& hBmp, win::HGDIOBJ& hBmpOld);

// A memory DC holding a copy of the picture's bitmap; the picture keeps its
// own bitmap unchanged.
bool CreateDCFromPicture(bool bUseMemDC, const forms::Picture& picThis, win::HDC& hDC,
                         win::HBITMAP& hBmp, win::HGDIOBJ& hBmpOld);

// Frees a triple: the previous bitmap goes back into the DC, then the bitmap
// and the DC are deleted and zeroed. An empty triple (hDC 0) is left alone.
void DeleteDCBitmap(win::HDC& hDC, win::HBITMAP& hBmp, win::HGDIOBJ hBmpOld);

}  // namespace mGDI
