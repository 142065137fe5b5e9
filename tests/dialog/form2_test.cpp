// The settings dialog as the user meets it: what each count box shows for
// what the settings file holds, the bars, and what every way of closing
// writes before the program ends. (The web-site button goes through the real
// browser hand-off in the end-to-end run.)
#include "saver/settings_dialog/form2.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "dialog/dialog_support.h"
#include "platform/forms.h"
#include "platform/forms_test.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

namespace {

using forms::test::ShownText;

const char* const kKeys[4] = {"yellow", "red", "rose", "white"};

class Form2Test : public testing::Test {
 protected:
  void SetUp() override {
    forms::Init();
    forms::SetScreenSizeOverride(0, 0);
    forms::SetMsgBoxHookForTest([this](const std::string& text, int, const std::string&) {
      messages_.push_back(text);
      return forms::vbOK;
    });
    for (std::string* s : Counts()) *s = "unset";
  }
  void TearDown() override {
    forms::SetMsgBoxHookForTest(nullptr);
    forms::DoEvents();
  }

  static std::array<std::string*, 4> Counts() {
    return {&Module1::YellowCount, &Module1::RedCount, &Module1::RoseCount, &Module1::WhiteCount};
  }
  std::array<forms::VScrollBar*, 4> Bars() {
    return {&form_.VScrollYellow, &form_.VScrollRed, &form_.VScrollRose, &form_.VScrollWhite};
  }
  std::array<forms::TextBox*, 4> Boxes() {
    return {&form_.TextYellow, &form_.TextRed, &form_.TextRose, &form_.TextWhite};
  }
  void Open() {
    form_.Show();
    forms::DoEvents();
  }
  // What the four boxes show on the screen.
  std::vector<std::string> Shown() {
    std::vector<std::string> v;
    for (forms::TextBox* b : Boxes()) v.push_back(ShownText(*b));
    return v;
  }
  std::vector<int> Positions() {
    std::vector<int> v;
    for (forms::VScrollBar* b : Bars()) v.push_back(b->Value());
    return v;
  }
  std::vector<std::string> Written() {
    std::vector<std::string> v;
    for (const char* k : kKeys) v.push_back(folder_.Key("flowers", k));
    return v;
  }
  // True when closing ended the program with status 0.
  bool CloseByButton() {
    return testutil::EndsProgram([this] { forms::test::ClickButton(form_.CmdClose); });
  }

  dialogtest::ProgramFolder folder_{"form2"};
  std::vector<std::string> messages_;
  Form2 form_;
};

// ---- opening and closing ------------------------------------------------------------

struct OpenCase {
  const char* what;
  std::string ini;
  std::vector<std::string> read;  // the shared count strings after opening
  std::vector<int> positions;
  std::vector<std::string> shown;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.what; }

class Form2OpenTest : public Form2Test, public testing::WithParamInterface<OpenCase> {};

TEST_P(Form2OpenTest, BoxesShowTheStoredCountsAndClosingWritesThemBack) {
  const OpenCase& c = GetParam();
  if (!c.ini.empty()) folder_.WriteIni(c.ini);
  Open();
  std::vector<std::string> read;
  for (std::string* s : Counts()) read.push_back(*s);
  EXPECT_EQ(read, c.read);
  EXPECT_EQ(Positions(), c.positions);
  EXPECT_EQ(Shown(), c.shown);
  EXPECT_TRUE(messages_.empty());

  ASSERT_TRUE(CloseByButton());
  EXPECT_EQ(Written(), c.shown);
  std::vector<std::string> counts;
  for (std::string* s : Counts()) counts.push_back(*s);
  EXPECT_EQ(counts, c.shown);
  EXPECT_TRUE(messages_.empty());
  // Closing writes the counts and nothing else.
  EXPECT_EQ(folder_.Key("applic", "appdisplay"),
            c.ini.find("appdisplay=1") == std::string::npos ? "<missing>" : "1");
}

INSTANTIATE_TEST_SUITE_P(
    StoredCounts, Form2OpenTest,
    testing::Values(
        OpenCase{"whole numbers, the ends and the designed position; other sections kept",
                 "[applic]\nappdisplay=1\n[flowers]\nyellow=3\nred=0\nrose=10\nwhite=9\n",
                 {"3", "0", "10", "9"},
                 {7, 10, 0, 1},
                 {"3", "0", "10", "9"}},
        OpenCase{"halves to even, and counts out of range",
                 "[flowers]\nyellow=2.5\nred=4.5\nrose=11\nwhite=-1\n",
                 {"2.5", "4.5", "11", "-1"},
                 {8, 6, 1, 1},
                 {"2", "4", "9", "9"}},
        OpenCase{"halves of a position go to the even one, also just past the ends",
                 "[flowers]\nyellow=3.5\nred=1.5\nrose=0.5\nwhite=10.5\n",
                 {"3.5", "1.5", "0.5", "10.5"},
                 {6, 8, 10, 0},
                 {"4", "2", "0", "10"}},
        OpenCase{"a word, an empty value, a missing key, blanks around a number",
                 "[flowers]\nyellow=some\nred=\nwhite=  6  \n",
                 {"some", "", "", "6"},
                 {1, 1, 1, 4},
                 {"9", "9", "9", "6"}},
        OpenCase{"no settings file", "", {"", "", "", ""}, {1, 1, 1, 1}, {"9", "9", "9", "9"}},
        OpenCase{"no flowers section",
                 "[applic]\nappdisplay=1\n",
                 {"", "", "", ""},
                 {1, 1, 1, 1},
                 {"9", "9", "9", "9"}}),
    [](const testing::TestParamInfo<OpenCase>& info) { return std::to_string(info.index); });

}  // namespace
