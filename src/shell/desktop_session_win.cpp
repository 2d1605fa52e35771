#include "shell/command_line.h"

namespace velmor::shell {

// A Windows desktop session always has its window station.
bool SessionCanShowWindows() { return true; }

}  // namespace velmor::shell
