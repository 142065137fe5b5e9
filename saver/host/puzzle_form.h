// The holder of the preview picture: a form that is loaded but never shown,
// whose picture box keeps the picture in a memory DC of its own.
#pragma once

#include "platform/forms.h"

class PuzzleForm : public forms::Form {
 public:
  PuzzleForm();

  forms::PictureBox Picture1{*this};
};

PuzzleForm& ThePuzzleForm();
