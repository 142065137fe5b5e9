// Text encodings: what the system's text boxes hand us (the ANSI code page
// on Windows, ISO 8859-1 from the forms on Linux) turned into UTF-8 where a
// standard format asks for it (addresses on the web).
#pragma once

#include <string>

namespace plat {

// The text from the system's ANSI code page (ISO 8859-1 on Linux) as UTF-8.
std::string AnsiToUtf8(const std::string& text);

}  // namespace plat
