// The start-up module: the mode of each command line, the handles read from
// it, the platform test and the paths beside the program.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

namespace {

using Module1::Mode;
using Module1::ModeOf;

TEST(Modes, EverythingElseStartsAShow) {
  for (const char* text : {"", " ", "/s", "/S", "/s 1234", "-s", "/x", "s", "/", "--root",
                           "-window-id 0x400008", "  /s  ", "/ c", "c"}) {
    EXPECT_EQ(ModeOf(text), Mode::Show) << '"' << text << '"';
  }
}

TEST(Modes, SettingsPasswordAndPreview) {
  for (const char* text : {"/c", "/C", "/c:1234", "  /c  ", "/c 99", "/cc"})
    EXPECT_EQ(ModeOf(text), Mode::Settings) << '"' << text << '"';
  for (const char* text : {"/a", "/A 1234", "/a:1234", " /a 1234"})
    EXPECT_EQ(ModeOf(text), Mode::Password) << '"' << text << '"';
  for (const char* text : {"/p 1234", "/P 1234", "/p:1234", "  /p 1"})
    EXPECT_EQ(ModeOf(text), Mode::Preview) << '"' << text << '"';
}

TEST(Modes, PasswordHandleFromTheRawText) {
  // With one blank before, the rest starts with the letter a: no handle;
  // 13.5 is rounded; a handle that does not fit is none.
  const std::pair<const char*, std::int32_t> handles[] = {
      {"/a 1234", 1234}, {"/A 1234", 1234}, {"/a:1234", 0},        {"/a", 0},
      {" /a 1234", 0},   {"/a 13.5", 14},   {"/a 99999999999", 0}, {"/a -5", -5}};
  for (const auto& [text, want] : handles) EXPECT_EQ(Module1::PasswordHandleOf(text), want) << text;
}

TEST(Modes, PreviewHandleFromTheRawText) {
  std::int32_t h = -1;
  ASSERT_TRUE(Module1::PreviewHandleOf("/p 1234", &h));
  EXPECT_EQ(h, 1234);
  ASSERT_TRUE(Module1::PreviewHandleOf("/p:1234", &h));
  EXPECT_EQ(h, 1234);
  ASSERT_TRUE(Module1::PreviewHandleOf("  /p 1234", &h));
  EXPECT_EQ(h, 0);  // the kept text starts with the letter p
  EXPECT_FALSE(Module1::PreviewHandleOf("/p", &h));
  EXPECT_FALSE(Module1::PreviewHandleOf("/p 99999999999", &h));
}

TEST(Modes, PasswordModeRunsAndReturns) {
  plat::SetArgumentsForTest("/a 1234");
  Module1::Main();  // returns: no window is open
  EXPECT_EQ(Module1::PasswordParentHwnd, 1234);
  EXPECT_EQ(Module1::PlatformId, 2);
  plat::SetArgumentsForTest("/a:77");
  Module1::Main();
  EXPECT_EQ(Module1::PasswordParentHwnd, 0);
  plat::SetArgumentsForTest("");
}

TEST(Modes, PreviewEndsTheProgram) {
  plat::SetArgumentsForTest("/p 1234");
  EXPECT_THROW(Module1::Main(), plat::ProgramEnded);
  plat::SetArgumentsForTest("");
}

struct FolderOverride {
  explicit FolderOverride(const std::string& f) { plat::SetProgramFolderForTest(f); }
  ~FolderOverride() { plat::SetProgramFolderForTest(""); }
};

// Beside the program: the end-to-end runs find the pictures and the mailer
// there; a root keeps its one separator.
TEST(Paths, BesideTheProgram) {
  EXPECT_TRUE(testutil::FileExists(plat::ProgramFolder()));
  const char s = plat::PathSeparator();
  const std::string root = testutil::OnWindows() ? "C:\\" : "/";
  FolderOverride r(root);
  EXPECT_EQ(Module1::DataFolderPath(), root + "ovinsoftware" + s + "tamarel" + s);
  EXPECT_EQ(Module1::MailerPath(), root + "Pellmar" + plat::ProgramSuffix());
}

// The settings file stays the program folder's while this user may write
// it or make it there (who may not is tried end to end, as an ordinary user).
TEST(Paths, TheSettingsFileBesideTheProgramWhileItMayBeWritten) {
  const std::string dir = testutil::MakeTempDir("program");
  const std::string ini = testutil::Join(dir, "ovinflowers.ini");
  FolderOverride f(dir);
  EXPECT_EQ(Module1::IniFilePath(), ini);
  EXPECT_FALSE(testutil::FileExists(ini));  // the trial leaves nothing behind
  ASSERT_TRUE(testutil::WriteText(ini, "[flowers]\r\nyellow=3\r\n"));
  EXPECT_EQ(Module1::IniFilePath(), ini);
  EXPECT_FALSE(
      testutil::FileExists(testutil::Join(plat::UserSettingsFolder("Tamarel"), "ovinflowers.ini")));
}

}  // namespace
