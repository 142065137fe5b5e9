// Pellmar.exe: the recommend-a-friend mailer. It reads no command line.
#include "mailer/frm_email.h"
#include "platform/forms.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  plat::InitProcess(argc, argv, "Pellmar");
  static FrmEmail form;
  form.Show();
  forms::RunUntilEnd();
}
