#include "controller/crc16.h"

#include <array>

namespace velmor::controller {
namespace {

// What eight steps of the bitwise division do to each low byte, worked out once: a
// document's checksum then costs one look-up a byte instead of eight shifts.
constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::uint16_t crc = static_cast<std::uint16_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = (crc & 1) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (carry) crc ^= 0xA001;
        }
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

}  // namespace

std::uint16_t ComputeCrc16(const std::uint8_t* bytes, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    if (bytes == nullptr) return crc;
    for (std::size_t i = 0; i < length; ++i) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ bytes[i]) & 0xFF]);
    }
    return crc;
}

}  // namespace velmor::controller
