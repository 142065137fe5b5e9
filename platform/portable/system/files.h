// What the profile writer shares with the file calls (files.cpp).
#pragma once

#include <sys/stat.h>

#include <string>

namespace portable::system {

// Writes every byte, across interrupted and short writes.
bool WriteAll(int fd, const std::string& data);
// Read-only as Windows' attribute says it: nobody has the right to write.
bool ReadOnlyFile(const struct stat& st);

}  // namespace portable::system
