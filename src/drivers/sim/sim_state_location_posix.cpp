#include "drivers/sim/sim_state_location.h"

#include <unistd.h>

#include <cstdlib>

namespace velmor::sim {

std::string DefaultStateFile() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/velmor-sim.state";
    return "/tmp/velmor-sim-" + std::to_string(::getuid()) + ".state";
}

}  // namespace velmor::sim
