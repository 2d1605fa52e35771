#pragma once
// The 38-byte request block handed to the driver with every transfer, followed by
// packet descriptors and data where the transfer kind carries them. Little-endian,
// packed; encoded and decoded byte by byte so the layout never depends on the
// compiler.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmor::usb {

inline constexpr std::size_t kXferHeaderSize = 38;
inline constexpr std::size_t kIsoPacketDescriptorSize = 8;

struct XferRequest {
    std::uint8_t bmRequestType = 0;     // 0
    std::uint8_t bRequest = 0;          // 1
    std::uint16_t wValue = 0;           // 2
    std::uint16_t wIndex = 0;           // 4
    std::uint16_t wLength = 0;          // 6
    std::uint32_t timeOutSeconds = 0;   // 8
    std::uint8_t reserved = 0;          // 12
    std::uint8_t endpointAddress = 0;   // 13
    std::uint32_t ntStatus = 0;         // 14
    std::uint32_t usbdStatus = 0;       // 18
    std::uint32_t isoPacketOffset = 0;  // 22
    std::uint32_t isoPacketLength = 0;  // 26
    std::uint32_t bufferOffset = 0;     // 30
    std::uint32_t bufferLength = 0;     // 34

    // Writes the 38 header bytes to `out`; writes nothing when `out` is shorter.
    void EncodeTo(std::span<std::uint8_t> out) const;
    // Reads the header from `in`; false when fewer than 38 bytes are given.
    static bool DecodeFrom(std::span<const std::uint8_t> in, XferRequest& request);
};

// Offsets of the fields the driver writes back.
inline constexpr std::size_t kXferNtStatusOffset = 14;
inline constexpr std::size_t kXferUsbdStatusOffset = 18;

// One isochronous packet descriptor: offset, length, status (u16 length, u16 status).
struct IsoPacketDescriptor {
    std::uint32_t offset = 0;
    std::uint16_t length = 0;
    std::uint16_t status = 0;
};

// A whole request block: `header` encoded, then `packetCount` packet descriptors
// (zeroed), then `dataLength` zeroed bytes of data room.
std::vector<std::uint8_t> MakeRequestBlock(const XferRequest& header, std::size_t packetCount,
                                           std::size_t dataLength);

// Both need 8 bytes; a shorter span writes nothing, resp. decodes as all zero.
void EncodeIsoPacket(const IsoPacketDescriptor& packet, std::span<std::uint8_t> out);
IsoPacketDescriptor DecodeIsoPacket(std::span<const std::uint8_t> in);

// Little-endian helpers shared by the protocol code.
inline void PutLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint16_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace velmor::usb
