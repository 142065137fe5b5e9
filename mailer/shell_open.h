// The mailer's own document-opening service, the platform's: the address
// goes to the system's default handler (the web browser for http
// addresses). Its tests put their own in its place.
#pragma once

#include <cstdint>
#include <string>

// The platform's result code: above 32 means success.
std::int32_t ShellOpen(const std::string& address);
