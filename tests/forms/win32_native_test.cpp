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

TEST_F(FormsTest, WindowStylesFollowTheBorderStyle) {
  Dialog d;
  d.Show();
  forms::DoEvents();
  const LONG_PTR fixed = StyleOf(H(d.hWnd()));
  EXPECT_TRUE(fixed & WS_CAPTION);
  EXPECT_TRUE(fixed & WS_SYSMENU);
  EXPECT_FALSE(fixed & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  RECT client{};
  GetClientRect(H(d.hWnd()), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);

  forms::Form sizable;
  sizable.Show();
  const LONG_PTR s = StyleOf(H(sizable.hWnd()));
  EXPECT_TRUE(s & WS_MINIMIZEBOX);
  EXPECT_TRUE(s & WS_MAXIMIZEBOX);
  EXPECT_TRUE(s & WS_THICKFRAME);

  forms::Form bare;
  bare.SetBorderStyle(forms::BorderStyle::None);
  bare.SetClientSize(1500, 1500);
  bare.Show();
  const LONG_PTR b = StyleOf(H(bare.hWnd()));
  EXPECT_TRUE(b & WS_POPUP);
  EXPECT_FALSE(b & WS_CAPTION);
  // The window owns its DC: the same one on every call.
  EXPECT_EQ(GetClassLongPtrA(H(bare.hWnd()), GCL_STYLE) & CS_OWNDC, CS_OWNDC);
  EXPECT_EQ(reinterpret_cast<HDC>(bare.hDC()), GetDC(H(bare.hWnd())));
  bare.Unload();
  sizable.Unload();
  d.Unload();
}

TEST_F(FormsTest, ControlsAreTheSystemsWithTheirFontsAndColours) {
  Dialog d;
  d.Show();
  forms::DoEvents();
  const HWND plain = ChildAt(d, d.plain);
  const HWND bold = ChildAt(d, d.bold);
  const HWND count = ChildAt(d, d.count);
  const HWND entry = ChildAt(d, d.entry);
  char cls[32] = {};
  GetClassNameA(plain, cls, sizeof cls);
  EXPECT_STREQ(cls, "Static");
  EXPECT_TRUE(StyleOf(plain) & SS_NOPREFIX);
  GetClassNameA(count, cls, sizeof cls);
  EXPECT_STREQ(cls, "Edit");
  EXPECT_TRUE(StyleOf(count) & ES_READONLY);
  EXPECT_TRUE(StyleOf(count) & ES_CENTER);
  EXPECT_FALSE(StyleOf(entry) & ES_READONLY);

  // Point sizes at 96 dots per inch.
  const LOGFONTA countFont = FontOf(count);
  EXPECT_EQ(countFont.lfHeight, -13);
  EXPECT_LT(countFont.lfWeight, FW_BOLD);
  EXPECT_STREQ(countFont.lfFaceName, "MS Sans Serif");
  const LOGFONTA boldFont = FontOf(bold);
  EXPECT_EQ(boldFont.lfHeight, -11);
  EXPECT_EQ(boldFont.lfWeight, FW_BOLD);
  EXPECT_EQ(FontOf(plain).lfHeight, -11);
  EXPECT_EQ(FontOf(plain).lfWeight, FW_NORMAL);

  // Backgrounds, read where no text lies: the form and the white label are
  // white, the plain label keeps the button face, the read-only box its
  // window colour.
  EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(d.hDC()), 290, 190), 0xFFFFFFu);
  HDC dc = GetDC(bold);
  EXPECT_EQ(GetPixel(dc, 95, 15), 0xFFFFFFu);
  ReleaseDC(bold, dc);
  dc = GetDC(plain);
  EXPECT_EQ(GetPixel(dc, 95, 15), forms::kSystemButtonFace);
  ReleaseDC(plain, dc);
  dc = GetDC(count);
  EXPECT_EQ(GetPixel(dc, 1, 1), 0xFFFFFFu);
  ReleaseDC(count, dc);
  d.Unload();
}

TEST_F(FormsTest, PicturesShowAtTheTopLeftAndOnButtons) {
  Dialog d;
  d.Show();
  forms::DoEvents();
  const HWND image = ChildAt(d, d.picture);
  ASSERT_NE(image, nullptr);
  // The control keeps its own size; the picture sits at its corner.
  EXPECT_EQ(forms::test::ControlRect(d.picture).width, 20);
  HDC dc = GetDC(image);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 3, 2), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 10, 10), 0xFFFFFFu);  // the form shows through
  ReleaseDC(image, dc);
  const HWND button = ChildAt(d, d.pictureButton);
  EXPECT_TRUE(StyleOf(button) & BS_BITMAP);
  EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)),
            reinterpret_cast<HBITMAP>(d.red.Handle()));
  d.Unload();
}

TEST_F(FormsTest, FormIconComesFromItsPicture) {
  forms::Picture pic(16, 16, std::vector<std::uint32_t>(256, 0x00FF00));
  forms::Form f;
  f.SetIcon(&pic);
  f.Show();
  const auto icon = reinterpret_cast<HICON>(SendMessageA(H(f.hWnd()), WM_GETICON, ICON_BIG, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO ii{};
  ASSERT_TRUE(GetIconInfo(icon, &ii));
  BITMAP bm{};
  GetObjectA(ii.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  EXPECT_EQ(bm.bmHeight, 16);
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  f.SetIcon(nullptr);
  EXPECT_EQ(SendMessageA(H(f.hWnd()), WM_GETICON, ICON_BIG, 0), 0);
  f.Unload();
}

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

TEST_F(FormsTest, MousePositionsReachTheFormInTwips) {
  Stage s;
  s.Show();
  forms::DoEvents();
  const HWND h = H(s.hWnd());
  s.mouse.clear();  // the pointer may have "moved" as the window appeared
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
  SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(0, 1));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3, 4));
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(150, 199));
  ASSERT_EQ(s.mouse.size(), 4u);
  EXPECT_EQ(s.mouse[0].kind, 0);
  EXPECT_EQ(s.mouse[0].button, forms::kLeftButton);
  EXPECT_EQ(s.mouse[0].x, 150.0f);
  EXPECT_EQ(s.mouse[0].y, 300.0f);
  EXPECT_EQ(s.mouse[1].button, forms::kRightButton);
  EXPECT_EQ(s.mouse[1].y, 15.0f);
  EXPECT_EQ(s.mouse[2].kind, 1);
  EXPECT_EQ(s.mouse[2].button, forms::kLeftButton);
  EXPECT_EQ(s.mouse[2].x, 45.0f);
  EXPECT_EQ(s.mouse[3].button, 0);
  EXPECT_EQ(s.mouse[3].x, 2250.0f);
  EXPECT_EQ(s.mouse[3].y, 2985.0f);
  s.Unload();
}

TEST_F(FormsTest, EveryKeyReachesAFormWithoutControls) {
  Stage s;
  s.Show();
  forms::DoEvents();
  // The dialog manager would take these for itself.
  forms::test::PressKey(s, VK_RETURN);
  forms::test::PressKey(s, VK_TAB);
  forms::test::PressKey(s, VK_ESCAPE);
  forms::test::PressKey(s, VK_DOWN);
  EXPECT_EQ(s.keys, std::vector<int>({VK_RETURN, VK_TAB, VK_ESCAPE, VK_DOWN}));
  s.Unload();
}

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
