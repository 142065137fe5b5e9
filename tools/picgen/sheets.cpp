// The garden's sprite sheets: one row of equal cells each.
#include "pictures.h"
#include "plants.h"

namespace picgen {

namespace {

struct SheetSpec {
  int cells, cellWidth, cellHeight;
  void (*draw)(Canvas&, int stage);
};

SheetSpec SpecOf(Kind kind) {
  switch (kind) {
    case Kind::Yellow:
      return {11, 56, 84, YellowOrchidPlant};
    case Kind::Red:
      return {11, 52, 68, RedPetuniaPlant};
    case Kind::Rose:
      return {10, 48, 84, RosePlant};
    case Kind::White:
      break;
  }
  return {11, 48, 80, WhiteDaisyPlant};
}

}  // namespace

int CellCount(Kind kind) { return SpecOf(kind).cells; }

Image MakeFlowerSheet(Kind kind, Rgb lawnTone) {
  const SheetSpec spec = SpecOf(kind);
  Canvas c(spec.cells * spec.cellWidth, spec.cellHeight, 4);
  for (int i = 0; i < spec.cells; ++i) {
    c.SetOrigin(i * spec.cellWidth, 0);
    c.SetClip(i * spec.cellWidth, 0, spec.cellWidth, spec.cellHeight);
    spec.draw(c, i + 1);
  }
  return c.ResolveSprite(lawnTone);
}

Image MakeBlank() {
  // The strip that trails the tractor is drawn onto the clean lawn at every
  // step of its way, so any pixel of it that is not transparent would be
  // smeared into a line across the whole screen: it stays transparent and
  // puts the lawn back exactly as it was.
  return Image(32, 100, kKey);
}

}  // namespace picgen
