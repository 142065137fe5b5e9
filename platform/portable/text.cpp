// Linux: the system's texts (Qt's text boxes, the command line) are UTF-8.
#include "platform/text.h"

namespace plat {

std::string AnsiToUtf8(const std::string& text) { return text; }

}  // namespace plat
