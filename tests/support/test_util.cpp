#include "support/test_util.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

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

}  // namespace testutil
