#pragma once
// The hexadecimal texts of the command-set editor: an address or a data text as a
// number, and a data text split into one command per byte.

#include <cstdint>
#include <string>
#include <vector>

#include "controller/cmd_info.h"
#include "numbers/hex_text.h"

namespace velmor::commands {

// The most bytes one data text may give: no more than the controller's start-up
// image holds records, so a pasted block of thousands of characters is refused
// at once instead of filling the list with commands that could never be loaded.
inline constexpr int kMaxDataBytes = 1022;

// Hexadecimal `text` (the digits after the first "x", else the first "X", else the
// whole text; other characters count 0), cut to the low 16 or 8 bits.
std::uint16_t AddressFromText(const std::string& text);
std::uint8_t DataFromText(const std::string& text);

// How many bytes `data` splits into (see SplitDataBytes).
std::size_t DataByteCount(const std::string& data);

// The commands that one line of the editor gives. A data text holding "x" or "X"
// loses its first two characters (the "0x" prefix); an odd length gets a leading
// "0"; then each two characters from the left are one byte. Byte i goes to
// address base + i (16 bits) under `regName` + "[8i+7:8i]", unless the name
// already holds a "[". The commands carry no set name yet.
std::vector<controller::CMD_INFO> SplitDataBytes(const std::string& keyword,
                                                 const std::string& regName,
                                                 const std::string& address,
                                                 const std::string& data);

// Lower-case hexadecimal without prefix, as the command lists show addresses and data.
inline constexpr numbers::HexStyle kListHex{.upper = false};

}  // namespace velmor::commands
