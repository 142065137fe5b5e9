// The settings dialog (for now a plain dialog whose closing ends the
// program).
#pragma once

#include "platform/forms.h"

class Form2 : public forms::Form {
 public:
  Form2();
  void Form_Unload(int& cancel) override;
};

Form2& TheForm2();
