#pragma once
// CRC-16/MODBUS, the checksum of the start-up image and of the stored documents.

#include <cstddef>
#include <cstdint>

namespace velmor::controller {

// Initial value 0xFFFF, reflected polynomial 0xA001, bits least significant
// first, no final inversion. "123456789" gives 0x4B37.
std::uint16_t ComputeCrc16(const std::uint8_t* bytes, std::size_t length);

}  // namespace velmor::controller
