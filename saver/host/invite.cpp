// Module1, mailer invitation: the connection test and the document opener.
// The invitation itself is not offered yet.
#include <cstdint>

#include "saver/host/module1.h"

namespace Module1 {

bool MailerInviteDue() { return false; }

bool IsConnected() {
  win::DWORD flags = 0;
  return (static_cast<std::uint32_t>(win::InternetGetConnectedState(&flags, 0)) & 0xFFFFu) != 0;
}

std::int32_t ShellOpen(const std::string& address) {
  return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(
      win::ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, win::SW_SHOWNORMAL)));
}

}  // namespace Module1
