#include "shell/command_line.h"

#include <string_view>

namespace velmor::shell {

namespace {
bool Set(const char* value) { return value && *value; }

// "--name VALUE" or "--name=VALUE" at argv[i]; advances i past a separate value.
// Returns false when `arg` is not this option; sets `error` when its value is missing.
bool TakeValue(std::string_view name, int argc, const char* const* argv, int& i,
               std::string& value, std::string& error, const char* missing) {
    const std::string_view arg = argv[i];
    if (arg == name) {
        if (i + 1 >= argc || !Set(argv[i + 1])) {
            error = missing;
            return true;
        }
        value = argv[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
        arg[name.size()] == '=') {
        value = std::string(arg.substr(name.size() + 1));
        if (value.empty()) error = missing;
        return true;
    }
    return false;
}
}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc && argv[i]; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--simulate") {
            line.simulate = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (TakeValue("--home", argc, argv, i, line.home, line.error,
                             "--home needs a folder") ||
                   TakeValue("--state", argc, argv, i, line.state, line.error,
                             "--state needs a file")) {
            if (!line.error.empty()) return line;
        } else {
            line.error = "unknown option: " + std::string(arg);
            return line;
        }
    }
    if (!line.state.empty() && !line.simulate) line.error = "--state needs --simulate";
    return line;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [--simulate [--state FILE]] [--home DIR]\n"
           "  --simulate   work with the simulated controller instead of a real device\n"
           "  --state FILE where the simulated controller keeps its registers and flash\n"
           "               between runs (default: $XDG_RUNTIME_DIR/velmor-sim.state,\n"
           "               else /tmp/velmor-sim-<uid>.state; shared with velmorctl)\n"
           "  --home DIR   keep CmdsRecord/ under DIR (default: the program's folder,\n"
           "               or $VELMOR_HOME when set)\n";
}

bool CanShowWindows(const char* display, const char* waylandDisplay, const char* qtPlatform) {
    return Set(display) || Set(waylandDisplay) || Set(qtPlatform);
}

}  // namespace velmor::shell
