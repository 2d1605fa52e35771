#pragma once
// Hashing and comparing section and key names eight bytes at a time, with or without
// regard to ASCII letter case. Multi-byte characters are UTF-8 in memory, all bytes
// >= 0x80, so folding never touches part of a Chinese character.

#include <cstdint>
#include <string_view>

namespace velmor::ini {

// Names equal as compared (folded or not) hash alike. The look-up tables place a name by
// the high bits, so every bit depends on every byte: names that differ only in a
// trailing number ("CmdInfo17", "CmdInfo18") must not crowd together.
std::uint32_t NameHash(std::string_view name, bool foldCase);

// True when the names are equal without regard to ASCII letter case.
bool EqualFolded(std::string_view a, std::string_view b);

}  // namespace velmor::ini
