#include "dialog/dialog_support.h"

#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/testing.h"
#include "platform/winapi.h"
#include "support/test_util.h"

namespace dialogtest {

ProgramFolder::ProgramFolder(const std::string& tag) : path_(testutil::MakeTempDir(tag)) {
  plat::SetProgramFolderForTest(path_);
  // Each test its own user: no copy of the settings is left from another.
  plat::SetUserSettingsBaseForTest(testutil::MakeTempDir(tag + "-user"));
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

}  // namespace dialogtest
