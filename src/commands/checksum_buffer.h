#pragma once
// The bytes a store operation gathers for a document's CRC-16.
//
// The stored documents were laid out for a buffer of 10,000 bytes (2,500 commands).
// A larger document must neither overflow nor lose bytes silently, so the buffer grows
// and the CRC covers every byte gathered; `Overflowed` tells a caller that a document
// went past the classic size (its checksum then differs from what a fixed 10,000-byte
// buffer could hold, but stays consistent between our own saves and loads).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmor::commands {

class ChecksumBuffer {
  public:
    static constexpr std::size_t kClassicCapacity = 10000;

    void Clear() { bytes_.clear(); }
    void Append(std::uint8_t byte) { bytes_.push_back(byte); }
    // The low 16 bits of `value`, high byte first.
    void AppendHighLow(std::uint32_t value) {
        Append(static_cast<std::uint8_t>(value >> 8));
        Append(static_cast<std::uint8_t>(value));
    }

    std::size_t Length() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    bool Overflowed() const { return bytes_.size() > kClassicCapacity; }

    // CRC-16/MODBUS over every byte gathered.
    std::uint16_t Crc() const;

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace velmor::commands
