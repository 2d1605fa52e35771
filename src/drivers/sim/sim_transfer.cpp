#include "drivers/sim/sim_transfer.h"

#include "drivers/sim/sim_descriptors.h"
#include "usb/ioctl_codes.h"
#include "usb/usb_driver.h"

namespace velmor::sim {

namespace {

bool KnownBulkEndpoint(std::uint8_t address) {
    return address == kRegisterOutEndpoint || address == kRegisterInEndpoint;
}

// The data of a control or buffered block must lie after the header and inside
// both buffers. Sums are taken in 64 bits so no field can wrap them.
bool DataFits(const usb::XferRequest& h, std::span<const std::uint8_t> input,
              std::span<const std::uint8_t> output) {
    if (h.bufferOffset < usb::kXferHeaderSize) return false;
    const std::uint64_t end = std::uint64_t{h.bufferOffset} + h.bufferLength;
    return end <= input.size() && end <= output.size();
}

}  // namespace

bool SimTransfer::IsTransferCode(std::uint32_t code) {
    return code == usb::ioctl::kSendControlTransfer || code == usb::ioctl::kSendBufferedTransfer ||
           code == usb::ioctl::kDirectTransfer;
}

std::optional<SimTransfer> SimTransfer::Parse(std::uint32_t code,
                                              std::span<const std::uint8_t> input,
                                              std::span<const std::uint8_t> output) {
    SimTransfer t;
    if (!usb::XferRequest::DecodeFrom(input, t.header)) return std::nullopt;
    const usb::XferRequest& h = t.header;
    // No endpoint of these devices is isochronous: packet descriptors are refused.
    if (h.isoPacketLength != 0) return std::nullopt;
    t.endpoint = h.endpointAddress;

    switch (code) {
        case usb::ioctl::kSendControlTransfer:
            if (h.endpointAddress != 0 || !DataFits(h, input, output)) return std::nullopt;
            if (h.wLength > h.bufferLength) return std::nullopt;  // the answer would not fit
            t.kind = SimTransferKind::Control;
            t.in = (h.bmRequestType & 0x80) != 0;
            t.dataOffset = h.bufferOffset;
            t.dataLength = h.wLength;
            t.blockLength = std::size_t{h.bufferOffset} + h.bufferLength;
            return t;
        case usb::ioctl::kSendBufferedTransfer:
            if (!KnownBulkEndpoint(h.endpointAddress) || !DataFits(h, input, output))
                return std::nullopt;
            t.kind = SimTransferKind::Buffered;
            t.in = (h.endpointAddress & 0x80) != 0;
            t.dataOffset = h.bufferOffset;
            t.dataLength = h.bufferLength;
            t.blockLength = std::size_t{h.bufferOffset} + h.bufferLength;
            return t;
        case usb::ioctl::kDirectTransfer:
            if (!KnownBulkEndpoint(h.endpointAddress)) return std::nullopt;
            t.kind = SimTransferKind::Direct;
            t.in = (h.endpointAddress & 0x80) != 0;
            t.dataLength = output.size();
            t.blockLength = usb::kXferHeaderSize;
            return t;
        default:
            return std::nullopt;
    }
}

SimOutcome SimOutcome::Failed(std::uint32_t usbdStatus) {
    return {usb::error::kGenFailure, status::kNtUnsuccessful, usbdStatus, 0};
}

void WriteBlockStatus(std::span<std::uint8_t> block, std::uint32_t ntStatus,
                      std::uint32_t usbdStatus) {
    if (block.size() < usb::kXferHeaderSize) return;
    usb::PutLe32(block.data() + usb::kXferNtStatusOffset, ntStatus);
    usb::PutLe32(block.data() + usb::kXferUsbdStatusOffset, usbdStatus);
}

}  // namespace velmor::sim
