#include "font.h"

#include <map>
#include <vector>

namespace picgen {

namespace {

struct Glyph {
  double advance = 5;
  std::vector<std::vector<Pt>> strokes;
};

using Strokes = std::vector<std::vector<Pt>>;

std::vector<Pt> Join(std::initializer_list<std::vector<Pt>> parts) {
  std::vector<Pt> out;
  for (const auto& p : parts) Append(out, p);
  return out;
}

// Small letters sit between y = 3.5 and 10; bowls are centred at 6.75.
constexpr double kMid = 6.75, kXTop = 3.5;

std::vector<Pt> SCurve(double x0, double y0, double w, double h) {
  auto m = [=](double x, double y) { return Pt{x0 + x * w / 7.0, y0 + y * h / 10.0}; };
  return Join({Bezier(m(6.2, 1.7), m(5.5, 0.2), m(1.1, -0.2), m(1.0, 2.6), 10),
               Bezier(m(1.0, 2.6), m(1.0, 5.0), m(6.3, 4.6), m(6.3, 7.4), 12),
               Bezier(m(6.3, 7.4), m(6.3, 10.5), m(1.2, 10.4), m(0.6, 8.4), 10)});
}

std::vector<Pt> Arch(double x0, double x1) {
  // The shoulder of n, m, h: from the stem up over to the right stem.
  return Join({Bezier({x0, 5.4}, {x0 + 0.5, 3.3}, {x1 - 0.1, 3.0}, {x1, 5.4}, 10),
               std::vector<Pt>{{x1, 10}}});
}

const std::map<char, Glyph>& Glyphs() {
  static const std::map<char, Glyph> g = [] {
    std::map<char, Glyph> m;
    m[' '] = {3.2, {}};
    m['T'] = {7.0, {{{0.4, 0}, {6.6, 0}}, {{3.5, 0}, {3.5, 10}}}};
    m['V'] = {7.2, {{{0.3, 0}, {3.6, 10}, {6.9, 0}}}};
    m['S'] = {7.2, {SCurve(0, 0, 7, 10)}};
    m['O'] = {8.8, {Arc({4.3, 5}, 3.8, 5, 0, 360, 40)}};
    m['a'] = {6.6, {Arc({3.0, kMid}, 2.6, 3.25, 0, 360, 28), {{5.6, kXTop}, {5.6, 10}}}};
    m['b'] = {6.4, {{{0.8, 0}, {0.8, 10}}, Arc({3.3, kMid}, 2.5, 3.25, 0, 360, 28)}};
    m['c'] = {5.8, {Arc({3.0, kMid}, 2.6, 3.25, -40, -320, 24)}};
    m['e'] = {6.2,
              {Join({std::vector<Pt>{{0.4, kMid}, {5.6, kMid}},
                     Arc({3.0, kMid}, 2.6, 3.25, 0, -310, 26)})}};
    m['f'] = {4.6,
              {Join({std::vector<Pt>{{1.9, 10}},
                     Bezier({1.9, 2.4}, {1.9, 0.2}, {3.6, -0.1}, {4.6, 0.5}, 8)}),
               {{0.2, 3.8}, {4.0, 3.8}}}};
    m['h'] = {5.6, {{{0.8, 0}, {0.8, 10}}, Arch(0.8, 4.6)}};
    m['i'] = {2.4, {{{1.1, kXTop}, {1.1, 10}}, {{1.1, 1.0}}}};
    m['l'] = {2.4, {{{1.1, 0}, {1.1, 10}}}};
    m['m'] = {8.4, {{{0.8, kXTop}, {0.8, 10}}, Arch(0.8, 4.3), Arch(4.3, 7.6)}};
    m['n'] = {5.6, {{{0.8, kXTop}, {0.8, 10}}, Arch(0.8, 4.6)}};
    m['o'] = {6.2, {Arc({3.0, kMid}, 2.6, 3.25, 0, 360, 28)}};
    m['r'] = {
        4.4,
        {{{0.8, kXTop}, {0.8, 10}}, Bezier({0.8, 5.8}, {1.4, 3.6}, {3.2, 3.2}, {4.2, 3.9}, 8)}};
    m['s'] = {5.2, {SCurve(0.1, kXTop, 5.0, 6.5)}};
    m['t'] = {4.4,
              {Join({std::vector<Pt>{{1.7, 1.2}},
                     Bezier({1.7, 8.4}, {1.7, 10.3}, {3.2, 10.3}, {4.0, 9.6}, 8)}),
               {{0.1, 3.8}, {3.8, 3.8}}}};
    m['u'] = {5.6,
              {Join({std::vector<Pt>{{0.8, kXTop}},
                     Bezier({0.8, 8.1}, {0.8, 10.4}, {4.4, 10.4}, {4.6, 8.0}, 10)}),
               {{4.6, kXTop}, {4.6, 10}}}};
    m['v'] = {5.8, {{{0.3, kXTop}, {2.9, 10}, {5.5, kXTop}}}};
    m['w'] = {8.2, {{{0.3, kXTop}, {2.1, 10}, {4.1, 4.6}, {6.1, 10}, {7.9, kXTop}}}};
    return m;
  }();
  return g;
}

const Glyph& GlyphOf(char ch) {
  const auto& g = Glyphs();
  const auto it = g.find(ch);
  return it != g.end() ? it->second : g.at(' ');
}

}  // namespace

double TextWidth(const std::string& text, const TextStyle& style) {
  const double unit = style.cap / 10.0;
  double w = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    w += GlyphOf(text[i]).advance * unit;
    if (i + 1 < text.size()) w += style.tracking * unit;
  }
  return w + style.weight;
}

void DrawText(Canvas& c, const std::string& text, double x, double y, const TextStyle& style) {
  const double unit = style.cap / 10.0;
  const double r = style.weight / 2;
  // Every glyph's strokes in canvas coordinates.
  std::vector<std::vector<Pt>> lines;
  double pen = x + r;
  for (char ch : text) {
    const Glyph& g = GlyphOf(ch);
    for (const auto& s : g.strokes) {
      std::vector<Pt> pts;
      for (Pt p : s) {
        const double py = y + p.y * unit;
        pts.push_back({pen + p.x * unit + (y + style.cap - py) * style.slant, py});
      }
      lines.push_back(std::move(pts));
    }
    pen += (g.advance + style.tracking) * unit;
  }
  const Fill outline = Solid(style.outline);
  if (style.shadow.x != 0 || style.shadow.y != 0) {
    for (const auto& s : lines) {
      std::vector<Pt> moved;
      for (Pt p : s) moved.push_back(p + style.shadow);
      c.Stroke(moved, r + style.outlineWidth, r + style.outlineWidth, outline);
    }
  }
  if (style.outlineWidth > 0)
    for (const auto& s : lines)
      c.Stroke(s, r + style.outlineWidth, r + style.outlineWidth, outline);
  for (const auto& s : lines) c.Stroke(s, r, r, style.fill);
}

}  // namespace picgen
