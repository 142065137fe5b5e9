// Setting up registry values for the tests (Windows only; elsewhere there
// is no registry and every call reports false).
#pragma once

#include <cstdint>

namespace regsetup {

bool SetText(const char* subkey, const char* name, const char* text);
bool SetDword(const char* subkey, const char* name, std::uint32_t value);
bool DeleteValue(const char* subkey, const char* name);
bool DeleteKey(const char* subkey);

}  // namespace regsetup
