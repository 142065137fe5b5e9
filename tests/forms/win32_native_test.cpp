// Windows only: the forms are real Windows controls with the system's own
// look and behaviour: window styles, fonts, colours, pictures, mouse and
// keyboard messages, the thumb of a scroll bar, the system's message box
// with timers running inside its loop, the end of the session.
#ifdef _WIN32
// clang-format off
#include <string>
#include <vector>
#include "forms/forms_fixture.h"
#include <windows.h>
// clang-format on

namespace {

using formstest::FormsTest;

HWND H(win::HWND h) { return reinterpret_cast<HWND>(h); }

// The native window of a control: the child of the form at the control's
// place (controls are addressed as the user sees them).
HWND ChildAt(forms::Form& f, const forms::Control& c) {
  const auto r = forms::test::ControlRect(c);
  POINT p{r.left + r.width / 2, r.top + r.height / 2};
  return ChildWindowFromPointEx(H(f.hWnd()), p, CWP_SKIPINVISIBLE);
}

LONG_PTR StyleOf(HWND h) { return GetWindowLongPtrA(h, GWL_STYLE); }

LOGFONTA FontOf(HWND h) {
  LOGFONTA lf{};
  const auto font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
  if (font) GetObjectA(font, sizeof lf, &lf);
  return lf;
}

class Dialog : public forms::Form {
 public:
  forms::Label plain{*this};
  forms::Label bold{*this};
  forms::TextBox count{*this};
  forms::TextBox entry{*this};
  forms::Image picture{*this};
  forms::CommandButton ok{*this};
  forms::CommandButton pictureButton{*this};
  forms::Picture red{4, 3, std::vector<std::uint32_t>(12, 0xFF0000)};
  int clicks = 0;

  Dialog() {
    SetCaption("Look");
    SetBorderStyle(forms::BorderStyle::FixedDialog);
    SetBackColor(forms::kWhite);
    SetClientSize(4500, 3000);
    plain.Move(120, 120, 1500, 255);
    plain.SetCaption("A && B");
    bold.Move(120, 480, 1500, 255);
    bold.SetCaption("Bold");
    bold.SetBackColor(forms::kWhite);
    bold.SetFont({"MS Sans Serif", 8.25f, true});
    count.Move(1800, 120, 375, 405);
    count.SetLocked(true);
    count.SetAlignment(forms::Align::Center);
    count.SetFont({"MS Sans Serif", 9.75f, false});
    count.SetText("5");
    count.SetTabIndex(1);
    entry.Move(1800, 900, 1500, 285);
    entry.SetTabIndex(2);
    picture.Move(120, 1200, 300, 300);  // 20 x 20 pixels
    picture.SetPicture(&red);
    ok.Move(2400, 2400, 1200, 375);
    ok.SetCaption("OK");
    ok.SetTabIndex(0);
    ok.Click = [this] { ++clicks; };
    pictureButton.Move(600, 2400, 600, 375);
    pictureButton.SetPicture(&red);
    pictureButton.SetTabIndex(3);
  }
};

class Stage : public forms::Form {
 public:
  struct Event {
    int kind, button, shift;
    float x, y;
  };
  std::vector<Event> mouse;
  std::vector<int> keys;
  int unloads = 0;
  Stage() {
    SetBorderStyle(forms::BorderStyle::None);
    SetClientSize(3000, 3000);
  }
  void Form_MouseDown(int button, int shift, float x, float y) override {
    mouse.push_back({0, button, shift, x, y});
  }
  void Form_MouseMove(int button, int shift, float x, float y) override {
    mouse.push_back({1, button, shift, x, y});
  }
  void Form_KeyDown(int keyCode, int) override { keys.push_back(keyCode); }
  void Form_Unload(int&) override { ++unloads; }
};

TEST_F(FormsTest, EscapeOnADialogPressesNothingAndAltF4Closes) {
  Dialog d;
  d.Show();
  forms::DoEvents();
  d.entry.SetFocus();
  forms::test::PressKey(d, VK_ESCAPE);
  forms::test::PressKey(d, VK_RETURN);  // no button has the focus
  EXPECT_EQ(d.clicks, 0);
  EXPECT_TRUE(d.IsLoaded());
  // Alt+F4 with the focus on a control closes its form.
  PostMessageA(GetFocus(), WM_SYSKEYDOWN, VK_F4, (1 << 29) | 1);
  forms::DoEvents();
  forms::DoEvents();
  EXPECT_FALSE(d.IsLoaded());
}

class Bars : public forms::Form {
 public:
  forms::VScrollBar bar{*this};
  forms::VScrollBar inverted{*this};
  std::vector<int> changes, invertedChanges;
  Bars() {
    SetClientSize(3000, 3000);
    bar.Move(120, 120, 255, 2400);
    bar.SetRange(0, 20);
    bar.SetTabIndex(0);
    bar.Change = [this] { changes.push_back(bar.Value()); };
    inverted.Move(600, 120, 255, 2400);
    inverted.SetRange(10, 0);  // the larger number at the top
    inverted.SetValue(10);
    inverted.SetTabIndex(1);
    inverted.Change = [this] { invertedChanges.push_back(inverted.Value()); };
  }
};

TEST_F(FormsTest, DraggedThumbChangesTheValueOnceWhenLetGo) {
  Bars b;
  b.Show();
  forms::DoEvents();
  const HWND parent = H(b.hWnd());
  const HWND bar = ChildAt(b, b.bar);
  const auto send = [&](HWND ctl, int code, int pos) {
    SendMessageA(parent, WM_VSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(ctl));
  };
  send(bar, SB_THUMBTRACK, 5);
  send(bar, SB_THUMBTRACK, 7);
  EXPECT_TRUE(b.changes.empty());
  EXPECT_EQ(b.bar.Value(), 0);
  send(bar, SB_THUMBPOSITION, 7);
  send(bar, SB_ENDSCROLL, 0);
  EXPECT_EQ(b.changes, std::vector<int>({7}));
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 7);
  // The keyboard's Home and End on the bar.
  send(bar, SB_BOTTOM, 0);
  EXPECT_EQ(b.bar.Value(), 20);
  send(bar, SB_TOP, 0);
  EXPECT_EQ(b.changes, std::vector<int>({7, 20, 0}));

