// What the forms tests share: a clean runtime state around each test.
#pragma once

#include <gtest/gtest.h>

#include "platform/forms.h"
#include "platform/forms_test.h"
#include "platform/process.h"
#include "platform/testing.h"

namespace formstest {

// Virtual-key codes used by the tests.
constexpr int kVkTab = 0x09, kVkReturn = 0x0D, kVkEscape = 0x1B, kVkPrior = 0x21, kVkNext = 0x22,
              kVkUp = 0x26, kVkDown = 0x28;
constexpr int kShift = 1;  // the shift argument of key events

class FormsTest : public testing::Test {
 protected:
  void SetUp() override {
    forms::Init();
    forms::SetScreenSizeOverride(0, 0);
    forms::SetMsgBoxHookForTest(nullptr);
    plat::SetClockMode(plat::ClockMode::Real);
  }
  void TearDown() override {
    forms::SetMsgBoxHookForTest(nullptr);
    forms::SetScreenSizeOverride(0, 0);
    plat::SetClockMode(plat::ClockMode::Real);
    // Let windows that went away during the test be cleaned up.
    forms::DoEvents();
  }
};

}  // namespace formstest
