// The mailer invitation at the end of a show: when it is due, what the
// counters become, the start of the mailer (a copy of this test program
// stands in for it and records how it was started) and the giving up of the
// invitation after one attempt, with settings files in a program folder of
// the test's own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "dialog/dialog_support.h"
#include "platform/forms.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "saver/host/module1.h"
#include "support/test_util.h"

#ifdef _WIN32
// clang-format off
#include <windows.h>
// clang-format on
#endif

namespace {

namespace fs = std::filesystem;

constexpr const char* kMailerLogVariable = "TAMAREL_DIALOG_MAILER_LOG";

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  ::SetEnvironmentVariableA(name, value);
#else
  if (value)
    ::setenv(name, value, 1);
  else
    ::unsetenv(name);
#endif
}

// When this program is started as the mailer, it only notes how many
// arguments it was given, and ends.
struct StandInMailer {
  StandInMailer() {
    const char* log = std::getenv(kMailerLogVariable);
    if (!log || !*log) return;
    int arguments = 0;
#ifdef _WIN32
    arguments = __argc - 1;
#else
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    for (char c : all)
      if (c == '\0') ++arguments;
    --arguments;
#endif
    {
      std::ofstream(log, std::ios::binary | std::ios::app)
          << "started, arguments " << arguments << "\n";
    }
    std::_Exit(0);
  }
} standInMailer;

std::string ThisProgram() {
#ifdef _WIN32
  char exe[MAX_PATH];
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  return exe;
#else
  return fs::read_symlink("/proc/self/exe").string();
#endif
}

class InviteTest : public testing::Test {
 protected:
  void SetUp() override {
    forms::SetMsgBoxHookForTest([this](const std::string& text, int, const std::string&) {
      messages_.push_back(text);
      return forms::vbOK;
    });
    Module1::AppCurrent = Module1::AppAlert = Module1::AppDisplay = "";
    mailerLog_ = testutil::Join(testutil::MakeTempDir("mailer-log"), "started.txt");
  }
  void TearDown() override { forms::SetMsgBoxHookForTest(nullptr); }

  void Applic(const std::string& lines) {
    folder_.WriteIni("[flowers]\nyellow=3\n[applic]\n" + lines);
  }
  std::string Key(const char* key) const { return folder_.Key("applic", key); }

  // The mailer in the program folder: a copy of this program.
  void InstallMailer() {
    const std::string to = Module1::MailerPath();
#ifdef _WIN32
    fs::copy_file(ThisProgram(), to, fs::copy_options::overwrite_existing);
#else
    fs::create_symlink(ThisProgram(), to);
#endif
  }
  // Step 6 of the end of a show, as the end of a show runs it.
  void Offer() {
    SetVariable(kMailerLogVariable, mailerLog_.c_str());
    Module1::OfferMailer();
    SetVariable(kMailerLogVariable, nullptr);
  }
  // What the stand-in mailer recorded, waiting up to `seconds` for a line.
  std::string MailerStarts(int seconds) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string got = testutil::ReadText(mailerLog_);
    while (got.empty() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      got = testutil::ReadText(mailerLog_);
    }
    return got;
  }

  dialogtest::ProgramFolder folder_{"invite"};
  std::vector<std::string> messages_;
  std::string mailerLog_;
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

struct DueCase {
  const char* what;
  std::string applic;
  bool due;
};

void PrintTo(const DueCase& c, std::ostream* os) { *os << c.what; }

class InviteDueTest : public InviteTest, public testing::WithParamInterface<DueCase> {};

TEST_P(InviteDueTest, DueOrNotAndNothingWritten) {
  const DueCase& c = GetParam();
  Applic(c.applic);
  const std::string file = folder_.IniText();
  EXPECT_EQ(Module1::MailerInviteDue(), c.due);
  EXPECT_EQ(folder_.IniText(), file);
}

INSTANTIATE_TEST_SUITE_P(
    Counters, InviteDueTest,
    testing::Values(
        DueCase{"past the alert", "appdisplay=1\nappcurrent=5\nappalert=2\n", true},
        DueCase{"current missing", "appdisplay=1\nappalert=2\n", true},
        DueCase{"current not a number", "appdisplay=1\nappcurrent=abc\nappalert=3\n", true},
        DueCase{"current empty", "appdisplay=1\nappcurrent=\nappalert=3\n", true},
        DueCase{"alert missing", "appdisplay=1\nappcurrent=0\n", true},
        DueCase{"current beyond 16 bits", "appdisplay=1\nappcurrent=40000\nappalert=3\n", true},
        DueCase{"alert beyond 16 bits", "appdisplay=1\nappcurrent=0\nappalert=-32769\n", true},
        DueCase{"both at the top of 16 bits", "appdisplay=1\nappcurrent=32767\nappalert=32767\n",
                true},
        DueCase{"display yes", "appdisplay=yes\nappcurrent=0\nappalert=2\n", false},
        DueCase{"display 0", "appdisplay=0\nappcurrent=0\nappalert=2\n", false},
        DueCase{"display 01", "appdisplay=01\nappcurrent=abc\n", false},
        DueCase{"display missing", "appcurrent=5\nappalert=2\n", false},
        DueCase{"display empty", "appdisplay=\nappcurrent=5\nappalert=2\n", false}),
    [](const testing::TestParamInfo<DueCase>& info) { return std::to_string(info.index); });

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
  Offer();
  EXPECT_FALSE(testutil::FileExists(folder_.Ini()));
  EXPECT_EQ(MailerStarts(0), "");
  folder_.WriteIni("[flowers]\nyellow=3\n");
  EXPECT_FALSE(Module1::MailerInviteDue());
  EXPECT_EQ(folder_.IniText(), "[flowers]\nyellow=3\n");
}

// ---- the mailer's start ---------------------------------------------------------------------

TEST_F(InviteTest, DueAndOnlineStartsTheMailerOnceWithoutArguments) {
  InstallMailer();
  Applic("appdisplay=1\nappcurrent=0\nappalert=1\n");
  Offer();
  EXPECT_EQ(Key("appcurrent"), "1");
  EXPECT_EQ(Key("appdisplay"), "1");
  EXPECT_EQ(MailerStarts(0), "");

  const bool online = Module1::IsConnected();
  Offer();
  if (online) {
    EXPECT_EQ(MailerStarts(30), "started, arguments 0\n");
    EXPECT_EQ(Key("appdisplay"), "0");
  } else {
    // Offline nothing changes, so the next end of a show tries again.
    EXPECT_EQ(Key("appdisplay"), "1");
  }
  EXPECT_EQ(Key("appcurrent"), "1");
  // Given up after the attempt: later ends do nothing.
  const std::string file = folder_.IniText();
  Offer();
  Offer();
  EXPECT_EQ(folder_.IniText(), file);
  if (online) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(MailerStarts(0), "started, arguments 0\n");
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(InviteTest, AMissingOrBrokenMailerGivesUpWithoutAMessage) {
  if (!Module1::IsConnected()) GTEST_SKIP() << "offline: the mailer is never tried";
  Applic("appdisplay=1\nappcurrent=abc\nappalert=3\n");
  Offer();
  EXPECT_EQ(Key("appdisplay"), "0");
  EXPECT_EQ(Key("appcurrent"), "abc");

  // A file of that name that is no program.
  ASSERT_TRUE(testutil::WriteText(Module1::MailerPath(), "not a program\n"));
  Applic("appdisplay=1\nappcurrent=9\nappalert=3\n");
  Offer();
  EXPECT_EQ(Key("appdisplay"), "0");
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(MailerStarts(0), "");
}

}  // namespace
