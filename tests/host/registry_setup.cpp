// Registry set-up for the tests under HKEY_CURRENT_USER. It includes only
// <windows.h>, whose macros would clash with winapi.h.
#include "registry_setup.h"

#ifdef _WIN32
#include <windows.h>

#include <cstring>

namespace regsetup {

namespace {
bool Set(const char* subkey, const char* name, DWORD type, const BYTE* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const bool ok = RegSetValueExA(key, name, 0, type, data, size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}
}  // namespace

bool SetText(const char* subkey, const char* name, const char* text) {
  return Set(subkey, name, REG_SZ, reinterpret_cast<const BYTE*>(text),
             static_cast<DWORD>(std::strlen(text) + 1));
}

bool SetDword(const char* subkey, const char* name, std::uint32_t value) {
  DWORD v = value;
  return Set(subkey, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

bool DeleteValue(const char* subkey, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return false;
  const LONG r = RegDeleteValueA(key, name);
  RegCloseKey(key);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

bool DeleteKey(const char* subkey) {
  const LONG r = RegDeleteKeyA(HKEY_CURRENT_USER, subkey);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

}  // namespace regsetup

#else

namespace regsetup {
bool SetText(const char*, const char*, const char*) { return false; }
bool SetDword(const char*, const char*, std::uint32_t) { return false; }
bool DeleteValue(const char*, const char*) { return false; }
bool DeleteKey(const char*) { return false; }
}  // namespace regsetup

#endif
