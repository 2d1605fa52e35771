#include "numbers/number_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "numbers/hex_text.h"

namespace velmor::numbers {

int FieldDecimal(std::string_view text) {
    const std::string s(text);  // NUL-terminated for the C library
    const long long value = std::strtoll(s.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int FieldHex(std::string_view text) {
    return FieldDecimal(HexToDecimalText(std::string(text), true));
}

int FieldDecimalOrHex(std::string_view text) {
    return FieldDecimal(HexToDecimalText(std::string(text), false));
}

namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// from_chars reads the whole of `text` or the reading fails; it takes a "-" but
// not a "+", which a user may type as well.
template <typename T>
std::optional<T> WholeNumber(std::string_view text, bool allowMinus) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) return std::nullopt;
    }
    if (text.empty() || (!allowMinus && text.front() == '-')) return std::nullopt;
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::uint32_t> FieldUnsigned(std::string_view text) {
    return WholeNumber<std::uint32_t>(text, false);
}

std::optional<std::int32_t> FieldSigned(std::string_view text) {
    return WholeNumber<std::int32_t>(text, true);
}

std::optional<double> FieldReal(std::string_view text) {
    const std::optional<double> value = WholeNumber<double>(text, true);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<std::uint32_t> DecimalDigits(std::string_view text, int maxDigits) {
    const auto most = static_cast<std::size_t>(std::clamp(maxDigits, 1, 9));
    if (text.empty() || text.size() > most) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
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

}  // namespace velmor::numbers
