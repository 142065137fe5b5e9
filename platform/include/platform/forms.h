// The small forms runtime: forms with controls and event procedures,
// timers, message boxes, message processing and the screen.
//
// A form is a class derived from forms::Form whose controls are members,
// laid out in twips in its constructor. Load() makes the native window and
// the controls and runs Form_Load; the native side is Windows controls on
// win32 and Qt widgets on Linux, and form code never sees which.
//
// Exceptions thrown by event procedures never cross native frames: the
// runtime holds them and rethrows them from the DoEvents/WaitForEvents (or
// MsgBox, Show, Load) call that dispatched them, so the caller's error trap
// sees them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/winapi.h"

namespace forms {

class Form;
class Control;

// ---- pictures ------------------------------------------------------------

// An image held by the program (resources): 32-bit pixels 0x00RRGGBB, rows
// top to bottom.
class Picture {
 public:
  Picture() = default;
  Picture(int width, int height, std::vector<std::uint32_t> pixels);
  // Decodes a Windows .bmp held in memory; an empty picture when malformed.
  static Picture FromBmp(const std::uint8_t* data, std::size_t size);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  Picture(Picture&&) noexcept;
  Picture& operator=(Picture&&) noexcept;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  // The picture's default property: a display-format bitmap that the picture
  // owns (made on first use, freed with the picture).
  win::HBITMAP Handle() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
  mutable win::HBITMAP handle_ = nullptr;
};

// ---- fonts, colours, keys ----------------------------------------------------

struct Font {
  std::string name = "MS Sans Serif";
  float size = 8.25f;  // points
  bool bold = false;
};

constexpr win::COLORREF kWhite = 0x00FFFFFF;
constexpr win::COLORREF kBlack = 0x00000000;
// The system's window and button-face colours (the defaults of VB forms).
constexpr win::COLORREF kSystemWindow = 0x00FFFFFF;
constexpr win::COLORREF kSystemButtonFace = 0x00F0F0F0;

enum class Align { Left, Center, Right };

// Shift-state bits of key and mouse events.
constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
// Mouse buttons.
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;

// ---- controls --------------------------------------------------------------------

enum class Kind { Label, TextBox, VScrollBar, CommandButton, PictureBox, Image, Line, Shape };

// What changed, for the native side.
enum class Prop { Geometry, Text, Visible, Enabled, Font, Colors, Value, Range, Picture, Style };

class Control {
 public:
  Control(Form& form, Kind kind);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  Form& form() const { return form_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // Position and size in the form's client coordinates, twips.
  void Move(float left, float top, float width, float height);
  float Left() const { return left_; }
  float Top() const { return top_; }
  float Width() const { return width_; }
  float Height() const { return height_; }

  // Keyboard order; -1 = not a tab stop (labels, pictures, lines).
  void SetTabIndex(int index) { tabIndex_ = index; }
  int TabIndex() const { return tabIndex_; }
  bool CanFocus() const;

  void SetVisible(bool v);
  bool Visible() const { return visible_; }
  void SetEnabled(bool v);
  bool Enabled() const { return enabled_; }
  void SetFont(const Font& f);
  const Font& GetFont() const { return font_; }
  void SetBackColor(win::COLORREF c);
  win::COLORREF BackColor() const { return backColor_; }
  void SetForeColor(win::COLORREF c);
  win::COLORREF ForeColor() const { return foreColor_; }

  void SetFocus();
  bool HasFocus() const;

  // Owned by the native side.
  void* native = nullptr;

 protected:
  void Changed(Prop p);

 private:
  Form& form_;
  Kind kind_;
  std::string name_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int tabIndex_ = -1;
  bool visible_ = true;
  bool enabled_ = true;
  Font font_;
  win::COLORREF backColor_ = kSystemButtonFace;
  win::COLORREF foreColor_ = kBlack;
};

class Label : public Control {
 public:
  explicit Label(Form& f) : Control(f, Kind::Label) {}
  // The caption as designed: "&&" stands for one "&"; no letter is
  // underlined.
  void SetCaption(std::string c);
  const std::string& Caption() const { return caption_; }
  // What the user sees: "&&" shown as "&".
  std::string DisplayText() const;
  void SetAlignment(Align a);
  Align Alignment() const { return align_; }

 private:
  std::string caption_;
  Align align_ = Align::Left;
};

class TextBox : public Control {
 public:
  explicit TextBox(Form& f) : Control(f, Kind::TextBox) { SetBackColor(kSystemWindow); }
  // Reads what the box holds now (the user may have typed).
  std::string Text() const;
  void SetText(std::string t);
  void SetMultiLine(bool m) { multiLine_ = m; }
  bool MultiLine() const { return multiLine_; }
  void SetLocked(bool l);  // read-only
  bool Locked() const { return locked_; }
  void SetAlignment(Align a);
  Align Alignment() const { return align_; }

  // For the native side: the text as last set by the program.
  const std::string& StoredText() const { return text_; }

