#include "saver/resources/resources.h"

#include <cstddef>
#include <cstdint>

namespace saver_res {

// The bytes of the .bmp files of this folder, embedded at build time.
extern const std::uint8_t k_banner[];
extern const std::size_t k_bannerSize;
extern const std::uint8_t k_icon_yellow[];
extern const std::size_t k_icon_yellowSize;
extern const std::uint8_t k_icon_red[];
extern const std::size_t k_icon_redSize;
extern const std::uint8_t k_icon_rose[];
extern const std::size_t k_icon_roseSize;
extern const std::uint8_t k_icon_white[];
extern const std::size_t k_icon_whiteSize;
extern const std::uint8_t k_website_button[];
extern const std::size_t k_website_buttonSize;
extern const std::uint8_t k_form_icon[];
extern const std::size_t k_form_iconSize;
extern const std::uint8_t k_preview[];
extern const std::size_t k_previewSize;

namespace {

// Never freed: controls and forms may show a picture until the process ends,
// and the bitmap it owns must outlive them all.
const forms::Picture& Decode(const std::uint8_t* data, std::size_t size) {
  return *new forms::Picture(forms::Picture::FromBmp(data, size));
}

}  // namespace

const forms::Picture& Banner() {
  static const forms::Picture& p = Decode(k_banner, k_bannerSize);
  return p;
}

const forms::Picture& IconYellow() {
  static const forms::Picture& p = Decode(k_icon_yellow, k_icon_yellowSize);
  return p;
}

const forms::Picture& IconRed() {
  static const forms::Picture& p = Decode(k_icon_red, k_icon_redSize);
  return p;
}

const forms::Picture& IconRose() {
  static const forms::Picture& p = Decode(k_icon_rose, k_icon_roseSize);
  return p;
}

const forms::Picture& IconWhite() {
  static const forms::Picture& p = Decode(k_icon_white, k_icon_whiteSize);
  return p;
}

const forms::Picture& WebsiteButton() {
  static const forms::Picture& p = Decode(k_website_button, k_website_buttonSize);
  return p;
}

const forms::Picture& FormIcon() {
  static const forms::Picture& p = Decode(k_form_icon, k_form_iconSize);
  return p;
}

const forms::Picture& Preview() {
  static const forms::Picture& p = Decode(k_preview, k_previewSize);
  return p;
}

}  // namespace saver_res
