// Module1, preview mode. For now the preview paints nothing and ends.
#include "platform/process.h"
#include "saver/host/module1.h"

namespace Module1 {

void ShowPreview() { plat::EndProgram(0); }

}  // namespace Module1
