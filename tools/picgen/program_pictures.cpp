// The pictures the two programs hold themselves: the settings dialog's
// banner, flower icons and button picture, the preview and the form icons.
// They reuse the garden's flowers so the dialog shows the flowers of the show.
#include <cmath>

#include "font.h"
#include "pictures.h"
#include "plants.h"

namespace picgen {

namespace {

const Rgb kWhite{255, 255, 255};
const Rgb kButtonFace = Hex(0xF0F0F0);

// The lawn's pixels as a fill, repeated; the lawn is made at `unit`.
Fill LawnFill(const Image& lawn, int dy, int unit) {
  return [&lawn, dy, unit](double x, double y) {
    const int ix = static_cast<int>(std::floor(x * unit)),
              iy = static_cast<int>(std::floor(y * unit)) + dy * unit;
    const Pixel& p = lawn.At(((ix % lawn.w) + lawn.w) % lawn.w, ((iy % lawn.h) + lawn.h) % lawn.h);
    return Rgb{static_cast<double>(p.r), static_cast<double>(p.g), static_cast<double>(p.b)};
  };
}

}  // namespace

Image MakeBanner(const Image& lawn, int unit) {
  constexpr int kW = 228, kH = 91;
  Canvas c(kW, kH, 4, unit);
  // Sky fading to white over a band of lawn.
  c.Rect(0, 0, kW, kH, Linear({0, 0}, Hex(0xA8D4F2), {0, 62}, Hex(0xF4FAFF)));
  const Fill grass = LawnFill(lawn, 30, unit);
  c.Rect(0, 76, kW, kH, grass);
  // A gently rounded edge of the lawn.
  c.Paint(
      0, 68, kW, 78,
      [](double x, double y) { return y >= 74 - 2.5 * SinD(x * 1.6) - 1.5 * SinD(x * 4.1 + 30); },
      grass);
  // Plants of the show, at two thirds of their size, standing on the lawn.
  const double k = 0.62;
  c.SetOrigin(-2, 88 - 84 * k, k);
  YellowOrchidPlant(c, 11);
  c.SetOrigin(28, 88 - 68 * k, k);
  RedPetuniaPlant(c, 11);
  c.SetOrigin(kW - 62, 88 - 84 * k, k);
  RosePlant(c, 10);
  c.SetOrigin(kW - 32, 89 - 80 * k, k);
  WhiteDaisyPlant(c, 11);
  c.SetOrigin(0, 0);
  // The name, and what it is.
  const TextStyle name = NameStyle(30, 7);
  DrawText(c, "Tamarel", (kW - TextWidth("Tamarel", name)) / 2 - 2, 7, name);
  TextStyle sub;
  sub.cap = 10;
  sub.weight = 1.8;
  sub.tracking = 1.3;
  sub.fill = Solid(Hex(0x1E4E9A));
  sub.outline = kWhite;
  sub.outlineWidth = 1.2;
  DrawText(c, "Screen Saver", (kW - TextWidth("Screen Saver", sub)) / 2, 50, sub);
  return c.ResolveOpaque(kWhite);
}

Image MakeFlowerIcon(Kind kind, int unit) {
  switch (kind) {
    case Kind::Yellow: {
      Canvas c(21, 19, 4, unit);
      OrchidHead(c, {10.5, 9.2}, 20.5, 1);
      return c.ResolveOpaque(kWhite);
    }
    case Kind::Red: {
      Canvas c(22, 21, 4, unit);
      PetuniaHead(c, {11, 10.5}, 9.6, 1, 0);
      return c.ResolveOpaque(kWhite);
    }
    case Kind::Rose: {
      Canvas c(18, 21, 4, unit);
      Stem(c, {{9, 21}, {9, 14}}, 0.9, Hex(0x3F7A2A), Hex(0x1A3A12));
      RoseHead(c, {9, 8.6}, 8.6, 1);
      return c.ResolveOpaque(kWhite);
    }
    case Kind::White:
      break;
  }
  Canvas c(22, 20, 4, unit);
  DaisyHead(c, {11, 10}, 10.4, 1, 5);
  return c.ResolveOpaque(kWhite);
}

Image MakeWebsiteButton(int unit) {
  constexpr int kW = 102, kH = 17;
  Canvas c(kW, kH, 4, unit);
  c.Rect(0, 0, kW, kH, Solid(kButtonFace));
  DaisyHead(c, {8.5, 8.5}, 8.2, 1, 5);
  TextStyle s;
  s.cap = 9;
  s.weight = 1.3;
  s.tracking = 0.7;
  s.fill = Solid(Hex(0x1A3C96));
  const char* text = "Visit our web site";
  while (TextWidth(text, s) > kW - 19) s.cap -= 0.25;
  DrawText(c, text, 18, (kH - s.cap) / 2 - 0.5, s);
  // Underlined as a link.
  c.Rect(18.5, kH - 2.6, 18.5 + TextWidth(text, s) - 1, kH - 1.6, Solid(Hex(0x6A86C8)));
  return c.ResolveOpaque(kButtonFace);
}

namespace {

// Three flower heads of the show over two leaves, on a 32-unit grid.
void SaverIconArt(Canvas& c) {
  Leaf(c, {16, 31}, {2, 22}, 7, -1, Hex(0x3E8A36), Hex(0x123A12));
  Leaf(c, {16, 31}, {30, 21}, 7, 1, Hex(0x3E8A36), Hex(0x123A12));
  OrchidHead(c, {9.5, 10}, 17, 1);
  PetuniaHead(c, {22.5, 11}, 8.6, 1, 8);
  DaisyHead(c, {15.5, 21.5}, 10, 1, 5);
}

// An envelope with a red flower on its corner.
void MailerIconArt(Canvas& c) {
  const Rgb paper = Hex(0xFFFBF0), fold = Hex(0xE8E0CC), edge = Hex(0x5A5448);
  OutlinedPolygon(c, {{2, 9}, {28, 9}, {28, 28}, {2, 28}}, Linear({0, 9}, paper, {0, 28}, fold),
                  edge, 0.9);
  c.Stroke({{2.6, 27.4}, {15, 17.5}, {27.4, 27.4}}, 0.6, 0.6, Solid(Hex(0xB8B0A0)));
  OutlinedPolygon(c, {{2, 9}, {28, 9}, {15, 20}}, Linear({0, 9}, Hex(0xF4EEDC), {0, 20}, fold),
                  edge, 0.8);
  Leaf(c, {25, 12}, {31, 19}, 5, 1, Hex(0x3E8A36), Hex(0x123A12));
  PetuniaHead(c, {24.5, 8}, 7.4, 1, 10);
}

Image IconFrom(void (*art)(Canvas&), int size, bool alpha) {
  Canvas c(size, size, size >= 32 ? 4 : 6);
  c.SetOrigin(0, 0, size / 32.0);
  art(c);
  return alpha ? c.ResolveAlpha() : c.ResolveOpaque(kWhite);
}

}  // namespace

Image MakeSaverIcon(int size, bool alpha) { return IconFrom(SaverIconArt, size, alpha); }
Image MakeMailerIcon(int size, bool alpha) { return IconFrom(MailerIconArt, size, alpha); }

Image MakePreview() {
  constexpr int kW = 151, kH = 119;
  Canvas c(kW, kH, 4);
  c.Rect(0, 0, kW, kH, Solid(kWhite));
  // Leaves behind the three heads.
  const Rgb leaf = Hex(0x3E8A36), leafEdge = Hex(0x123A12);
  Leaf(c, {40, 78}, {10, 66}, 12, -2, leaf, leafEdge);
  Leaf(c, {75, 82}, {58, 58}, 11, 2, leaf, leafEdge);
  Leaf(c, {75, 82}, {96, 60}, 11, -2, leaf, leafEdge);
  Leaf(c, {110, 78}, {142, 66}, 12, 2, leaf, leafEdge);
  // A red, a white and a yellow flower head.
  PetuniaHead(c, {32, 46}, 21, 1, 6);
  OrchidHead(c, {118, 45}, 42, 1);
  DaisyHead(c, {75, 40}, 33, 1, 5);
  // The maker's line under them.
  c.Rect(14, 90, kW - 14, 91, Solid(Hex(0x9CC48C)));
  TextStyle s;
  s.cap = 11;
  s.weight = 1.7;
  s.tracking = 1.0;
  s.fill = Solid(Hex(0x245A22));
  const char* text = "Ovin Software";
  DrawText(c, text, (kW - TextWidth(text, s)) / 2, 98, s);
  return c.ResolveOpaque(kWhite);
}

}  // namespace picgen
