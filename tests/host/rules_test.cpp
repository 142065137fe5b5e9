// The number and text rules that the modes, the settings and the stage rely
// on: rounding halves to even, checked conversions, the leading-number rule.
#include "platform/rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/errors.h"

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbourAndConversionsAreChecked) {
  const std::pair<double, double> rounded[] = {
      {0.5, 0},   {1.5, 2},   {2.5, 2},    {3.5, 4},    {-0.5, 0},
      {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}, {86399.5, 86400}};
  for (const auto& [v, want] : rounded) EXPECT_EQ(plat::RoundHalfEven(v), want) << v;
  // Checked conversions fail outside their range.
  EXPECT_EQ(plat::ToInt16(32767.4).value(), 32767);
  EXPECT_FALSE(plat::ToInt16(32767.5).has_value());  // 32768
  EXPECT_EQ(plat::ToInt16(-32768.5).value(), -32768);
  EXPECT_FALSE(plat::ToInt16(-32769).has_value());
  EXPECT_EQ(plat::ToInt32(2147483646.5).value(), 2147483646);
  EXPECT_FALSE(plat::ToInt32(2147483647.5).has_value());
  EXPECT_EQ(plat::ToInt32(-2147483648.0).value(), INT32_MIN);
  EXPECT_FALSE(plat::ToInt16(NAN).has_value());
  EXPECT_FALSE(plat::ToInt32(INFINITY).has_value());
}

TEST(LeadingNumber, TakesTheLongestLeadingNumberOrZero) {
  // Blanks inside are ignored; no number gives zero.
  const std::pair<const char*, double> cases[] = {
      {"1234", 1234}, {"   1234", 1234}, {"12 34", 1234}, {"1234abc", 1234},
      {"-17", -17},   {"2.5x", 2.5},     {"1e3", 1000},   {"1e", 1},
      {"007", 7},     {"", 0},           {"   ", 0},      {"abc", 0},
      {":1234", 0},   {"a 1234", 0},     {"-", 0},        {".", 0}};
  for (const auto& [text, want] : cases) EXPECT_EQ(plat::LeadingNumber(text), want) << text;
}

TEST(TextRules, ParseTrimAndTwips) {
  const std::pair<const char*, std::optional<std::int16_t>> texts[] = {
      {" 5 ", 5}, {"3.5", 4}, {"2.5", 2}, {"", {}}, {"abc", {}}, {"5x", {}}, {"40000", {}}};
  for (const auto& [text, want] : texts) EXPECT_EQ(plat::TextToInt16(text), want) << text;
  EXPECT_EQ(plat::Trim("  a b  "), "a b");
  EXPECT_EQ(plat::Trim("\ta\t"), "\ta\t");  // only the space character
  EXPECT_EQ(plat::UpperAscii("/c:1234"), "/C:1234");
  EXPECT_EQ(plat::NumberText(3), "3");
  EXPECT_EQ(plat::NumberText(-12), "-12");
  EXPECT_EQ(plat::TwipsToPixels(28800, 15), 1920);
  EXPECT_EQ(plat::TwipsToPixels(29, 15), 1);  // truncated toward zero
  EXPECT_EQ(plat::TwipsToPixels(-29, 15), -1);
  EXPECT_EQ(plat::TwipsToPixels(22.5f, 15), 1);                      // 22.5 rounds to 22
  EXPECT_THROW(plat::TwipsToPixels(100, 0.4f), plat::RuntimeError);  // 0.4 rounds to 0
}

TEST(CheckedArithmetic, RaisesInsteadOfWrapping) {
  EXPECT_THROW(plat::Add32(INT32_MAX, 1), plat::RuntimeError);
  EXPECT_THROW(plat::Div32(1, 0), plat::RuntimeError);
  EXPECT_THROW(plat::To16(32768), plat::RuntimeError);
  EXPECT_EQ(plat::Div32(-7, 2), -3);
  EXPECT_EQ(plat::Mod32(-7, 2), -1);
}

}  // namespace
