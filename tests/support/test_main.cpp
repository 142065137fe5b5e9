// Entry of every test program: the process facilities are set up as in the
// programs, and ending the program is intercepted so a test survives it.
// The user's settings folder is one of the test program's own.
#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/testing.h"
#include "support/test_util.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  plat::InitProcess(argc, argv, "Tamarel");
  plat::SetEndInterceptForTest(true);
  plat::SetUserSettingsBaseForTest(testutil::MakeTempDir("appdata"));
  return RUN_ALL_TESTS();
}
