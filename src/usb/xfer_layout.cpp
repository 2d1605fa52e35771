#include "usb/xfer_layout.h"

#include "usb/ioctl_codes.h"

namespace velmor::usb {

namespace {

// The data of a control or buffered block must lie after the header and inside
// both buffers. Sums are taken in 64 bits so no field can wrap them.
bool DataFits(const XferRequest& h, std::span<const std::uint8_t> input,
              std::span<const std::uint8_t> output) {
    if (h.bufferOffset < kXferHeaderSize) return false;
    const std::uint64_t end = std::uint64_t{h.bufferOffset} + h.bufferLength;
    return end <= input.size() && end <= output.size();
}

}  // namespace

bool IsTransferCode(std::uint32_t code) {
    return code == ioctl::kSendControlTransfer || code == ioctl::kSendBufferedTransfer ||
           code == ioctl::kDirectTransfer;
}

std::optional<XferLayout> LayoutTransfer(std::uint32_t code, std::span<const std::uint8_t> input,
                                         std::span<const std::uint8_t> output) {
    XferLayout t;
    if (!XferRequest::DecodeFrom(input, t.header)) return std::nullopt;
    const XferRequest& h = t.header;
    t.endpoint = h.endpointAddress;
    switch (code) {
        case ioctl::kSendControlTransfer:
            if (h.endpointAddress != 0 || !DataFits(h, input, output)) return std::nullopt;
            if (h.wLength > h.bufferLength) return std::nullopt;  // the answer would not fit
            t.kind = XferKind::Control;
            t.in = (h.bmRequestType & 0x80) != 0;
            t.dataOffset = h.bufferOffset;
            t.dataLength = h.wLength;
            t.blockLength = std::size_t{h.bufferOffset} + h.bufferLength;
            return t;
        case ioctl::kSendBufferedTransfer:
            if (!DataFits(h, input, output)) return std::nullopt;
            t.kind = XferKind::Buffered;
            t.in = (h.endpointAddress & 0x80) != 0;
            t.dataOffset = h.bufferOffset;
            t.dataLength = h.bufferLength;
            t.blockLength = std::size_t{h.bufferOffset} + h.bufferLength;
            return t;
        case ioctl::kDirectTransfer:
            t.kind = XferKind::Direct;
            t.in = (h.endpointAddress & 0x80) != 0;
            t.dataLength = output.size();
            t.blockLength = kXferHeaderSize;
            return t;
        default:
            return std::nullopt;
    }
}

void WriteXferStatus(std::span<std::uint8_t> block, std::uint32_t ntStatus,
                     std::uint32_t usbdStatus) {
    if (block.size() < kXferHeaderSize) return;
    PutLe32(block.data() + kXferNtStatusOffset, ntStatus);
    PutLe32(block.data() + kXferUsbdStatusOffset, usbdStatus);
}

}  // namespace velmor::usb
