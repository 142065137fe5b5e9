#include "mailer/resources/resources.h"

#include <cstddef>
#include <cstdint>

namespace mailer_res {

// The bytes of form_icon.bmp, embedded at build time.
extern const std::uint8_t k_form_icon[];
extern const std::size_t k_form_iconSize;

const forms::Picture& FormIcon() {
  // Never freed: the form may show it until the process ends.
  static const forms::Picture& p =
      *new forms::Picture(forms::Picture::FromBmp(k_form_icon, k_form_iconSize));
  return p;
}

}  // namespace mailer_res
