#include "saver/gfx/mgdi.h"

#include "platform/forms.h"

namespace mGDI {

namespace {

// The desktop window's DC, fetched only when the screen is the reference.
class ScreenReference {
 public:
  explicit ScreenReference(bool bUseMemDC) {
    if (!bUseMemDC) {
      hWnd_ = win::GetDesktopWindow();
      hDC_ = win::GetDC(hWnd_);
    }
  }
  ~ScreenReference() {
    if (hDC_ != nullptr) win::ReleaseDC(hWnd_, hDC_);
  }
  ScreenReference(const ScreenReference&) = delete;
  ScreenReference& operator=(const ScreenReference&) = delete;
  win::HDC hDC() const { return hDC_; }

 private:
  win::HWND hWnd_ = nullptr;
  win::HDC hDC_ = nullptr;
};

}  // namespace

bool CreateDCAtSize(bool bUseMemDC, win::HDC& hDC, win::HBITMAP& hBmp, win::HGDIOBJ& hBmpOld,
                    std::int32_t lWidth, std::int32_t lHeight) {
  hDC = nullptr;
  hBmp = nullptr;
  hBmpOld = nullptr;
  bool bResult = false;
  ScreenReference screen(bUseMemDC);
  win::HDC hRef = screen.hDC();
  hDC = win::CreateCompatibleDC(hRef);
  if (bUseMemDC) hRef = hDC;
  if (hDC != nullptr) {
    hBmp = win::CreateCompatibleBitmap(hRef, lWidth, lHeight);
    if (hBmp != nullptr) {
      hBmpOld = win::SelectObject(hDC, hBmp);
      bResult = true;
    }
  }
  return bResult;
}

bool CreateDCFromFile(bool bUseMemDC, const std::string& sFileName, win::HDC& hDC,
                      win::HBITMAP& hBmp, win::HGDIOBJ& hBmpOld) {
  hDC = nullptr;
  hBmp = nullptr;
  hBmpOld = nullptr;
  hBmp = static_cast<win::HBITMAP>(
      win::LoadImageA(nullptr, sFileName.c_str(), win::IMAGE_BITMAP, 0, 0, win::LR_LOADFROMFILE));
  if (hBmp == nullptr) return false;
  bool bResult = false;
  ScreenReference screen(bUseMemDC);
  hDC = win::CreateCompatibleDC(screen.hDC());
  if (hDC != nullptr) {
    hBmpOld = win::SelectObject(hDC, hBmp);
    bResult = true;
  } else {
    // No release path would ever free a loaded bitmap without a DC.
    win::DeleteObject(hBmp);
    hBmp = nullptr;
  }
  return bResult;
}

bool CreateDCFromPicture(bool bUseMemDC, const forms::Picture& picThis, win::HDC& hDC,
                         win::HBITMAP& hBmp, win::HGDIOBJ& hBmpOld) {
  hDC = nullptr;
  hBmp = nullptr;
  hBmpOld = nullptr;
  bool bResult = false;
  ScreenReference screen(bUseMemDC);
  win::HDC hRef = screen.hDC();
  win::HDC hTempDC = win::CreateCompatibleDC(hRef);
  if (bUseMemDC) hRef = hTempDC;
  if (hTempDC != nullptr) {
    win::HBITMAP hPicBmp = picThis.Handle();
    win::HGDIOBJ hTempOld = nullptr;
    if (hPicBmp != nullptr) hTempOld = win::SelectObject(hTempDC, hPicBmp);
    hDC = win::CreateCompatibleDC(hRef);
    if (hDC != nullptr) {
      win::BITMAP bm{};
      // A picture without a bitmap (or one that could not be selected) has
      // nothing to copy: that is a failed create, not a 1 x 1 stand-in.
      if (hTempOld != nullptr && win::GetObjectA(hPicBmp, sizeof(bm), &bm) != 0) {
        hBmp = win::CreateCompatibleBitmap(hRef, bm.bmWidth, bm.bmHeight);
      }
      if (hBmp != nullptr) {
        hBmpOld = win::SelectObject(hDC, hBmp);
        win::BitBlt(hDC, 0, 0, bm.bmWidth, bm.bmHeight, hTempDC, 0, 0, win::SRCCOPY);
        bResult = true;
      }
    }
    // The picture's bitmap goes back to being free for the picture's own use.
    if (hTempOld != nullptr) win::SelectObject(hTempDC, hTempOld);
    win::DeleteObject(hTempDC);
  }
  return bResult;
}

void DeleteDCBitmap(win::HDC& hDC, win::HBITMAP& hBmp, win::HGDIOBJ hBmpOld) {
  if (hDC == nullptr) return;
  if (hBmp != nullptr) {
    win::SelectObject(hDC, hBmpOld);
    win::DeleteObject(hBmp);
    hBmp = nullptr;
  }
  win::DeleteObject(hDC);
  hDC = nullptr;
}

}  // namespace mGDI
