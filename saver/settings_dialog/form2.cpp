#include "saver/settings_dialog/form2.h"

#include "platform/process.h"

Form2::Form2() {
  SetCaption("Tamarel Screen Saver");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  SetStartUpPosition(forms::StartUpPosition::CenterScreen);
  SetBackColor(forms::kWhite);
  SetClientSize(6000, 4000);
}

void Form2::Form_Unload(int&) { plat::EndProgram(0); }

Form2& TheForm2() {
  static Form2 form;
  return form;
}
