#pragma once
// The simulated controller: registers, flash engine, register-word protocol on
// the bulk endpoints, vendor requests on the control endpoint, and the faults a
// test switches on. One lock guards it all; every entry point takes it.
//
// Register words (4 bytes: data, address low, address high, tag) arrive on 0x02:
// tag 0x80 writes, tag 0x81 reads (byte 0 + 1) registers and queues one answer
// word per register, [value, address low, address high, 0x81]; other tags and a
// trailing partial word are ignored. Addresses wrap at 16 bits. The next
// transfer on 0x82 takes the queued words, as many as fit in the room asked for;
// the rest of the answer is dropped, so a read that came back short or spoiled
// never leaves stale words for the next read. With nothing queued, 0x82 answers
// at once with no data (a real device would let the host time out).

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <vector>

#include "drivers/sim/sim_controller.h"
#include "drivers/sim/sim_flash.h"
#include "drivers/sim/sim_flash_faults.h"
#include "drivers/sim/sim_motors.h"
#include "drivers/sim/sim_panel.h"
#include "drivers/sim/sim_register_file.h"
#include "drivers/sim/sim_state_file.h"
#include "drivers/sim/sim_transfer.h"

namespace velmor::sim {

// Fixed registers of the controller.
namespace reg {
inline constexpr std::uint16_t kMainBoard = 0x4000;
inline constexpr std::uint16_t kHeadBoard1 = 0x4100;
inline constexpr std::uint16_t kBoardSpan = 0x100;
inline constexpr std::uint16_t kVersionBlock = 0xF0;  // + board base, 16 bytes
inline constexpr std::uint16_t kMainReset = 0x4008;
inline constexpr std::uint16_t kHeadReset = 0x4108;
inline constexpr std::uint16_t kFlashBlockMain = 0x40D0;
inline constexpr std::uint16_t kFlashBlockHead = 0x40E0;
inline constexpr std::uint16_t kFlashCommand = 0;  // + block base
inline constexpr std::uint16_t kFlashLength = 1;   // 2 bytes, length - 1
inline constexpr std::uint16_t kFlashAddress = 3;  // 3 bytes
inline constexpr std::uint16_t kFlashStatus = 6;   // bit 0 busy
inline constexpr std::uint16_t kFlashWindow = 0x5000;
inline constexpr std::uint16_t kFlashWindowSize = 4096;
}  // namespace reg

// Vendor request codes.
namespace vendor {
inline constexpr std::uint8_t kFirmwareId = 0xE0;
inline constexpr std::uint8_t kWriteChecked = 0xEC;
inline constexpr std::uint8_t kWriteCheckedAlternate = 0xE2;
inline constexpr std::uint8_t kReadChecked = 0xED;
}  // namespace vendor

using Identity = std::array<std::uint8_t, 16>;

class SimControllerModel final : public SimController {
  public:
    // `flashBusyReads`: status reads that report busy after each flash command.
    explicit SimControllerModel(std::uint32_t flashBusyReads);

    // ---- SimController ----
    std::uint8_t Reg(std::uint16_t address) const override;
    void SetReg(std::uint16_t address, std::uint8_t value) override;
    std::vector<std::pair<std::uint16_t, std::uint8_t>> WriteLog() const override;
    void ClearWriteLog() override;
    std::vector<std::uint8_t> ReadFlash(std::uint32_t address, std::size_t length) const override;
    void WriteFlash(std::uint32_t address, std::span<const std::uint8_t> data) override;
    SimFaults& Faults() override { return faults_; }
    SimFlashFaults& FlashFaults() override { return faultyFlash_.Faults(); }
    void ChangeFaults(const std::function<void(SimFaults&, SimFlashFaults&)>& change) override;
    std::uint64_t FlashLyingReads() const override;
    void PowerUp() override;
    StartImageReplay LastStartImageReplay() const override;
    std::vector<std::vector<std::uint8_t>> VendorFrames() const override;
    SimPanel& Panel() override { return panel_; }
    void AddRegisterHook(RegisterHook hook) override;
    std::uint32_t ResetPulses(std::uint16_t address) const override;
    SimMotors& Motors() override { return motors_; }

    // ---- host traffic ----
    SimOutcome BulkOut(std::span<const std::uint8_t> data);
    SimOutcome BulkIn(std::span<std::uint8_t> room);
    // A vendor-type control transfer; `data` is the wLength bytes of the stage.
    SimOutcome VendorRequest(const usb::XferRequest& setup, std::span<std::uint8_t> data);
    // True (and counted down) when the next transfer is to hang until aborted.
    bool TakeTimeoutFault();
    // True (once) when a flash fault has asked for the device to be unplugged; the
    // device does it after the transfer, outside the model's lock.
    bool TakeUnplugRequest();

    // ---- persistence ----
    // The state file's bytes for the registers and flash as they are.
    std::vector<std::uint8_t> EncodedState() const;
    void Restore(const SimStateView& state);
    // Called, with the controller locked, whenever registers or flash changed.
    void SetChangeListener(std::function<void()> listener);

    static const Identity kMainBoardIdentity;
    static const Identity kHeadBoardIdentity;
    static const Identity kFirmwareIdentity;
    static constexpr std::size_t kAnswerLimitWords = 16384;
    static constexpr std::size_t kVendorFrameLimit = 1024;

  private:
    void InstallHooks();
    void StampIdentities();
    void RunFlashCommand(SimRegisterFile& file, std::uint16_t base, std::uint8_t command);
    void RunStartImage();
    std::uint8_t FlashStatus(std::uint8_t stored);
    void QueueRead(std::uint16_t start, std::size_t count);
    void SpoilAnswer(std::span<std::uint8_t> words);
    SimOutcome ReadChecked(std::span<std::uint8_t> data) const;
    static SimOutcome Answer(std::span<std::uint8_t> data, std::span<const std::uint8_t> frame);
    void Changed();

    mutable std::mutex mutex_;
    SimRegisterFile regs_;
    SimFlash flash_;
    SimMotors motors_;
    SimFaultyFlash faultyFlash_;
    SimFaults faults_;
    StartImageReplay lastReplay_;
    bool unplugRequested_ = false;
    std::vector<std::uint8_t> answer_;  // queued answer words, 4 bytes each
    std::vector<std::vector<std::uint8_t>> vendorFrames_;
    SimPanel panel_;
    bool panelAnswers_ = false;  // the last 0xEC frame was the panel's: 0xED reads its reply
    std::uint32_t flashBusyReads_;
    std::uint32_t busyRemaining_ = 0;
    std::map<std::uint16_t, std::uint32_t> resetPulses_;
    std::function<void()> onChange_;
};

}  // namespace velmor::sim
