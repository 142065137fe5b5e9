// FrmEmail: the mailer's only window. It asks for up to five friends'
// addresses, the user's own address and first name, checks them when the
// user presses "Submit" and then has the browser send the recommendation.
#pragma once

#include <string>

#include "platform/forms.h"

class FrmEmail : public forms::Form {
 public:
  FrmEmail();

  void Form_Load() override;
  void Form_Unload(int& cancel) override;
  void CommandSubmit_Click();
  void CommandNeverShow_Click();

  // Controls, in the order of the layout.
  forms::Label LabelEmail{*this};
  forms::Shape Shape1{*this};
  forms::Label LabelFriends{*this};
  forms::Label LabelFriend1{*this};
  forms::TextBox TextFriend1{*this};
  forms::Label LabelFriend2{*this};
  forms::TextBox TextFriend2{*this};
  forms::Label LabelFriend3{*this};
  forms::TextBox TextFriend3{*this};
  forms::Label LabelFriend4{*this};
  forms::TextBox TextFriend4{*this};
  forms::Label LabelFriend5{*this};
  forms::TextBox TextFriend5{*this};
  forms::Label LabelMess{*this};
  forms::Label LabelFirstName{*this};
  forms::TextBox TextFirstName{*this};
  forms::Label LabelSubject{*this};
  forms::TextBox TextSubject{*this};
  forms::Label LabelMessage{*this};
  forms::TextBox TextMessage{*this};
  forms::Label LabelYourEmail{*this};
  forms::TextBox TextYourEmail{*this};
  forms::CommandButton CommandNeverShow{*this};
  forms::Label LabelSubmit{*this};
  forms::CommandButton CommandSubmit{*this};

  bool Submitted() const { return bSubmitted; }

 private:
  void CheckAddress(const std::string& sText, const std::string& sLabel);
  void Send();

  bool bSubmitted = false;
  bool bAddressError = false;
};
