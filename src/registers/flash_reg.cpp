#include "registers/flash_reg.h"

#include <algorithm>
#include <mutex>

#include "controller/board_layout.h"
#include "controller/main_operation.h"

namespace velmor::registers {

namespace {

std::uint8_t CommandByte(bool write, bool alternate) {
    std::uint8_t command = 0;
    if (write) {
        command |= kFlashWriteBits;
        command = alternate ? static_cast<std::uint8_t>(command | kFlashAlternateBits)
                            : static_cast<std::uint8_t>(command & kFlashModeMask);
    } else {
        command = static_cast<std::uint8_t>((command & kFlashModeMask) | kFlashReadBits);
    }
    return command;
}

}  // namespace

CFlashReg::CFlashReg(controller::CMainOperation& op) : op_(op) {}

std::uint16_t CFlashReg::BlockBase() const {
    return controller::SingleBoard(op_.BoardType()) ? kFlashBlockMainboard : kFlashBlockFiber;
}

bool CFlashReg::Write(const std::uint8_t* data, std::uint32_t address, int length,
                      std::atomic<int>& progress, bool alternate) {
    return Transfer(nullptr, data, address, length, progress, alternate);
}

bool CFlashReg::Read(std::uint8_t* data, std::uint32_t address, int length,
                     std::atomic<int>& progress) {
    return Transfer(data, nullptr, address, length, progress, false);
}

bool CFlashReg::SetAddress(std::uint32_t address, int lengthMinusOne) {
    const std::uint16_t base = BlockBase();
    const std::uint8_t addressBytes[3] = {static_cast<std::uint8_t>(address & 0xFF),
                                          static_cast<std::uint8_t>((address >> 8) & 0xFF),
                                          static_cast<std::uint8_t>((address >> 16) & 0xFF)};
    const std::uint8_t lengthBytes[2] = {static_cast<std::uint8_t>(lengthMinusOne & 0xFF),
                                         static_cast<std::uint8_t>((lengthMinusOne >> 8) & 0xFF)};
    const bool addressOk =
        op_.WriteRegs(static_cast<std::uint16_t>(base + kFlashAddressReg), addressBytes, 3);
    const bool lengthOk =
        op_.WriteRegs(static_cast<std::uint16_t>(base + kFlashLengthReg), lengthBytes, 2);
    // Both registers are needed for the transfer; one alone is no success.
    return addressOk && lengthOk;
}

CFlashReg::Status CFlashReg::WaitReady(std::uint16_t base) {
    for (int reads = 0; reads < kFlashBusyReads; ++reads) {
        std::uint8_t status = 0;
        if (!op_.ReadRegsRetry(static_cast<std::uint16_t>(base + kFlashStatusReg), &status, 1)) {
            return Status::Failed;
        }
        if ((status & 0x01) == 0) return Status::Ready;
    }
    return Status::Busy;
}

// The steps of every chunk run as the controller expects them: busy wait, data
// (write only), address and length, command, data (read only). Each step must
// succeed: one good step never hides a failed one, and a failed chunk ends the
// transfer since the flash no longer holds what the caller asked for.
bool CFlashReg::Transfer(std::uint8_t* readInto, const std::uint8_t* writeFrom,
                         std::uint32_t address, int length, std::atomic<int>& progress,
                         bool alternate) {
    const bool write = writeFrom != nullptr;
    if (length <= 0 || (write ? writeFrom == nullptr : readInto == nullptr)) return false;

    // One flash transfer at a time per controller: two transfers share its one
    // control block and data window, so their steps must never interleave. The
    // controller object keeps single exchanges apart; this keeps whole transfers
    // apart (the register page's workers and the configuration download), while
    // transfers to other controllers go on beside it.
    std::lock_guard lock(op_.FlashTransferMutex());
    const int percentBase = length / 100;
    const std::uint8_t command = CommandByte(write, alternate);
    int offset = 0;
    int remaining = length;
    for (;;) {
        // The base follows the board type, which the main window may change.
        const std::uint16_t base = BlockBase();
        const Status status = WaitReady(base);
        if (status == Status::Busy) {
            progress = kFlashBusyProgress;
            return false;
        }
        bool ok = status == Status::Ready;

        const int chunk = std::min(remaining, kFlashChunk);
        if (write) ok = op_.WriteRegs(kFlashWindow, writeFrom + offset, chunk) && ok;
        ok = SetAddress(address, chunk - 1) && ok;
        ok = op_.WriteRegs(static_cast<std::uint16_t>(base + kFlashCommandReg), &command, 1) && ok;
        if (!write) ok = op_.ReadRegsRetry(kFlashWindow, readInto + offset, chunk) && ok;

        offset += chunk;
        address += static_cast<std::uint32_t>(chunk);
        remaining -= chunk;
        if (!ok) return false;
        if (remaining <= 0) return true;
        // Lengths below 100 fit in one chunk, so a zero base never gets here.
        progress = percentBase > 0 ? offset / percentBase : 100;
    }
}

}  // namespace velmor::registers
