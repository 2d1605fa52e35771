#pragma once
// Reads a structured input from the fuzz bytes: numbers and length-prefixed chunks. An
// exhausted input gives zeros and empty chunks, so every byte string is a valid input.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmor::fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    bool Empty() const { return pos_ >= bytes_.size(); }
    std::size_t Remaining() const { return bytes_.size() - pos_; }

    std::uint8_t Byte() { return Empty() ? 0 : bytes_[pos_++]; }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    std::uint32_t U32() { return U16() | (static_cast<std::uint32_t>(U16()) << 16); }
    bool Bool() { return (Byte() & 1) != 0; }

    // The next `n` bytes (fewer at the end).
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        n = std::min(n, Remaining());
        std::vector<std::uint8_t> out(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                      bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += n;
        return out;
    }
    // A chunk: a 16-bit little-endian length, then that many bytes.
    std::vector<std::uint8_t> Chunk() { return Bytes(U16()); }
    std::string Text() {
        const std::vector<std::uint8_t> b = Chunk();
        return {b.begin(), b.end()};
    }
    // Everything not read yet.
    std::vector<std::uint8_t> Rest() { return Bytes(Remaining()); }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace velmor::fuzz
