#pragma once
// Where a transfer request's data lies, checked against the buffers it came
// with, for every backend that receives request blocks. Nothing outside the
// given buffers is ever named: a block whose offsets or lengths do not fit is
// refused.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "usb/xfer_request.h"

namespace velmor::usb {

enum class XferKind { Control, Buffered, Direct };

struct XferLayout {
    XferKind kind = XferKind::Control;
    XferRequest header;
    std::uint8_t endpoint = 0;
    bool in = false;
    // Control and buffered: the data travels inside the block at dataOffset;
    // blockLength covers the header through the data room. Direct: the data is
    // the whole output buffer and blockLength is the header alone.
    std::size_t dataOffset = 0;
    std::size_t dataLength = 0;  // bytes to send, or room to receive
    std::size_t blockLength = 0;
};

bool IsTransferCode(std::uint32_t code);

// The layout of a request of `code` (one of the three transfer codes), or none
// when the block is short, its data lies outside a buffer, a control answer
// would not fit, or a control request names an endpoint other than 0.
std::optional<XferLayout> LayoutTransfer(std::uint32_t code, std::span<const std::uint8_t> input,
                                         std::span<const std::uint8_t> output);

// Writes the NT and USBD status words into a block header (no-op on a short block).
void WriteXferStatus(std::span<std::uint8_t> block, std::uint32_t ntStatus,
                     std::uint32_t usbdStatus);

// Status words a driver writes into request blocks.
namespace status {
inline constexpr std::uint32_t kNtUnsuccessful = 0xC0000001;
inline constexpr std::uint32_t kNtCancelled = 0xC0000120;
inline constexpr std::uint32_t kNtNoSuchDevice = 0xC000000E;
inline constexpr std::uint32_t kUsbdStall = 0xC0000004;  // request not supported
inline constexpr std::uint32_t kUsbdDevNotResponding = 0xC0000005;
inline constexpr std::uint32_t kUsbdCanceled = 0xC0010000;
}  // namespace status

}  // namespace velmor::usb
