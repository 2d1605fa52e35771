#pragma once
// The controller model behind a simulated device: the register file of the main
// board and the four head boards (0x4000..0x44FF) and room above it, the flash
// behind its control blocks and data window, vendor requests, and fault knobs.

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "drivers/sim/sim_flash_faults.h"
#include "drivers/sim/sim_register_file.h"
#include "drivers/sim/sim_start_image.h"

namespace velmor::sim {

class SimMotors;
class SimPanel;

// Faults a test can switch on; all off by default. Counters count down as the
// fault strikes. Set them between transfers (they are not locked).
struct SimFaults {
    int timeoutTransfers = 0;  // the next N bulk/control transfers never complete (until aborted)
    int wrongTagAnswers = 0;   // the next N read answers carry tag 0x80
    int wrongAddressAnswers = 0;        // the next N read answers carry a wrong address
    int shortAnswers = 0;               // the next N read answers lose their last word
    int emptyAnswers = 0;               // the next N read answers move 0 bytes
    int zeroByteWrites = 0;             // the next N bulk writes report 0 bytes moved
    int failTransfers = 0;              // the next N bulk transfers fail with a USBD status
    bool complementReads = false;       // read answers carry 255 - stored value
    std::uint32_t busyStatusReads = 0;  // flash status reads that still report busy
    // Which word of an answer the wrong-tag and wrong-address faults spoil (0 =
    // the first; past the end = the last).
    std::size_t faultWordIndex = 0;
};

class SimController {
  public:
    virtual ~SimController() = default;

    // Raw register contents, without the behaviour a host read or write triggers.
    virtual std::uint8_t Reg(std::uint16_t address) const = 0;
    virtual void SetReg(std::uint16_t address, std::uint8_t value) = 0;
    // Every register write from the host in order (address, value), for tests of
    // pulses and order. Back-door SetReg calls are not in it.
    virtual std::vector<std::pair<std::uint16_t, std::uint8_t>> WriteLog() const = 0;
    virtual void ClearWriteLog() = 0;

    virtual std::vector<std::uint8_t> ReadFlash(std::uint32_t address,
                                                std::size_t length) const = 0;
    virtual void WriteFlash(std::uint32_t address, std::span<const std::uint8_t> data) = 0;

    virtual SimFaults& Faults() = 0;
    // Faults of the flash behind the control blocks (sim_flash_faults.h).
    virtual SimFlashFaults& FlashFaults() = 0;
    // Runs `change` on both fault sets with the controller locked, so faults can be
    // switched while other threads are transferring.
    virtual void ChangeFaults(const std::function<void(SimFaults&, SimFlashFaults&)>& change) = 0;
    // Flash read commands so far that delivered other bytes than the flash held.
    virtual std::uint64_t FlashLyingReads() const = 0;

    // A simulated power-up: every register cleared, then the start-up image in
    // flash replayed (sim_start_image.h). A main-board reset replays it too.
    virtual void PowerUp() = 0;
    // What the last replay of the start-up image did.
    virtual StartImageReplay LastStartImageReplay() const = 0;

    // Frames accepted with vendor requests 0xEC/0xE2 (good check byte), oldest first.
    virtual std::vector<std::vector<std::uint8_t>> VendorFrames() const = 0;
    // The control panel that takes the "W" "L" frames of request 0xEC and answers 0xED.
    virtual SimPanel& Panel() = 0;

    // Adds behaviour to a range of registers. Hooks run with the controller
    // locked: they reach registers only through the file they are given.
    virtual void AddRegisterHook(RegisterHook hook) = 0;

    // How often bit 7 of a reset register (0x4008, 0x4108) went from 0 to 1.
    virtual std::uint32_t ResetPulses(std::uint16_t address) const = 0;

    // The motion generators and their knobs (layout, clock, limits, stuck motors).
    virtual SimMotors& Motors() = 0;
};

}  // namespace velmor::sim
