#include "ui/field_number.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "controller/hex_text.h"

namespace velmor::ui {

int FieldDecimal(std::string_view text) {
    const std::string s(text);  // NUL-terminated for the C library
    const long long value = std::strtoll(s.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int FieldHex(std::string_view text) {
    return FieldDecimal(controller::HexToDecimalText(std::string(text), true));
}

int FieldDecimalOrHex(std::string_view text) {
    return FieldDecimal(controller::HexToDecimalText(std::string(text), false));
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}

}  // namespace velmor::ui
