// The garden stage (for now a plain full-screen lawn-green window that a
// key or a mouse button ends).
#pragma once

#include "platform/forms.h"

class Form1 : public forms::Form {
 public:
  Form1();
  void Form_Load() override;
  void Form_KeyDown(int keyCode, int shift) override;
  void Form_MouseDown(int button, int shift, float x, float y) override;
};

Form1& TheForm1();
