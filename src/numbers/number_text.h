#pragma once
// Numbers read from text, under the rules of the place they come from, and the
// printf-style texts the pages write. Hexadecimal has its own pair (hex_text.h).
//
// Fields of the pages: a value beyond the int range saturates at INT_MIN or
// INT_MAX, as the platform's text-to-integer conversion of a dialog field does, so
// an absurd entry reads as the largest value instead of wrapping into a small,
// plausible one. Numbers read from documents follow the profile rule instead
// (ini::ParseCInt keeps the low 32 bits), because files written by other tools
// rely on it; the two rules are deliberately different.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmor::numbers {

// Decimal: leading blanks, an optional sign, digits up to the first other
// character; no digits give 0.
int FieldDecimal(std::string_view text);
// Hexadecimal, with or without an "x"/"X" prefix (HexToDecimalText with
// hexWithoutPrefix): more than 8 digits wrap at 32 bits there, then the decimal
// text is read as above.
int FieldHex(std::string_view text);
// Decimal unless the text carries an "x"/"X" prefix, then hexadecimal.
int FieldDecimalOrHex(std::string_view text);

// Strict readings for fields whose value goes on unchanged (into a file, into a
// packet): blanks around the number are allowed, anything else is not, and a value
// outside the type's range gives nothing instead of a wrapped or saturated one.
// Independent of the process locale.
//
// Decimal digits with an optional "+", 0..4294967295.
std::optional<std::uint32_t> FieldUnsigned(std::string_view text);
// Decimal digits with an optional sign, -2147483648..2147483647.
std::optional<std::int32_t> FieldSigned(std::string_view text);
// A finite number in decimal notation ("12", "-0.5", "1e3"); no hexadecimal, no
// "inf" or "nan".
std::optional<double> FieldReal(std::string_view text);

// Stricter still, for a count on the command line: 1..`maxDigits` decimal digits
// (at most 9, so the value always fits) and nothing else, not even a blank or a
// sign.
std::optional<std::uint32_t> DecimalDigits(std::string_view text, int maxDigits = 9);

// printf into a string of any length.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velmor::numbers
