// Module1, preview mode: one fixed picture painted into the preview window
// that the system names on the command line, then the end.
#include "platform/forms.h"
#include "platform/process.h"
#include "saver/host/module1.h"
#include "saver/host/puzzle_form.h"

namespace Module1 {

namespace {

void ProcessMessages(int times) {
  for (int i = 0; i < times; ++i) forms::DoEvents();
}

}  // namespace

void ShowPreview() {
  PuzzleForm& puzzle = ThePuzzleForm();
  puzzle.Load();
  ProcessMessages(200);

  // A text too short to hold a handle, or a number no window handle can
  // be, leaves nothing to draw into.
  std::int32_t handle = 0;
  if (PreviewHandleOf(plat::ArgumentText(), &handle)) {
    const win::HWND window = win::HwndFromLong(handle);
    const win::HDC target = win::GetDC(window);
    win::BitBlt(target, 0, 0, 160, 120, puzzle.Picture1.hDC(), 0, 0, win::SRCCOPY);
    win::ReleaseDC(window, target);
    ProcessMessages(200);
  }
  plat::EndProgram(0);
}

}  // namespace Module1
