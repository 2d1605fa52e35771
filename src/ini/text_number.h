#pragma once
// Number texts of the INI files, independent of the process locale (a GUI toolkit may
// switch the C locale to the user's, which would turn "1.500000" into "1,500000").

#include <string>
#include <string_view>

namespace velmor::ini {

// "%d".
std::string FormatInt(int value);
// "%f": six decimals.
std::string FormatDouble(double value);

// The C library's decimal conversion as atoi does it: leading white space, a sign,
// digits up to the first other character; no digits give 0; out-of-range values keep
// their low 32 bits of the saturated 64-bit result.
int ParseCInt(std::string_view text);
// The C library's strtod in the "C" locale; text that is not a number gives 0.
double ParseCDouble(std::string_view text);

}  // namespace velmor::ini
