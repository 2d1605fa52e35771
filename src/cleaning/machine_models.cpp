#include "cleaning/machine_models.h"

namespace velmor::cleaning {

std::optional<std::size_t> MachineModelIndex(std::uint8_t code) {
    for (std::size_t i = 0; i < kMachineModels.size(); ++i) {
        if (kMachineModels[i].code == code) return i;
    }
    return std::nullopt;
}

}  // namespace velmor::cleaning
