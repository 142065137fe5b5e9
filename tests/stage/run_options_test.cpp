// Options of repeatable runs and of hosted shows, as the command line
// gives them; malformed values are left out, never fatal.
#include "saver/stage/run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host_window.h"

namespace {

using stage::ParseRunOptions;
using stage::RunOptions;
using Args = std::vector<std::string>;

TEST(RunOptionsTest, OptionsAfterTheModeSwitchOrAlone) {
  RunOptions o = ParseRunOptions({"/s", "-frames", "10"}, nullptr);
  EXPECT_EQ(o.frames, 10);
  EXPECT_TRUE(o.snapshot.empty());
  EXPECT_FALSE(o.virtualClock);
  EXPECT_EQ(o.hostWindow, 0u);

  o = ParseRunOptions({"-virtual-clock", "-frames", "200", "-snapshot", "out.png"}, nullptr);
  EXPECT_TRUE(o.virtualClock);
  EXPECT_EQ(o.frames, 200);
  EXPECT_EQ(o.snapshot, "out.png");

  o = ParseRunOptions({"/S", "--frames", "0", "--snapshot", "a b.png", "--virtual-clock"}, nullptr);
  EXPECT_EQ(o.frames, 0);
  EXPECT_EQ(o.snapshot, "a b.png");
  EXPECT_TRUE(o.virtualClock);

  o = ParseRunOptions({}, nullptr);
  EXPECT_EQ(o.frames, -1);
  o = ParseRunOptions({"/s"}, nullptr);
  EXPECT_EQ(o.frames, -1);
}

TEST(RunOptionsTest, MalformedValuesAreIgnored) {
  for (const Args& a :
       {Args{"-frames"}, Args{"-frames", "abc"}, Args{"-frames", "-3"}, Args{"-frames", "1.5"},
        Args{"-frames", ""}, Args{"-frames", "12x"}, Args{"-frames", "99999999999999999999999"}}) {
    EXPECT_EQ(ParseRunOptions(a, nullptr).frames, -1) << a.back();
  }
  // The word after a malformed value is still read as an option.
  RunOptions o = ParseRunOptions({"-frames", "-virtual-clock", "-snapshot"}, nullptr);
  EXPECT_EQ(o.frames, -1);
  EXPECT_TRUE(o.virtualClock);
  EXPECT_TRUE(o.snapshot.empty());
  // Unknown words are no options.
  o = ParseRunOptions({"-fast", "frames", "7", "/p", "123"}, nullptr);
  EXPECT_EQ(o.frames, -1);
  EXPECT_EQ(o.hostWindow, 0u);
}

// The counts a host's panel passes; a bad one leaves the settings file's.
TEST(RunOptionsTest, FlowerCountsFromTheCommandLine) {
  RunOptions o = ParseRunOptions({"--root", "--yellow", "0", "--red", "10", "-rose", "7"}, nullptr);
  EXPECT_EQ(o.counts[0], 0);
  EXPECT_EQ(o.counts[1], 10);
  EXPECT_EQ(o.counts[2], 7);
  EXPECT_EQ(o.counts[3], -1);
  for (const char* bad : {"11", "-1", "", "3x", "2.5", "99999999999999999999", "--white"}) {
    o = ParseRunOptions({"--white", bad, "--yellow", "4"}, nullptr);
    EXPECT_EQ(o.counts[3], -1) << bad;
    EXPECT_EQ(o.counts[0], 4) << bad;
  }
}

// Runs under a host take no single-instance claim (the host runs one copy
// per monitor); a plain show does.
TEST(RunOptionsTest, HostedRuns) {
  for (const Args& a :
       {Args{"--root"}, Args{"-root"}, Args{"-window-id", "0x400008"}, Args{"--window-id", "junk"}})
    EXPECT_TRUE(ParseRunOptions(a, nullptr).hosted) << a[0];
  EXPECT_TRUE(ParseRunOptions({}, "0x400008").hosted);
  EXPECT_FALSE(ParseRunOptions({"/s", "--yellow", "3"}, nullptr).hosted);
}

}  // namespace
