#include <unistd.h>

#include "cli/ctl_console.h"

namespace velmor::cli {

void PrepareConsole() {}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace velmor::cli
