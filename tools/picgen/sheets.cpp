// The garden's sprite sheets: one row of equal cells each.
#include "pictures.h"
#include "plants.h"

namespace picgen {

namespace {

struct SheetPlan {
  int cells, cellWidth, cellHeight;
  void (*draw)(Canvas&, int stage);
};

SheetPlan PlanOf(Kind kind) {
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

int CellCount(Kind kind) { return PlanOf(kind).cells; }

Image MakeFlowerSheet(Kind kind, Rgb lawnTone, int unit) {
  const SheetPlan plan = PlanOf(kind);
  Canvas c(plan.cells * plan.cellWidth, plan.cellHeight, 4, unit);
  for (int i = 0; i < plan.cells; ++i) {
    c.SetOrigin(i * plan.cellWidth, 0);
    c.SetClip(i * plan.cellWidth, 0, plan.cellWidth, plan.cellHeight);
    plan.draw(c, i + 1);
  }
  return c.ResolveSprite(lawnTone);
}

Image MakeBlank(int unit) {
  // The strip that trails the tractor is drawn onto the clean lawn at every
  // step of its way, so any pixel of it that is not transparent would be
  // smeared into a line across the whole screen: it stays transparent and
  // puts the lawn back exactly as it was.
  return Image(32 * unit, 100 * unit, kKey);
}

}  // namespace picgen
