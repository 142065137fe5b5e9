// Linux: the forms' text boxes hand over their text in ISO 8859-1, one byte
// per character (as Windows hands over its ANSI code page), so every byte is
// the code point of its character.
#include "platform/text.h"

namespace plat {

std::string AnsiToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace plat
