// A small dialog as the programs lay them out: twips become pixels by the
// screen's rule, the client area has its designed size, the keyboard order
// and the first focus follow the tab indexes, captions show "&&" as "&", a
// border changed while shown takes effect.
#include <string>

#include "forms/forms_fixture.h"

namespace {

using namespace formstest;  // the fixture and the key codes
using forms::test::FocusedControl;

// Laid out like the settings dialog: a label, count boxes with their bars,
// a separator, a picture and two buttons.
class CountDialog : public forms::Form {
 public:
  forms::Image banner{*this};
  forms::Label labelA{*this};
  forms::TextBox textA{*this};
  forms::VScrollBar barA{*this};
  forms::Label labelB{*this};
  forms::TextBox textB{*this};
  forms::VScrollBar barB{*this};
  forms::Line line{*this};
  forms::CommandButton website{*this};
  forms::CommandButton close{*this};
  int closeClicks = 0;
  int websiteClicks = 0;

  CountDialog() {
    SetCaption("Count Dialog");
    SetBorderStyle(forms::BorderStyle::FixedDialog);
    SetClientSize(3615, 4395);
    banner.Move(120, 50, 3420, 1365);
    labelA.Move(720, 1590, 1455, 255);
    labelA.SetCaption("Yellow && Red");
    labelA.SetTabIndex(10);
    textA.Move(2400, 1500, 375, 405);
    textA.SetTabIndex(3);
    textA.SetLocked(true);
    textA.SetAlignment(forms::Align::Center);
    barA.Move(2760, 1500, 255, 375);
    barA.SetTabIndex(2);
    labelB.Move(720, 2085, 1455, 255);
    labelB.SetCaption("&Roses");
    labelB.SetTabIndex(11);
    textB.Move(2400, 2000, 375, 405);
    textB.SetTabIndex(4);
    barB.Move(2760, 2000, 255, 375);
    barB.SetTabIndex(5);
    line.SetPoints(120, 3600, 3480, 3600);
    website.Move(120, 3720, 1935, 495);
    website.SetTabIndex(1);
    website.Click = [this] { ++websiteClicks; };
    close.Move(2280, 3720, 1215, 495);
    close.SetCaption("Save && Close");
    close.SetTabIndex(0);
    close.Click = [this] { ++closeClicks; };
  }
};

TEST_F(FormsTest, CaptionsShowDoubledAmpersandsAsOne) {
  CountDialog d;
  d.Load();
  EXPECT_EQ(forms::test::ShownText(d.labelA), "Yellow & Red");
  // A single "&" marks no letter and is not shown.
  EXPECT_EQ(forms::test::ShownText(d.labelB), "Roses");
  EXPECT_EQ(forms::test::ShownText(d.close), "Save & Close");
  // A caption set while loaded reaches the native control.
  d.labelB.SetCaption("Salt && Pepper && Co");
  EXPECT_EQ(forms::test::ShownText(d.labelB), "Salt & Pepper & Co");
  d.Unload();
}

TEST_F(FormsTest, FocusStartsOnTheLowestTabIndexAndTabFollowsTheOrder) {
  CountDialog d;
  d.Show();
  forms::DoEvents();
  EXPECT_EQ(FocusedControl(d), &d.close);
  EXPECT_TRUE(d.close.HasFocus());
  // close(0) website(1) barA(2) textA(3) textB(4) barB(5), then around;
  // labels have an index but never take the focus.
  forms::Control* const expected[] = {&d.website, &d.barA, &d.textA, &d.textB, &d.barB, &d.close};
  for (forms::Control* c : expected) {
    forms::test::PressKey(d, kVkTab);
    EXPECT_EQ(FocusedControl(d), c) << "after Tab, expected " << c->TabIndex();
  }
  // A disabled control is passed over.
  d.barA.SetEnabled(false);
  forms::test::PressKey(d, kVkTab);
  EXPECT_EQ(FocusedControl(d), &d.website);
  forms::test::PressKey(d, kVkTab);
  EXPECT_EQ(FocusedControl(d), &d.textA);
  d.Unload();
}

TEST_F(FormsTest, SetFocusMovesTheFocusAndEnterPressesTheFocusedButton) {
  CountDialog d;
  d.Show();
  forms::DoEvents();
  d.website.SetFocus();
  forms::DoEvents();
  EXPECT_EQ(FocusedControl(d), &d.website);
  EXPECT_FALSE(d.close.HasFocus());
  forms::test::PressKey(d, kVkReturn);
  EXPECT_EQ(d.websiteClicks, 1);
  EXPECT_EQ(d.closeClicks, 0);

  d.close.SetFocus();
  forms::DoEvents();
  forms::test::PressKey(d, kVkReturn);
  EXPECT_EQ(d.closeClicks, 1);
  EXPECT_EQ(d.websiteClicks, 1);
  d.Unload();
}

TEST_F(FormsTest, UnloadedFormHasNoWindowCanLoadAgainAndTakesANewBorder) {
  CountDialog d;
  d.Show();
  EXPECT_TRUE(d.IsLoaded());
  EXPECT_NE(d.hWnd(), nullptr);
  d.Unload();
  forms::DoEvents();
  EXPECT_FALSE(d.IsLoaded());
  EXPECT_EQ(d.hWnd(), nullptr);
  // Properties set meanwhile are kept and shown by the next window.
  d.labelA.SetCaption("Again");
  d.Show();
  forms::DoEvents();
  EXPECT_EQ(forms::test::ShownText(d.labelA), "Again");
  EXPECT_EQ(FocusedControl(d), &d.close);
  // A border taken off while shown: the same client area, at the window's corner.
  const forms::test::PixelRect framed = forms::test::ClientRect(d);
  d.SetBorderStyle(forms::BorderStyle::None);
  forms::DoEvents();
  const forms::test::PixelRect bare = forms::test::ClientRect(d);
  EXPECT_EQ(bare.width * 10000 + bare.height, framed.width * 10000 + framed.height);
  EXPECT_EQ(bare.left, static_cast<int>(d.Left() / forms::Screen::TwipsPerPixelX()));
  EXPECT_EQ(bare.top, static_cast<int>(d.Top() / forms::Screen::TwipsPerPixelY()));
  d.Unload();
}

}  // namespace
