#include "support/test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ios>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/process.h"

namespace fs = std::filesystem;

namespace testutil {

namespace {
struct TempRoot {
  fs::path root;
  TempRoot() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = ".";
    for (int i = 0; i < 1000; ++i) {
      fs::path p = base / ("tamarel-test-" + std::to_string(std::rand()) + "-" + std::to_string(i));
      if (fs::create_directory(p, ec)) {
        root = p;
        break;
      }
    }
  }
  ~TempRoot() {
    std::error_code ec;
    if (!root.empty() && !std::getenv("TAMAREL_KEEP_TEMP")) fs::remove_all(root, ec);
  }
};
TempRoot& Root() {
  static TempRoot r;
  return r;
}
}  // namespace

std::string MakeTempDir(const std::string& tag) {
  static int n = 0;
  fs::path p = Root().root / (tag + "-" + std::to_string(++n));
  std::error_code ec;
  fs::create_directories(p, ec);
  return p.string();
}

std::string Join(const std::string& a, const std::string& b) { return (fs::path(a) / b).string(); }

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
  return static_cast<bool>(f);
}

std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::string SourceDir() {
  const char* s = std::getenv("TAMAREL_SOURCE_DIR");
  return s ? s : ".";
}

bool OnWindows() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

plat::Image Read(win::HDC dc, int x, int y, int w, int h) {
  plat::Image img;
  EXPECT_TRUE(plat::ReadPixels(dc, x, y, w, h, img));
  return img;
}

std::string FirstDifference(const plat::Image& expected, const plat::Image& actual) {
  std::ostringstream s;
  if (expected.width != actual.width || expected.height != actual.height) {
    s << "size " << actual.width << "x" << actual.height << ", expected " << expected.width << "x"
      << expected.height;
    return s.str();
  }
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      if (expected.at(x, y) != actual.at(x, y)) {
        s << "at " << x << "," << y << ": " << std::hex << actual.at(x, y) << ", expected "
          << expected.at(x, y);
        return s.str();
      }
  return "";
}

plat::Image Pattern(int w, int h, unsigned seed) {
  plat::Image p{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
  std::uint32_t s = seed * 2654435761u + 12345u;
  for (auto& c : p.px) {
    s = s * 1103515245u + 12345u;
    c = (s >> 8) & 0x00FFFFFF;
    if (c == 0xFFFFFF || c == 0x00FF00) c ^= 0x00010101;
  }
  return p;
}

bool EndsProgram(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const plat::ProgramEnded& e) {
    EXPECT_EQ(e.code, 0);
    return true;
  }
  return false;
}

int CursorCount() {
  win::ShowCursor(win::TRUE);
  return win::ShowCursor(win::FALSE);
}

}  // namespace testutil
