#include "mailer/shell_open.h"

#include "platform/winapi.h"

std::int32_t ShellOpen(const std::string& address) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(
      win::ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, win::SW_SHOWNORMAL)));
}
