// The mailer's own copy of the document-opening service: the address goes
// to the system's default handler (the web browser for http addresses).
#pragma once

#include <cstdint>
#include <string>

// The platform's result code: above 32 means success.
std::int32_t ShellOpen(const std::string& address);
