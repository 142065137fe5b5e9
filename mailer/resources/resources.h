// The pictures the mailer holds itself, decoded once on first use and kept
// for the life of the program.
#pragma once

#include "platform/forms.h"

namespace mailer_res {

const forms::Picture& FormIcon();  // 32 x 32; 64 x 64 on a high-density screen

}  // namespace mailer_res
