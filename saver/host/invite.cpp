// Module1, mailer invitation: whether the mailer is due at the end of this
// show, the connection test, the start of the mailer and the document opener.
#include <cstdint>
#include <exception>
#include <optional>
#include <utility>

#include "platform/process.h"
#include "platform/rules.h"
#include "saver/host/module1.h"

namespace Module1 {

namespace {

const char* const kSection = "applic";

void WriteApplicValue(const char* key, const std::string& value) {
  win::WritePrivateProfileStringA(kSection, key, value.c_str(), IniFilePath().c_str());
}

}  // namespace

bool MailerInviteDue() {
  // Nothing here may keep a show from ending: a step that fails is passed
  // over and the next one runs.
  const std::pair<const char*, std::string*> keys[] = {
      {"appcurrent", &AppCurrent}, {"appalert", &AppAlert}, {"appdisplay", &AppDisplay}};
  for (const auto& [key, value] : keys) {
    try {
      ReadIniValue(kSection, key, *value, IniFilePath());
    } catch (const std::exception&) {
    }
  }

  if (AppDisplay != "1") return false;

  const std::optional<std::int16_t> current = plat::TextToInt16(AppCurrent);
  const std::optional<std::int16_t> alert = plat::TextToInt16(AppAlert);
  // Counters that cannot be read count as reached: the installation wanted
  // the invitation, so it is not lost to a damaged file.
  if (!current || !alert || *current >= *alert) return true;

  try {
    const std::optional<double> value = plat::ParseNumber(AppCurrent);
    AppCurrent = plat::NumberText((value ? *value : 0.0) + 1.0);
    WriteApplicValue("appcurrent", AppCurrent);
  } catch (const std::exception&) {
  }
  return false;
}

bool IsConnected() {
  win::DWORD flags = 0;
  return (static_cast<std::uint32_t>(win::InternetGetConnectedState(&flags, 0)) & 0xFFFFu) != 0;
}

void OfferMailer() {
  if (!MailerInviteDue()) return;
  // Offline nothing is written, so the next show end asks again.
  if (!IsConnected()) return;
  try {
    // Whether it started or not (a missing mailer file), the invitation has
    // had its one chance; there is no message either way.
    (void)plat::StartProgram(MailerPath());
  } catch (const std::exception&) {
  }
  try {
    WriteApplicValue("appdisplay", "0");
  } catch (const std::exception&) {
  }
}

std::int32_t ShellOpen(const std::string& address) { return plat::ShellOpen(address); }

}  // namespace Module1
