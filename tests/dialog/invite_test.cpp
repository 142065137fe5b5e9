// The mailer invitation at the end of a show: when it is due and what the
// counters become, with settings files in a program folder of the test's
// own. (Starting the mailer, and giving up after one attempt, are the
// end-to-end invitation's, with the real mailer.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/dialog_support.h"
#include "platform/forms.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

namespace {

class InviteTest : public testing::Test {
 protected:
  void SetUp() override {
    forms::SetMsgBoxHookForTest([this](const std::string& text, int, const std::string&) {
      messages_.push_back(text);
      return forms::vbOK;
    });
    Module1::AppCurrent = Module1::AppAlert = Module1::AppDisplay = "";
  }
  void TearDown() override { forms::SetMsgBoxHookForTest(nullptr); }

  void Applic(const std::string& lines) {
    folder_.WriteIni("[flowers]\nyellow=3\n[applic]\n" + lines);
  }
  std::string Key(const char* key) const { return folder_.Key("applic", key); }

  dialogtest::ProgramFolder folder_{"invite"};
  std::vector<std::string> messages_;
};

// ---- when the invitation is due ------------------------------------------------------------

TEST_F(InviteTest, CountsUpToTheAlertThenStaysDue) {
  Applic("appdisplay=1\nappcurrent=0\nappalert=2\n");
  EXPECT_FALSE(Module1::MailerInviteDue());
  EXPECT_EQ(Key("appcurrent"), "1");
  EXPECT_FALSE(Module1::MailerInviteDue());
  EXPECT_EQ(Key("appcurrent"), "2");
  EXPECT_EQ(Module1::AppCurrent, "2");
  const std::string file = folder_.IniText();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Module1::MailerInviteDue());
  EXPECT_EQ(folder_.IniText(), file);
  EXPECT_EQ(Key("appdisplay"), "1");
  EXPECT_EQ(folder_.Key("flowers", "yellow"), "3");
}

// Due or not, nothing is written.
TEST_F(InviteTest, DueOrNotAndNothingWritten) {
  const struct {
    const char *what, *applic;
    bool due;
  } cases[] = {
      {"past the alert", "appdisplay=1\nappcurrent=5\nappalert=2\n", true},
      {"current missing", "appdisplay=1\nappalert=2\n", true},
      {"current not a number", "appdisplay=1\nappcurrent=abc\nappalert=3\n", true},
      {"alert missing", "appdisplay=1\nappcurrent=0\n", true},
      {"current beyond 16 bits", "appdisplay=1\nappcurrent=40000\nappalert=3\n", true},
      {"alert beyond 16 bits", "appdisplay=1\nappcurrent=0\nappalert=-32769\n", true},
      {"both at the top of 16 bits", "appdisplay=1\nappcurrent=32767\nappalert=32767\n", true},
      {"display yes", "appdisplay=yes\nappcurrent=0\nappalert=2\n", false},
      {"display 0", "appdisplay=0\nappcurrent=0\nappalert=2\n", false},
      {"display 01", "appdisplay=01\nappcurrent=abc\n", false},
      {"display missing", "appcurrent=5\nappalert=2\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Module1::AppCurrent = Module1::AppAlert = Module1::AppDisplay = "";
    Applic(c.applic);
    const std::string file = folder_.IniText();
    EXPECT_EQ(Module1::MailerInviteDue(), c.due);
    EXPECT_EQ(folder_.IniText(), file);
  }
}

TEST_F(InviteTest, CountingKeepsTheFractionOfWhatWasStored) {
  struct Step {
    const char* current;
    const char* alert;
    const char* written;
  };
  // The comparison rounds (halves to even); the raise adds to the value.
  for (const Step& s :
       {Step{"1.4", "3", "2.4"}, Step{"2.5", "3", "3.5"}, Step{"-32768", "0", "-32767"},
        Step{"32766", "32767", "32767"}, Step{" 7 ", "9", "8"}}) {
    SCOPED_TRACE(s.current);
    Applic(std::string("appdisplay=1\nappcurrent=") + s.current + "\nappalert=" + s.alert + "\n");
    EXPECT_FALSE(Module1::MailerInviteDue());
    EXPECT_EQ(Key("appcurrent"), s.written);
    EXPECT_EQ(Module1::AppCurrent, s.written);
  }
}

TEST_F(InviteTest, NoSettingsFileIsInactiveAndMakesNone) {
  EXPECT_FALSE(Module1::MailerInviteDue());
  Module1::OfferMailer();
  EXPECT_FALSE(testutil::FileExists(folder_.Ini()));
  EXPECT_TRUE(messages_.empty());
  folder_.WriteIni("[flowers]\nyellow=3\n");
  EXPECT_FALSE(Module1::MailerInviteDue());
  EXPECT_EQ(folder_.IniText(), "[flowers]\nyellow=3\n");
}

}  // namespace
