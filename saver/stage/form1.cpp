#include "saver/stage/form1.h"

#include "saver/host/module1.h"

Form1::Form1() {
  SetBorderStyle(forms::BorderStyle::None);
  SetBackColor(0x0000A000);  // lawn green
  SetCaption("Tamarel");
}

void Form1::Form_Load() {
  SetLeft(0);
  SetTop(0);
  SetWidth(forms::Screen::Width());
  SetHeight(forms::Screen::Height());
  SetWindowState(forms::WindowState::Maximized);
}

void Form1::Form_KeyDown(int, int) { Module1::EndShow(); }

void Form1::Form_MouseDown(int, int, float, float) { Module1::EndShow(); }

Form1& TheForm1() {
  static Form1 form;
  return form;
}
