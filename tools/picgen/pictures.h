// Every picture the generator makes.
#pragma once

#include "raster.h"

namespace picgen {

// The garden's pictures (the data folder). `unit` is the pixels per pixel of
// the 1x picture: 2 draws the picture for high-density screens.
Image MakeLawn(int unit = 1);
// The average colour of the lawn: sprite edges blend toward it.
Rgb LawnTone(const Image& lawn);
enum class Kind { Yellow, Red, Rose, White };
int CellCount(Kind kind);
Image MakeFlowerSheet(Kind kind, Rgb lawnTone, int unit = 1);
Image MakeTractor(Rgb lawnTone, int unit = 1);
Image MakeBlank(int unit = 1);
Image MakeLogo(Rgb lawnTone, int unit = 1);

// The screen saver's own pictures; the banner takes the lawn made at its unit.
Image MakeBanner(const Image& lawn, int unit = 1);
Image MakeFlowerIcon(Kind kind, int unit = 1);
Image MakeWebsiteButton(int unit = 1);
// The form icon on white (for the .bmp) or with alpha (for the .ico).
Image MakeSaverIcon(int size, bool alpha);
Image MakePreview();

// The mailer's icon.
Image MakeMailerIcon(int size, bool alpha);

}  // namespace picgen
