// Small helpers shared by the tests.
#pragma once

#include <string>

namespace testutil {

// A fresh, empty folder for one test (removed when the program ends).
std::string MakeTempDir(const std::string& tag);
// path joined with the platform's separator.
std::string Join(const std::string& a, const std::string& b);
bool WriteText(const std::string& path, const std::string& text);
// The file's bytes; "" when it cannot be read.
std::string ReadText(const std::string& path);
bool FileExists(const std::string& path);
// The source tree (TAMAREL_SOURCE_DIR), for committed data files.
std::string SourceDir();
// True when the tests run against Windows itself (win32/win64 builds).
bool OnWindows();

}  // namespace testutil
