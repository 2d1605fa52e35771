#pragma once
// The operation keywords of a register command and the byte that stands for each one in
// the checksums and in the controller's start-up image. The order is the one the editor
// offers. Keywords are compared exactly, letter case included.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmor::commands {

struct OperationKeyword {
    std::string_view text;
    std::uint8_t code;
};

inline constexpr std::array<OperationKeyword, 8> kOperationKeywords{{
    {"RegWrite", 0x10},
    {"RegRead", 0x20},
    {"WriteAnd", 0x11},
    {"ReadAnd", 0x21},
    {"WriteOR", 0x12},
    {"ReadOR", 0x22},
    {"ReInit", 0x30},
    {"InitEnd", 0x31},
}};

// The code of a keyword, or nothing for any other text.
inline std::optional<std::uint8_t> OperationCode(std::string_view text) {
    for (const auto& k : kOperationKeywords) {
        if (k.text == text) return k.code;
    }
    return std::nullopt;
}

}  // namespace velmor::commands
