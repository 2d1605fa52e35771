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
        } else if (arg == "--force") {
            line.force = true;
        } else if (arg == "--replay-timing") {
            line.replayTiming = true;
        } else if (TakeValue("--home", argc, argv, i, line.home, line.error,
                             "--home needs a folder") ||
                   TakeValue("--state", argc, argv, i, line.state, line.error,
                             "--state needs a file") ||
                   TakeValue("--record", argc, argv, i, line.record, line.error,
                             "--record needs a file") ||
                   TakeValue("--replay", argc, argv, i, line.replay, line.error,
                             "--replay needs a file")) {
            if (!line.error.empty()) return line;
        } else {
            line.error = "unknown option: " + std::string(arg);
            return line;
        }
    }
    if (!line.state.empty() && !line.simulate) line.error = "--state needs --simulate";
    if (line.replayTiming && line.replay.empty()) line.error = "--replay-timing needs --replay";
    return line;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [--simulate [--state FILE]] [--home DIR] [--record FILE [--force]]\n"
           "       [--replay FILE [--replay-timing]]\n"
           "  --simulate   work with the simulated controller instead of a real device\n"
           "  --state FILE where the simulated controller keeps its registers and flash\n"
           "               between runs (default: $XDG_RUNTIME_DIR/velmor-sim.state,\n"
           "               else /tmp/velmor-sim-<uid>.state; shared with velmorctl)\n"
           "  --home DIR   keep CmdsRecord/ under DIR (default: the program's folder,\n"
           "               or $VELMOR_HOME when set)\n"
           "  --record FILE  also write every exchange with the controllers to FILE\n"
           "               (JSON Lines), to replay later; --force records over a file\n"
           "  --replay FILE  answer from the recording FILE instead of controllers;\n"
           "               --replay-timing takes as long as the recording took\n";
}

bool CanShowWindows(const char* display, const char* waylandDisplay, const char* qtPlatform) {
    return Set(display) || Set(waylandDisplay) || Set(qtPlatform);
}

}  // namespace velmor::shell
