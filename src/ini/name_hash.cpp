#include "ini/name_hash.h"

#include <bit>
#include <cstring>

namespace velmor::ini {
namespace {

// Names are read as little-endian numbers, byte i at bits 8i.
static_assert(std::endian::native == std::endian::little);

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// The ASCII capitals of eight bytes made small, all at once.
std::uint64_t LowerEight(std::uint64_t w) {
    const std::uint64_t low7 = w & ~kHigh;
    const std::uint64_t fromA = low7 + kOnes * (0x80 - 'A');      // high bit: >= 'A'
    const std::uint64_t pastZ = low7 + kOnes * (0x80 - 'Z' - 1);  // high bit: > 'Z'
    const std::uint64_t capital = fromA & ~pastZ & ~w & kHigh;
    return w | (capital >> 2);  // 0x80 >> 2 is the 0x20 between 'A' and 'a'
}

// Up to eight bytes of a name from `p` as one number (the bytes past its end as zeros).
// Short tails are read as two loads that may overlap: the bytes they share land on the
// same bits.
std::uint64_t Word(const char* p, std::size_t size) {
    if (size >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        return w;
    }
    if (size >= 4) {
        std::uint32_t low;
        std::uint32_t high;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + size - 4, 4);
        return std::uint64_t{low} | (std::uint64_t{high} << (8 * (size - 4)));
    }
    if (size == 0) return 0;
    const auto byte = [p](std::size_t i) {
        return std::uint64_t{static_cast<unsigned char>(p[i])};
    };
    return byte(0) | (byte(size / 2) << (8 * (size / 2))) | (byte(size - 1) << (8 * (size - 1)));
}

}  // namespace

std::uint32_t NameHash(std::string_view name, bool foldCase) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = name.size() * kMul;
    for (std::size_t i = 0; i < name.size(); i += 8) {
        std::uint64_t w = Word(name.data() + i, name.size() - i);
        if (foldCase) w = LowerEight(w);
        h = (h ^ w) * kMul;
        h ^= h >> 29;
    }
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h >> 32);
}

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true;  // most names are spelt as the file spells them
    for (std::size_t i = 0; i < a.size(); i += 8) {
        const std::size_t left = a.size() - i;
        if (LowerEight(Word(a.data() + i, left)) != LowerEight(Word(b.data() + i, left))) {
            return false;
        }
    }
    return true;
}

}  // namespace velmor::ini
