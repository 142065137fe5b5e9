#include "saver/resources/resources.h"

#include <cstddef>
#include <cstdint>

namespace saver_res {

// The bytes of the .bmp files of this folder and of its 2x folder (the same
// pictures drawn at twice the size), embedded at build time.
#define SAVER_RES_PICTURE(name)            \
  extern const std::uint8_t k_##name[];    \
  extern const std::size_t k_##name##Size; \
  namespace x2 {                           \
  extern const std::uint8_t k_##name[];    \
  extern const std::size_t k_##name##Size; \
  }
SAVER_RES_PICTURE(banner)
SAVER_RES_PICTURE(icon_yellow)
SAVER_RES_PICTURE(icon_red)
SAVER_RES_PICTURE(icon_rose)
SAVER_RES_PICTURE(icon_white)
SAVER_RES_PICTURE(website_button)
SAVER_RES_PICTURE(form_icon)
#undef SAVER_RES_PICTURE
extern const std::uint8_t k_preview[];
extern const std::size_t k_previewSize;

namespace {

// Never freed: controls and forms may show a picture until the process ends,
// and the bitmap it owns must outlive them all.
const forms::Picture& Decode(const std::uint8_t* data, std::size_t size) {
  return *new forms::Picture(forms::Picture::FromBmp(data, size));
}

// The screen's scale is the one the program started with: the choice is
// made once per picture.
const forms::Picture& AtScale(const std::uint8_t* one, std::size_t oneSize, const std::uint8_t* two,
                              std::size_t twoSize) {
  return forms::Screen::PictureScale() == 2 ? Decode(two, twoSize) : Decode(one, oneSize);
}

}  // namespace

#define SAVER_RES_AT_SCALE(fn, name)                                         \
  const forms::Picture& fn() {                                               \
    static const forms::Picture& p =                                         \
        AtScale(k_##name, k_##name##Size, x2::k_##name, x2::k_##name##Size); \
    return p;                                                                \
  }
SAVER_RES_AT_SCALE(Banner, banner)
SAVER_RES_AT_SCALE(IconYellow, icon_yellow)
SAVER_RES_AT_SCALE(IconRed, icon_red)
SAVER_RES_AT_SCALE(IconRose, icon_rose)
SAVER_RES_AT_SCALE(IconWhite, icon_white)
SAVER_RES_AT_SCALE(WebsiteButton, website_button)
SAVER_RES_AT_SCALE(FormIcon, form_icon)
#undef SAVER_RES_AT_SCALE

const forms::Picture& Preview() {
  static const forms::Picture& p = Decode(k_preview, k_previewSize);
  return p;
}

}  // namespace saver_res
