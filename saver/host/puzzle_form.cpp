#include "saver/host/puzzle_form.h"

#include "saver/resources/resources.h"

PuzzleForm::PuzzleForm() {
  SetCaption("PuzzleForm");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  SetClientSize(2265, 1785);
  Picture1.SetName("Picture1");
  // Exactly the picture's size, at the top-left corner.
  Picture1.Move(0, 0, 2265, 1785);
  Picture1.SetBackColor(forms::kSystemWindow);
  Picture1.SetPicture(&saver_res::Preview());
}

PuzzleForm& ThePuzzleForm() {
  static PuzzleForm form;
  return form;
}
