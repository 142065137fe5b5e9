// Reads from outside what a show changes on the Windows desktop, for the
// end-to-end tests. Run it in the show's desktop (the same virtual desktop
// under Wine):
//   taskbar_probe              prints 1 when the taskbar is visible, 0 when
//                              hidden, -1 when there is none
//   taskbar_probe watch        prints the same once and again on every
//                              change, until it is ended; it also keeps a
//                              virtual desktop open between two shows
//   taskbar_probe box CAPTION  prints the text of the message box titled
//                              CAPTION; exit status 1 when there is none
//                              or it is not yet the foreground window
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

int TaskbarState() {
  HWND taskbar = FindWindowA("Shell_traywnd", "");
  if (!taskbar) return -1;
  return IsWindowVisible(taskbar) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "box") == 0) {
    HWND box = FindWindowA("#32770", argv[2]);
    if (!box) return 1;
    // Up only once it takes the user's keys.
    if (GetForegroundWindow() != box) return 1;
    // A message box shows its text in the static control 0xFFFF.
    char text[2048] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::printf("%s\n", text);
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "watch") == 0) {
    int last = -2;
    for (;;) {
      const int now = TaskbarState();
      if (now != last) {
        std::printf("%d\n", now);
        std::fflush(stdout);
        last = now;
      }
      Sleep(10);
    }
  }
  std::printf("%d\n", TaskbarState());
  return 0;
}
