#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace picgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::uint8_t Channel(double v) {
  const double r = std::floor(v + 0.5);
  return static_cast<std::uint8_t>(std::clamp(r, 0.0, 255.0));
}

Pixel ToPixel(Rgb c) { return Pixel{Channel(c.r), Channel(c.g), Channel(c.b), 255}; }

// A colour a viewer could take for the key becomes a plainer green.
Pixel AwayFromKey(Pixel p) {
  if (NearKey(p)) p.g = 191;
  return p;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, double f) {
  if (f <= 1) return {c.r * f, c.g * f, c.b * f};
  return Lighten(c, f - 1);
}

Rgb Hex(std::uint32_t v) {
  return {static_cast<double>((v >> 16) & 0xFF), static_cast<double>((v >> 8) & 0xFF),
          static_cast<double>(v & 0xFF)};
}

Pt Lerp(Pt a, Pt b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

Pt Rotate(Pt p, double degrees) {
  const double c = CosD(degrees), s = SinD(degrees);
  return {p.x * c - p.y * s, p.x * s + p.y * c};
}

double Length(Pt p) { return std::sqrt(p.x * p.x + p.y * p.y); }

double SinD(double degrees) {
  // Reduce to [-90, 90] by symmetry, then a Taylor series.
  double d = std::fmod(degrees, 360.0);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  if (d > 90) d = 180 - d;
  if (d < -90) d = -180 - d;
  const double x = d * kPi / 180.0, x2 = x * x;
  double term = x, sum = x;
  for (int k = 1; k <= 9; ++k) {
    term *= -x2 / ((2.0 * k) * (2.0 * k + 1));
    sum += term;
  }
  return sum;
}

double CosD(double degrees) { return SinD(degrees + 90.0); }

Fill Solid(Rgb c) {
  return [c](double, double) { return c; };
}

Fill Linear(Pt pa, Rgb a, Pt pb, Rgb b) {
  const Pt d = pb - pa;
  const double len2 = d.x * d.x + d.y * d.y;
  return [=](double x, double y) {
    double t = len2 > 0 ? ((x - pa.x) * d.x + (y - pa.y) * d.y) / len2 : 0;
    return Mix(a, b, std::clamp(t, 0.0, 1.0));
  };
}

Fill Radial(Pt c, double r, Rgb a, Rgb b) {
  return [=](double x, double y) {
    const double t = r > 0 ? Length(Pt{x, y} - c) / r : 0;
    return Mix(a, b, std::clamp(t, 0.0, 1.0));
  };
}

Image::Image(int width, int height, Pixel fill)
    : w(width), h(height), px(static_cast<std::size_t>(width) * height, fill) {}

void Image::Blit(const Image& src, int x, int y) {
  for (int j = 0; j < src.h; ++j)
    for (int i = 0; i < src.w; ++i) {
      const int tx = x + i, ty = y + j;
      if (tx >= 0 && ty >= 0 && tx < w && ty < h) At(tx, ty) = src.At(i, j);
    }
}

bool NearKey(const Pixel& p) { return p.r < 64 && p.g > 191 && p.b < 64; }

Canvas::Canvas(int w, int h, int samples, int unit)
    : w_(w * unit),
      h_(h * unit),
      s_(samples),
      u_(unit),
      k_(unit),
      cx1_(w_),
      cy1_(h_),
      col_(static_cast<std::size_t>(w_) * h_ * samples * samples),
      cov_(col_.size(), 0) {}

void Canvas::SetClip(int x, int y, int w, int h) {
  if (w <= 0) {
    cx0_ = cy0_ = 0;
    cx1_ = w_;
    cy1_ = h_;
    return;
  }
  cx0_ = std::max(0, x * u_);
  cy0_ = std::max(0, y * u_);
  cx1_ = std::min(w_, (x + w) * u_);
  cy1_ = std::min(h_, (y + h) * u_);
}

void Canvas::Paint(double x0, double y0, double x1, double y1,
                   const std::function<bool(double, double)>& inside, const Fill& fill) {
  const int sw = w_ * s_;
  const int i0 = std::max(cx0_ * s_, static_cast<int>(std::floor((x0 * k_ + ox_) * s_)));
  const int i1 = std::min(cx1_ * s_ - 1, static_cast<int>(std::ceil((x1 * k_ + ox_) * s_)));
  const int j0 = std::max(cy0_ * s_, static_cast<int>(std::floor((y0 * k_ + oy_) * s_)));
  const int j1 = std::min(cy1_ * s_ - 1, static_cast<int>(std::ceil((y1 * k_ + oy_) * s_)));
  for (int j = j0; j <= j1; ++j) {
    const double y = ((j + 0.5) / s_ - oy_) / k_;
    for (int i = i0; i <= i1; ++i) {
      const double x = ((i + 0.5) / s_ - ox_) / k_;
      if (!inside(x, y)) continue;
      const std::size_t k = static_cast<std::size_t>(j) * sw + i;
      col_[k] = fill(x, y);
      cov_[k] = 1;
    }
  }
}

void Canvas::Rect(double x0, double y0, double x1, double y1, const Fill& fill) {
  Paint(
      x0, y0, x1, y1, [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; },
      fill);
}

void Canvas::Ellipse(Pt c, double rx, double ry, double degrees, const Fill& fill) {
  const double cs = CosD(degrees), sn = SinD(degrees);
  const double m = std::max(rx, ry);
  Paint(
      c.x - m, c.y - m, c.x + m, c.y + m,
      [=](double x, double y) {
        const double dx = x - c.x, dy = y - c.y;
        const double u = dx * cs + dy * sn, v = -dx * sn + dy * cs;
        return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1.0;
      },
      fill);
}

void Canvas::Polygon(const std::vector<Pt>& pts, const Fill& fill) {
  if (pts.size() < 3) return;
  double x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
  for (const Pt& p : pts) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  Paint(
      x0, y0, x1, y1,
      [&pts](double x, double y) {
        int winding = 0;
        const std::size_t n = pts.size();
        for (std::size_t i = 0; i < n; ++i) {
          const Pt a = pts[i], b = pts[(i + 1) % n];
          const double cross = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
          if (a.y <= y) {
            if (b.y > y && cross > 0) ++winding;
          } else if (b.y <= y && cross < 0) {
            --winding;
          }
        }
        return winding != 0;
      },
      fill);
}

void Canvas::Taper(Pt a, double ra, Pt b, double rb, const Fill& fill) {
  const double m = std::max(ra, rb);
  const Pt d = b - a;
  const double len2 = d.x * d.x + d.y * d.y;
  Paint(
      std::min(a.x, b.x) - m, std::min(a.y, b.y) - m, std::max(a.x, b.x) + m,
      std::max(a.y, b.y) + m,
      [=](double x, double y) {
        double t = len2 > 0 ? ((x - a.x) * d.x + (y - a.y) * d.y) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double r = ra + (rb - ra) * t;
        const double ex = x - (a.x + d.x * t), ey = y - (a.y + d.y * t);
        return ex * ex + ey * ey <= r * r;
      },
      fill);
}

void Canvas::Stroke(const std::vector<Pt>& pts, double r0, double r1, const Fill& fill) {
  if (pts.empty()) return;
  if (pts.size() == 1) {
    Circle(pts[0], r0, fill);
    return;
  }
  double total = 0;
  for (std::size_t i = 1; i < pts.size(); ++i) total += Length(pts[i] - pts[i - 1]);
  double run = 0;
  for (std::size_t i = 1; i < pts.size(); ++i) {
    const double seg = Length(pts[i] - pts[i - 1]);
    const double ta = total > 0 ? run / total : 0, tb = total > 0 ? (run + seg) / total : 1;
    Taper(pts[i - 1], r0 + (r1 - r0) * ta, pts[i], r0 + (r1 - r0) * tb, fill);
    run += seg;
  }
}

void Canvas::Ring(Pt c, double r0, double r1, const Fill& fill) {
  Paint(
      c.x - r1, c.y - r1, c.x + r1, c.y + r1,
      [=](double x, double y) {
        const double d2 = (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y);
        return d2 >= r0 * r0 && d2 <= r1 * r1;
      },
      fill);
}

Image Canvas::ResolveOpaque(Rgb bg) const {
  Image out(w_, h_);
  const int n = s_ * s_, sw = w_ * s_;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      Rgb sum;
      for (int j = 0; j < s_; ++j)
        for (int i = 0; i < s_; ++i) {
          const std::size_t k = static_cast<std::size_t>(y * s_ + j) * sw + x * s_ + i;
          const Rgb c = cov_[k] ? col_[k] : bg;
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        }
      out.At(x, y) = AwayFromKey(ToPixel(Scale(sum, 1.0 / n)));
    }
  return out;
}

