#pragma once
// The program's options: --simulate (the simulated controller instead of real
// devices), --state FILE (where the simulated controller keeps its registers and
// flash), --home DIR (where CmdsRecord/ lives), --record FILE [--force] (every
// exchange with the controllers also written to a recording), --replay FILE
// [--replay-timing] (the controllers answered from a recording), --help. Without
// options the program behaves as the plain tool always has.

#include <string>

namespace velmor::shell {

struct CommandLine {
    bool simulate = false;
    bool help = false;
    std::string home;   // empty: not given
    std::string state;  // empty: not given (the simulator's default state file)
    std::string record;  // empty: no recording
    bool force = false;  // record over an existing file
    std::string replay;  // empty: real or simulated controllers
    bool replayTiming = false;
    std::string error;  // not empty: the options were not understood
};

CommandLine ParseCommandLine(int argc, const char* const* argv);
std::string UsageText(const std::string& program);

// Whether a window system can be reached: a display or Wayland socket is named,
// or a Qt platform plugin is chosen explicitly (offscreen, vnc, …).
bool CanShowWindows(const char* display, const char* waylandDisplay, const char* qtPlatform);

// Whether this process's desktop can show windows: always on Windows; elsewhere
// CanShowWindows over DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM.
bool SessionCanShowWindows();

}  // namespace velmor::shell
