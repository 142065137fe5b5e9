// libFuzzer target: the .bmp decoder behind LoadImageA and the programs'
// pictures. Any input must be refused or decoded into a picture of the size
// it reports, within the decoder's limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/image.h"
#include "platform/common/bmp_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plat::Image img;
  const bool ok = plat::DecodeBmp(data, size, img);
  const bool mono = plat::BmpIsMonochrome(data, size);
  if (ok) {
    if (img.width <= 0 || img.height <= 0 || img.width > plat::kMaxImageSide ||
        img.height > plat::kMaxImageSide ||
        img.px.size() != static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height))
      std::abort();
    for (std::uint32_t p : img.px)
      if (p > 0x00FFFFFF) std::abort();
    // A black-and-white file decodes to black and white only.
    if (mono)
      for (std::uint32_t p : img.px)
        if (p != 0 && p != 0x00FFFFFF) std::abort();
  } else if (img.width != 0 || img.height != 0 || !img.px.empty()) {
    std::abort();
  }
  return 0;
}
