// The mailer form as the user meets it: the checks of "Submit" with their
// messages, the request it hands over, then the end of the program.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "mailer/frm_email.h"
#include "mailer/shell_open.h"
#include "maker_config.h"
#include "platform/forms.h"
#include "platform/forms_test.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "support/test_util.h"

// The mailer's hand-off to the browser, replaced here (the real one, through
// the system's browser, is the end-to-end run's): the addresses it was given.
namespace {
std::vector<std::string> opened;
}  // namespace
std::int32_t ShellOpen(const std::string& address) {
  opened.push_back(address);
  return 42;
}

namespace {

using forms::test::ClickButton;
using forms::test::TypeText;

struct Shown {
  std::string text;
  int style;
  std::string caption;
};

constexpr const char* kForgotFriend =
    "You forgot a friend's e-mail address. Please enter at least one valid "
    "e-mail address. "
    "Thanks.";
constexpr const char* kForgotOwn =
    "You forgot to enter your e-mail address. Please enter a valid e-mail "
    "address. Thanks.";
constexpr const char* kForgotName = "You forgot to enter your first name.";
std::string NoAt(const std::string& label) {
  return label + " does not contain a '@' in the e-mail address.";
}
std::string NoDot(const std::string& label) {
  return label + " does not contain a '.' in the e-mail address.";
}

class MailerTest : public testing::Test {
 protected:
  void SetUp() override {
    forms::Init();
    forms::SetScreenSizeOverride(0, 0);
    opened.clear();
    forms::SetMsgBoxHookForTest([this](const std::string& text, int style, const std::string& c) {
      shown_.push_back({text, style, c});
      return forms::vbOK;
    });
    form_.Show();
    forms::DoEvents();
  }
  void TearDown() override {
    forms::SetMsgBoxHookForTest(nullptr);
    forms::DoEvents();
  }

  std::array<forms::TextBox*, 5> Friends() {
    return {&form_.TextFriend1, &form_.TextFriend2, &form_.TextFriend3, &form_.TextFriend4,
            &form_.TextFriend5};
  }
  void Fill(const std::array<std::string, 5>& friends, const std::string& own,
            const std::string& name) {
    for (int i = 0; i < 5; ++i) TypeText(*Friends()[i], friends[i]);
    TypeText(form_.TextYourEmail, own);
    TypeText(form_.TextFirstName, name);
  }
  // Presses "Submit"; true when the program ended (with exit status 0).
  bool Submit() {
    return testutil::EndsProgram([this] { ClickButton(form_.CommandSubmit); });
  }

  std::vector<Shown> shown_;
  FrmEmail form_;
};

// ---- the checks ---------------------------------------------------------------------

struct CheckCase {
  const char* what;
  std::array<std::string, 5> friends;
  std::string own;
  std::string name;
  std::string message;
};

TEST_F(MailerTest, EachFailedCheckShowsItsOneMessageAndKeepsTheForm) {
  const CheckCase cases[] = {
      {"friends checked before the own address", {"", "", "", "", ""}, "", "", kForgotFriend},
      {"spaces only are blank", {"  ", " ", "", "   ", " "}, "me@x.y", "Ann", kForgotFriend},
      {"own address blank", {"a@b.c", "", "", "", ""}, "   ", "Ann", kForgotOwn},
      {"own address without at", {"a@b.c", "", "", "", ""}, "me.x.y", "Ann", NoAt("Your e-mail")},
      {"own before friends", {"bad", "", "", "", ""}, "me@xy", "", NoDot("Your e-mail")},
      {"first failing friend", {"a@b.c", "bad", "", "d@ef", ""}, "me@x.y", "Ann", NoAt("Friend 2")},
      {"friend without a full stop", {"", "", "", "", "e@f"}, "me@x.y", "Ann", NoDot("Friend 5")},
      {"a tab is not blank", {"\t", "", "", "", ""}, "me@x.y", "Ann", NoAt("Friend 1")},
      {"first name after the address checks", {"a@b.c", "", "", "", ""}, "me@x.y", "", kForgotName},
      {"first name of spaces", {"a@b.c", "", "", "", ""}, "me@x.y", "   ", kForgotName},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.what);
    shown_.clear();
    Fill(c.friends, c.own, c.name);
    EXPECT_FALSE(Submit());
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, c.message);
    EXPECT_EQ(shown_[0].style, forms::vbOKOnly);
    EXPECT_EQ(shown_[0].caption, "Email");
    // The form stays, with everything as typed.
    EXPECT_TRUE(form_.IsLoaded());
    EXPECT_FALSE(form_.Submitted());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Friends()[i]->Text(), c.friends[i]);
    EXPECT_EQ(form_.TextYourEmail.Text(), c.own);
    EXPECT_EQ(form_.TextFirstName.Text(), c.name);
  }
  EXPECT_TRUE(opened.empty());
}

// ---- sending ------------------------------------------------------------------------

TEST_F(MailerTest, ValidFormSendsOnceTrimsAndEnds) {
  // The first friend's box may stay blank.
  Fill({" ", "", "  ann@a.example ", "", "bob@b.example"}, "  me@home.example ", " Mary Ann ");
  TypeText(form_.TextSubject, "not sent");
  ASSERT_TRUE(Submit());
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(form_.Submitted());
  EXPECT_EQ(form_.TextYourEmail.Text(), "me@home.example");
  EXPECT_EQ(form_.TextFirstName.Text(), "Mary Ann");
  EXPECT_EQ(form_.TextFriend3.Text(), "  ann@a.example ");  // friends' boxes are left as typed
  const std::string expected = std::string("http://") + maker::kHost +
                               "/emsoftware.php?s=1&te=,,ann@a.example,,bob@b.example"
                               "&fe=me@home.example&n=Mary%20Ann";
  EXPECT_EQ(opened, std::vector<std::string>({expected}));

  // A second "Submit" does nothing: no message, no second request.
  EXPECT_FALSE(Submit());
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(opened, std::vector<std::string>({expected}));
}

// ---- closing without sending --------------------------------------------------------

TEST_F(MailerTest, NeverShowEndsWithoutSending) {
  Fill({"a@b.c", "d@e.f", "g@h.i", "j@k.l", "m@n.o"}, "me@x.y", "Ann");
  EXPECT_THROW(ClickButton(form_.CommandNeverShow), plat::ProgramEnded);
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(opened.empty());
}

}  // namespace
