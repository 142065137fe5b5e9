// The system's virtual-key codes, which key events carry, of Qt's keys.
#include <utility>

#include "qt/forms_qt.h"

namespace forms::qt {

namespace {

constexpr std::pair<int, int> kKeys[] = {
    {Qt::Key_Backspace, 0x08},   {Qt::Key_Tab, 0x09},       {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},       {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},       {Qt::Key_Control, 0x11},   {Qt::Key_Alt, 0x12},
    {Qt::Key_Pause, 0x13},       {Qt::Key_CapsLock, 0x14},  {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},       {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},         {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},          {Qt::Key_Right, 0x27},     {Qt::Key_Down, 0x28},
    {Qt::Key_Select, 0x29},      {Qt::Key_Print, 0x2C},     {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},      {Qt::Key_Help, 0x2F},      {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},        {Qt::Key_Asterisk, 0x6A},  {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},       {Qt::Key_Minus, 0xBD},     {Qt::Key_Period, 0xBE},
    {Qt::Key_Slash, 0xBF},       {Qt::Key_NumLock, 0x90},   {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Semicolon, 0xBA},   {Qt::Key_Equal, 0xBB},     {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_Backslash, 0xDC}, {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
};

}  // namespace

int VirtualKeyFromQt(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return qtKey;  // the same codes
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  for (const auto& k : kKeys)
    if (k.first == qtKey) return k.second;
  return 0;
}

}  // namespace forms::qt
