#include "mailer/frm_email.h"

#include <array>
#include <optional>

#include "mailer/request.h"
#include "mailer/shell_open.h"
#include "maker_config.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "platform/text.h"

#if __has_include("mailer/resources/resources.h")
#include "mailer/resources/resources.h"
#define FRMEMAIL_HAS_ICON 1
#endif

namespace {

constexpr const char* kCaption = "Email";

void Message(const std::string& text) { forms::MsgBox(text, forms::vbOKOnly, kCaption); }

void Place(forms::Control& c, const char* name, float left, float top, float width, float height,
           int tabIndex) {
  c.SetName(name);
  c.Move(left, top, width, height);
  c.SetTabIndex(tabIndex);
}

// (screen − form), rounded halves to even, then halved truncating toward
// zero; nothing when the difference does not fit.
std::optional<std::int32_t> CentredOffset(float screen, float form) {
  const auto diff = plat::ToInt32(plat::RoundHalfEven(static_cast<double>(screen) - form));
  if (!diff) return std::nullopt;
  return *diff / 2;
}

}  // namespace

FrmEmail::FrmEmail() {
  SetCaption("Tamarel Screen Saver");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  SetClientSize(6000, 7335);
#ifdef FRMEMAIL_HAS_ICON
  SetIcon(&mailer_res::FormIcon());
#endif

  Place(LabelEmail, "LabelEmail", 600, 120, 5040, 975, 21);
  LabelEmail.SetCaption(
      "Thank-you for enjoying our screen saver. We only ask one favor... Please recommend this "
      "screen saver to your friends && family so we can keep this screen saver free from ads. A "
      "lot of work has been put into our screen savers and we would like to keep them free. "
      "Thanks for your support. This message will only appear once.");
  Shape1.SetName("Shape1");
  Shape1.Move(240, 1200, 5535, 5415);

  forms::Font bold;
  bold.name = "MS Sans Serif";
  bold.size = 8.25f;
  bold.bold = true;
  Place(LabelFriends, "LabelFriends", 360, 1320, 3615, 255, 10);
  LabelFriends.SetCaption("Your Friends E-mail ");
  LabelFriends.SetFont(bold);

  struct Row {
    forms::Label& label;
    const char* labelName;
    const char* caption;
    forms::TextBox& box;
    const char* boxName;
  };
  const Row friends[] = {
      {LabelFriend1, "LabelFriend1", "Friend 1", TextFriend1, "TextFriend1"},
      {LabelFriend2, "LabelFriend2", "Friend 2", TextFriend2, "TextFriend2"},
      {LabelFriend3, "LabelFriend3", "Friend 3", TextFriend3, "TextFriend3"},
      {LabelFriend4, "LabelFriend4", "Friend 4", TextFriend4, "TextFriend4"},
      {LabelFriend5, "LabelFriend5", "Friend 5", TextFriend5, "TextFriend5"},
  };
  for (int i = 0; i < 5; ++i) {
    const Row& r = friends[i];
    const float top = 1680.0f + 360.0f * static_cast<float>(i);
    Place(r.label, r.labelName, 360, top + 45, 975, 255, i);
    r.label.SetCaption(r.caption);
    Place(r.box, r.boxName, 1440, top, 3015, 285, 5 + i);
  }

  Place(LabelMess, "LabelMess", 360, 3600, 3615, 255, 11);
  LabelMess.SetCaption("Your Message ");
  LabelMess.SetFont(bold);

  Place(LabelFirstName, "LabelFirstName", 360, 3975, 975, 255, 12);
  LabelFirstName.SetCaption("First name");
  Place(TextFirstName, "TextFirstName", 1440, 3960, 3975, 285, 16);

  Place(LabelSubject, "LabelSubject", 360, 4335, 975, 255, 13);
  LabelSubject.SetCaption("Subject");
  Place(TextSubject, "TextSubject", 1440, 4320, 3975, 285, 17);
  TextSubject.SetText("Happy Solvary!");

  Place(LabelMessage, "LabelMessage", 360, 4680, 975, 255, 14);
  LabelMessage.SetCaption("Message");
  Place(TextMessage, "TextMessage", 1440, 4680, 3975, 1245, 18);
  TextMessage.SetMultiLine(true);
  TextMessage.SetText(
      std::string("Winter has past, Solvary is here, watch wildflowers brighten your desktop as "
                  "they appear. Here's a little something to wish you Happy Solvary! Please "
                  "download Tamarel Screen Saver from ") +
      maker::kSite + " .");

  Place(LabelYourEmail, "LabelYourEmail", 360, 6015, 975, 255, 15);
  LabelYourEmail.SetCaption("Your e-mail");
  Place(TextYourEmail, "TextYourEmail", 1440, 6000, 3975, 285, 19);

  Place(CommandNeverShow, "CommandNeverShow", 240, 6720, 1335, 375, 22);
  CommandNeverShow.SetCaption("Never Show");
  CommandNeverShow.Click = [this] { CommandNeverShow_Click(); };

  Place(LabelSubmit, "LabelSubmit", 1800, 6720, 2775, 495, 23);
  LabelSubmit.SetCaption("Please click Submit only once. It takes a couple seconds to process.");

  Place(CommandSubmit, "CommandSubmit", 4680, 6720, 1095, 375, 20);
  CommandSubmit.SetCaption("Submit");
  CommandSubmit.Click = [this] { CommandSubmit_Click(); };
}

