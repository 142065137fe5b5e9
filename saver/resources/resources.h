// The pictures the screen saver holds itself, decoded once on first use and
// kept for the life of the program. All but the preview come at twice the
// size (and twice the pixels given here) on a high-density screen
// (forms::Screen::PictureScale).
#pragma once

#include "platform/forms.h"

namespace saver_res {

const forms::Picture& Banner();         // the settings dialog's banner, 228 x 91
const forms::Picture& IconYellow();     // yellow orchid, 21 x 19
const forms::Picture& IconRed();        // red petunia, 22 x 21
const forms::Picture& IconRose();       // rose, 18 x 21
const forms::Picture& IconWhite();      // white daisy, 22 x 20
const forms::Picture& WebsiteButton();  // the web-site button's picture, 102 x 17
const forms::Picture& FormIcon();       // 32 x 32
const forms::Picture& Preview();        // the preview picture, 151 x 119

}  // namespace saver_res
