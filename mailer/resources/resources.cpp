#include "mailer/resources/resources.h"

#include <cstddef>
#include <cstdint>

namespace mailer_res {

// The bytes of form_icon.bmp and of its copy drawn at twice the size (the
// 2x folder), embedded at build time.
extern const std::uint8_t k_form_icon[];
extern const std::size_t k_form_iconSize;
namespace x2 {
extern const std::uint8_t k_form_icon[];
extern const std::size_t k_form_iconSize;
}  // namespace x2

const forms::Picture& FormIcon() {
  // Never freed: the form may show it until the process ends.
  static const forms::Picture& p =
      forms::Screen::PictureScale() == 2
          ? *new forms::Picture(forms::Picture::FromBmp(x2::k_form_icon, x2::k_form_iconSize))
          : *new forms::Picture(forms::Picture::FromBmp(k_form_icon, k_form_iconSize));
  return p;
}

}  // namespace mailer_res
