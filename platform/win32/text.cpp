// Windows: ANSI code page → UTF-16 → UTF-8.
// clang-format off
#include "platform/text.h"
#include <windows.h>
// clang-format on

#include <limits>

namespace plat {

std::string AnsiToUtf8(const std::string& text) {
  if (text.empty()) return text;
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 4)) return text;
  const int n = static_cast<int>(text.size());
  const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
  if (wide <= 0) return text;
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), n, w.data(), wide);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return text;
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace plat
