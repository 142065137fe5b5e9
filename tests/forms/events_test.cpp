// What the user does reaches the event procedures: scroll-bar clicks, button
// clicks, typing, keys, the close box; and an exception thrown by an event
// procedure comes back out of the call that dispatched it.
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/forms_fixture.h"

namespace {

using namespace formstest;  // the fixture and the key codes
using forms::test::FocusedControl;
using forms::test::PressKey;

class Panel : public forms::Form {
 public:
  // A bar as short as the settings dialog's (arrows only) and a tall one.
  forms::VScrollBar small{*this};
  forms::VScrollBar tall{*this};
  forms::CommandButton button{*this};
  forms::TextBox line{*this};
  forms::TextBox memo{*this};
  std::vector<int> smallChanges;
  std::vector<int> tallChanges;
  int clicks = 0;
  int unloads = 0;
  int cancelUnload = 0;

  Panel() {
    SetCaption("Panel");
    SetBorderStyle(forms::BorderStyle::FixedDialog);
    SetClientSize(4500, 3600);
    small.Move(2760, 1500, 255, 375);
    small.SetRange(0, 10);
    small.SetValue(1);
    small.SetTabIndex(0);
    small.Change = [this] { smallChanges.push_back(small.Value()); };
    tall.Move(3600, 300, 255, 2400);
    tall.SetRange(0, 100);
    tall.SetSmallChange(2);
    tall.SetLargeChange(25);
    tall.SetTabIndex(1);
    tall.Change = [this] { tallChanges.push_back(tall.Value()); };
    button.Move(120, 3000, 1215, 375);
    button.SetCaption("Go");
    button.SetTabIndex(2);
    button.Click = [this] { ++clicks; };
    line.Move(120, 120, 2400, 285);
    line.SetText("preset");
    line.SetTabIndex(3);
    memo.Move(120, 600, 2400, 1200);
    memo.SetMultiLine(true);
    memo.SetTabIndex(4);
  }
  void Form_Unload(int& cancel) override {
    ++unloads;
    cancel = cancelUnload;
  }
};

TEST_F(FormsTest, ArrowClicksStepTheBarStopAtItsEndsAndGoOnFromTheProgramsValue) {
  Panel p;
  p.Show();
  forms::DoEvents();
  ASSERT_EQ(p.small.Value(), 1);
  forms::test::ClickScrollArrow(p.small, true);
  EXPECT_EQ(p.small.Value(), 0);
  // At the top the up arrow changes nothing and fires nothing.
  forms::test::ClickScrollArrow(p.small, true);
  EXPECT_EQ(p.small.Value(), 0);
  EXPECT_EQ(p.smallChanges, std::vector<int>({0}));
  for (int i = 0; i < 12; ++i) forms::test::ClickScrollArrow(p.small, false);
  EXPECT_EQ(p.small.Value(), 10);
  // Set by the program: Change once, none for the same value again, and the
  // native bar stands there, so the next click goes on from it.
  p.small.SetValue(5);
  forms::DoEvents();
  p.small.SetValue(5);
  forms::test::ClickScrollArrow(p.small, false);
  EXPECT_EQ(p.small.Value(), 6);
  EXPECT_EQ(p.smallChanges, std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 5, 6}));
  // A disabled bar does not move.
  p.small.SetEnabled(false);
  forms::test::ClickScrollArrow(p.small, false);
  EXPECT_EQ(p.small.Value(), 6);
  p.Unload();
}

// Trough clicks page and arrows step by the large and small change; keys
// move a focused bar as the system's vertical bar does: Up, Page Up (and the
// wheel up) toward Min, Down and Page Down toward Max. A click on an arrow
// focuses the bar.
TEST_F(FormsTest, TroughClicksAndKeysMoveTheBarAsTheSystemsBarDoes) {
  Panel p;
  p.Show();
  forms::DoEvents();
  forms::test::ClickScrollTrough(p.tall, false);
  forms::test::ClickScrollArrow(p.tall, false);
  forms::test::ClickScrollTrough(p.tall, true);
  forms::test::ClickScrollTrough(p.tall, true);
  EXPECT_EQ(p.tallChanges, std::vector<int>({25, 27, 2, 0}));
  forms::test::ClickScrollArrow(p.tall, true);
  ASSERT_EQ(FocusedControl(p), &p.tall);
  PressKey(p, kVkNext);
  PressKey(p, kVkDown);
  PressKey(p, kVkDown);
  PressKey(p, kVkPrior);
  PressKey(p, kVkUp);
  EXPECT_EQ(p.tall.Value(), 2);
  EXPECT_EQ(p.tallChanges, std::vector<int>({25, 27, 2, 0, 25, 27, 29, 4, 2}));
  p.Unload();
}

