#pragma once
// Numbers as text the way the C locale writes and reads them, whatever locale the
// program (or Qt) has set: '.' is always the decimal point.

#include <string>

namespace velmor::ini {

// printf("%f"): six decimals, every integer digit.
std::string FormatFixedC(double value);

// strtod: leading spaces, sign, decimals, exponent, inf and nan; 0 when there is no number.
double ParseDoubleC(const std::string& text);

}  // namespace velmor::ini
