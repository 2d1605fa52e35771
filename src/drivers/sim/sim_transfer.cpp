#include "drivers/sim/sim_transfer.h"

#include "drivers/sim/sim_descriptors.h"
#include "usb/ioctl_codes.h"
#include "usb/usb_driver.h"
#include "usb/xfer_layout.h"

namespace velmor::sim {

namespace {

bool KnownBulkEndpoint(std::uint8_t address) {
    return address == kRegisterOutEndpoint || address == kRegisterInEndpoint;
}

SimTransferKind KindOf(usb::XferKind kind) {
    switch (kind) {
        case usb::XferKind::Buffered:
            return SimTransferKind::Buffered;
        case usb::XferKind::Direct:
            return SimTransferKind::Direct;
        default:
            return SimTransferKind::Control;
    }
}

}  // namespace

bool SimTransfer::IsTransferCode(std::uint32_t code) { return usb::IsTransferCode(code); }

std::optional<SimTransfer> SimTransfer::Parse(std::uint32_t code,
                                              std::span<const std::uint8_t> input,
                                              std::span<const std::uint8_t> output) {
    const auto layout = usb::LayoutTransfer(code, input, output);
    if (!layout) return std::nullopt;
    // No endpoint of these devices is isochronous: packet descriptors are refused.
    if (layout->header.isoPacketLength != 0) return std::nullopt;
    if (layout->kind != usb::XferKind::Control && !KnownBulkEndpoint(layout->endpoint))
        return std::nullopt;
    SimTransfer t;
    t.kind = KindOf(layout->kind);
    t.header = layout->header;
    t.endpoint = layout->endpoint;
    t.in = layout->in;
    t.dataOffset = layout->dataOffset;
    t.dataLength = layout->dataLength;
    t.blockLength = layout->blockLength;
    return t;
}

SimOutcome SimOutcome::Failed(std::uint32_t usbdStatus) {
    return {usb::error::kGenFailure, status::kNtUnsuccessful, usbdStatus, 0};
}

void WriteBlockStatus(std::span<std::uint8_t> block, std::uint32_t ntStatus,
                      std::uint32_t usbdStatus) {
    usb::WriteXferStatus(block, ntStatus, usbdStatus);
}

}  // namespace velmor::sim
