// Tiled backgrounds.
#include <gtest/gtest.h>

#include <climits>

#include "gfx/gfx_fixture.h"
#include "platform/errors.h"
#include "platform/forms.h"
#include "saver/gfx/ctile.h"
#include "support/test_util.h"

using namespace gfxtest;

namespace {

void ExpectError(plat::ErrorKind kind, const std::function<void()>& fn) {
  try {
    fn();
    ADD_FAILURE() << "no run-time error";
  } catch (const plat::RuntimeError& e) {
    EXPECT_EQ(e.kind(), kind) << e.what();
  }
}

// The tile image repeated from (0, 0) at every multiple of its size up to
// and including the bounds.
Pixels ModelTiles(const Pixels& base, const Pixels& tile, int width, int height) {
  Pixels out = base;
  for (int y = 0; y <= height; y += tile.height)
    for (int x = 0; x <= width; x += tile.width)
      for (int j = 0; j < tile.height; ++j)
        for (int i = 0; i < tile.width; ++i)
          if (out.contains(x + i, y + j)) out.at(x + i, y + j) = tile.at(i, j);
  return out;
}

// A form that only serves as the tile's render object.
class RenderForm : public forms::Form {};

// A borderless window of 100 x 80 pixels at the top-left of the screen.
class WindowForm : public forms::Form {
 public:
  WindowForm() {
    SetBorderStyle(forms::BorderStyle::None);
    SetClientSize(1500, 1200);
    SetLeft(0);
    SetTop(0);
  }
};

}  // namespace

TEST(cTile, TilesEdgeToEdgeWithInclusiveBounds) {
  const Pixels image = Pattern(100, 80, 1);
  RenderForm form;
  cTile tile;
  tile.Initialise(&form);
  tile.Filename(BmpFile(image));
  const Pixels base = Pattern(350, 300, 2);
  {
    // Nine copies: x = 0, 100, 200 and y = 0, 80, 160 (the bound row too).
    Canvas c(base);
    tile.TileDC(c.dc(), 250, 160);
    Pixels expected = ModelTiles(base, image, 250, 160);
    EXPECT_TRUE(SamePixels(expected, c.Read()));
    EXPECT_EQ(c.Read().at(299, 239), image.at(99, 79));
    EXPECT_EQ(c.Read().at(300, 0), base.at(300, 0));
    EXPECT_EQ(c.Read().at(0, 240), base.at(0, 240));
  }
  {
    // A multiple exactly on the bound is drawn; one pixel short is not.
    Canvas c(base);
    tile.TileDC(c.dc(), 200, 79);
    EXPECT_TRUE(SamePixels(ModelTiles(base, image, 200, 79), c.Read()));
    EXPECT_EQ(c.Read().at(299, 0), image.at(99, 0));
    EXPECT_EQ(c.Read().at(0, 80), base.at(0, 80));
  }
  for (const auto& size : {std::pair{-1, 100}, std::pair{100, -1}, std::pair{INT_MIN, INT_MIN}}) {
    Canvas c(base);
    tile.TileDC(c.dc(), size.first, size.second);
    EXPECT_TRUE(SamePixels(base, c.Read())) << size.first << "," << size.second;
  }
  {
    Canvas c(base);
    tile.TileDC(c.dc(), 0, 0);
    EXPECT_TRUE(SamePixels(ModelTiles(base, image, 0, 0), c.Read()));
  }
}

TEST(cTile, AnEmptyImageEndsTheLoopAndOverflowRaises) {
  const Pixels base = Pattern(30, 30, 3);
  cTile empty;
  Canvas c(base);
  empty.TileDC(c.dc(), 1000, 1000);
  empty.TileDC(c.dc(), INT_MAX, INT_MAX);
  EXPECT_TRUE(SamePixels(base, c.Read()));

  // 30000 rows tall: the row after 71582 * 30000 lies past INT_MAX.
  RenderForm form;
  cTile tall;
  tall.Initialise(&form);
  tall.Filename(BmpFile(Solid(1, 30000, 0x00445566)));
  {
    Canvas loaded(base);
    tall.TileDC(loaded.dc(), 0, 0);
    ASSERT_EQ(win::GetPixel(loaded.dc(), 0, 29), 0x00445566u);
  }
  ExpectError(plat::ErrorKind::Overflow, [&] { tall.TileDC(c.dc(), -1, INT_MAX); });
  EXPECT_TRUE(SamePixels(base, c.Read()));
}