 private:
  std::string text_;
  bool multiLine_ = false;
  bool locked_ = false;
  Align align_ = Align::Left;
};

class VScrollBar : public Control {
 public:
  explicit VScrollBar(Form& f) : Control(f, Kind::VScrollBar) {}
  void SetRange(int min, int max);
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetSmallChange(int v) { small_ = v; }
  void SetLargeChange(int v) { large_ = v; }
  int SmallChange() const { return small_; }
  int LargeChange() const { return large_; }
  // Setting a new value fires Change (as in VB); setting the same does not.
  void SetValue(int v);
  int Value() const { return value_; }
  std::function<void()> Change;

  // For the native side: the user moved the bar to `v` (arrow, trough, or
  // release of the thumb). Clamps, stores and fires Change when it differs.
  void UserChanged(int v);

 private:
  int min_ = 0, max_ = 32767, small_ = 1, large_ = 1, value_ = 0;
};

class CommandButton : public Control {
 public:
  explicit CommandButton(Form& f) : Control(f, Kind::CommandButton) {}
  void SetCaption(std::string c);
  const std::string& Caption() const { return caption_; }
  std::string DisplayText() const;  // "&&" as "&"
  // A picture shown on the button (the button does not own it).
  void SetPicture(const Picture* p);
  const Picture* GetPicture() const { return picture_; }
  std::function<void()> Click;

 private:
  std::string caption_;
  const Picture* picture_ = nullptr;
};

// A picture box with a persistent image: its hDC is a memory DC that holds
// the box's pixels (background colour, the picture at the top-left), valid
// whether or not the form is shown.
class PictureBox : public Control {
 public:
  explicit PictureBox(Form& f) : Control(f, Kind::PictureBox) { SetBackColor(kSystemWindow); }
  ~PictureBox() override;
  void SetPicture(const Picture* p);
  const Picture* GetPicture() const { return picture_; }
  win::HDC hDC();

 private:
  void Release();
  const Picture* picture_ = nullptr;
  win::HDC dc_ = nullptr;
  win::HBITMAP bmp_ = nullptr;
  win::HGDIOBJ old_ = nullptr;
};

class Image : public Control {
 public:
  explicit Image(Form& f) : Control(f, Kind::Image) {}
  void SetPicture(const Picture* p);
  const Picture* GetPicture() const { return picture_; }

 private:
  const Picture* picture_ = nullptr;
};

// A line from (Left, Top) to (Left + Width, Top + Height), twips.
class Line : public Control {
 public:
  explicit Line(Form& f) : Control(f, Kind::Line) { SetForeColor(0x00808080); }
  void SetPoints(float x1, float y1, float x2, float y2) { Move(x1, y1, x2 - x1, y2 - y1); }
};

// A rectangle outline.
class Shape : public Control {
 public:
  explicit Shape(Form& f) : Control(f, Kind::Shape) {}
};

// ---- timers ---------------------------------------------------------------------------

// A timer of a form. It ticks on the platform clock: in real time with the
// system's timers (also inside message boxes), and with the virtual clock
// only when a wait moves the clock.
class Timer {
 public:
  explicit Timer(Form& f);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  void SetInterval(int ms);
  int Interval() const { return interval_; }
  void SetEnabled(bool e);
  bool Enabled() const { return enabled_; }
  std::function<void()> OnTimer;

  // For the runtime: when the next tick is due, on plat::ClockMillis().
  std::int64_t Due() const { return due_; }
  void Fire();

 private:
  void Arm();
  int interval_ = 0;
  bool enabled_ = false;
  std::int64_t due_ = 0;
};

// ---- forms -----------------------------------------------------------------------------

enum class BorderStyle { None, FixedDialog, Sizable };
enum class WindowState { Normal, Minimized, Maximized };
enum class StartUpPosition { Manual, CenterScreen };
enum class FormProp { Caption, Geometry, State, Colors, Icon, Style };

class Form {
 public:
  Form();
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Design properties.
  void SetCaption(std::string c);
  const std::string& Caption() const { return caption_; }
  void SetBorderStyle(BorderStyle b);
  BorderStyle GetBorderStyle() const { return border_; }
  void SetBackColor(win::COLORREF c);
  win::COLORREF BackColor() const { return backColor_; }
  void SetIcon(const Picture* p);
  const Picture* Icon() const { return icon_; }
  void SetStartUpPosition(StartUpPosition p) { startUp_ = p; }
  StartUpPosition GetStartUpPosition() const { return startUp_; }
  // Client area, twips (ScaleWidth and ScaleHeight read it back).
  void SetClientSize(float width, float height);
  float ScaleWidth() const { return clientW_; }
  float ScaleHeight() const { return clientH_; }
  // Outer position and size, twips. For a borderless form outer = client.
  void SetLeft(float v);
  void SetTop(float v);
  void SetWidth(float v);
  void SetHeight(float v);
  float Left() const { return left_; }
  float Top() const { return top_; }
  float Width() const;
  float Height() const;
  void SetWindowState(WindowState s);
  WindowState GetWindowState() const { return state_; }
  // The monitor a borderless maximised form covers, pixels of the virtual
  // screen; a width of 0 (the default) is the whole screen at 0, 0.
  struct Area {
    int left = 0, top = 0, width = 0, height = 0;
  };
  void SetMonitorArea(const Area& a);
  const Area& MonitorArea() const { return monitor_; }
  // Embeds the form into a window of another program (the X window id of
  // a screen-saver host); set before Load. 0 = a window of its own.
  void SetHostWindow(std::uint64_t id) { host_ = id; }
  std::uint64_t HostWindow() const { return host_; }

