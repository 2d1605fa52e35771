#include "drivers/replay/traffic_format.h"

#include <cstdio>
#include <optional>

#include "usb/ioctl_codes.h"
#include "usb/xfer_request.h"

namespace velmor::replay {

bool WritesBackBlock(std::uint32_t code) {
    return code == usb::ioctl::kSendControlTransfer || code == usb::ioctl::kSendBufferedTransfer ||
           code == usb::ioctl::kDirectTransfer;
}

bool DirectTransferOut(std::uint32_t code, std::span<const std::uint8_t> request) {
    usb::XferRequest header;
    return code == usb::ioctl::kDirectTransfer && usb::XferRequest::DecodeFrom(request, header) &&
           (header.endpointAddress & 0x80) == 0;
}

namespace {

// The endpoint of a data transfer (not a control transfer), or nothing.
std::optional<std::uint8_t> DataEndpoint(std::uint32_t code,
                                         std::span<const std::uint8_t> request) {
    usb::XferRequest header;
    if (code != usb::ioctl::kSendBufferedTransfer && code != usb::ioctl::kDirectTransfer)
        return std::nullopt;
    if (!usb::XferRequest::DecodeFrom(request, header)) return std::nullopt;
    return header.endpointAddress;
}

}  // namespace

bool TransferIn(std::uint32_t code, std::span<const std::uint8_t> request) {
    const std::optional<std::uint8_t> endpoint = DataEndpoint(code, request);
    return endpoint && (*endpoint & 0x80) != 0;
}

bool TransferOut(std::uint32_t code, std::span<const std::uint8_t> request) {
    const std::optional<std::uint8_t> endpoint = DataEndpoint(code, request);
    return endpoint && (*endpoint & 0x80) == 0;
}

std::vector<std::uint8_t> RequestKey(std::uint32_t code, std::span<const std::uint8_t> request,
                                     std::span<const std::uint8_t> data,
                                     std::span<const std::uint8_t> lastOut) {
    std::vector<std::uint8_t> key(request.begin(), request.end());
    if (DirectTransferOut(code, request)) key.insert(key.end(), data.begin(), data.end());
    if (TransferIn(code, request)) key.insert(key.end(), lastOut.begin(), lastOut.end());
    return key;
}

std::string DescribeRequest(std::uint32_t code, std::span<const std::uint8_t> request,
                            std::size_t dataBytes) {
    char text[96];
    usb::XferRequest header;
    if (code == usb::ioctl::kSendControlTransfer && usb::XferRequest::DecodeFrom(request, header)) {
        std::snprintf(text, sizeof text, "control 0x%02x, %u bytes", header.bRequest,
                      static_cast<unsigned>(header.wLength));
    } else if (WritesBackBlock(code) && usb::XferRequest::DecodeFrom(request, header)) {
        const bool in = (header.endpointAddress & 0x80) != 0;
        const std::size_t bytes =
            code == usb::ioctl::kSendBufferedTransfer ? header.bufferLength : dataBytes;
        std::snprintf(text, sizeof text, "%s %s 0x%02x, %zu bytes",
                      header.isoPacketLength != 0 ? "isochronous" : "bulk", in ? "in" : "out",
                      header.endpointAddress, bytes);
    } else {
        std::snprintf(text, sizeof text, "I/O control 0x%06x, %zu bytes", code, request.size());
    }
    return text;
}

}  // namespace velmor::replay
