// Module1, settings file and folders: the paths beside the program, the
// settings-file reader, the registry reader and the tick-count wait.
#include <algorithm>
#include <cstdio>

#include "platform/forms.h"
#include "platform/process.h"
#include "saver/host/module1.h"

namespace Module1 {

namespace {

std::string InProgramFolder(const std::string& rest) {
  std::string folder = plat::ProgramFolder();
  if (folder.empty() || folder.back() != plat::PathSeparator())
    folder.push_back(plat::PathSeparator());
  return folder + rest;
}

constexpr win::DWORD kShareAll =
    win::FILE_SHARE_READ | win::FILE_SHARE_WRITE | win::FILE_SHARE_DELETE;

// True when this user may write the file, or make it where it is missing.
bool MayWrite(const std::string& file) {
  win::HANDLE h = win::CreateFileA(file.c_str(), win::GENERIC_WRITE, kShareAll, nullptr,
                                   win::OPEN_EXISTING, win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == win::INVALID_HANDLE_VALUE()) {
    // Missing or refused: only a missing file in a folder that takes new
    // files can be made (and is removed again at once).
    h = win::CreateFileA(file.c_str(), win::GENERIC_WRITE, kShareAll, nullptr, win::CREATE_NEW,
                         win::FILE_ATTRIBUTE_NORMAL | win::FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  }
  if (h == win::INVALID_HANDLE_VALUE()) return false;
  win::CloseHandle(h);
  return true;
}

// The user's own settings file, made on first use as a copy of the
// installation's; "" when the user has no settings folder.
std::string PerUserIniPath(const std::string& installed) {
  const std::string folder = plat::UserSettingsFolder("Tamarel");
  if (folder.empty()) return std::string();
  const std::string file = folder + plat::PathSeparator() + "ovinflowers.ini";
  // Once: an existing file is the user's and is never replaced. The copy
  // must be writable even where the installation's file is read-only.
  if (win::CopyFileA(installed.c_str(), file.c_str(), win::TRUE))
    win::SetFileAttributesA(file.c_str(), win::FILE_ATTRIBUTE_NORMAL);
  return file;
}

}  // namespace

// The installation's file while this user may write it (a folder of their
// own, or a writable file in a protected folder); otherwise, as under a
// protected program folder, the user's own copy, so that the settings and
// the invitation's record are kept.
std::string IniFilePath() {
  const std::string installed = InProgramFolder("ovinflowers.ini");
  if (MayWrite(installed)) return installed;
  const std::string own = PerUserIniPath(installed);
  return own.empty() ? installed : own;
}

std::string DataFolderPath() {
  const char s = plat::PathSeparator();
  return InProgramFolder(std::string("ovinsoftware") + s + "tamarel" + s);
}

std::string MailerPath() { return InProgramFolder(std::string("Pellmar") + plat::ProgramSuffix()); }

void ReadIniValue(const std::string& section, const std::string& key, std::string& value,
                  const std::string& file) {
  std::string buffer(255, ' ');
  const win::DWORD n = win::GetPrivateProfileStringA(section.c_str(), key.c_str(), "",
                                                     buffer.data(), 255, file.c_str());
  value = buffer.substr(0, std::min<std::size_t>(n, 254));
}

std::string ReadRegistryString(std::int32_t root, const std::string& subkey,
                               const std::string& valueName) {
  // Only the predefined roots, HKEY_CLASSES_ROOT to HKEY_DYN_DATA.
  constexpr std::int32_t kFirstRoot = static_cast<std::int32_t>(0x80000000u);
  constexpr std::int32_t kLastRoot = static_cast<std::int32_t>(0x80000006u);
  if (root < kFirstRoot || root > kLastRoot) return std::string();

  win::HKEY key = nullptr;
  if (win::RegOpenKeyExA(win::HkeyFromLong(root), subkey.c_str(), 0, win::KEY_QUERY_VALUE, &key) !=
      win::ERROR_SUCCESS) {
    return std::string();
  }
  std::string buffer(255, ' ');
  win::DWORD type = 0;
  win::DWORD length = 255;
  std::string result;
  if (win::RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                            reinterpret_cast<win::BYTE*>(buffer.data()),
                            &length) == win::ERROR_SUCCESS) {
    if (type == win::REG_DWORD) {
      const auto b = [&](int i) {
        return static_cast<float>(static_cast<unsigned char>(buffer[i]));
      };
      // Computed in single precision, as the value has always been read.
      const float v = b(0) + b(1) * 256.0f + b(2) * 65536.0f + b(3) * 16777216.0f;
      char text[32];
      std::snprintf(text, sizeof text, "%03.0f", static_cast<double>(v));
      buffer = text;
    }
    // The data length counts a text's terminating zero; for a double word it
    // is 4, so three digits remain.
    if (length >= 1) result = buffer.substr(0, std::min<std::size_t>(length - 1, buffer.size()));
  }
  win::RegCloseKey(key);
  return result;
}

void WaitForTick(std::int32_t target) {
  const auto t = static_cast<std::uint32_t>(target);
  // The wait ends once the target time has passed, on the wrapping counter.
  const auto reached = [t] { return plat::TickReached(win::GetTickCount(), t); };
  if (plat::GetClockMode() == plat::ClockMode::Real) {
    // A wait serves the messages already pending before it blocks: until
    // the tick it is the pass and the waiting in one, with one wake-up.
    if (reached()) forms::DoEvents();
    while (!reached()) forms::WaitForEvents(plat::MillisUntilTick(t));
    return;
  }
  forms::DoEvents();
  while (!reached()) {
    if (plat::GetClockMode() == plat::ClockMode::Virtual) {
      plat::AdvanceVirtualClockToTick(t);
      forms::DoEvents();
      continue;
    }
    forms::WaitForEvents(plat::MillisUntilTick(t));
  }
}

}  // namespace Module1
