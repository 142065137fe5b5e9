// Every picture the generator makes.
#pragma once

#include "raster.h"

namespace picgen {

// The garden's pictures (the data folder).
Image MakeLawn();
// The average colour of the lawn: sprite edges blend toward it.
Rgb LawnTone(const Image& lawn);
enum class Kind { Yellow, Red, Rose, White };
int CellCount(Kind kind);
Image MakeFlowerSheet(Kind kind, Rgb lawnTone);
Image MakeTractor(Rgb lawnTone);
Image MakeBlank();
Image MakeLogo(Rgb lawnTone);

// The screen saver's own pictures.
Image MakeBanner(const Image& lawn);
Image MakeFlowerIcon(Kind kind);
Image MakeWebsiteButton();
// The form icon on white (for the .bmp) or with alpha (for the .ico).
Image MakeSaverIcon(int size, bool alpha);
Image MakePreview();

// The mailer's icon.
Image MakeMailerIcon(int size, bool alpha);

}  // namespace picgen
