#include "ini/text_number.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "ini/c_number_text.h"

namespace velmor::ini {

std::string FormatInt(int value) { return std::to_string(value); }

std::string FormatDouble(double value) { return FormatFixedC(value); }

int ParseCInt(std::string_view text) {
    const std::string s(text);  // NUL-terminated copy for the C library
    errno = 0;
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

double ParseCDouble(std::string_view text) { return ParseDoubleC(std::string(text)); }

}  // namespace velmor::ini
