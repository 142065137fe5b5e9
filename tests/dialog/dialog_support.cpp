#include "dialog/dialog_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/process.h"
#include "platform/winapi.h"
#include "support/test_util.h"

#ifdef _WIN32
// clang-format off
#include <windows.h>
// clang-format on
#else
#include <sys/stat.h>
#endif

namespace dialogtest {

namespace {

constexpr const char* kLogVariable = "TAMAREL_DIALOG_OPENED_LOG";

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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) break;  // a line still being written
    std::string line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = nl + 1;
  }
  return lines;
}

}  // namespace

ProgramFolder::ProgramFolder(const std::string& tag) : path_(testutil::MakeTempDir(tag)) {
  plat::SetProgramFolderForTest(path_);
}

ProgramFolder::~ProgramFolder() { plat::SetProgramFolderForTest(""); }

std::string ProgramFolder::Ini() const { return testutil::Join(path_, "ovinflowers.ini"); }

void ProgramFolder::WriteIni(const std::string& text) const {
  ASSERT_TRUE(testutil::WriteText(Ini(), text));
}

std::string ProgramFolder::IniText() const { return testutil::ReadText(Ini()); }

std::string ProgramFolder::Key(const std::string& section, const std::string& key) const {
  char buf[256] = {};
  win::GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", buf, sizeof buf,
                                Ini().c_str());
  return buf;
}

OpenerRecorder::OpenerRecorder() {
  const std::string dir = testutil::MakeTempDir("opener");
  log_ = testutil::Join(dir, "opened.txt");
#ifdef _WIN32
  char exe[MAX_PATH];
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  hadSaved_ = ReadHandler(saved_);
  WriteHandler(std::string("\"") + exe +
               "\" --gtest_also_run_disabled_tests "
               "--gtest_filter=DialogOpener.DISABLED_RecordOpenedAddress \"%1\"");
  ::SetEnvironmentVariableA(kLogVariable, log_.c_str());
#else
  const std::string script = testutil::Join(dir, "xdg-open");
  testutil::WriteText(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log_ + "'\n");
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

std::vector<std::string> OpenerRecorder::WaitFor(std::size_t count) const {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::vector<std::string> got = Lines(testutil::ReadText(log_));
  while (got.size() < count && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    got = Lines(testutil::ReadText(log_));
  }
  return got;
}

// Not a test: the handler that the Windows side of the recorder starts.
TEST(DialogOpener, DISABLED_RecordOpenedAddress) {
  const char* log = std::getenv(kLogVariable);
  ASSERT_NE(log, nullptr);
  const std::vector<std::string> args = testing::internal::GetArgvs();
  ASSERT_GE(args.size(), 2u);
  std::ofstream(log, std::ios::binary | std::ios::app) << args.back() << "\n";
}

}  // namespace dialogtest
