#include "plants.h"

#include <algorithm>
#include <cmath>

namespace picgen {

namespace {

// Greens of the plants: each kind a shade of its own, darker or bluer than
// the lawn so the plants stand out on it, with a dark edge.
const Rgb kOrchidLeaf = Hex(0x2F7A3A), kOrchidEdge = Hex(0x0F3318);
const Rgb kPetuniaLeaf = Hex(0x5E9E32), kPetuniaEdge = Hex(0x24461A);
const Rgb kRoseLeaf = Hex(0x2C6E2C), kRoseEdge = Hex(0x123312);
const Rgb kDaisyLeaf = Hex(0x4E8E36), kDaisyEdge = Hex(0x1B3E14);
const Rgb kStem = Hex(0x4A8A2E), kStemEdge = Hex(0x1A3A12);

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// Part of a growth run: 0 before stage a, 1 from stage b on.
double Ramp(int stage, double a, double b) { return Clamp01((stage - a) / (b - a)); }

std::vector<Pt> Part(const std::vector<Pt>& pts, double grown) {
  const std::size_t n = std::max<std::size_t>(
      2, static_cast<std::size_t>(std::floor(grown * (pts.size() - 1) + 0.5)) + 1);
  return std::vector<Pt>(pts.begin(),
                         pts.begin() + static_cast<std::ptrdiff_t>(std::min(n, pts.size())));
}

// Petal fill: light at the heart, full colour at the middle, deeper at the rim.
Fill Petal(Pt centre, double r, Rgb heart, Rgb body, Rgb rim) {
  return [=](double x, double y) {
    const double t = Length(Pt{x, y} - centre) / r;
    return t < 0.55 ? Mix(heart, body, t / 0.55) : Mix(body, rim, Clamp01((t - 0.55) / 0.45));
  };
}

}  // namespace

void OutlinedEllipse(Canvas& c, Pt centre, double rx, double ry, double degrees, const Fill& fill,
                     Rgb edge, double width) {
  c.Ellipse(centre, rx + width, ry + width, degrees, Solid(edge));
  c.Ellipse(centre, rx, ry, degrees, fill);
}

void OutlinedPolygon(Canvas& c, const std::vector<Pt>& pts, const Fill& fill, Rgb edge,
                     double width) {
  std::vector<Pt> ring = pts;
  ring.push_back(pts.front());
  c.Stroke(ring, width, width, Solid(edge));
  c.Polygon(pts, fill);
}

std::vector<Pt> LeafShape(Pt base, Pt tip, double width, double bend) {
  const Pt d = tip - base;
  const double len = Length(d);
  const Pt n{d.y / len, -d.x / len};
  constexpr int kSteps = 14;
  std::vector<Pt> left, right;
  for (int i = 0; i <= kSteps; ++i) {
    const double t = static_cast<double>(i) / kSteps;
    const Pt axis = Lerp(base, tip, t) + n * (bend * SinD(180 * t));
    const double hw = width / 2 * SinD(180 * t) * (1.1 - 0.35 * t);
    left.push_back(axis + n * hw);
    right.push_back(axis - n * hw);
  }
  std::vector<Pt> out(left.begin(), left.end());
  out.insert(out.end(), right.rbegin() + 1, right.rend() - 1);
  return out;
}

void Leaf(Canvas& c, Pt base, Pt tip, double width, double bend, Rgb colour, Rgb edge) {
  const auto shape = LeafShape(base, tip, width, bend);
  OutlinedPolygon(c, shape, Linear(base, Scale(colour, 0.78), tip, Lighten(colour, 0.18)), edge,
                  0.75);
  if (width >= 4.5) {
    const Pt d = tip - base;
    const double len = Length(d);
    const Pt n{d.y / len, -d.x / len};
    std::vector<Pt> rib;
    for (int i = 1; i <= 10; ++i) {
      const double t = 0.08 + 0.7 * i / 10.0;
      rib.push_back(Lerp(base, tip, t) + n * (bend * SinD(180 * t)));
    }
    c.Stroke(rib, 0.4, 0.2, Solid(Lighten(colour, 0.3)));
  }
}

void Stem(Canvas& c, const std::vector<Pt>& pts, double radius, Rgb colour, Rgb edge,
          double grown) {
  if (grown <= 0) return;
  const auto part = Part(pts, grown);
  c.Stroke(part, radius + 0.7, radius + 0.55, Solid(edge));
  c.Stroke(part, radius, radius * 0.8, Solid(colour));
}

// ---- yellow orchid ----------------------------------------------------------

void OrchidHead(Canvas& c, Pt o, double size, double open) {
  const double s = size * (0.6 + 0.4 * Clamp01(open));
  const Rgb heart = Hex(0xFFF2A0), body = Hex(0xFCD22A), rim = Hex(0xE8A812);
  const Rgb edge = Hex(0x8A5A08);
  const double ow = 0.7;
  const Fill petal = Petal(o, s * 0.55, heart, body, rim);
  // Sepals behind: one up, two down to the sides.
  OutlinedEllipse(c, o + Pt{0, -0.27 * s}, 0.12 * s, 0.23 * s, 0, petal, edge, ow);
  OutlinedEllipse(c, o + Rotate({0, 0.26 * s}, 38), 0.11 * s, 0.22 * s, 38, petal, edge, ow);
  OutlinedEllipse(c, o + Rotate({0, 0.26 * s}, -38), 0.11 * s, 0.22 * s, -38, petal, edge, ow);
  // The two broad petals.
  for (int side = -1; side <= 1; side += 2) {
    const Pt pc = o + Pt{side * 0.25 * s, -0.05 * s};
    OutlinedEllipse(c, pc, 0.24 * s, 0.2 * s, side * 12, petal, edge, ow);
    // Fine red-brown freckles near the heart, as yellow orchids carry them.
    for (int k = 0; k < 3; ++k) {
      const Pt dot = pc + Pt{-side * (0.06 + 0.05 * k) * s, (k - 1) * 0.06 * s};
      c.Circle(dot, std::max(0.35, 0.025 * s), Solid(Hex(0xB4461E)));
    }
  }
  // The lip: orange-red, three-lobed, with a yellow crest.
  const Rgb lip = Hex(0xE0601E), lipEdge = Hex(0x7A2A08);
  c.Circle(o + Pt{-0.1 * s, 0.14 * s}, 0.08 * s + ow, Solid(lipEdge));
  c.Circle(o + Pt{0.1 * s, 0.14 * s}, 0.08 * s + ow, Solid(lipEdge));
  c.Ellipse(o + Pt{0, 0.22 * s}, 0.12 * s + ow, 0.13 * s + ow, 0, Solid(lipEdge));
  const Fill lipFill = Radial(o + Pt{0, 0.14 * s}, 0.2 * s, Hex(0xF58A2A), lip);
  c.Circle(o + Pt{-0.1 * s, 0.14 * s}, 0.08 * s, lipFill);
  c.Circle(o + Pt{0.1 * s, 0.14 * s}, 0.08 * s, lipFill);
  c.Ellipse(o + Pt{0, 0.22 * s}, 0.12 * s, 0.13 * s, 0, lipFill);
  c.Ellipse(o + Pt{0, 0.12 * s}, 0.045 * s, 0.06 * s, 0, Solid(Hex(0xFFE040)));
  // The column, a small white knob over the lip.
  OutlinedEllipse(c, o + Pt{0, 0.0 * s}, 0.055 * s, 0.075 * s, 0, Solid(Hex(0xFFFBEA)),
                  Hex(0xA08040), 0.45);
}

void OrchidBud(Canvas& c, Pt o, double size, double ripe) {
  const Rgb colour = Mix(Hex(0x9CBC48), Hex(0xF4CC30), Clamp01(ripe));
  OutlinedEllipse(
      c, o, 0.2 * size, 0.24 * size, 0,
      Radial(o + Pt{-0.05 * size, -0.07 * size}, 0.3 * size, Lighten(colour, 0.35), colour),
      Mix(kOrchidEdge, Hex(0x8A5A08), Clamp01(ripe)), 0.7);
}

void YellowOrchidPlant(Canvas& c, int stage) {
  const Pt root{28, 83};
  // Broad, glossy leaves low at the base.
  const double leaves = Ramp(stage, 0, 5);
  Leaf(c, root + Pt{-1, -1}, root + Pt{-22 * leaves, -10 * leaves - 2}, 9.5 * leaves + 1.5,
       -2.5 * leaves, kOrchidLeaf, kOrchidEdge);
  Leaf(c, root + Pt{1, -1}, root + Pt{21 * leaves, -12 * leaves - 2}, 9.5 * leaves + 1.5,
       2.5 * leaves, kOrchidLeaf, kOrchidEdge);
  if (stage >= 3) {
    const double t = Ramp(stage, 2, 5);
    Leaf(c, root + Pt{0, -1}, root + Pt{-6 * t, -18 * t - 2}, 8 * t + 2, -1.5 * t,
         Lighten(kOrchidLeaf, 0.08), kOrchidEdge);
  }
  if (stage < 5) return;
  // The flower spike arches up and over to the right.
  const auto spike = Bezier(root + Pt{1, -4}, {25, 50}, {24, 24}, {47, 12}, 24);
  Stem(c, spike, 0.9, Hex(0x5E8A2A), kStemEdge, Ramp(stage, 4, 7));
  if (stage < 7) return;
  struct Bloom {
    double at;  // place along the spike
    Pt offset;
    double size;
    int opens;  // the stage at which it opens
  };
  const Bloom blooms[] = {{0.5, {-7, 3}, 24, 9}, {0.74, {-1, 7}, 22, 10}, {0.98, {0, 8}, 19, 11}};
  for (const Bloom& b : blooms) {
    const Pt at = spike[static_cast<std::size_t>(b.at * (spike.size() - 1))];
    const Pt head = at + b.offset;
    c.Stroke({at, Lerp(at, head, 0.8)}, 0.6, 0.5, Solid(Hex(0x5E8A2A)));
    if (stage >= b.opens)
      OrchidHead(c, head, b.size, stage == b.opens ? 0.55 : 1.0);
    else
      OrchidBud(c, at + b.offset * 0.6, b.size * (0.45 + 0.12 * (stage - 7)), (stage - 7) / 3.0);
  }
}

// ---- red petunia ----------------------------------------------------------

void PetuniaHead(Canvas& c, Pt o, double r, double open, double turn) {
  const double rr = r * (0.6 + 0.4 * Clamp01(open));
  const Rgb edge = Hex(0x6E0A16);
  const double ow = 0.8;
  // Five round lobes merged into one trumpet mouth.
  for (int k = 0; k < 5; ++k)
    c.Circle(o + Polar(-90 + 72 * k + turn, 0.42 * rr), 0.6 * rr + ow, Solid(edge));
  const Rgb throat = Hex(0xFFF0A0), deep = Hex(0xA8101C), body = Hex(0xEA3428), rim = Hex(0xF86A4C);
  const Fill fill = [=](double x, double y) {
    const double t = Length(Pt{x, y} - o) / rr;
    if (t < 0.14) return Mix(throat, Hex(0xF0C060), t / 0.14);
    if (t < 0.3) return Mix(deep, body, (t - 0.14) / 0.16);
    return Mix(body, rim, Clamp01((t - 0.3) / 0.7));
  };
  for (int k = 0; k < 5; ++k) c.Circle(o + Polar(-90 + 72 * k + turn, 0.42 * rr), 0.6 * rr, fill);
  // Dark veins from the throat into each lobe, and the creases between lobes.
  for (int k = 0; k < 5; ++k) {
    const double a = -90 + 72 * k + turn;
    c.Taper(o + Polar(a, 0.15 * rr), 0.45, o + Polar(a, 0.7 * rr), 0.15, Solid(Hex(0x8A0A1E)));
    c.Taper(o + Polar(a + 36, 0.5 * rr), 0.35, o + Polar(a + 36, 0.98 * rr), 0.2,
            Solid(Hex(0xB8182A)));
  }
  c.Circle(o, 0.13 * rr, Radial(o, 0.13 * rr, Hex(0xFFF6C0), Hex(0xF0C050)));
}

void PetuniaBud(Canvas& c, Pt base, double length, double degrees, double ripe) {
  const Pt tip = base + Polar(degrees, length);
  const Rgb colour = Mix(Hex(0x7CB040), Hex(0xD8203A), Clamp01(ripe));
  const auto shape = LeafShape(base, tip, length * 0.42, 0);
  OutlinedPolygon(c, shape, Linear(base, Scale(colour, 0.85), tip, Lighten(colour, 0.2)),
                  Mix(kPetuniaEdge, Hex(0x6E0A16), Clamp01(ripe)), 0.7);
  // Green calyx around the bud's foot.
  for (int k = -1; k <= 1; ++k) {
    const Pt p = base + Polar(degrees + k * 28, length * 0.45);
    c.Taper(base, 1.3, p, 0.3, Solid(kPetuniaEdge));
    c.Taper(base, 0.9, p, 0.15, Solid(kPetuniaLeaf));
  }
}

void RedPetuniaPlant(Canvas& c, int stage) {
  const Pt root{26, 67};
  // A soft mound of oval leaves, growing outward stage by stage.
  struct L {
    Pt base;
    double angle, length, width;
    int from;
  };
  const L leaves[] = {
      {{24, 66}, -168, 16, 10, 3}, {{28, 66}, -12, 16, 10, 3},  {{25, 66}, -140, 17, 11, 1},
      {{27, 66}, -40, 17, 11, 1},  {{25, 65}, -112, 15, 10, 2}, {{27, 65}, -68, 15, 10, 2},
      {{20, 60}, -150, 13, 9, 4},  {{32, 60}, -30, 13, 9, 4},   {{26, 62}, -92, 14, 10, 5},
      {{22, 55}, -115, 11, 8, 6},  {{30, 55}, -65, 11, 8, 6}};
  const double grow = Ramp(stage, 0, 6);
  for (const L& l : leaves) {
    if (stage < l.from) continue;
    const double t = std::min(grow, Ramp(stage, l.from - 1, l.from + 3));
    const double len = l.length * (0.35 + 0.65 * t);
    const Pt base = l.base + Pt{(l.base.x - root.x) * (t - 1) * 0.5, (l.base.y - root.y) * (t - 1)};
    Leaf(c, base, base + Polar(l.angle, len), l.width * (0.4 + 0.6 * t), l.angle < -90 ? 2 : -2,
         l.from >= 4 ? Lighten(kPetuniaLeaf, 0.12) : kPetuniaLeaf, kPetuniaEdge);
  }
  if (stage < 6) return;
  struct F {
    Pt head;
    double r, turn;
    int opens;
  };
  const F flowers[] = {{{15, 34}, 11, 8, 9}, {{37, 30}, 11.5, -10, 10}, {{26, 46}, 10, 30, 11}};
  for (const F& f : flowers) {
    if (stage >= f.opens) {
      PetuniaHead(c, f.head, f.r, stage == f.opens ? 0.7 : 1.0, f.turn);
    } else {
      const Pt base = f.head + Pt{0, f.r * 0.9};
      const double ripe = (stage - 6) / 3.0;
      PetuniaBud(c, base, 8 + 3 * (stage - 6), -90 + (f.head.x - 26) * 1.5, ripe);
    }
  }
  if (stage == 11) PetuniaBud(c, {43, 44}, 8, -60, 0.8);
}

// ---- rose ------------------------------------------------------------------

void RoseHead(Canvas& c, Pt o, double r, double open) {
  const double rr = r * (0.55 + 0.45 * Clamp01(open));
  const Rgb edge = Hex(0x5A0618);
  const Rgb deep = Hex(0x760820), body = Hex(0xB81236), rim = Hex(0xE8526C);
  const double ow = 0.7;
  // Green sepals peeking out below.
  for (int k = -1; k <= 1; k += 2)
    Leaf(c, o + Pt{0, rr * 0.5}, o + Pt{k * rr * 0.9, rr * 0.85}, rr * 0.28, k * 0.6, kRoseLeaf,
         kRoseEdge);
  // Petal layers from the outside in; each petal is deeper at its foot and
  // light at its rim, and its outline marks where it overlaps the layer below.
  const bool full = open > 0.6;
  struct Layer {
    int count;
    double dist, rx, ry, turn;
  };
  const Layer layers[] = {
      {6, 0.52, 0.5, 0.4, 0}, {5, 0.33, 0.4, 0.32, 30}, {3, 0.16, 0.3, 0.24, 75}};
  for (const Layer& l : layers) {
    if (!full && l.count == 6) continue;
    for (int k = 0; k < l.count; ++k) {
      const double a = l.turn + 360.0 * k / l.count;
      const Pt pc = o + Polar(a, l.dist * rr);
      const Pt foot = o, tip = o + Polar(a, (l.dist + l.ry) * rr);
      OutlinedEllipse(
          c, pc, l.ry * rr, l.rx * rr, a,
          [=](double x, double y) {
            const Pt d = tip - foot;
            const double t =
                Clamp01(((x - foot.x) * d.x + (y - foot.y) * d.y) / (d.x * d.x + d.y * d.y));
            return t < 0.6 ? Mix(deep, body, t / 0.6) : Mix(body, rim, (t - 0.6) / 0.4);
          },
          edge, ow);
    }
  }
  // The tight heart: a short curl.
  std::vector<Pt> curl;
  for (int i = 0; i <= 24; ++i) {
    const double t = i / 24.0;
    curl.push_back(o + Polar(120 + 420 * t, (0.03 + 0.13 * t) * rr));
  }
  c.Circle(o, 0.17 * rr, Solid(deep));
  c.Stroke(curl, 0.35, 0.55, Solid(Hex(0x4E0414)));
}

void RoseBud(Canvas& c, Pt base, double length, double ripe) {
  const Pt tip = base + Pt{0, -length};
  const Rgb colour = Mix(Hex(0x5C9A3A), Hex(0xCC1A40), Clamp01(ripe));
  const auto shape = LeafShape(base + Pt{0, 1}, tip, length * 0.75, 0);
  OutlinedPolygon(c, shape, Linear(base, Scale(colour, 0.8), tip, Lighten(colour, 0.15)),
                  Mix(kRoseEdge, Hex(0x5A0618), Clamp01(ripe)), 0.7);
  if (ripe > 0.4)
    c.Stroke(Arc(tip + Pt{0, length * 0.4}, length * 0.16, length * 0.2, 200, 330, 8), 0.4, 0.4,
             Solid(Hex(0x7A0A24)));
  // Sepals wrap the lower half and curl away as the bud ripens.
  for (int k = -1; k <= 1; k += 2) {
    const Pt st = base + Pt{k * length * (0.2 + 0.25 * ripe), -length * (0.7 - 0.35 * ripe)};
    Leaf(c, base + Pt{0, 1}, st, length * 0.28, -k * 0.8, kRoseLeaf, kRoseEdge);
  }
}

namespace {

// A rose leaf: three leaflets on a short stalk.
void RoseLeaf(Canvas& c, Pt at, double side, double size) {
  const Pt end = at + Pt{side * size * 1.3, -size * 0.5};
  c.Stroke({at, end}, 0.6, 0.45, Solid(kRoseEdge));
  Leaf(c, end, end + Pt{side * size * 0.9, -size * 0.25}, size * 0.6, 0, kRoseLeaf, kRoseEdge);
  const Pt mid = Lerp(at, end, 0.55);
  Leaf(c, mid, mid + Pt{side * size * 0.3, -size * 0.8}, size * 0.5, side * 0.4, kRoseLeaf,
       kRoseEdge);
  Leaf(c, mid, mid + Pt{side * size * 0.45, size * 0.55}, size * 0.5, -side * 0.4,
       Lighten(kRoseLeaf, 0.08), kRoseEdge);
}

}  // namespace

void RosePlant(Canvas& c, int stage) {
  const Pt root{24, 84};
  const Pt top{25, 30};
  const auto stem = Bezier(root, {22, 66}, {27, 48}, top, 24);
  const double grown = 0.12 + 0.88 * Ramp(stage, 1, 6);
  Stem(c, stem, 1.1, Hex(0x3F7A2A), kStemEdge, grown);
  // Thorns along the grown part.
  const double thorns[] = {0.2, 0.38, 0.55, 0.72};
  for (int i = 0; i < 4; ++i) {
    if (thorns[i] > grown - 0.05) continue;
    const Pt p = stem[static_cast<std::size_t>(thorns[i] * (stem.size() - 1))];
    const double side = i % 2 ? 1 : -1;
    c.Polygon({p + Pt{0, -1.4}, p + Pt{side * 2.6, -1.8}, p + Pt{0, 0.6}}, Solid(Hex(0x7A2A1A)));
  }
  struct L {
    double at, side, size;
    int from;
  };
  const L leaves[] = {{0.1, -1, 7, 1}, {0.3, 1, 8, 2}, {0.5, -1, 8, 4}, {0.7, 1, 7, 5}};
  for (const L& l : leaves) {
    if (stage < l.from || l.at > grown) continue;
    const double t = Ramp(stage, l.from - 1, l.from + 2);
    RoseLeaf(c, stem[static_cast<std::size_t>(l.at * (stem.size() - 1))], l.side,
             l.size * (0.45 + 0.55 * t));
  }
  if (stage == 6) RoseBud(c, top, 7, 0.0);
  if (stage == 7) RoseBud(c, top, 9, 0.45);
  if (stage == 8) RoseBud(c, top, 11, 1.0);
  if (stage == 9) RoseHead(c, top + Pt{0, -6}, 10, 0.4);
  if (stage >= 10) RoseHead(c, top + Pt{0, -9}, 14, 1.0);
}

// ---- white daisy -----------------------------------------------------------

void DaisyHead(Canvas& c, Pt o, double r, double open, double turn) {
  const double t = Clamp01(open);
  const double dr = 0.28 * r, foot = 0.2 * r;
  const Rgb edge = Hex(0x7C847C);
  const Rgb white = Hex(0xFFFFFC), shade = Hex(0xD4DAD2);
  const int petals = 18;
  // Petals reach out to r when open, every other one a little shorter.
  for (int k = 0; k < petals; ++k) {
    const double a = turn + 360.0 * k / petals;
    const double tipR = (r - 0.6) * (0.5 + 0.5 * t) * (k % 2 ? 0.93 : 1.0);
    const Pt pc = o + Polar(a, (foot + tipR) / 2);
    OutlinedEllipse(c, pc, (tipR - foot) / 2, std::max(0.9, r * 0.12), a,
                    Radial(o, tipR, shade, white), edge, 0.55);
  }
  // Golden disc with a darker rim and a freckled face.
  c.Circle(o, dr + 0.7, Solid(Hex(0x9A6A0A)));
  c.Circle(o, dr, Radial(o + Pt{-0.25 * dr, -0.3 * dr}, dr * 1.3, Hex(0xFFE070), Hex(0xE09A14)));
  for (int k = 0; k < 7; ++k) {
    const Pt d = o + Polar(k * 137.5 + turn, dr * 0.25 * std::sqrt(k + 1.0));
    c.Circle(d, std::max(0.3, dr * 0.11), Solid(Hex(0xC07A10)));
  }
}

void DaisyBud(Canvas& c, Pt o, double r, double ripe) {
  if (ripe > 0.5)
    for (int k = 0; k < 7; ++k) {
      const double a = -90 + (k - 3) * 26;
      OutlinedEllipse(c, o + Polar(a, r * 0.9), r * 0.5, r * 0.22, a, Solid(Hex(0xFAFAF4)),
                      Hex(0x7C847C), 0.5);
    }
  OutlinedEllipse(c, o, r, r * 0.85, 0,
                  Radial(o + Pt{-0.3 * r, -0.3 * r}, r * 1.4, Hex(0x9CC860), Hex(0x4E8A30)),
                  kDaisyEdge, 0.7);
}

void WhiteDaisyPlant(Canvas& c, int stage) {
  const Pt root{24, 79};
  // A rosette of narrow leaves.
  struct L {
    double angle, length;
    int from;
  };
  const L leaves[] = {{-150, 15, 1}, {-30, 15, 1}, {-120, 17, 2}, {-62, 17, 2}, {-95, 13, 3}};
  const double g = Ramp(stage, 0, 5);
  for (const L& l : leaves) {
    if (stage < l.from) continue;
    const double len = l.length * (0.3 + 0.7 * std::min(g, Ramp(stage, l.from - 1, l.from + 2)));
    Leaf(c, root, root + Polar(l.angle, len), len * 0.3, l.angle < -90 ? 1 : -1, kDaisyLeaf,
         kDaisyEdge);
  }
  if (stage < 5) return;
  // The main stem and, later, a second, shorter one.
  const Pt head{22, 25};
  const auto stem = Bezier(root + Pt{0, -2}, {23, 60}, {20, 40}, head, 20);
  Stem(c, stem, 0.9, kStem, kStemEdge, Ramp(stage, 4, 7));
  if (stage >= 6) {
    const Pt p = stem[8];
    Leaf(c, p, p + Pt{-9, -5}, 3.2, 0.8, kDaisyLeaf, kDaisyEdge);
  }
  const Pt head2{38, 45};
  if (stage >= 8) {
    const auto stem2 = Bezier(stem[5], {30, 62}, {36, 55}, head2, 14);
    Stem(c, stem2, 0.75, kStem, kStemEdge, Ramp(stage, 7, 9));
  }
  if (stage == 7) DaisyBud(c, head, 3.5, 0.0);
  if (stage == 8) DaisyBud(c, head, 4.2, 1.0);
  if (stage == 9) DaisyHead(c, head, 12, 0.35, 5);
  if (stage >= 10) DaisyHead(c, head, 17, 1.0, 5);
  if (stage == 10) DaisyBud(c, head2, 3.4, 1.0);
  if (stage >= 11) DaisyHead(c, head2, 11.5, 0.9, 12);
}

}  // namespace picgen
