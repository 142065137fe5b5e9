// The settings dialog: one scroll bar per flower kind sets how many flowers
// of that kind the garden shows (0 to 10); closing it saves the four counts
// and ends the program.
#pragma once

#include <string>

#include "platform/forms.h"

class Form2 : public forms::Form {
 public:
  Form2();

  void Form_Load() override;
  void Form_Unload(int& cancel) override;

  void VScrollYellow_Change();
  void VScrollRed_Change();
  void VScrollRose_Change();
  void VScrollWhite_Change();
  void CmdClose_Click();
  void CmdWebsite_Click();

  forms::Image Image1{*this};
  forms::Image ImageYellow{*this};
  forms::Label LabelYellow{*this};
  forms::TextBox TextYellow{*this};
  forms::VScrollBar VScrollYellow{*this};
  forms::Image ImageRed{*this};
  forms::Label LabelRed{*this};
  forms::TextBox TextRed{*this};
  forms::VScrollBar VScrollRed{*this};
  forms::Image ImageRose{*this};
  forms::Label LabelRose{*this};
  forms::TextBox TextRose{*this};
  forms::VScrollBar VScrollRose{*this};
  forms::Image ImageWhite{*this};
  forms::Label LabelWhite{*this};
  forms::TextBox TextWhite{*this};
  forms::VScrollBar VScrollWhite{*this};
  forms::Line Line1{*this};
  forms::CommandButton CmdWebsite{*this};
  forms::CommandButton CmdClose{*this};

 private:
  // One flower kind: its controls, its key in the settings file and the
  // shared count text it fills.
  struct Kind {
    forms::VScrollBar& bar;
    forms::TextBox& box;
    const char* key;
    std::string& count;
  };
  Kind Kinds(int index);
};

Form2& TheForm2();
