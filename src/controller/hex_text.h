#pragma once
// Hex text as the pages read it from the user and write it to their logs.

#include <cstdint>
#include <string>

namespace velmor::controller {

// Hexadecimal text (after the first "x", else the first "X") to decimal text.
// Without a prefix the text is returned unchanged unless `hexWithoutPrefix`
// is set, in which case the whole text is the digits. "a".."f" and "A".."F" count
// 10..15, "0".."9" their value, any other character 0. The value is a 32-bit
// signed number; more than 8 digits wrap.
std::string HexToDecimalText(const std::string& text, bool hexWithoutPrefix);

// Appends the log lines of a hex dump of `count` bytes that start at `start`:
// "[" first "-" first+15 "]: " then "XX " per byte and "- " after every fourth
// byte that does not close a line. Only dumps longer than 16 bytes break lines
// ("\r\n" after every sixteenth byte); the last, open line carries no line break
// and its header still spans 16 addresses. Addresses are upper-case hex padded
// with zeros to `width` digits (wider addresses are written in full).
void AppendHexDumpText(const std::uint8_t* bytes, int count, std::uint32_t start, int width,
                       std::string& log);

// The version text of a 16-byte version block (firmware identity or a board's
// version registers): bytes 2..11 as "XX.XX XX.XX.XX.XX XX.XX.XX.XX " and then
// bytes 12..15 as text up to the first NUL. Bytes 0 and 1 are not shown.
inline constexpr int kVersionBlockSize = 16;
std::string FormatVersionText(const std::uint8_t* block);

}  // namespace velmor::controller
