#include "registers/board_reset.h"

#include "controller/main_operation.h"

namespace velmor::registers {

void PulseBoardReset(controller::CMainOperation& op, std::uint16_t reg) {
    std::uint8_t value = 0;
    if (!op.ReadRegsRetry(reg, &value, 1)) value = 0;
    const std::uint8_t low = value & 0x7F;
    const std::uint8_t high = low | 0x80;
    op.WriteRegs(reg, &low, 1);
    op.WriteRegs(reg, &high, 1);
    op.WriteRegs(reg, &low, 1);
}

}  // namespace velmor::registers
