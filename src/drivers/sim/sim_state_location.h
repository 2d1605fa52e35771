#pragma once
// Where the tools keep the simulated controller's registers and flash when no
// state file is named: $XDG_RUNTIME_DIR/velmor-sim.state, else
// /tmp/velmor-sim-<uid>.state; on Windows %LOCALAPPDATA%/velmortool/velmor-sim.state.
// velmortool --simulate and velmorctl --simulate
// use the same file, so each sees what the other (or an earlier run) wrote.

#include <string>

namespace velmor::sim {

std::string DefaultStateFile();

}  // namespace velmor::sim
