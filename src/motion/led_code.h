#pragma once
// The seven-segment codes of the controller's LED texts. "none", and any text
// not in the table, is 0x11 (no LED); the reverse gives "none" for 0x11 and any
// code not in the table. "0" is 0x00, not the usual seven-segment pattern.

#include <cstdint>
#include <string>
#include <string_view>

namespace velmor::motion {

std::uint8_t LedCodeFromText(std::string_view text);
std::string LedTextFromCode(std::uint8_t code);

}  // namespace velmor::motion
