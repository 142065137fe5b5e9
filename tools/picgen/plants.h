// The four flowers, drawn at any size: heads for the dialog's pictures and
// whole plants at each growth stage for the garden's sheets.
#pragma once

#include "raster.h"

namespace picgen {

// Outline helpers: the dark edge first, then the body over it.
void OutlinedEllipse(Canvas& c, Pt centre, double rx, double ry, double degrees, const Fill& fill,
                     Rgb edge, double width);
void OutlinedPolygon(Canvas& c, const std::vector<Pt>& pts, const Fill& fill, Rgb edge,
                     double width);
// A leaf from base to tip; bend > 0 bows it to the left of its direction.
std::vector<Pt> LeafShape(Pt base, Pt tip, double width, double bend);
void Leaf(Canvas& c, Pt base, Pt tip, double width, double bend, Rgb colour, Rgb edge);
// A stem along pts, drawn up to fraction `grown` of its points.
void Stem(Canvas& c, const std::vector<Pt>& pts, double radius, Rgb colour, Rgb edge,
          double grown = 1);

// Heads; `open` runs from 0 (just opening) to 1 (full bloom).
void OrchidHead(Canvas& c, Pt centre, double size, double open);
void OrchidBud(Canvas& c, Pt centre, double size, double ripe);
void PetuniaHead(Canvas& c, Pt centre, double radius, double open, double turn);
void PetuniaBud(Canvas& c, Pt base, double length, double degrees, double ripe);
void RoseHead(Canvas& c, Pt centre, double radius, double open);
void RoseBud(Canvas& c, Pt base, double length, double ripe);
void DaisyHead(Canvas& c, Pt centre, double radius, double open, double turn);
void DaisyBud(Canvas& c, Pt centre, double radius, double ripe);

// Whole plants standing on (cellWidth / 2, cellHeight) of a cell; stage runs
// from 1 (a sprout) to the kind's cell count (full bloom).
void YellowOrchidPlant(Canvas& c, int stage);  // 56 x 84, 11 stages
void RedPetuniaPlant(Canvas& c, int stage);    // 52 x 68, 11 stages
void RosePlant(Canvas& c, int stage);          // 48 x 84, 10 stages
void WhiteDaisyPlant(Canvas& c, int stage);    // 48 x 80, 11 stages

}  // namespace picgen
