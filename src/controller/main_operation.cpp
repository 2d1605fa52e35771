#include "controller/main_operation.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "controller/crc16.h"
#include "controller/register_word.h"
#include "controller/test_pattern.h"
#include "numbers/hex_text.h"
#include "usb/usb_error.h"
#include "usb/usb_link.h"

namespace velmor::controller {

using Lock = std::lock_guard<std::recursive_mutex>;

CMainOperation* CMainOperation::GetInstance() {
    // Created on the first call from whichever thread makes it; deliberately never
    // destroyed, so pages and workers may use it until the process ends.
    static CMainOperation* instance = new CMainOperation();
    return instance;
}

CMainOperation::CMainOperation()
    : programFolder(DefaultProgramFolder()), programFolder2(programFolder) {}

CMainOperation::~CMainOperation() {
    // Closing a device can raise an error; a destructor must not let it escape.
    usb::CUsbLink* device = device_.release();
    try {
        delete device;
    } catch (...) {
    }
}

std::string CMainOperation::DefaultProgramFolder() {
    std::string folder;
    if (const char* home = std::getenv("VELMOR_HOME"); home != nullptr && *home != '\0') {
        folder = home;
    } else {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        folder = ec ? std::string(".") : exe.parent_path().string();
    }
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

void CMainOperation::SetDevice(std::unique_ptr<usb::CUsbLink> device) {
    Lock lock(exchangeMutex_);
    usb::CUsbLink* old = device_.release();
    device_ = std::move(device);
    try {
        delete old;
    } catch (...) {
    }
}

bool CMainOperation::DeviceIsOpen() {
    Lock lock(exchangeMutex_);
    return device_ && device_->IsOpen();
}

bool CMainOperation::BulkExchange(std::uint8_t* buffer, std::int32_t& length, int direction) {
    Lock lock(exchangeMutex_);
    if (!device_) return false;
    // The transfer buffer is fixed; a request it cannot hold fails instead of
    // overrunning it.
    if (length < 0 || length > kBulkBufferSize || (length > 0 && buffer == nullptr)) return false;

    std::array<std::uint8_t, kBulkBufferSize> transfer{};
    const bool in = direction != 0;
    if (!in) std::memcpy(transfer.data(), buffer, static_cast<std::size_t>(length));

    // A gap in the device's endpoint table makes the look-up raise; the exchange
    // fails like any other, so no caller (a view's slot, a worker) sees the error.
    usb::CUsbEndPoint* endPoint = nullptr;
    try {
        endPoint = device_->FindEndPoint(in ? kBulkInAddress : kBulkOutAddress);
    } catch (const usb::UsbError&) {
        return false;
    }
    if (endPoint == nullptr) return false;
    endPoint->TimeOut = kTransferTimeOutMs;

    bool ok = false;
    std::uint32_t moved = 0;
    for (int attempt = 0; attempt < kBulkTries && !ok; ++attempt) {
        moved = static_cast<std::uint32_t>(length);
        ok = endPoint->RunTransfer(transfer.data(), moved);
    }
    // Whatever the endpoint reports, never more than the caller asked for moves
    // into the caller's buffer.
    moved = std::min(moved, static_cast<std::uint32_t>(length));
    length = static_cast<std::int32_t>(moved);
    if (in) std::memcpy(buffer, transfer.data(), moved);
    return ok;
}

bool CMainOperation::WriteRegs(std::uint16_t start, const std::uint8_t* data, int count) {
    if (count <= 0 || data == nullptr) return false;
    Lock lock(exchangeMutex_);
    if (!device_) return false;

    // The words are built chunk by chunk in a fixed buffer. A chunk starts where
    // the previous exchange stopped, which after a partly moved chunk can be in
    // the middle of a word: one spare word covers that.
    const std::uint64_t total = static_cast<std::uint64_t>(count) * kRegisterWordSize;
    std::array<std::uint8_t, kWriteChunkBytes + kRegisterWordSize> words{};

    // Every chunk is sent even after an earlier one failed, but the write only
    // succeeds when all of them did. A chunk that moved nothing ends the write: it
    // would otherwise be sent again without end.
    bool allGood = true;
    std::uint64_t offset = 0;
    while (offset < total) {
        const auto size =
            static_cast<std::int32_t>(std::min<std::uint64_t>(kWriteChunkBytes, total - offset));
        const auto skip = static_cast<std::size_t>(offset % kRegisterWordSize);
        const auto first = static_cast<std::size_t>(offset / kRegisterWordSize);
        const std::size_t last = std::min<std::size_t>(
            static_cast<std::size_t>(count),
            first + (skip + static_cast<std::size_t>(size) + kRegisterWordSize - 1) /
                        kRegisterWordSize);
        for (std::size_t reg = first; reg < last; ++reg)
            EncodeWriteWord(&words[(reg - first) * kRegisterWordSize],
                            static_cast<std::uint32_t>(start) + static_cast<std::uint32_t>(reg),
                            data[reg]);
        std::int32_t moved = size;
        if (!BulkExchange(&words[skip], moved, 0)) allGood = false;
        if (moved <= 0) return false;
        offset += static_cast<std::uint64_t>(std::min(moved, size));
    }
    return allGood;
}

bool CMainOperation::ReadRegs(std::uint16_t start, std::uint8_t* out, int count) {
    if (count <= 0 || out == nullptr) return false;
    Lock lock(exchangeMutex_);
    if (!device_) return false;

    if (answerMayWait_ && !DrainAnswer()) return false;
    std::uint32_t address = start;
    int remaining = count;
    int stored = 0;
    bool allGood = true;
    while (remaining > 0) {
        const int n = std::min(remaining, kRegistersPerExchange);
        std::array<std::uint8_t, 4> command = EncodeReadCommand(address, n);
        std::int32_t length = kRegisterWordSize;
        if (!BulkExchange(command.data(), length, 0)) {
            answerMayWait_ = true;  // a command reported lost may still have arrived
            return false;
        }
        address += static_cast<std::uint32_t>(n);
        remaining -= n;

        std::array<std::uint8_t, kRegistersPerExchange * kRegisterWordSize> answer{};
        length = n * kRegisterWordSize;
        if (!BulkExchange(answer.data(), length, 1)) {
            answerMayWait_ = true;
            return false;
        }
        const AnswerWalk walk = WalkReadAnswer(answer.data(), length, start, stored, out, count);
        stored += walk.stored;
        // A bad word fails the read but the next chunk is still asked for. A short
        // or empty answer fails it too: success means every register arrived.
        if (!walk.good || stored != count - remaining) allGood = false;
    }
    return allGood;
}

bool CMainOperation::DrainAnswer() {
    // The same exchange as an answer, with room for the largest one. It counts as
    // drained when a try completed (with the old answer or with nothing) or when every
    // try timed out: a device with nothing to send lets the host time out.
    std::array<std::uint8_t, kBulkBufferSize> scratch{};
    std::int32_t length = kBulkBufferSize;
    bool drained = BulkExchange(scratch.data(), length, 1);
    if (!drained) {
        try {
            const usb::CUsbEndPoint* in = device_ ? device_->FindEndPoint(kBulkInAddress) : nullptr;
            drained = in != nullptr && in->LastError == usb::error::kSemTimeout;
        } catch (const usb::UsbError&) {
        }
    }
    if (drained) answerMayWait_ = false;
    return drained;
}

bool CMainOperation::ReadRegsRetry(std::uint16_t start, std::uint8_t* out, int count) {
    try {
        bool ok = ReadRegs(start, out, count);
        for (int retry = 0; !ok && retry < 3 && DeviceIsOpen(); ++retry)
            ok = ReadRegs(start, out, count);
        return ok;
    } catch (...) {
        return false;
    }
}

bool CMainOperation::WriteReg32(std::uint16_t start, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
        static_cast<std::uint8_t>((value >> 16) & 0xFF), static_cast<std::uint8_t>(value >> 24)};
    return WriteRegs(start, bytes, 4);
}

bool CMainOperation::VendorTransfer(std::uint8_t code, int direction, std::uint16_t index,
                                    std::uint16_t value, std::uint8_t* buffer, int length,
                                    int* transferred) {
    if (transferred != nullptr) *transferred = 0;
    if (length < 0 || length > kVendorBufferSize || (length > 0 && buffer == nullptr)) return false;
    Lock lock(exchangeMutex_);
    if (!device_) return false;
    usb::CControlEndPoint* control = device_->ControlEndPt;
    if (control == nullptr) return false;

    control->Target = 0;   // device
    control->ReqType = 2;  // vendor
    control->Direction = direction != 0 ? 1 : 0;
    control->ReqCode = code;
    control->Value = value;
    control->Index = index;
    control->TimeOut = kTransferTimeOutMs;

    std::array<std::uint8_t, kVendorBufferSize> transfer{};
    const auto size = static_cast<std::size_t>(length);
    if (size > 0) std::memcpy(transfer.data(), buffer, size);
    std::uint32_t moved = static_cast<std::uint32_t>(length);
    if (!control->RunTransfer(transfer.data(), moved)) return false;
    if (size > 0) std::memcpy(buffer, transfer.data(), size);
    if (transferred != nullptr)
        *transferred = static_cast<int>(std::min(moved, static_cast<std::uint32_t>(length)));
    return true;
}

bool CMainOperation::VendorWriteChecked(std::uint8_t* buffer, int length, bool alternate) {
    if (Device() == nullptr) throw std::runtime_error("No USB device object.");
    // The check byte goes into the last byte; without one there is nothing to send.
    if (length <= 0 || buffer == nullptr) return false;
    std::uint8_t sum = 0;
    for (int i = 0; i < length - 1; ++i) sum = static_cast<std::uint8_t>(sum + buffer[i]);
    buffer[length - 1] = sum;
    return VendorTransfer(alternate ? kVendorWriteAltCode : kVendorWriteCode, 0,
                          static_cast<std::uint16_t>(length), 0, buffer, length);
}

bool CMainOperation::VendorReadChecked(int length, std::uint8_t code, std::uint8_t* out,
                                       std::uint16_t value, int outCapacity) {
    // The answer [N, d1..d(length)] has to fit the fixed answer buffer.
    if (length < 0 || length + 1 > kVendorAnswerSize) return false;
    if (!device_) return false;

    std::array<std::uint8_t, kVendorAnswerSize> answer{};
    const auto index = static_cast<std::uint16_t>((length << 8) & 0xFFFF);
    // Each try takes the exchange lock on its own, so status polling goes on
    // while this read waits between tries.
    int received = 0;
    bool ok = VendorTransfer(code, 1, index, value, answer.data(), length + 1, &received);
    if (!ok) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (int retry = 1; retry < kVendorReadTries && !ok; ++retry) {
            std::this_thread::yield();
            ok = VendorTransfer(code, 1, index, value, answer.data(), length + 1, &received);
        }
    }

