// A rectangle of pixels, shared by the GDI, the window surfaces and the X
// presenter: left and top, width and height.
#pragma once

namespace portable {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
};

}  // namespace portable