TEST(cTile, FilenameLoadsOncePerNameAndOnlyAfterInitialise) {
  const std::string dir = testutil::MakeTempDir("gfx");
  const std::string path = testutil::Join(dir, "lawn.bmp");
  const Pixels first = Pattern(10, 10, 4);
  const Pixels second = Pattern(10, 10, 5);
  ASSERT_TRUE(WriteBmp(path, first));
  const Pixels base = Pattern(25, 25, 6);
  RenderForm form;

  cTile tile;
  tile.Filename(path);  // not initialised: nothing loads
  {
    Canvas c(base);
    tile.TileDC(c.dc(), 25, 25);
    EXPECT_TRUE(SamePixels(base, c.Read()));
  }
  tile.Initialise(&form);
  tile.Filename(path);  // the name was never taken, so this loads
  {
    Canvas c(base);
    tile.TileDC(c.dc(), 25, 25);
    EXPECT_TRUE(SamePixels(ModelTiles(base, first, 25, 25), c.Read()));
  }
  // The same name again does not reload, even though the file changed.
  ASSERT_TRUE(WriteBmp(path, second));
  tile.Filename(path);
  {
    Canvas c(base);
    tile.TileDC(c.dc(), 25, 25);
    EXPECT_TRUE(SamePixels(ModelTiles(base, first, 25, 25), c.Read()));
  }
  // A failed load keeps the old name (and empties the image); once the file
  // exists the same name loads.
  const std::string later = testutil::Join(dir, "later.bmp");
  tile.Filename(later);
  {
    Canvas c(base);
    tile.TileDC(c.dc(), 25, 25);
    EXPECT_TRUE(SamePixels(base, c.Read()));
  }
  ASSERT_TRUE(WriteBmp(later, second));
  tile.Filename(later);
  {
    Canvas c(base);
    tile.TileDC(c.dc(), 25, 25);
    EXPECT_TRUE(SamePixels(ModelTiles(base, second, 25, 25), c.Read()));
  }
}

TEST(cTile, ResettingDropsTheImageTheRenderObjectAndTheName) {
  const std::string path = BmpFile(Pattern(8, 6, 7));
  const Pixels base = Pattern(20, 20, 8);
  RenderForm form;
  cTile tile;
  tile.Initialise(&form);
  tile.Filename(path);
  tile.Filename("");
  Canvas c(base);
  ExpectError(plat::ErrorKind::ObjectNotSet, [&] { tile.TileDC(c.dc(), 20, 20); });
  ExpectError(plat::ErrorKind::ObjectNotSet, [&] { tile.TileObject(); });
  tile.Filename(path);  // no render object: nothing happens
  tile.Initialise(&form);
  // The image object is gone.
  ExpectError(plat::ErrorKind::ObjectNotSet, [&] { tile.Filename(path); });
  EXPECT_TRUE(SamePixels(base, c.Read()));

  // A picture makes a fresh image but also drops the render object.
  const Pixels pic = Pattern(7, 9, 9);
  const forms::Picture picture = ToPicture(pic);
  tile.Picture(picture);
  tile.TileDC(c.dc(), 20, 20);
  EXPECT_TRUE(SamePixels(ModelTiles(base, pic, 20, 20), c.Read()));
  ExpectError(plat::ErrorKind::ObjectNotSet, [&] { tile.TileObject(); });
  tile.Filename(path);  // not initialised again: the picture stays
  Canvas d(base);
  tile.TileDC(d.dc(), 20, 20);
  EXPECT_TRUE(SamePixels(ModelTiles(base, pic, 20, 20), d.Read()));
}

TEST(cTile, TileObjectCoversTheRenderFormsClientArea) {
  const Pixels image = Pattern(30, 25, 10);
  WindowForm form;
  form.Show();
  forms::DoEvents();
  cTile tile;
  tile.Initialise(&form);
  tile.Filename(BmpFile(image));
  tile.TileObject();
  forms::DoEvents();
  EXPECT_TRUE(
      SamePixels(ModelTiles(Pixels(100, 80), image, 100, 80), ReadDC(form.hDC(), 0, 0, 100, 80)));
  form.Unload();
  forms::DoEvents();
}
