// Tamarel.scr: Windows starts it with a mode switch on the command line.
#include "platform/forms.h"
#include "platform/process.h"
#include "saver/host/module1.h"

int main(int argc, char** argv) {
  plat::InitProcess(argc, argv, "Tamarel");
  Module1::Main();
  forms::RunUntilEnd();
}