TEST_F(FormsTest, TypedTextIsReadBackAndProgramTextShows) {
  Panel p;
  p.Show();
  EXPECT_EQ(p.line.Text(), "preset");
  forms::test::TypeText(p.line, "friend@example.org");
  EXPECT_EQ(p.line.Text(), "friend@example.org");
  EXPECT_EQ(forms::test::ShownText(p.line), "friend@example.org");
  // Characters of the code page above ASCII come back as the same bytes.
  forms::test::TypeText(p.line, "caf\xE9 & co");
  EXPECT_EQ(p.line.Text(), "caf\xE9 & co");
  // A multi-line box gives its lines with CR LF, as the system's do.
  forms::test::TypeText(p.memo, "first line\r\nsecond line");
  EXPECT_EQ(p.memo.Text(), "first line\r\nsecond line");
  p.memo.SetText("set\r\nby program");
  EXPECT_EQ(p.memo.Text(), "set\r\nby program");
  // A single-line box has no length limit of its own.
  std::string longText(40000, 'a');
  longText.back() = 'z';
  forms::test::TypeText(p.line, longText);
  EXPECT_TRUE(p.line.Text() == longText) << p.line.Text().size() << " characters";
  p.line.SetText(longText + "!");
  EXPECT_EQ(p.line.Text().size(), 40001u);
  p.line.SetText("");
  EXPECT_EQ(p.line.Text(), "");
  p.Unload();
  // Once unloaded the box reads what the program last set.
  EXPECT_EQ(p.line.Text(), "");
}

// A multi-line box takes no Tab of its own: Tab and Shift+Tab move on.
TEST_F(FormsTest, TabAndShiftTabLeaveAMultiLineBox) {
  Panel p;
  p.Show();
  p.memo.SetFocus();
  forms::DoEvents();
  ASSERT_EQ(FocusedControl(p), &p.memo);
  PressKey(p, kVkTab);
  EXPECT_EQ(FocusedControl(p), &p.small);
  p.memo.SetFocus();
  forms::DoEvents();
  PressKey(p, kVkTab, kShift);
  EXPECT_EQ(FocusedControl(p), &p.line);
  EXPECT_EQ(p.memo.Text(), "");
  p.Unload();
}

TEST_F(FormsTest, CloseBoxRunsFormUnloadWhichMayCancelAndButtonsClick) {
  Panel p;
  p.Show();
  p.cancelUnload = 1;
  forms::test::CloseBox(p);
  EXPECT_EQ(p.unloads, 1);
  EXPECT_TRUE(p.IsLoaded());
  EXPECT_TRUE(p.IsShown());
  // Still alive and working: a click runs the button's procedure, unless
  // the button is disabled.
  forms::test::ClickButton(p.button);
  forms::test::ClickButton(p.button);
  p.button.SetEnabled(false);
  forms::test::ClickButton(p.button);
  EXPECT_EQ(p.clicks, 2);

  p.cancelUnload = 0;
  forms::test::CloseBox(p);
  EXPECT_EQ(p.unloads, 2);
  EXPECT_FALSE(p.IsLoaded());
  EXPECT_EQ(p.hWnd(), nullptr);
}

// A button that unloads its own form from its Click, as "Close" does.
class SelfClosing : public forms::Form {
 public:
  forms::CommandButton close{*this};
  forms::TextBox box{*this};
  bool unloaded = false;
  SelfClosing() {
    SetClientSize(3000, 2000);
    close.Move(120, 120, 1200, 375);
    close.SetTabIndex(0);
    close.Click = [this] {
      Unload();
      // Event code may go on after the unload and pump messages.
      forms::DoEvents();
      box.SetText("after");
    };
    box.Move(120, 600, 1200, 285);
    box.SetTabIndex(1);
  }
  void Form_Unload(int&) override { unloaded = true; }
};

TEST_F(FormsTest, FormUnloadedFromItsOwnButtonGoesSafely) {
  SelfClosing f;
  f.Show();
  forms::test::ClickButton(f.close);
  EXPECT_TRUE(f.unloaded);
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(f.box.Text(), "after");
  forms::DoEvents();
}

class Stage : public forms::Form {
 public:
  std::vector<int> keys;
  Stage() {
    SetBorderStyle(forms::BorderStyle::None);
    SetClientSize(1500, 1200);
  }
  void Form_KeyDown(int keyCode, int shift) override {
    keys.push_back(keyCode);
    EXPECT_EQ(shift, 0);
    if (keyCode == 'Q') throw std::runtime_error("quit key");
  }
};

TEST_F(FormsTest, KeysReachFormKeyDownAndAnEventProceduresExceptionComesOut) {
  // Keys of a form without controls reach Form_KeyDown.
  Stage s;
  s.Show();
  forms::DoEvents();
  forms::test::PressKey(s, kVkEscape);
  forms::test::PressKey(s, 'A');
  forms::test::PressKey(s, '7');
  EXPECT_EQ(s.keys, std::vector<int>({kVkEscape, 'A', '7'}));
  // The hook processes the key with DoEvents, which rethrows.
  EXPECT_THROW(forms::test::PressKey(s, 'Q'), std::runtime_error);
  // Held once: the next processing is clean.
  EXPECT_NO_THROW(forms::DoEvents());

  Panel p;
  p.button.Click = [] { throw std::logic_error("from click"); };
  p.Show();
  EXPECT_THROW(forms::test::ClickButton(p.button), std::logic_error);
  EXPECT_NO_THROW(forms::DoEvents());
  p.Unload();
  s.Unload();
}

}  // namespace
