#pragma once
// A board reset: bit 7 of the board's control register (0x4008 main board,
// 0x4108 head board 1) pulses high once while its other bits keep their value.

#include <cstdint>

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::registers {

inline constexpr std::uint16_t kMainBoardResetReg = 0x4008;
inline constexpr std::uint16_t kHeadBoardResetReg = 0x4108;

// Reads the register (0 when the read fails) and writes it three times: bit 7
// low, high, low. The writes are not checked.
void PulseBoardReset(controller::CMainOperation& op, std::uint16_t reg);

}  // namespace velmor::registers
