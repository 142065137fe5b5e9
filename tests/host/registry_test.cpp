// The registry read and the password wish: under Wine against Windows' own
// registry, with values the test sets; on Linux, where there is no
// registry, every read is empty.
#include <gtest/gtest.h>

#include <string>

#include "platform/process.h"
#include "platform/testing.h"
#include "registry_setup.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

namespace {

constexpr std::int32_t kHkcu = static_cast<std::int32_t>(0x80000001u);
const char* const kTestKey = "Software\\TamarelTest";
const char* const kDesktop = "Control Panel\\Desktop";
const char* const kWish = "ScreenSaveUsePassword";

std::string Read(const char* name) { return Module1::ReadRegistryString(kHkcu, kTestKey, name); }

TEST(Registry, TextsAndDoubleWords) {
  const bool win = testutil::OnWindows();
  ASSERT_EQ(regsetup::SetText(kTestKey, "one", "1"), win);
  regsetup::SetText(kTestKey, "empty", "");
  regsetup::SetText(kTestKey, "long", std::string(300, 'y').c_str());
  regsetup::SetText(kTestKey, "edge", std::string(254, 'z').c_str());
  regsetup::SetDword(kTestKey, "d1", 1);
  regsetup::SetDword(kTestKey, "d1234", 1234);
  regsetup::SetDword(kTestKey, "dmax", 0xFFFFFFFFu);
  EXPECT_EQ(Read("one"), win ? "1" : "");
  EXPECT_EQ(Read("empty"), "");
  EXPECT_EQ(Read("d1"), win ? "001" : "");
  EXPECT_EQ(Read("d1234"), win ? "123" : "");
  EXPECT_EQ(Read("dmax"), win ? "429" : "");
  EXPECT_EQ(Read("long"), "");  // longer than the buffer
  EXPECT_EQ(Read("edge"), win ? std::string(254, 'z') : "");
  EXPECT_EQ(Read("missing"), "");
  EXPECT_EQ(Module1::ReadRegistryString(kHkcu, "Software\\TamarelTest\\Absent", "one"), "");
  regsetup::DeleteKey(kTestKey);
  EXPECT_EQ(Read("one"), "");
}

// Main reads the wish at start; the password mode returns without a window.
std::int16_t WishAfterStart() {
  Module1::UsePassword = 99;
  plat::SetArgumentsForTest("/a");
  Module1::Main();
  plat::SetArgumentsForTest("");
  return Module1::UsePassword;
}

TEST(Registry, ThePasswordWish) {
  const bool win = testutil::OnWindows();
  regsetup::SetText(kDesktop, kWish, "1");
  EXPECT_EQ(WishAfterStart(), win ? 1 : 0);
  regsetup::SetText(kDesktop, kWish, "yes");
  EXPECT_EQ(WishAfterStart(), 0);
  regsetup::SetDword(kDesktop, kWish, 1);
  EXPECT_EQ(WishAfterStart(), win ? 1 : 0);     // reads as "001"
  regsetup::SetText(kDesktop, kWish, "99999");  // too large, still a wish
  EXPECT_EQ(WishAfterStart(), win ? -1 : 0);
  regsetup::DeleteValue(kDesktop, kWish);
  EXPECT_EQ(WishAfterStart(), 0);
}

}  // namespace
