#include "commands/checksum_buffer.h"

#include <algorithm>
#include <limits>

#include "controller/main_operation.h"

namespace velmor::commands {

std::uint16_t ChecksumBuffer::Crc() const {
    // The shared routine takes an int length; a buffer beyond that (gigabytes) cannot
    // come from a document the store accepts, but never let the length wrap.
    const std::size_t limit = static_cast<std::size_t>(std::numeric_limits<int>::max());
    return controller::CMainOperation::Crc16(bytes_.data(),
                                             static_cast<int>(std::min(bytes_.size(), limit)));
}

}  // namespace velmor::commands
