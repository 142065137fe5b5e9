// Lettering of our own: glyphs as centre-line strokes on a grid where the
// capitals run from y = 0 to the baseline at y = 10 and the small letters
// from y = 3.5.
#pragma once

#include <string>

#include "raster.h"

namespace picgen {

struct TextStyle {
  double cap = 10;        // capital height in pixels
  double weight = 1.5;    // stroke width in pixels
  double tracking = 0.6;  // extra space between letters, in grid units
  double slant = 0;       // horizontal shift per pixel of height (italic)
  Fill fill = Solid(Rgb{0, 0, 0});
  Rgb outline{0, 0, 0};
  double outlineWidth = 0;  // pixels around the stroke; 0 for none
  Pt shadow{0, 0};          // offset of a shadow in outline colour; 0 for none
};

// The lettering of the name: cream to gold from top down, dark green edge.
TextStyle NameStyle(double cap, double top);

// Width of the text in pixels.
double TextWidth(const std::string& text, const TextStyle& style);
// Draws text with its top-left (capital top) at (x, y).
void DrawText(Canvas& c, const std::string& text, double x, double y, const TextStyle& style);

}  // namespace picgen
