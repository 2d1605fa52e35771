#include "commands/checksum_buffer.h"

#include "controller/crc16.h"

namespace velmor::commands {

std::uint16_t ChecksumBuffer::Crc() const {
    return controller::ComputeCrc16(bytes_.data(), bytes_.size());
}

}  // namespace velmor::commands
