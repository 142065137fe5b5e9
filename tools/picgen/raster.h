// Drawing core of the picture generator: a supersampled canvas, shapes filled
// by colour functions, and the resolve step that turns samples into pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace picgen {

// Colour channels 0..255 as doubles, so gradients mix without banding.
struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb Mix(Rgb a, Rgb b, double t);  // a at t = 0, b at t = 1
Rgb Scale(Rgb c, double f);       // darker below 1, lighter above
Rgb Hex(std::uint32_t rrggbb);    // 0xRRGGBB
inline Rgb Lighten(Rgb c, double t) { return Mix(c, Rgb{255, 255, 255}, t); }
inline Rgb Darken(Rgb c, double t) { return Mix(c, Rgb{0, 0, 0}, t); }

struct Pt {
  double x = 0, y = 0;
};
inline Pt operator+(Pt a, Pt b) { return {a.x + b.x, a.y + b.y}; }
inline Pt operator-(Pt a, Pt b) { return {a.x - b.x, a.y - b.y}; }
inline Pt operator*(Pt a, double f) { return {a.x * f, a.y * f}; }
Pt Lerp(Pt a, Pt b, double t);
Pt Rotate(Pt p, double degrees);  // about the origin, clockwise on screen (y down)
double Length(Pt p);

// Sin and cos of degrees, computed here so results do not depend on libm.
double SinD(double degrees);
double CosD(double degrees);
inline Pt Polar(double degrees, double r) { return {CosD(degrees) * r, SinD(degrees) * r}; }

using Fill = std::function<Rgb(double x, double y)>;
Fill Solid(Rgb c);
// Linear gradient from colour a at point pa to colour b at point pb.
Fill Linear(Pt pa, Rgb a, Pt pb, Rgb b);
// Radial gradient from colour a at the centre to colour b at radius r.
Fill Radial(Pt centre, double r, Rgb a, Rgb b);

// 8-bit pixels, rows top to bottom; alpha is used only by icons.
struct Pixel {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Pixel&) const = default;
};

struct Image {
  int w = 0, h = 0;
  std::vector<Pixel> px;
  Image() = default;
  Image(int width, int height, Pixel fill = {});
  Pixel& At(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }
  const Pixel& At(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
  void Blit(const Image& src, int x, int y);  // opaque copy, clipped
};

// The transparent colour of the sprite sheets.
constexpr Pixel kKey{0, 255, 0, 255};
// True for colours a viewer could take for the transparent green.
bool NearKey(const Pixel& p);

// A canvas of w x h units with s x s samples per pixel and `unit` pixels per
// unit: the same drawing made at unit 2 is the picture at twice the size,
// every edge drawn at that resolution. Shapes paint the samples they cover;
// a sample that no shape covered stays empty.
class Canvas {
 public:
  Canvas(int w, int h, int samples = 4, int unit = 1);

  // Drawing origin and scale, in units: shapes are given relative to it (a
  // sheet's cell, a small copy of a plant).
  void SetOrigin(double x, double y, double scale = 1) {
    ox_ = x * u_;
    oy_ = y * u_;
    k_ = scale * u_;
  }
  // Limits painting to a rectangle in units (a sheet's cell); none when w = 0.
  void SetClip(int x, int y, int w, int h);

  // Paints every sample inside bbox (relative to the origin) for which inside
  // returns true; colours come from fill, called with relative coordinates.
  void Paint(double x0, double y0, double x1, double y1,
             const std::function<bool(double, double)>& inside, const Fill& fill);

  void Rect(double x0, double y0, double x1, double y1, const Fill& fill);
  void Ellipse(Pt c, double rx, double ry, double degrees, const Fill& fill);
  void Circle(Pt c, double r, const Fill& fill) { Ellipse(c, r, r, 0, fill); }
  // Polygon by the nonzero winding rule.
  void Polygon(const std::vector<Pt>& pts, const Fill& fill);
  // A segment with round ends whose radius runs from ra at a to rb at b.
  void Taper(Pt a, double ra, Pt b, double rb, const Fill& fill);
  // A polyline with round joins; the radius runs from r0 to r1 along it.
  void Stroke(const std::vector<Pt>& pts, double r0, double r1, const Fill& fill);
  // A ring between radii r0 and r1.
  void Ring(Pt c, double r0, double r1, const Fill& fill);

  // Pixels of an opaque picture: empty samples count as bg.
  Image ResolveOpaque(Rgb bg) const;
  // Pixels of a sprite cell: a pixel less than half covered is the key colour;
  // the rest blend their uncovered part with edge (the colour the sprite will
  // stand on), so outlines are smooth on the lawn and never tinted by the key.
  Image ResolveSprite(Rgb edge) const;
  // Pixels with alpha from coverage (icons).
  Image ResolveAlpha() const;

 private:
  int w_, h_, s_, u_;
  double ox_ = 0, oy_ = 0, k_;
  int cx0_ = 0, cy0_ = 0, cx1_ = 0, cy1_ = 0;
  std::vector<Rgb> col_;
  std::vector<std::uint8_t> cov_;
};

// Cubic Bezier curve as n + 1 points.
std::vector<Pt> Bezier(Pt p0, Pt p1, Pt p2, Pt p3, int n = 16);
// Elliptical arc from degree a0 to a1 (0 = right, 90 = down) as n + 1 points.
std::vector<Pt> Arc(Pt c, double rx, double ry, double a0, double a1, int n = 24);
void Append(std::vector<Pt>& to, const std::vector<Pt>& more);

// Files.
std::vector<std::uint8_t> EncodeBmp24(const Image& img);
// An icon file with one 32-bit image (straight alpha + AND mask) per size.
std::vector<std::uint8_t> EncodeIco(const std::vector<Image>& sizes);
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace picgen
