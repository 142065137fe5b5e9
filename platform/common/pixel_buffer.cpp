// What a pixel buffer gives back, the same on every system.
#include "platform/image.h"

namespace plat {

void PixelBuffer::Release() {
  if (m_dc) {
    if (m_old) win::SelectObject(m_dc, m_old);
    win::DeleteDC(m_dc);
  }
  if (m_bitmap) win::DeleteObject(m_bitmap);
  m_dc = nullptr;
  m_bitmap = nullptr;
  m_old = nullptr;
  m_bits = nullptr;
  m_stride = 0;
  m_width = m_height = 0;
}

}  // namespace plat