    // N comes from the device: copy no more than the answer holds and the caller
    // has room for.
    const int n = answer[0];
    const int capacity = out == nullptr ? 0 : std::max(outCapacity, 0);
    const int copy = std::min({n, kVendorAnswerSize - 1, capacity});
    if (copy > 0) std::memcpy(out, &answer[1], static_cast<std::size_t>(copy));

    // An answer claiming more bytes than were asked for or than the caller could
    // take is not a valid answer, and neither is one whose count byte or data did
    // not all arrive: the missing bytes would read as zeros from the cleared buffer.
    if (!ok || n > length || n > capacity || received < n + 1) return false;
    if (n == 0) return true;
    std::uint8_t sum = 0;
    for (int i = 1; i < n; ++i) sum = static_cast<std::uint8_t>(sum + answer[i]);
    return sum == answer[n];
}

void CMainOperation::ReadFirmwareId(std::uint8_t out[16]) {
    if (out == nullptr) return;
    std::memset(out, 0, kFirmwareIdLength);
    if (connected.load() == 0) return;
    Lock lock(exchangeMutex_);
    if (!device_ || device_->ControlEndPt == nullptr) return;
    usb::CControlEndPoint* control = device_->ControlEndPt;
    control->Target = 0;
    control->ReqType = 2;
    control->Direction = 1;
    control->ReqCode = kFirmwareIdCode;
    control->Value = 0;
    control->Index = 0;
    // The endpoint's current time-out stays as it is. The result is not checked: a
    // failed read leaves zeros.
    std::array<std::uint8_t, kVendorBufferSize> transfer{};
    std::uint32_t moved = kFirmwareIdLength;
    if (control->RunTransfer(transfer.data(), moved))
        std::memcpy(out, transfer.data(),
                    std::min<std::size_t>(moved, static_cast<std::size_t>(kFirmwareIdLength)));
}

std::string CMainOperation::HexTextToDec(const std::string& text, bool hexWithoutPrefix) {
    return numbers::HexToDecimalText(text, hexWithoutPrefix);
}

void CMainOperation::AppendHexDump(const std::uint8_t* bytes, int count, LogView* view,
                                   std::string& log, std::uint32_t start, int width) {
    numbers::AppendHexDumpText(bytes, count, start, width, log);
    if (view != nullptr) view->ShowLog(log);
}

void CMainOperation::FillTestPattern(std::uint8_t* buffer, int length, int kind) const {
    FillPattern(buffer, length, kind, patternFile_);
}

std::uint16_t CMainOperation::Crc16(const std::uint8_t* bytes, int length) {
    return ComputeCrc16(bytes, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace velmor::controller
