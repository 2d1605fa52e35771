#pragma once
// The controller's 64 KiB register space with per-range behaviour.
//
// Plain registers just store what is written. Registers with behaviour (the flash
// engine, resets, read-only identity blocks, later motors and the control panel)
// hang a hook on an address range: on write it sees the previous and the new
// value, on read it decides what the device answers. The file itself is not
// locked; its owner (the controller model) serialises access.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace velmor::sim {

class SimRegisterFile;

struct RegisterHook {
    std::uint16_t first = 0;  // inclusive range of addresses the hook serves
    std::uint16_t last = 0;
    // After the new value is stored. May change any register through Raw/SetRaw.
    std::function<void(SimRegisterFile& file, std::uint16_t address, std::uint8_t previous,
                       std::uint8_t value)>
        onWrite;
    // The value the device answers for `address`; `stored` is the raw value, or
    // what the previous hook of the address answered.
    std::function<std::uint8_t(SimRegisterFile& file, std::uint16_t address, std::uint8_t stored)>
        onRead;
    // The write hook also runs on the firmware's own stores (Store): behaviour of
    // the device itself, such as a motion generator's start bit, rather than of
    // the host's bus.
    bool firmwareStores = false;
};

class SimRegisterFile {
  public:
    static constexpr std::size_t kSize = 0x10000;
    // Bounds the write log so a long demo session cannot grow without end; the
    // oldest entries go first.
    static constexpr std::size_t kWriteLogLimit = 1u << 20;

    SimRegisterFile();

    // A write from the host: stored, logged, then the hooks of the address run.
    void Write(std::uint16_t address, std::uint8_t value);
    // A read by the host: the stored value as the hooks of the address answer it.
    std::uint8_t Read(std::uint16_t address);
    // A store by the firmware: stored, not logged, and only the write hooks that
    // serve firmware stores run.
    void Store(std::uint16_t address, std::uint8_t value);

    // Direct access without hooks or log (device internals and test back doors).
    std::uint8_t Raw(std::uint16_t address) const { return regs_[address]; }
    void SetRaw(std::uint16_t address, std::uint8_t value) { regs_[address] = value; }
    const std::array<std::uint8_t, kSize>& All() const { return regs_; }
    void SetAll(std::span<const std::uint8_t, kSize> values);
    void ClearAll() { regs_.fill(0); }

    // Hooks run in the order they were added; several may serve one address.
    void AddHook(RegisterHook hook);

    std::vector<std::pair<std::uint16_t, std::uint8_t>> WriteLog() const;
    void ClearWriteLog() { log_.clear(); }

  private:
    std::array<std::uint8_t, kSize> regs_{};
    std::vector<RegisterHook> hooks_;
    // Per address: does any hook serve it? Keeps plain registers on the fast path.
    // Bits rather than bools keep a controller model small enough that the allocator
    // gives it recycled memory rather than fresh pages of its own.
    std::bitset<kSize> hooked_;
    std::deque<std::pair<std::uint16_t, std::uint8_t>> log_;
};

}  // namespace velmor::sim