  // Life.
  void Load();  // once: native window and controls, then Form_Load
  void Show();  // modeless; loads first
  void Hide();
  void Unload();   // Form_Unload(cancel); unless cancelled, the window goes
  void Refresh();  // repaint at once
  bool IsLoaded() const { return loaded_; }
  bool IsShown() const { return shown_; }
  win::HWND hWnd() const;
  // The window's DC: draws into the window's surface, which is what reaches
  // the screen.
  win::HDC hDC();

  // Event procedures.
  virtual void Form_Load() {}
  virtual void Form_Unload(int& cancel) { (void)cancel; }
  virtual void Form_KeyDown(int keyCode, int shift) { (void)keyCode, (void)shift; }
  virtual void Form_MouseDown(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
  }
  virtual void Form_MouseMove(int button, int shift, float x, float y) {
    (void)button, (void)shift, (void)x, (void)y;
  }
  // The window changed size after it was made (a host's window that the
  // host resized); ScaleWidth and ScaleHeight give the new size.
  virtual void Form_Resize() {}

  const std::vector<Control*>& Controls() const { return controls_; }
  // Controls that take the focus, in keyboard order.
  std::vector<Control*> TabOrder() const;

  // For the native side.
  void* native = nullptr;
  void NativeMoved(float left, float top) { left_ = left, top_ = top; }
  // Shown at least once (a centred form is centred until then).
  bool EverShown() const { return everShown_; }
  // The user or the system asked to close the window.
  void NativeCloseRequested();
  // The window's client area is now this many pixels: the new size is kept
  // and Form_Resize runs when it differs.
  void NativeResized(int widthPx, int heightPx);

 private:
  friend class Control;
  void Changed(FormProp p);
  std::string caption_;
  BorderStyle border_ = BorderStyle::Sizable;
  win::COLORREF backColor_ = kSystemButtonFace;
  const Picture* icon_ = nullptr;
  StartUpPosition startUp_ = StartUpPosition::Manual;
  float clientW_ = 4800, clientH_ = 3600;
  float left_ = 0, top_ = 0;
  WindowState state_ = WindowState::Normal;
  Area monitor_;
  std::uint64_t host_ = 0;
  bool loaded_ = false;
  bool shown_ = false;
  bool everShown_ = false;
  std::vector<Control*> controls_;
};

// ---- message boxes -------------------------------------------------------------------------

constexpr int vbOKOnly = 0;
constexpr int vbExclamation = 48;
constexpr int vbOK = 1;
// Modal message box with one OK button; `style` is vbOKOnly or
// vbOKOnly + vbExclamation. Returns vbOK.
int MsgBox(const std::string& text, int style, const std::string& caption);

// ---- message processing ----------------------------------------------------------------------

// Processes every pending message once (and every timer that is due).
void DoEvents();
// Processes the pending messages as DoEvents does, then waits until a
// message arrives or `timeoutMs` has passed, processing what arrives; never
// spins.
void WaitForEvents(std::int64_t timeoutMs);
// Puts on the screen what the forms' device contexts drew since the last
// time, as a frame of an animation ends. Windows shows a window's pixels
// when its thread looks for messages, so there it is a pass of DoEvents;
// where drawn pixels can go out by themselves, they do, and the messages
// wait for the next DoEvents or WaitForEvents.
void ShowDrawn();
// The program's message loop after its entry procedure has returned: serves
// the open forms until the program ends; ends it (exit code 0) as soon as no
// form is loaded any more.
[[noreturn]] void RunUntilEnd();

// ---- the screen --------------------------------------------------------------------------------

namespace Screen {
float Width();   // twips
float Height();  // twips
float TwipsPerPixelX();
float TwipsPerPixelY();
// The size in pixels as the system counts them. Twips come back to these only
// where twips per pixel is whole (96, 120, 144 dpi); at 192 dpi (7.5) the
// rounded conversion would lose a sixteenth of the screen.
int WidthPixels();
int HeightPixels();
// 2 from 168 dots per inch (175 %) up, where the programs show their
// pictures drawn at twice the size; 1 below.
int PictureScale();
}  // namespace Screen
// Runs with another screen size (pixels): the host window of an embedded
// show, and tests. 0, 0 = the real screen.
void SetScreenSizeOverride(int widthPx, int heightPx);
bool ScreenSizeOverridden();

// Initialises the native side (once, before the first form; also done by the
// first use).
void Init();

}  // namespace forms
