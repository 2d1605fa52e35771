#pragma once
// One transfer request as the simulated driver receives it: the request block
// parsed and checked against the buffers it came with, and the outcome the
// device gives it. Parsing never reads outside the given buffers; a block whose
// offsets, lengths or endpoint do not fit is refused.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "usb/xfer_layout.h"
#include "usb/xfer_request.h"

namespace velmor::sim {

// NT and USBD status words the simulated driver writes into request blocks.
namespace status {
inline constexpr std::uint32_t kNtUnsuccessful = usb::status::kNtUnsuccessful;
inline constexpr std::uint32_t kNtCancelled = usb::status::kNtCancelled;
inline constexpr std::uint32_t kUsbdStall = usb::status::kUsbdStall;  // request not supported
inline constexpr std::uint32_t kUsbdDevNotResponding = usb::status::kUsbdDevNotResponding;
inline constexpr std::uint32_t kUsbdCanceled = usb::status::kUsbdCanceled;
}  // namespace status

enum class SimTransferKind { Control, Buffered, Direct };

struct SimTransfer {
    SimTransferKind kind = SimTransferKind::Control;
    usb::XferRequest header;
    std::uint8_t endpoint = 0;
    bool in = false;
    // Control and buffered: the data travels inside the block at dataOffset;
    // blockLength covers the header through the data room. Direct: the data is
    // the whole output buffer.
    std::size_t dataOffset = 0;
    std::size_t dataLength = 0;  // bytes to send, or room to receive
    std::size_t blockLength = 0;

    // `code` is one of the three transfer codes; anything else gives none.
    static std::optional<SimTransfer> Parse(std::uint32_t code, std::span<const std::uint8_t> input,
                                            std::span<const std::uint8_t> output);
    static bool IsTransferCode(std::uint32_t code);
};

// What the device made of a transfer.
struct SimOutcome {
    std::uint32_t error = 0;  // 0: done; else the request's error code
    std::uint32_t ntStatus = 0;
    std::uint32_t usbdStatus = 0;
    std::uint32_t bytes = 0;  // data bytes moved

    static SimOutcome Moved(std::size_t bytes) {
        return {0, 0, 0, static_cast<std::uint32_t>(bytes)};
    }
    static SimOutcome Failed(std::uint32_t usbdStatus);
    bool Ok() const { return error == 0; }
};

// Writes the two status words into a block header (no-op on a short block).
void WriteBlockStatus(std::span<std::uint8_t> block, std::uint32_t ntStatus,
                      std::uint32_t usbdStatus);

}  // namespace velmor::sim
