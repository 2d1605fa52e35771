#include <iostream>
#include <string>
#include <vector>

#include "cli/ctl_commands.h"

int main(int argc, char** argv) {
    return velmor::cli::RunCtl(std::vector<std::string>(argv, argv + argc), std::cout, std::cerr);
}
