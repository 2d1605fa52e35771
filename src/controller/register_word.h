#pragma once
// The register words carried over the bulk endpoints, 4 bytes each:
//   write word    [data, address 7..0, address 15..8, 0x80]
//   read command  [registers - 1, start 7..0, start 15..8, 0x81]
//   read answer   [data, address 7..0, address 15..8, 0x81]
// Encoding and decoding live apart from the I/O so they can be tested alone.

#include <array>
#include <cstdint>

namespace velmor::controller {

inline constexpr std::uint8_t kWriteTag = 0x80;
inline constexpr std::uint8_t kReadTag = 0x81;
inline constexpr int kRegisterWordSize = 4;
// Registers per bulk exchange: 256 words of 4 bytes fill one 1024-byte transfer.
inline constexpr int kRegistersPerExchange = 256;

// Writes the write word for one register to out[0..3]; the address is taken
// modulo 2^16.
void EncodeWriteWord(std::uint8_t* out, std::uint32_t address, std::uint8_t data);

// The read command for `registers` (1..256) registers from `start` (modulo 2^16).
std::array<std::uint8_t, 4> EncodeReadCommand(std::uint32_t start, int registers);

// Result of walking one read answer.
struct AnswerWalk {
    int stored = 0;    // registers stored by this answer
    bool good = true;  // false when a bad word (or a torn last word) ended the walk
};

// Walks the `bytes` answer bytes word by word. Register number `index` of the
// whole read (which started at `start`) is expected next; a word is good while
// fewer than `count` registers are stored, its tag is 0x81 and its address equals
// start + index (compared without wrapping at 16 bits). Good words store their data
// at out[index]; the first bad word ends the walk. Never writes at or past
// out[count].
AnswerWalk WalkReadAnswer(const std::uint8_t* answer, int bytes, std::uint32_t start, int index,
                          std::uint8_t* out, int count);

}  // namespace velmor::controller
