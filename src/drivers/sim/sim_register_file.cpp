#include "drivers/sim/sim_register_file.h"

#include <algorithm>

namespace velmor::sim {

SimRegisterFile::SimRegisterFile() = default;

void SimRegisterFile::SetAll(std::span<const std::uint8_t, kSize> values) {
    std::copy(values.begin(), values.end(), regs_.begin());
}

void SimRegisterFile::Write(std::uint16_t address, std::uint8_t value) {
    const std::uint8_t previous = regs_[address];
    regs_[address] = value;
    if (log_.size() >= kWriteLogLimit) log_.pop_front();
    log_.emplace_back(address, value);
    if (!hooked_[address]) return;
    for (const RegisterHook& hook : hooks_) {
        if (address >= hook.first && address <= hook.last && hook.onWrite)
            hook.onWrite(*this, address, previous, value);
    }
}

void SimRegisterFile::Store(std::uint16_t address, std::uint8_t value) {
    const std::uint8_t previous = regs_[address];
    regs_[address] = value;
    if (!hooked_[address]) return;
    for (const RegisterHook& hook : hooks_) {
        if (address >= hook.first && address <= hook.last && hook.onWrite && hook.firmwareStores)
            hook.onWrite(*this, address, previous, value);
    }
}

std::uint8_t SimRegisterFile::Read(std::uint16_t address) {
    std::uint8_t value = regs_[address];
    if (!hooked_[address]) return value;
    for (const RegisterHook& hook : hooks_) {
        if (address >= hook.first && address <= hook.last && hook.onRead)
            value = hook.onRead(*this, address, value);
    }
    return value;
}

void SimRegisterFile::AddHook(RegisterHook hook) {
    if (hook.first > hook.last) return;
    for (std::size_t a = hook.first; a <= hook.last; ++a) hooked_.set(a);
    hooks_.push_back(std::move(hook));
}

std::vector<std::pair<std::uint16_t, std::uint8_t>> SimRegisterFile::WriteLog() const {
    return {log_.begin(), log_.end()};
}

}  // namespace velmor::sim
