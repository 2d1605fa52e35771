#include "usb/xfer_request.h"

namespace velmor::usb {

void XferRequest::EncodeTo(std::span<std::uint8_t> out) const {
    if (out.size() < kXferHeaderSize) return;  // never write past a short buffer
    std::uint8_t* p = out.data();
    p[0] = bmRequestType;
    p[1] = bRequest;
    PutLe16(p + 2, wValue);
    PutLe16(p + 4, wIndex);
    PutLe16(p + 6, wLength);
    PutLe32(p + 8, timeOutSeconds);
    p[12] = reserved;
    p[13] = endpointAddress;
    PutLe32(p + 14, ntStatus);
    PutLe32(p + 18, usbdStatus);
    PutLe32(p + 22, isoPacketOffset);
    PutLe32(p + 26, isoPacketLength);
    PutLe32(p + 30, bufferOffset);
    PutLe32(p + 34, bufferLength);
}

bool XferRequest::DecodeFrom(std::span<const std::uint8_t> in, XferRequest& r) {
    if (in.size() < kXferHeaderSize) return false;
    const std::uint8_t* p = in.data();
    r.bmRequestType = p[0];
    r.bRequest = p[1];
    r.wValue = GetLe16(p + 2);
    r.wIndex = GetLe16(p + 4);
    r.wLength = GetLe16(p + 6);
    r.timeOutSeconds = GetLe32(p + 8);
    r.reserved = p[12];
    r.endpointAddress = p[13];
    r.ntStatus = GetLe32(p + 14);
    r.usbdStatus = GetLe32(p + 18);
    r.isoPacketOffset = GetLe32(p + 22);
    r.isoPacketLength = GetLe32(p + 26);
    r.bufferOffset = GetLe32(p + 30);
    r.bufferLength = GetLe32(p + 34);
    return true;
}

std::vector<std::uint8_t> MakeRequestBlock(const XferRequest& header, std::size_t packetCount,
                                           std::size_t dataLength) {
    std::vector<std::uint8_t> block(kXferHeaderSize + packetCount * kIsoPacketDescriptorSize +
                                    dataLength);
    header.EncodeTo(block);
    return block;
}

void EncodeIsoPacket(const IsoPacketDescriptor& packet, std::span<std::uint8_t> out) {
    if (out.size() < kIsoPacketDescriptorSize) return;
    PutLe32(out.data(), packet.offset);
    PutLe16(out.data() + 4, packet.length);
    PutLe16(out.data() + 6, packet.status);
}

IsoPacketDescriptor DecodeIsoPacket(std::span<const std::uint8_t> in) {
    if (in.size() < kIsoPacketDescriptorSize) return {};
    return {GetLe32(in.data()), GetLe16(in.data() + 4), GetLe16(in.data() + 6)};
}

}  // namespace velmor::usb
