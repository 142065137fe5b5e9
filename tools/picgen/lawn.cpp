// The lawn: a tile of grass that repeats without seams. Every shape is drawn
// at its place and again shifted by the tile's size, so what leaves one edge
// comes back at the opposite one.
#include <algorithm>
#include <vector>

#include "pictures.h"
#include "rng.h"

namespace picgen {

namespace {

constexpr int kSize = 160;

// Value noise on a torus: n x n random values, smoothly interpolated.
class TorusNoise {
 public:
  TorusNoise(int n, Rng& rng) : n_(n), v_(static_cast<std::size_t>(n) * n) {
    for (double& d : v_) d = rng.Unit();
  }
  double At(double x, double y) const {  // x, y in pixels of the tile
    const double fx = x * n_ / kSize, fy = y * n_ / kSize;
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto v = [&](int i, int j) { return v_[static_cast<std::size_t>(Wrap(j)) * n_ + Wrap(i)]; };
    const double a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
    const double b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
    return a + (b - a) * ty;
  }

 private:
  int Wrap(int i) const { return ((i % n_) + n_) % n_; }
  int n_;
  std::vector<double> v_;
};

struct Blade {
  Pt root, tip, bend;
  double width;
  Rgb base, top;
};

}  // namespace

Image MakeLawn(int unit) {
  Rng rng(0x1A3B5C7D);
  Canvas c(kSize, kSize, 4, unit);
  TorusNoise coarse(5, rng), mid(10, rng), fine(20, rng), grain(40, rng);
  auto patch = [&](double x, double y) {
    const double px = x < 0 ? x + kSize : (x >= kSize ? x - kSize : x);
    const double py = y < 0 ? y + kSize : (y >= kSize ? y - kSize : y);
    return 0.5 + 0.12 * (coarse.At(px, py) - 0.5) + 0.3 * (mid.At(px, py) - 0.5) +
           0.35 * (fine.At(px, py) - 0.5) + 0.3 * (grain.At(px, py) - 0.5);
  };
  const Rgb soilDark = Hex(0x1E4212), soilLight = Hex(0x3C6E20);
  c.Rect(0, 0, kSize, kSize,
         [&](double x, double y) { return Mix(soilDark, soilLight, patch(x, y)); });

  // Blades, back to front so nearer (lower) blades overlap farther ones.
  std::vector<Blade> blades;
  const Rgb deep = Hex(0x2E6A1C), fresh = Hex(0x5C9E2E), sunny = Hex(0x8CBF46);
  for (int i = 0; i < 3400; ++i) {
    Blade b;
    b.root = {rng.Range(0, kSize), rng.Range(0, kSize)};
    const double len = rng.Range(5, 13);
    const double lean = rng.Range(-28, 28);
    const Pt dir = Polar(-90 + lean, len);
    b.tip = b.root + dir;
    b.bend = b.root + dir * 0.55 + Pt{lean * 0.06 * rng.Range(0.5, 1.5), 0};
    b.width = rng.Range(0.45, 0.95);
    const double light =
        std::clamp(patch(b.root.x, b.root.y) * 0.5 + rng.Range(-0.1, 0.55), 0.0, 1.0);
    const Rgb body =
        light < 0.5 ? Mix(deep, fresh, light * 2) : Mix(fresh, sunny, (light - 0.5) * 2);
    b.base = Scale(body, 0.62);
    b.top = Lighten(body, rng.Range(0.0, 0.12));
    blades.push_back(b);
  }
  // Each blade again one tile up, down, left and right; all copies in one
  // back-to-front order, so the overlaps across an edge match those inside.
  std::vector<Blade> copies;
  for (const Blade& b : blades)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const Pt off{static_cast<double>(dx * kSize), static_cast<double>(dy * kSize)};
        Blade m = b;
        m.root = b.root + off;
        m.tip = b.tip + off;
        m.bend = b.bend + off;
        if (std::max(m.root.x, m.tip.x) < -2 || std::min(m.root.x, m.tip.x) > kSize + 2) continue;
        if (std::max(m.root.y, m.tip.y) < -2 || std::min(m.root.y, m.tip.y) > kSize + 2) continue;
        copies.push_back(m);
      }
  std::stable_sort(copies.begin(), copies.end(),
                   [](const Blade& a, const Blade& b) { return a.root.y < b.root.y; });
  for (const Blade& b : copies) {
    const auto pts = Bezier(b.root, b.bend, b.bend, b.tip, 6);
    c.Stroke(pts, b.width, 0.15, Linear(b.root, b.base, b.tip, b.top));
  }
  return c.ResolveOpaque(soilDark);
}

Rgb LawnTone(const Image& lawn) {
  double r = 0, g = 0, b = 0;
  for (const Pixel& p : lawn.px) {
    r += p.r;
    g += p.g;
    b += p.b;
  }
  const double n = static_cast<double>(lawn.px.size());
  return {r / n, g / n, b / n};
}

}  // namespace picgen
