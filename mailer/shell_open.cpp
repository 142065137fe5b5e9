#include "mailer/shell_open.h"

#include "platform/process.h"

std::int32_t ShellOpen(const std::string& address) { return plat::ShellOpen(address); }
