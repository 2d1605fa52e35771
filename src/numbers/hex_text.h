#pragma once
// Hexadecimal texts, both ways: numbers and bytes written in hex in the form each
// place shows them (page logs, command lists, messages, JSON values), and hex that
// a person typed read back. The places differ in width, letter case and "0x";
// those are parameters here, so each keeps its form without a formatter of its own.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmor::numbers {

// How a number is written: at least `digits` digits, padded with zeros (a larger
// value is written in full, never cut); upper- or lower-case letters; "0x" before
// the digits when `prefix` is set. The default is printf's "%X".
struct HexStyle {
    int digits = 1;
    bool upper = true;
    bool prefix = false;
};

std::string Hex(std::uint64_t value, HexStyle style = {});
// Every byte in `style`, `separator` between two.
std::string HexBytes(std::span<const std::uint8_t> bytes, HexStyle style = {.digits = 2},
                     std::string_view separator = {});

// What a strict reading accepts: "0x" or "0X" first when `prefix` allows it, then
// 1..`maxDigits` hex digits of either case (at most 8), and nothing else.
struct HexSyntax {
    int maxDigits = 8;
    bool prefix = true;
};

// The whole text as a hex number, or nothing: no blanks, no sign, no other
// character. For values that go on unchanged (an address on the command line, a
// USB ID in a file).
std::optional<std::uint32_t> ParseHex(std::string_view text, HexSyntax syntax = {});
// ParseHex with the default syntax, and a value of at most `max`.
bool ParseHexNumber(std::string_view text, std::uint32_t max, std::uint32_t& value);

// The pages' lenient reading: hex text (after the first "x", else the first "X")
// to decimal text. Without a prefix the text is returned unchanged unless
// `hexWithoutPrefix` is set, in which case the whole text is the digits. "a".."f"
// and "A".."F" count 10..15, "0".."9" their value, any other character 0. The
// value is a 32-bit signed number; more than 8 digits wrap.
std::string HexToDecimalText(const std::string& text, bool hexWithoutPrefix);

// Appends the log lines of a hex dump of `count` bytes that start at `start`:
// "[" first "-" first+15 "]: " then "XX " per byte and "- " after every fourth
// byte that does not close a line. Only dumps longer than 16 bytes break lines
// ("\r\n" after every sixteenth byte); the last, open line carries no line break
// and its header still spans 16 addresses. Addresses are upper-case hex padded
// with zeros to `width` digits (wider addresses are written in full; widths are
// taken as 0..16).
void AppendHexDumpText(const std::uint8_t* bytes, int count, std::uint32_t start, int width,
                       std::string& log);

// The version text of a 16-byte version block (firmware identity or a board's
// version registers): bytes 2..11 as "XX.XX XX.XX.XX.XX XX.XX.XX.XX " and then
// bytes 12..15 as text up to the first NUL. Bytes 0 and 1 are not shown.
inline constexpr int kVersionBlockSize = 16;
std::string FormatVersionText(const std::uint8_t* block);

}  // namespace velmor::numbers
