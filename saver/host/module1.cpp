// Module1, start-up: the entry procedure and its command-line modes, the
// start of a show and the version test.
#include "saver/host/module1.h"

#include <cstring>

#include "platform/forms.h"
#include "platform/host_window.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "saver/settings_dialog/form2.h"
#include "saver/stage/garden.h"
#include "saver/stage/run_options.h"

namespace Module1 {

std::int16_t UsePassword = 0;
std::int32_t PlatformId = 0;
std::int32_t PasswordParentHwnd = 0;
std::int32_t LastApiResult = 0;
win::OSVERSIONINFOA VersionInfo{};
win::HWND TaskbarHwnd = nullptr;
std::string YellowCount, RedCount, RoseCount, WhiteCount;
std::int16_t MoveCount = 0;
std::int32_t FirstMoveTime = 0;
std::string AppCurrent, AppAlert, AppDisplay;

// Puts the desktop back however the process ends (endshow.cpp).
void RegisterDesktopRestore();

namespace {

constexpr std::int32_t kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);

// The rest of a text after its first `n` characters ("" when shorter).
std::string After(const std::string& text, std::size_t n) {
  return text.size() > n ? text.substr(n) : std::string();
}

}  // namespace

Mode ModeOf(const std::string& argumentText) {
  const std::string mode = plat::UpperAscii(plat::Trim(argumentText)).substr(0, 2);
  if (mode == "/C") return Mode::Settings;
  if (mode == "/A") return Mode::Password;
  if (mode == "/P") return Mode::Preview;
  return Mode::Show;
}

std::int32_t PasswordHandleOf(const std::string& argumentText) {
  const auto h = plat::ToInt32(plat::LeadingNumber(After(argumentText, 2)));
  return h ? *h : 0;
}

bool PreviewHandleOf(const std::string& argumentText, std::int32_t* handle) {
  if (argumentText.size() < 3) return false;
  const auto h = plat::ToInt32(plat::LeadingNumber(After(argumentText, 3)));
  if (!h) return false;
  if (handle) *handle = *h;
  return true;
}

void DetectPlatform() {
  std::memset(&VersionInfo, 0, sizeof VersionInfo);
  VersionInfo.dwOSVersionInfoSize = 148;
  LastApiResult = win::GetVersionExA(&VersionInfo);
  PlatformId = static_cast<std::int32_t>(VersionInfo.dwPlatformId);
}

void Main(stage::Host& host) {
  // Claimed in every mode, so that a show started while the settings dialog
  // is open sees this process too; except under a host (xscreensaver), which
  // runs one copy per monitor and decides itself how many run.
  const bool hosted = stage::ParseRunOptions(plat::Arguments(), plat::HostWindowNamed()).hosted;
  const bool another = !hosted && plat::PreviousInstance();

  DetectPlatform();
  const std::string wish =
      ReadRegistryString(kHkeyCurrentUser, "Control Panel\\Desktop", "ScreenSaveUsePassword");
  const double wished = plat::LeadingNumber(wish);
  const auto use = plat::ToInt16(wished);
  // A number too large for the variable is still a wish for the password.
  UsePassword = use ? *use : static_cast<std::int16_t>(wished != 0 ? -1 : 0);

  const std::string& args = plat::ArgumentText();
  switch (ModeOf(args)) {
    case Mode::Settings:
      TheForm2().Show();
      return;
    case Mode::Password:
      PasswordParentHwnd = PasswordHandleOf(args);
      LastApiResult = static_cast<std::int32_t>(
          win::PwdChangePasswordA("SCRSAVE", win::HwndFromLong(PasswordParentHwnd), 0, nullptr));
      return;
    case Mode::Preview:
      ShowPreview();
      return;
    case Mode::Show:
      break;
  }
  if (another) plat::EndProgram(0);
  StartShow(host);
}

void StartShow(stage::Host& host) {
  int count;
  do {
    count = win::ShowCursor(win::FALSE);
  } while (count >= -5);
  RegisterDesktopRestore();
  // Never destroyed at the program's end: the window system may be gone by
  // then. Reachable all along, so leak checkers are content.
  static stage::Garden* show = nullptr;
  show =
      new stage::Garden(host, stage::ParseRunOptions(plat::Arguments(), plat::HostWindowNamed()));
  if (show->Load()) {
    show->RunGarden();
    return;
  }
  // Back here only when the set-up failed and the password was then not
  // confirmed: the stage waits for the next key, click or move.
  for (Form1* window : show->Windows())
    if (window->IsLoaded()) window->Show();
}

}  // namespace Module1
