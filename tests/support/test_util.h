// Small helpers shared by the tests, and the platform's test hooks.
#pragma once

#include <functional>
#include <string>

#include "platform/image.h"
#include "platform/testing.h"

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

// The pixels a DC shows (0x00RRGGBB), and where two pictures differ first
// ("" when they are the same): the pixel helpers of every drawing test.
plat::Image Read(win::HDC dc, int x, int y, int w, int h);
std::string FirstDifference(const plat::Image& expected, const plat::Image& actual);

// A deterministic mix of colours (0x00RRGGBB), never pure white or green.
plat::Image Pattern(int w, int h, unsigned seed);
// Runs fn; true when it ended the program, which must be with status 0.
bool EndsProgram(const std::function<void()>& fn);
// The cursor's show count (0 or more: shown).
int CursorCount();

}  // namespace testutil
