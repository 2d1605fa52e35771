#include <cstdlib>

#include "shell/command_line.h"

namespace velmor::shell {

bool SessionCanShowWindows() {
    return CanShowWindows(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                          std::getenv("QT_QPA_PLATFORM"));
}

}  // namespace velmor::shell
