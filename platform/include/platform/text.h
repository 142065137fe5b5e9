// Text encodings: what the system's text boxes and calls hand us (the ANSI
// code page on Windows, UTF-8 on Linux) turned into UTF-8 where a standard
// format asks for it (addresses on the web).
#pragma once

#include <string>

namespace plat {

// The text from the system's ANSI code page as UTF-8. On Linux the system's
// texts already are UTF-8 and come back unchanged.
std::string AnsiToUtf8(const std::string& text);

}  // namespace plat
