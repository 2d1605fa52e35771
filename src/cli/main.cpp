#include <iostream>

#include "cli/ctl_commands.h"
#include "cli/ctl_console.h"

int main(int argc, char** argv) {
    velmor::cli::PrepareConsole();
    return velmor::cli::RunCtl(velmor::cli::CommandLineArguments(argc, argv), std::cout, std::cerr);
}