void FrmEmail::Form_Load() {
  bSubmitted = false;
  if (const auto left = CentredOffset(forms::Screen::Width(), Width()))
    SetLeft(static_cast<float>(*left));
  if (const auto top = CentredOffset(forms::Screen::Height(), Height()))
    SetTop(static_cast<float>(*top));
}

void FrmEmail::CommandSubmit_Click() {
  if (bSubmitted) return;
  bAddressError = false;

  const std::string friends = TextFriend1.Text() + TextFriend2.Text() + TextFriend3.Text() +
                              TextFriend4.Text() + TextFriend5.Text();
  if (plat::IsBlank(friends)) {
    Message(
        "You forgot a friend's e-mail address. Please enter at least one valid e-mail address. "
        "Thanks.");
    return;
  }
  if (plat::IsBlank(TextYourEmail.Text())) {
    Message(
        "You forgot to enter your e-mail address. Please enter a valid e-mail address. Thanks.");
    return;
  }

  CheckAddress(TextYourEmail.Text(), "Your e-mail");
  forms::TextBox* const boxes[] = {&TextFriend1, &TextFriend2, &TextFriend3, &TextFriend4,
                                   &TextFriend5};
  for (int i = 0; i < 5; ++i) {
    if (bAddressError) break;
    CheckAddress(boxes[i]->Text(), "Friend " + std::to_string(i + 1));
  }
  if (bAddressError) return;

  if (plat::IsBlank(TextFirstName.Text())) {
    Message("You forgot to enter your first name.");
    return;
  }
  Send();
}

void FrmEmail::CheckAddress(const std::string& sText, const std::string& sLabel) {
  if (plat::IsBlank(sText)) return;  // unused friend boxes pass
  if (sText.find('@') == std::string::npos) {
    Message(sLabel + " does not contain a '@' in the e-mail address.");
    bAddressError = true;
    return;
  }
  if (sText.find('.') == std::string::npos) {
    Message(sLabel + " does not contain a '.' in the e-mail address.");
    bAddressError = true;
  }
}

void FrmEmail::Send() {
  bSubmitted = true;
  TextYourEmail.SetText(plat::Trim(TextYourEmail.Text()));
  TextFirstName.SetText(plat::Trim(TextFirstName.Text()));
  // The boxes give the system's code page; the address carries UTF-8.
  const std::array<std::string, 5> friends = {
      plat::AnsiToUtf8(TextFriend1.Text()), plat::AnsiToUtf8(TextFriend2.Text()),
      plat::AnsiToUtf8(TextFriend3.Text()), plat::AnsiToUtf8(TextFriend4.Text()),
      plat::AnsiToUtf8(TextFriend5.Text())};
  const std::string address =
      mailer::BuildRequest(maker::kHost, friends, plat::AnsiToUtf8(TextYourEmail.Text()),
                           plat::AnsiToUtf8(TextFirstName.Text()));
  // Whether a browser took it or not, the mailer has done its part.
  ShellOpen(address);
  Unload();
}

void FrmEmail::CommandNeverShow_Click() { Unload(); }

void FrmEmail::Form_Unload(int& cancel) {
  (void)cancel;  // the close is never refused
  plat::EndProgram(0);
}
