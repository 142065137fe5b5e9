// The name on the lawn, in the bottom-left corner of the show.
#include "font.h"
#include "pictures.h"
#include "plants.h"

namespace picgen {

TextStyle NameStyle(double cap, double top) {
  TextStyle s;
  s.cap = cap;
  s.weight = cap * 0.2;
  s.tracking = 0.9;
  s.slant = 0.12;
  s.fill = Linear({0, top}, Hex(0xFFFCEC), {0, top + cap * 1.15}, Hex(0xF6CE5A));
  s.outline = Hex(0x143A12);
  s.outlineWidth = cap * 0.065;
  s.shadow = {cap * 0.05, cap * 0.07};
  return s;
}

Image MakeLogo(Rgb lawnTone, int unit) {
  const TextStyle name = NameStyle(34, 9);
  const double end = 7 + TextWidth("Tamarel", name) + name.cap * name.slant;
  // Room for a little bouquet after the name: a daisy over a red petunia.
  Canvas c(static_cast<int>(end) + 32, 56, 4, unit);
  DrawText(c, "Tamarel", 7, 9, name);
  PetuniaHead(c, {end + 21, 40}, 8, 1, 10);
  DaisyHead(c, {end + 14, 25}, 13, 1, 4);
  return c.ResolveSprite(lawnTone);
}

}  // namespace picgen
