#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "ini/c_number_text.h"

namespace velmor::ini {

// std::to_chars is exact and ignores the locale; infinities and NaN are spelled as
// the POSIX side's printf spells them.
std::string FormatFixedC(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

double ParseDoubleC(const std::string& text) {
    static const _locale_t c = ::_create_locale(LC_ALL, "C");
    if (c) return ::_strtod_l(text.c_str(), nullptr, c);
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace velmor::ini