Image Canvas::ResolveSprite(Rgb edge) const {
  Image out(w_, h_);
  const int n = s_ * s_, sw = w_ * s_;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      Rgb sum;
      int covered = 0;
      for (int j = 0; j < s_; ++j)
        for (int i = 0; i < s_; ++i) {
          const std::size_t k = static_cast<std::size_t>(y * s_ + j) * sw + x * s_ + i;
          const Rgb c = cov_[k] ? col_[k] : edge;
          covered += cov_[k];
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        }
      out.At(x, y) = 2 * covered < n ? kKey : AwayFromKey(ToPixel(Scale(sum, 1.0 / n)));
    }
  return out;
}

Image Canvas::ResolveAlpha() const {
  Image out(w_, h_);
  const int n = s_ * s_, sw = w_ * s_;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      Rgb sum;
      int covered = 0;
      for (int j = 0; j < s_; ++j)
        for (int i = 0; i < s_; ++i) {
          const std::size_t k = static_cast<std::size_t>(y * s_ + j) * sw + x * s_ + i;
          if (!cov_[k]) continue;
          ++covered;
          sum = {sum.r + col_[k].r, sum.g + col_[k].g, sum.b + col_[k].b};
        }
      Pixel p{0, 0, 0, 0};
      if (covered) {
        p = AwayFromKey(ToPixel(Scale(sum, 1.0 / covered)));
        p.a = Channel(255.0 * covered / n);
      }
      out.At(x, y) = p;
    }
  return out;
}

