#pragma once
// What the backends' port tests send: seeded random payloads and buffered request
// blocks as the USB layer builds them.

#include <cstdint>
#include <random>
#include <vector>

#include "usb/xfer_layout.h"
#include "usb/xfer_request.h"

namespace velmor::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes RandomBytes(std::size_t length, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(length);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

// A buffered request block for `endpoint` with `data` (or zeroed room) after the header.
inline Bytes BufferedBlock(std::uint8_t endpoint, const Bytes& data) {
    usb::XferRequest h;
    h.endpointAddress = endpoint;
    h.bufferOffset = usb::kXferHeaderSize;
    h.bufferLength = static_cast<std::uint32_t>(data.size());
    Bytes block = usb::MakeRequestBlock(h, 0, 0);
    block.insert(block.end(), data.begin(), data.end());
    return block;
}

}  // namespace velmor::testing
