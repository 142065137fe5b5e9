// Module1, ending a show: the mouse-move filter, the end with its password
// check and the restoring of the desktop, and the warning before the end.
#include <limits>

#include "maker_config.h"
#include "platform/forms.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "saver/host/module1.h"
#include "saver/stage/garden.h"

namespace Module1 {

namespace {

constexpr win::UINT kNoMoveNoSize = win::SWP_NOMOVE | win::SWP_NOSIZE;
const char* const kTaskbarClass = "Shell_traywnd";

void ShowCursorFully() {
  int count;
  do {
    count = win::ShowCursor(win::TRUE);
  } while (count <= 5);
}

void HideCursorFully() {
  int count;
  do {
    count = win::ShowCursor(win::FALSE);
  } while (count >= -5);
}

bool PasswordCheckIsOurs() { return PlatformId != 2 && UsePassword != 0; }

void ClearScreenSaverRunning() {
  std::int32_t off = 0;
  LastApiResult = win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 0, &off, 0);
}

// Every monitor's window.
void LeaveTopmost(stage::Garden& show) {
  for (Form1* stage : show.Windows())
    win::SetWindowPos(stage->hWnd(), win::HWND_NOTOPMOST(), 0, 0, 0, 0, kNoMoveNoSize);
}

// The show goes on: the cursor hidden again and the stages in front.
void ResumeShow(stage::Garden& show) {
  HideCursorFully();
  // Only a stage that is there is shown again: showing an unloaded one would
  // run its whole set-up anew, nested in this call.
  for (Form1* stage : show.Windows())
    if (stage->IsLoaded()) stage->Show();
}

}  // namespace

void RegisterDesktopRestore() {
  // Whatever ends the process (a failure no trap catches, a signal, the
  // session's end), the cursor and the taskbar come back and the system's
  // keys work again. Registered once; harmless after a normal end.
  static const int id = plat::AddExitStep([] {
    int count;
    do {
      count = win::ShowCursor(win::TRUE);
    } while (count < 0);
    if (PasswordCheckIsOurs()) {
      std::int32_t off = 0;
      win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 0, &off, 0);
    }
    win::HWND taskbar = win::FindWindowA(kTaskbarClass, "");
    if (taskbar) win::SetWindowPos(taskbar, win::HWND_TOP(), 0, 0, 0, 0, win::SWP_SHOWWINDOW);
  });
  (void)id;
}

void CountMouseMove(stage::Garden& show) {
  // Saturates: only a series kept open across midnight after a refused
  // password could count this far.
  if (MoveCount < std::numeric_limits<std::int16_t>::max()) ++MoveCount;
  if (MoveCount == 5) {
    EndShow(show);
    return;
  }
  if (FirstMoveTime == 0) {
    const auto whole = plat::ToInt32(plat::TimeOfDay());
    FirstMoveTime = whole ? *whole : 0;
    return;
  }
  if (static_cast<double>(plat::TimeOfDay()) - FirstMoveTime > 2.0) {
    FirstMoveTime = 0;
    MoveCount = 0;
  }
}

void EndShow(stage::Garden& show) {
  ShowCursorFully();

  if (PasswordCheckIsOurs()) {
    bool available = true;
    const win::BOOL result = win::VerifyScreenSavePwd(
        show.Windows().empty() ? nullptr : show.Windows().front()->hWnd(), &available);
    if (!available) {
      // The password cannot be checked on this system. Letting the show end
      // would let anyone past the password the user asked for; keeping the
      // system's keys locked would leave a screen nobody can ever dismiss.
      // So the show goes on, but the system's own Ctrl+Alt+Del dialog (shut
      // down, log off) is reachable again; the session's end then ends the
      // show and puts the desktop back.
      ClearScreenSaverRunning();
      LeaveTopmost(show);
      ResumeShow(show);
      return;
    }
    if ((static_cast<std::uint32_t>(result) & 0xFFFFu) == 0) {
      ResumeShow(show);
      return;
    }
    ClearScreenSaverRunning();
    LeaveTopmost(show);
  }

  TaskbarHwnd = win::FindWindowA(kTaskbarClass, "");
  win::SetWindowPos(TaskbarHwnd, win::HWND_TOP(), 0, 0, 0, 0, win::SWP_SHOWWINDOW);
  show.Unload();
  // The mailer invitation's chance, after the stage is gone and before the
  // program ends.
  OfferMailer();
  plat::EndProgram(0);
}

void WarnAndEndShow(stage::Garden& show, const std::string& text) {
  LeaveTopmost(show);
  ShowCursorFully();
  forms::MsgBox(text, forms::vbOKOnly + forms::vbExclamation, "Tamarel Screen Saver");
  EndShow(show);
}

// ---- what a show asks of the module ------------------------------------------

ShowHost& TheShowHost() {
  static ShowHost host;
  return host;
}

std::string ShowHost::CountText(const std::string& key) {
  // Kept in the module's variables, which the settings dialog shares.
  std::string* text = key == "yellow" ? &YellowCount
                      : key == "red"  ? &RedCount
                      : key == "rose" ? &RoseCount
                                      : &WhiteCount;
  ReadIniValue("flowers", key, *text, IniFilePath());
  return *text;
}

std::string ShowHost::PicturesFolder() { return DataFolderPath(); }

bool ShowHost::PasswordIsOurs() { return PasswordCheckIsOurs(); }

void ShowHost::WaitForTick(std::int32_t target) { Module1::WaitForTick(target); }

void ShowHost::CountMouseMove(stage::Garden& show) { Module1::CountMouseMove(show); }

void ShowHost::EndShow(stage::Garden& show) { Module1::EndShow(show); }

void ShowHost::WarnAndEndShow(stage::Garden& show) {
  Module1::WarnAndEndShow(show, MissingFilesText());
}

std::string MissingFilesText() {
  return std::string(
             "One or more files are missing from application. Please download and re-install "
             "the software from ") +
         maker::kSite;
}

}  // namespace Module1