std::vector<Pt> Bezier(Pt p0, Pt p1, Pt p2, Pt p3, int n) {
  std::vector<Pt> out;
  for (int i = 0; i <= n; ++i) {
    const double t = static_cast<double>(i) / n, u = 1 - t;
    out.push_back(p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) +
                  p3 * (t * t * t));
  }
  return out;
}

std::vector<Pt> Arc(Pt c, double rx, double ry, double a0, double a1, int n) {
  std::vector<Pt> out;
  for (int i = 0; i <= n; ++i) {
    const double a = a0 + (a1 - a0) * i / n;
    out.push_back({c.x + CosD(a) * rx, c.y + SinD(a) * ry});
  }
  return out;
}

void Append(std::vector<Pt>& to, const std::vector<Pt>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

std::vector<std::uint8_t> EncodeBmp24(const Image& img) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(img.w) * 3 + 3) & ~3u;
  const std::uint32_t data = stride * static_cast<std::uint32_t>(img.h);
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 54 + data);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(img.w));
  Put32(out, static_cast<std::uint32_t>(img.h));  // positive: rows bottom up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, data);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = img.h - 1; y >= 0; --y) {
    for (int x = 0; x < img.w; ++x) {
      const Pixel& p = img.At(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (std::uint32_t i = static_cast<std::uint32_t>(img.w) * 3; i < stride; ++i) out.push_back(0);
  }
  return out;
}

std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& sizes) {
  std::vector<std::vector<std::uint8_t>> blobs;
  for (const Image& img : sizes) {
    std::vector<std::uint8_t> b;
    const std::uint32_t maskStride = ((static_cast<std::uint32_t>(img.w) + 31) / 32) * 4;
    const std::uint32_t xorSize = static_cast<std::uint32_t>(img.w * img.h * 4);
    const std::uint32_t andSize = maskStride * static_cast<std::uint32_t>(img.h);
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(img.w));
    Put32(b, static_cast<std::uint32_t>(img.h * 2));  // colour and mask rows
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, 0);
    Put32(b, xorSize + andSize);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = img.h - 1; y >= 0; --y)
      for (int x = 0; x < img.w; ++x) {
        const Pixel& p = img.At(x, y);
        b.push_back(p.b);
        b.push_back(p.g);
        b.push_back(p.r);
        b.push_back(p.a);
      }
    for (int y = img.h - 1; y >= 0; --y) {
      std::vector<std::uint8_t> row(maskStride, 0);
      for (int x = 0; x < img.w; ++x)
        if (img.At(x, y).a == 0) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      b.insert(b.end(), row.begin(), row.end());
    }
    blobs.push_back(std::move(b));
  }
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, static_cast<unsigned>(sizes.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(sizes[i].w >= 256 ? 0 : sizes[i].w));
    out.push_back(static_cast<std::uint8_t>(sizes[i].h >= 256 ? 0 : sizes[i].h));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<std::uint32_t>(blobs[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(blobs[i].size());
  }
  for (const auto& b : blobs) out.insert(out.end(), b.begin(), b.end());
  return out;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace picgen
