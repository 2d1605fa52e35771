#include "motion/register_bits.h"

#include "controller/main_operation.h"

namespace velmor::motion {

bool RegisterBits::Read(std::uint16_t address, std::uint8_t& value) {
    std::uint8_t byte = 0;
    const bool ok = op_.ReadRegsRetry(address, &byte, 1);
    std::lock_guard lock(lastMutex_);
    if (ok) {
        last_[address] = byte;
        value = byte;
    } else {
        const auto it = last_.find(address);
        value = it == last_.end() ? 0 : it->second;
    }
    return ok;
}

bool RegisterBits::Read32(std::uint16_t address, std::uint32_t& value) {
    std::uint8_t bytes[4] = {};
    if (!op_.ReadRegsRetry(address, bytes, 4)) return false;
    value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
            std::uint32_t{bytes[3]} << 24;
    return true;
}

bool RegisterBits::Write8(std::uint16_t address, std::uint8_t value) {
    return op_.WriteRegs(address, &value, 1);
}

bool RegisterBits::Write16(std::uint16_t address, std::uint32_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    return op_.WriteRegs(address, bytes, 2);
}

bool RegisterBits::Write32(std::uint16_t address, std::uint32_t value) {
    return op_.WriteReg32(address, value);
}

void RegisterBits::Update(std::uint16_t address, int bit, bool on) {
    std::lock_guard lock(updateMutex_);
    std::uint8_t value = 0;
    Read(address, value);
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    value = on ? static_cast<std::uint8_t>(value | mask) : static_cast<std::uint8_t>(value & ~mask);
    if (Write8(address, value)) {
        std::lock_guard lastLock(lastMutex_);
        last_[address] = value;
    }
}

}  // namespace velmor::motion
