// Entry of every test program: the process facilities are set up as in the
// programs, and ending the program is intercepted so a test survives it.
#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/testing.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  plat::InitProcess(argc, argv, "Tamarel");
  plat::SetEndInterceptForTest(true);
  return RUN_ALL_TESTS();
}
