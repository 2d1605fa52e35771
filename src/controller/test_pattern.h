#pragma once
// Test patterns for flash writes of the register page.

#include <cstdint>
#include <string>

namespace velmor::controller {

// The pseudo-random generator of the patterns: state = state * 214013 + 2531011
// (mod 2^32), number = (state >> 16) & 0x7FFF.
class PatternRandom {
  public:
    explicit PatternRandom(std::uint32_t seed = 0) : state_(seed) {}
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

  private:
    std::uint32_t state_;
};

// Kind 0 zeros, 1 pseudo-random bytes (seed 0 on every call), 2 the byte i mod 256,
// 3 the 32-bit little-endian words 0, 1, 2, ... (whole words only), 4 the first
// bytes of `patternFile` (a missing file leaves the buffer as it is). Other kinds
// leave the buffer unchanged.
void FillPattern(std::uint8_t* buffer, int length, int kind, const std::string& patternFile);

}  // namespace velmor::controller
