#pragma once
// Flash access through the controller's register window: a control block of
// seven registers (command, length - 1, 24-bit address, status) and a data window
// of up to 4096 registers from 0x5000. Used by the register page and by the
// configuration download.

#include <atomic>
#include <cstdint>

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::registers {

// Control block base for board type 0 ("Mainboard") and for the other types.
inline constexpr std::uint16_t kFlashBlockMainboard = 0x40D0;
inline constexpr std::uint16_t kFlashBlockFiber = 0x40E0;
// Registers of the control block, relative to its base.
inline constexpr std::uint16_t kFlashCommandReg = 0;
inline constexpr std::uint16_t kFlashLengthReg = 1;   // two bytes, little-endian
inline constexpr std::uint16_t kFlashAddressReg = 3;  // three bytes, little-endian
inline constexpr std::uint16_t kFlashStatusReg = 6;   // bit 0: busy
// Command bits: 0x11 write, 0x1D alternate write, 0x01 read.
inline constexpr std::uint8_t kFlashWriteBits = 0x11;
inline constexpr std::uint8_t kFlashAlternateBits = 0x0C;
inline constexpr std::uint8_t kFlashReadBits = 0x01;
inline constexpr std::uint8_t kFlashModeMask = 0xF3;
// The data window and the largest transfer through it.
inline constexpr std::uint16_t kFlashWindow = 0x5000;
inline constexpr int kFlashChunk = 4096;
// Status reads before a busy controller is given up, and the progress value then.
inline constexpr int kFlashBusyReads = 2000;
inline constexpr int kFlashBusyProgress = 1000;

class CFlashReg {
  public:
    explicit CFlashReg(controller::CMainOperation& op);
    virtual ~CFlashReg() = default;

    // Writes `length` bytes to flash at `address` in chunks of at most 4096,
    // setting `progress` (percent) between chunks, or 1000 when the controller
    // stayed busy. `alternate` sends command 0x1D instead of 0x11. True only when
    // every step of every chunk succeeded. A length of 0 or less, or no data, is
    // refused without any register traffic.
    virtual bool Write(const std::uint8_t* data, std::uint32_t address, int length,
                       std::atomic<int>& progress, bool alternate);
    // Reads `length` bytes from flash at `address` into `data` (room for `length`).
    virtual bool Read(std::uint8_t* data, std::uint32_t address, int length,
                      std::atomic<int>& progress);
    // Writes the 24-bit address to base + 3 and `lengthMinusOne` to base + 1.
    virtual bool SetAddress(std::uint32_t address, int lengthMinusOne);

    // 0x40D0 for board type 0, 0x40E0 otherwise (read at each call).
    std::uint16_t BlockBase() const;

  private:
    enum class Status { Ready, Busy, Failed };
    // Waits while the status register reports busy, up to kFlashBusyReads reads.
    Status WaitReady(std::uint16_t base);
    bool Transfer(std::uint8_t* readInto, const std::uint8_t* writeFrom, std::uint32_t address,
                  int length, std::atomic<int>& progress, bool alternate);

    controller::CMainOperation& op_;
};

}  // namespace velmor::registers
