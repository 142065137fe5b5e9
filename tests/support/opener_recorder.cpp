#include "support/opener_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/winapi.h"
#include "support/test_util.h"

#ifdef _WIN32
// clang-format off
#include <windows.h>
// clang-format on
#else
#include <sys/stat.h>
#endif

namespace testutil {

namespace {

constexpr const char* kMarker = "http://marker.example/end-of-test";
// SW_SHOWNORMAL, whose name <windows.h> takes as a macro here.
constexpr int kShowNormal = 1;
constexpr const char* kLogVariable = "TAMAREL_OPENED_LOG";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) break;  // a line still being written
    std::string line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = nl + 1;
  }
  return lines;
}

#ifdef _WIN32
constexpr const char* kHandlerKey = "http\\shell\\open\\command";

bool ReadHandler(std::string& value) {
  char buf[2048];
  LONG size = sizeof buf;
  if (::RegQueryValueA(HKEY_CLASSES_ROOT, kHandlerKey, buf, &size) != ERROR_SUCCESS) return false;
  value.assign(buf);
  return true;
}

void WriteHandler(const std::string& value) {
  ::RegSetValueA(HKEY_CLASSES_ROOT, kHandlerKey, REG_SZ, value.c_str(),
                 static_cast<DWORD>(value.size()));
}
#endif

}  // namespace

OpenerRecorder::OpenerRecorder() {
  const std::string dir = MakeTempDir("opener");
  log_ = Join(dir, "opened.txt");
#ifdef _WIN32
  char exe[MAX_PATH];
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  hadSaved_ = ReadHandler(saved_);
  WriteHandler(std::string("\"") + exe +
               "\" --gtest_also_run_disabled_tests "
               "--gtest_filter=OpenerRecorder.DISABLED_RecordOpenedAddress \"%1\"");
  ::SetEnvironmentVariableA(kLogVariable, log_.c_str());
#else
  const std::string script = Join(dir, "xdg-open");
  WriteText(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log_ + "'\n");
  ::chmod(script.c_str(), 0755);
  const char* path = std::getenv("PATH");
  hadSaved_ = path != nullptr;
  saved_ = path ? path : "";
  ::setenv("PATH", (dir + ":" + saved_).c_str(), 1);
#endif
}

OpenerRecorder::~OpenerRecorder() {
#ifdef _WIN32
  if (hadSaved_) WriteHandler(saved_);
  ::SetEnvironmentVariableA(kLogVariable, nullptr);
#else
  if (hadSaved_)
    ::setenv("PATH", saved_.c_str(), 1);
  else
    ::unsetenv("PATH");
#endif
}

std::vector<std::string> OpenerRecorder::Addresses() const { return Lines(ReadText(log_)); }

std::vector<std::string> OpenerRecorder::WaitFor(std::size_t count) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::vector<std::string> got = Addresses();
  while (got.size() < count && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    got = Addresses();
  }
  return got;
}

std::vector<std::string> OpenerRecorder::AllBeforeMarker() const {
  const std::size_t before = Addresses().size();
  EXPECT_GT(reinterpret_cast<std::intptr_t>(
                win::ShellExecuteA(nullptr, nullptr, kMarker, nullptr, nullptr, kShowNormal)),
            32);
  std::vector<std::string> got = WaitFor(before + 1);
  // Wait for the marker itself, which may overtake an earlier hand-off.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::find(got.begin(), got.end(), kMarker) == got.end() &&
         std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    got = Addresses();
  }
  const auto at = std::find(got.begin(), got.end(), kMarker);
  EXPECT_NE(at, got.end()) << "the marker address never arrived";
  got.erase(at, got.end());
  return got;
}

// Not a test: the handler that the Windows side of the recorder starts.
TEST(OpenerRecorder, DISABLED_RecordOpenedAddress) {
  const char* log = std::getenv(kLogVariable);
  ASSERT_NE(log, nullptr);
  const std::vector<std::string> args = testing::internal::GetArgvs();
  ASSERT_GE(args.size(), 2u);
  std::ofstream(log, std::ios::binary | std::ios::app) << args.back() << "\n";
}

}  // namespace testutil