  // Min above Max: the down arrow goes toward Max.
  const HWND inv = ChildAt(b, b.inverted);
  EXPECT_EQ(GetScrollPos(inv, SB_CTL), 0);
  forms::test::ClickScrollArrow(b.inverted, false);
  EXPECT_EQ(b.inverted.Value(), 9);
  EXPECT_EQ(GetScrollPos(inv, SB_CTL), 1);
  forms::test::ClickScrollArrow(b.inverted, true);
  forms::test::ClickScrollArrow(b.inverted, true);
  EXPECT_EQ(b.invertedChanges, std::vector<int>({9, 10}));
  b.Unload();
}

// What a timer finds of the message box on the screen.
struct BoxSeen {
  bool found = false;
  std::string text;
  int buttons = 0;
  std::string buttonText;
  bool icon = false;
};

BOOL CALLBACK Inspect(HWND child, LPARAM lp) {
  auto* seen = reinterpret_cast<BoxSeen*>(lp);
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(child)) {
    ++seen->buttons;
    char t[64] = {};
    GetWindowTextA(child, t, sizeof t);
    seen->buttonText = t;
  }
  if (lstrcmpiA(cls, "Static") == 0 && IsWindowVisible(child) && (StyleOf(child) & SS_ICON) &&
      SendMessageA(child, STM_GETICON, 0, 0) != 0)
    seen->icon = true;
  return TRUE;
}

// Shows the system's message box; a form timer, which runs inside the box's
// own message loop, reads it and presses its OK button.
BoxSeen ShowAndClose(const std::string& text, int style, const std::string& caption) {
  forms::Form host;
  forms::Timer timer(host);
  host.Load();
  BoxSeen seen;
  int ticks = 0;
  timer.OnTimer = [&] {
    ++ticks;
    const HWND box = FindWindowA("#32770", caption.c_str());
    if (!box && ticks < 100) return;
    timer.SetEnabled(false);
    if (!box) return;
    seen.found = true;
    char t[256] = {};
    GetDlgItemTextA(box, 0xFFFF, t, sizeof t);
    seen.text = t;
    EnumChildWindows(box, Inspect, reinterpret_cast<LPARAM>(&seen));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  };
  timer.SetInterval(50);
  timer.SetEnabled(true);
  EXPECT_EQ(forms::MsgBox(text, style, caption), forms::vbOK);
  timer.SetEnabled(false);
  host.Unload();
  return seen;
}

TEST_F(FormsTest, MessageBoxIsTheSystemsWithOneOkAndTimersRunInside) {
  const BoxSeen warn = ShowAndClose("Files && more are missing",
                                    forms::vbOKOnly + forms::vbExclamation, "Tamarel Screen Saver");
  ASSERT_TRUE(warn.found);
  EXPECT_EQ(warn.text, "Files && more are missing");
  EXPECT_EQ(warn.buttons, 1);
  EXPECT_EQ(warn.buttonText, "OK");
  EXPECT_TRUE(warn.icon);

  const BoxSeen plain = ShowAndClose("Friend 1", forms::vbOKOnly, "Email");
  ASSERT_TRUE(plain.found);
  EXPECT_EQ(plain.buttons, 1);
  EXPECT_FALSE(plain.icon);
}

TEST_F(FormsTest, SessionEndUnloadsTheFormsAndEndsTheProgram) {
  Stage s;
  Stage other;
  s.Show();
  other.Show();
  forms::DoEvents();
  EXPECT_NE(SendMessageA(H(s.hWnd()), WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_TRUE(s.IsLoaded());
  SendMessageA(H(s.hWnd()), WM_ENDSESSION, TRUE, 0);
  EXPECT_THROW(forms::DoEvents(), plat::ProgramEnded);
  EXPECT_EQ(s.unloads, 1);
  EXPECT_EQ(other.unloads, 1);
  EXPECT_FALSE(s.IsLoaded());
  EXPECT_FALSE(other.IsLoaded());
}

}  // namespace
#endif
