#include <filesystem>
#include <system_error>

#include "drivers/sim/sim_state_location.h"
#include "files/process_environment.h"
#include "files/utf8_path.h"

namespace velmor::sim {

// %LOCALAPPDATA%/velmortool/velmor-sim.state, its folder made when missing; beside
// the program when the environment names no such folder.
std::string DefaultStateFile() {
    const std::string base = files::UserDataFolder();
    if (base.empty()) return "velmor-sim.state";
    const std::string folder = base + "/velmortool";
    std::error_code ec;
    std::filesystem::create_directories(files::PathFromUtf8(folder), ec);
    return folder + "/velmor-sim.state";
}

}  // namespace velmor::sim
