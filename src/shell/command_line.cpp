#include "shell/command_line.h"

#include <string_view>

namespace velmor::shell {

namespace {
bool Set(const char* value) { return value && *value; }
}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc && argv[i]; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--simulate") {
            line.simulate = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--home") {
            if (i + 1 >= argc || !Set(argv[i + 1])) {
                line.error = "--home needs a folder";
                return line;
            }
            line.home = argv[++i];
        } else if (arg.substr(0, 7) == "--home=") {
            line.home = std::string(arg.substr(7));
            if (line.home.empty()) {
                line.error = "--home needs a folder";
                return line;
            }
        } else {
            line.error = "unknown option: " + std::string(arg);
            return line;
        }
    }
    return line;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [--simulate] [--home DIR]\n"
           "  --simulate   work with the simulated controller instead of a real device\n"
           "  --home DIR   keep CmdsRecord/ under DIR (default: the program's folder,\n"
           "               or $VELMOR_HOME when set)\n";
}

bool CanShowWindows(const char* display, const char* waylandDisplay, const char* qtPlatform) {
    return Set(display) || Set(waylandDisplay) || Set(qtPlatform);
}

}  // namespace velmor::shell
