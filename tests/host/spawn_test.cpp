// Starting other programs: the mailer start (a detached process that we do
// not wait for and that leaves no zombie; a missing mailer is the end-to-end
// invitation's) and the hand-off of an address to the desktop's opener, as
// one argument and never through a shell.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "platform/process.h"
#include "platform/winapi.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// The state letter of /proc/PID/stat, or 0 when the process is gone.
char ProcessState(std::uint32_t pid) {
  const std::string stat = testutil::ReadText("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

std::string Script(const std::string& dir, const std::string& name, const std::string& body) {
  const std::string path = testutil::Join(dir, name);
  testutil::WriteText(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
  return path;
}

TEST(StartProgram, DetachedNotWaitedForAndReaped) {
  const std::string dir = testutil::MakeTempDir("start");
  const std::string out = testutil::Join(dir, "out.txt");
  const std::string gate = testutil::Join(dir, "gate");
  const std::string prog = Script(dir, "Pellmar",
                                  "echo \"$# $$ $(cut -d' ' -f6 /proc/$$/stat)\" > '" + out +
                                      "'\nwhile [ ! -e '" + gate + "' ]; do sleep 0.02; done\n");
  const auto start = std::chrono::steady_clock::now();
  const std::uint32_t pid = plat::StartProgram(prog);
  ASSERT_NE(pid, 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));  // not waited for
  ASSERT_TRUE(WaitFor([&] { return !testutil::ReadText(out).empty(); }));
  // No arguments; a session of its own, so it outlives our process group.
  const std::string line = testutil::ReadText(out);
  EXPECT_EQ(line, "0 " + std::to_string(pid) + " " + std::to_string(pid) + "\n");
  testutil::WriteText(gate, "");
  EXPECT_TRUE(WaitFor([&] { return ProcessState(pid) == 0; })) << ProcessState(pid);
}

class ShellOpenTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* p = std::getenv("PATH");
    oldPath_ = p ? p : "";
    dir_ = testutil::MakeTempDir("opener");
  }
  void TearDown() override { ::setenv("PATH", oldPath_.c_str(), 1); }
  std::string oldPath_, dir_;
};

TEST_F(ShellOpenTest, TheAddressGoesAsOneArgumentAndNoOpenerIsAFailure) {
  const std::string out = testutil::Join(dir_, "args.txt");
  Script(dir_, "xdg-open",
         "{ echo \"$#\"; printf '%s\\n' \"$1\"; } > '" + out + ".tmp' && mv '" + out + ".tmp' '" +
             out + "'\n");
  ::setenv("PATH", (dir_ + ":" + oldPath_).c_str(), 1);
  const std::string address =
      "http://www.tamarel.example/emsoftware.php?s=1&te=a b,c;d&n=$(touch " + dir_ +
      "/pwned)`x` #1";
  EXPECT_GT(Module1::ShellOpen(address), 32);
  ASSERT_TRUE(WaitFor([&] { return testutil::FileExists(out); }));
  EXPECT_EQ(testutil::ReadText(out), "1\n" + address + "\n");
  EXPECT_FALSE(testutil::FileExists(testutil::Join(dir_, "pwned")));
  ::setenv("PATH", testutil::MakeTempDir("no-opener").c_str(), 1);  // an empty folder
  EXPECT_LE(Module1::ShellOpen("http://www.tamarel.example/"), 32);
  EXPECT_LE(Module1::ShellOpen(""), 32);
}

#endif

}  // namespace
