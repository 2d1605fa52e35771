#pragma once
// The protocol over the link to one controller: register words on the bulk
// endpoints, vendor requests on the control endpoint, and the connection state the
// main window keeps current. Part of the controller object (CMainOperation).
//
// Exchanges are serialised by one lock taken for each whole exchange (a read
// command with its answer, all chunks of one write, one vendor transfer), so the
// status threads, the workers and the user-interface thread never receive each
// other's answers.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace velmor::usb {
class CUsbLink;
}

namespace velmor::controller {

// Fixed sizes and counts of the register protocol and the vendor requests.
inline constexpr std::uint8_t kBulkOutAddress = 0x02;
inline constexpr std::uint8_t kBulkInAddress = 0x82;
inline constexpr int kBulkBufferSize = 1025;  // transfer buffer of one bulk exchange
inline constexpr std::uint32_t kTransferTimeOutMs = 1000;
inline constexpr int kBulkTries = 3;
inline constexpr int kWriteChunkBytes = 1024;  // 256 write words per bulk exchange
inline constexpr int kVendorBufferSize = 512;  // transfer buffer of one vendor request
inline constexpr int kVendorAnswerSize = 128;  // answer [N, d1..dN] of a checked read
inline constexpr int kVendorReadTries = 6;
inline constexpr std::uint8_t kVendorWriteCode = 0xEC;
inline constexpr std::uint8_t kVendorWriteAltCode = 0xE2;
inline constexpr std::uint8_t kFirmwareIdCode = 0xE0;
inline constexpr int kFirmwareIdLength = 16;

class RegisterLink {
  public:
    RegisterLink();
    virtual ~RegisterLink();
    RegisterLink(const RegisterLink&) = delete;
    RegisterLink& operator=(const RegisterLink&) = delete;

    // The USB device object; none until the main window (or a tool) hands one over.
    void SetDevice(std::unique_ptr<usb::CUsbLink> device);
    usb::CUsbLink* Device() const { return device_.get(); }

    // ---- register access protocol ----
    // A device whose endpoint table has a gap makes the endpoint look-up raise
    // usb::UsbError ("Failed to find endpoint."); the exchange reports false instead.
    //
    // direction 0: out on 0x02 (length = bytes to send); 1: in from 0x82 (length =
    // room in `buffer`). `length` comes back as the bytes moved, never more than
    // it was. Up to 3 tries, 1000 ms each; lengths beyond 1025 bytes fail.
    bool BulkExchange(std::uint8_t* buffer, std::int32_t& length, int direction);
    // Write words in chunks of 1024 bytes. True only when every chunk succeeded; a
    // chunk that moves nothing ends the write with false.
    bool WriteRegs(std::uint16_t start, const std::uint8_t* data, int count);
    // One command and one answer per 256 registers. True only when every register
    // arrived in order with the read tag; a bad word keeps the bytes before it. After
    // a read whose answer did not arrive, the next read first takes in whatever answer
    // the device still holds, so an old answer is never taken for a new one.
    bool ReadRegs(std::uint16_t start, std::uint8_t* out, int count);
    // ReadRegs up to 4 times while the device handle is open; errors give false.
    bool ReadRegsRetry(std::uint16_t start, std::uint8_t* out, int count);
    bool WriteReg32(std::uint16_t start, std::uint32_t value);

    // ---- vendor requests on the control endpoint ----
    // One try; lengths beyond 512 bytes fail without sending. `transferred`, when
    // given, receives the bytes that actually moved (never more than `length`).
    bool VendorTransfer(std::uint8_t code, int direction, std::uint16_t index, std::uint16_t value,
                        std::uint8_t* buffer, int length, int* transferred = nullptr);
    // Raises std::runtime_error when there is no device object. The last byte
    // becomes the 8-bit sum of the others; length 0 fails without sending.
    bool VendorWriteChecked(std::uint8_t* buffer, int length, bool alternate);
    // `out` receives d1..dN of the answer [N, d1..dN]; never more than `outCapacity`.
    // Up to 6 tries. Valid when the count byte and all N data bytes arrived, dN is
    // the sum of d1..d(N-1) (N = 0 is valid) and N fits both the bytes asked for
    // and `outCapacity`.
    bool VendorReadChecked(int length, std::uint8_t code, std::uint8_t* out, std::uint16_t value,
                           int outCapacity);
    // Vendor request 0xE0 while connected; a failed read leaves zeros.
    void ReadFirmwareId(std::uint8_t out[16]);

    // Held for a whole flash transfer (all its steps) to this controller.
    std::mutex& FlashTransferMutex() { return flashTransferMutex_; }

    // ---- connection state ----
    std::atomic<std::uint8_t> deviceOpened{0};
    std::atomic<std::uint32_t> connected{0};
    std::atomic<std::uint32_t> firstConnection{0};

  private:
    bool DeviceIsOpen();
    // Takes whatever answer the device still holds from a read whose answer did not
    // arrive. False when the device could not be asked (the read then sends nothing).
    bool DrainAnswer();

    std::unique_ptr<usb::CUsbLink> device_;
    std::recursive_mutex exchangeMutex_;
    // A read command went out and its answer did not come in: the device may still hold
    // it, and would give it for the next read command. Guarded by exchangeMutex_.
    bool answerMayWait_ = false;
    std::mutex flashTransferMutex_;
};

}  // namespace velmor::controller
