#include "motion/led_code.h"

#include <array>
#include <utility>

#include "motion/motion_register_map.h"

namespace velmor::motion {

namespace {

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 16> kLedCodes{{
    {"0", 0x00},
    {"1", 0xF9},
    {"2", 0xA4},
    {"3", 0xB0},
    {"4", 0x99},
    {"5", 0x92},
    {"6", 0x82},
    {"7", 0xF8},
    {"8", 0x80},
    {"9", 0x90},
    {"A", 0x88},
    {"B", 0x83},
    {"C", 0xC6},
    {"D", 0xA1},
    {"E", 0x86},
    {"F", 0x8E},
}};

}  // namespace

std::uint8_t LedCodeFromText(std::string_view text) {
    for (const auto& [ledText, code] : kLedCodes)
        if (ledText == text) return code;
    return kNoLedCode;
}

std::string LedTextFromCode(std::uint8_t code) {
    for (const auto& [ledText, ledCode] : kLedCodes)
        if (ledCode == code) return std::string(ledText);
    return "none";
}

}  // namespace velmor::motion
