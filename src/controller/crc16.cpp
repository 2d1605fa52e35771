#include "controller/crc16.h"

namespace velmor::controller {

std::uint16_t ComputeCrc16(const std::uint8_t* bytes, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    if (bytes == nullptr) return crc;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = (crc & 1) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (carry) crc ^= 0xA001;
        }
    }
    return crc;
}

}  // namespace velmor::controller
