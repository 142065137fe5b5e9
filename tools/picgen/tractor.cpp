// The tractor: six cells of a small red tractor driving to the right, its
// wheels turning from cell to cell and its exhaust puffing.
#include <cmath>

#include "pictures.h"
#include "plants.h"

namespace picgen {

namespace {

constexpr int kCells = 6, kCellWidth = 128, kCellHeight = 100;

const Rgb kRed = Hex(0xCC2A1E), kRedLight = Hex(0xF0604A), kRedDark = Hex(0x8A160E),
          kRedEdge = Hex(0x400804);
const Rgb kRubber = Hex(0x2C2C30), kRubberLight = Hex(0x4A4A50), kRubberEdge = Hex(0x101012);
const Rgb kRim = Hex(0xF4C02A), kRimDark = Hex(0xB88010), kRimEdge = Hex(0x5A3A04);
const Rgb kSteel = Hex(0x5A5E66), kSteelLight = Hex(0xA8AEB6), kSteelEdge = Hex(0x1E2024);

// A wheel turned by `turn` degrees: tyre with tread lugs, a yellow rim with
// holes between its spokes, a hub with bolts.
void Wheel(Canvas& c, Pt o, double radius, double rimRadius, int lugs, int holes, double turn) {
  for (int k = 0; k < lugs; ++k) {
    const double a = turn + 360.0 * k / lugs;
    c.Taper(o + Polar(a, radius - 3), 1.9, o + Polar(a, radius - 1.1), 1.5, Solid(kRubberEdge));
  }
  c.Circle(o, radius - 1.6, Solid(kRubberEdge));
  c.Circle(o, radius - 2.4, Radial(o, radius - 2.4, kRubber, kRubberLight));
  for (int k = 0; k < lugs; ++k) {
    const double a = turn + 360.0 * k / lugs;
    c.Taper(o + Polar(a, radius - 3), 1.2, o + Polar(a, radius - 1.6), 0.9, Solid(kRubberLight));
  }
  c.Ring(o, rimRadius + 0.5, rimRadius + 2.2, Solid(Hex(0x1C1C20)));
  c.Circle(o, rimRadius + 0.5, Solid(kRimEdge));
  c.Circle(o, rimRadius,
           Radial(o + Pt{-rimRadius * 0.3, -rimRadius * 0.3}, rimRadius * 1.4, Lighten(kRim, 0.35),
                  kRimDark));
  for (int k = 0; k < holes; ++k) {
    const double a = turn + 360.0 * k / holes + 180.0 / holes;
    OutlinedEllipse(c, o + Polar(a, rimRadius * 0.58), rimRadius * 0.26, rimRadius * 0.18, a,
                    Solid(Hex(0x24242A)), kRimEdge, 0.5);
  }
  c.Circle(o, rimRadius * 0.34 + 0.6, Solid(kRimEdge));
  c.Circle(o, rimRadius * 0.34, Radial(o, rimRadius * 0.34, kSteelLight, kSteel));
  for (int k = 0; k < holes; ++k)
    c.Circle(o + Polar(turn + 360.0 * k / holes, rimRadius * 0.22), 0.55, Solid(kSteelEdge));
}

void Box(Canvas& c, const std::vector<Pt>& pts, Rgb top, Rgb bottom, Rgb edge) {
  double y0 = pts[0].y, y1 = y0;
  for (Pt p : pts) {
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  OutlinedPolygon(c, pts, Linear({0, y0}, top, {0, y1}, bottom), edge, 0.8);
}

void TractorCell(Canvas& c, int cell) {
  const int step = cell - 1;
  // Canopy on two posts.
  c.Stroke({{24, 46}, {25, 11}}, 1.8, 1.6, Solid(kSteelEdge));
  c.Stroke({{24, 46}, {25, 11}}, 1.1, 1.0, Linear({22, 0}, kSteelLight, {27, 0}, kSteel));
  c.Stroke({{59, 48}, {58, 11}}, 1.8, 1.6, Solid(kSteelEdge));
  c.Stroke({{59, 48}, {58, 11}}, 1.1, 1.0, Linear({57, 0}, kSteelLight, {61, 0}, kSteel));
  Box(c, {{16, 11}, {18, 6}, {66, 6}, {68, 11}, {68, 13}, {16, 13}}, kRedLight, kRedDark, kRedEdge);
  c.Rect(18, 8.6, 66, 9.8, Solid(Hex(0xFFF4E0)));
  // The driver in a straw hat, hands on the wheel.
  Box(c, {{30, 40}, {33, 27}, {46, 27}, {48, 40}, {46, 46}, {31, 46}}, Hex(0x4A78C8), Hex(0x2A4A8A),
      Hex(0x101C38));
  c.Stroke({{44, 31}, {50, 36}, {54, 34}}, 2.6, 2.2, Solid(Hex(0x101C38)));
  c.Stroke({{44, 31}, {50, 36}, {54, 34}}, 1.8, 1.4, Solid(Hex(0x3A64B0)));
  OutlinedEllipse(c, {40, 22}, 4.8, 5.2, 0, Radial({41, 21}, 6, Hex(0xF6D0A8), Hex(0xD89A70)),
                  Hex(0x6A3A1A), 0.7);
  c.Circle({44.2, 21.5}, 0.7, Solid(Hex(0x2A1A10)));
  OutlinedEllipse(c, {40.5, 18}, 8.5, 2, -4, Solid(Hex(0xE8C86A)), Hex(0x7A5A1A), 0.7);
  OutlinedEllipse(c, {40, 15.2}, 4.6, 3.6, 0,
                  Linear({0, 12}, Hex(0xF4DA84), {0, 18}, Hex(0xC8A04A)), Hex(0x7A5A1A), 0.7);
  c.Rect(35.6, 16.2, 44.4, 17.6, Solid(Hex(0xC83A2A)));
  // Seat and steering.
  Box(c, {{26, 44}, {48, 44}, {48, 50}, {26, 50}}, Hex(0x3A3A40), Hex(0x1E1E22), kSteelEdge);
  Box(c, {{24, 32}, {28, 32}, {29, 46}, {25, 46}}, Hex(0x3A3A40), Hex(0x1E1E22), kSteelEdge);
  c.Stroke({{60, 50}, {55, 35}}, 1.4, 1.2, Solid(kSteelEdge));
  OutlinedEllipse(c, {55, 34}, 5, 1.6, -20, Solid(Hex(0x2A2A2E)), kSteelEdge, 0.6);
  // Exhaust pipe.
  c.Stroke({{94, 52}, {94, 30}}, 2.2, 2.2, Solid(kSteelEdge));
  c.Stroke({{94, 52}, {94, 30}}, 1.4, 1.4, Linear({92.5, 0}, kSteelLight, {95.5, 0}, kSteel));
  c.Rect(91.6, 28.5, 96.4, 31, Solid(kSteelEdge));
  // Bonnet, sloping a little toward the front, with a grille and a lamp.
  Box(c, {{56, 50}, {60, 47}, {116, 51}, {121, 55}, {121, 78}, {56, 78}}, kRedLight, kRedDark,
      kRedEdge);
  c.Stroke({{62, 50}, {114, 53.5}}, 0.8, 0.8, Solid(Lighten(kRedLight, 0.4)));
  for (int i = 0; i < 3; ++i)
    c.Stroke({{70.0 + i * 7, 58}, {70.0 + i * 7, 70}}, 1.1, 1.1, Solid(kRedEdge));
  Box(c, {{117, 56}, {122, 56}, {122, 77}, {117, 77}}, Hex(0x50545A), Hex(0x2A2C30), kSteelEdge);
  for (int i = 0; i < 5; ++i)
    c.Rect(117.5, 58.5 + i * 3.8, 121.5, 59.6 + i * 3.8, Solid(kSteelLight));
  OutlinedEllipse(c, {113, 56.5}, 2.6, 2.2, 0,
                  Radial({112.4, 55.8}, 3, Hex(0xFFFBE0), Hex(0xF4C84A)), kRedEdge, 0.6);
  // Frame and the mower deck between the wheels.
  Box(c, {{52, 76}, {114, 76}, {114, 82}, {52, 82}}, Hex(0x4A4E56), Hex(0x2A2C32), kSteelEdge);
  Box(c, {{60, 86}, {92, 86}, {95, 94}, {57, 94}}, Hex(0x5A5E66), Hex(0x34373E), kSteelEdge);
  c.Rect(58.5, 89, 93.5, 90.6, Solid(kRim));
  c.Stroke({{66, 82}, {66, 86}}, 1, 1, Solid(kSteelEdge));
  c.Stroke({{86, 82}, {86, 86}}, 1, 1, Solid(kSteelEdge));
  // Fender over the big wheel.
  const auto fender = Arc({35, 71}, 31, 31, 192, 338, 24);
  c.Stroke(fender, 4.4, 4.4, Solid(kRedEdge));
  c.Stroke(fender, 3.6, 3.6, Radial({35, 71}, 34.6, kRedDark, kRedLight));
  // Wheels: the small front one turns faster; each pattern comes back
  // after six cells.
  Wheel(c, {35, 71}, 28.6, 15, 20, 5, 12.0 * step);
  Wheel(c, {104, 84}, 15.6, 8, 16, 4, 15.0 * step);
  // Puffs of smoke drifting back as they rise.
  for (int k = 0; k < 3; ++k) {
    const double age = (step + 6.0 * k) / 18.0;  // 0 .. 1 over three cycles
    const Pt at{93 - 14 * age, 25 - 20 * age};
    const double r = 1.8 + 3.2 * age;
    OutlinedEllipse(c, at, r, r * 0.85, 0,
                    Radial(at + Pt{-r * 0.3, -r * 0.3}, r * 1.4, Hex(0xF4F4F0), Hex(0xB8BCBC)),
                    Hex(0x7A7E80), 0.6);
  }
}

}  // namespace

Image MakeTractor(Rgb lawnTone, int unit) {
  Canvas c(kCells * kCellWidth, kCellHeight, 4, unit);
  for (int i = 0; i < kCells; ++i) {
    c.SetOrigin(i * kCellWidth, 0);
    c.SetClip(i * kCellWidth, 0, kCellWidth, kCellHeight);
    TractorCell(c, i + 1);
  }
  return c.ResolveSprite(lawnTone);
}

}  // namespace picgen
