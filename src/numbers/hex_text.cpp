#include "numbers/hex_text.h"

#include <algorithm>

namespace velmor::numbers {

namespace {

// Locale-independent on purpose: a GUI toolkit may switch the C locale.
int DigitOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Hex(std::uint64_t value, HexStyle style) {
    const char* const digits = style.upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    do {
        text.push_back(digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    const auto width = static_cast<std::size_t>(std::max(style.digits, 1));
    if (text.size() < width) text.append(width - text.size(), '0');
    if (style.prefix) text += "x0";  // reversed below
    std::reverse(text.begin(), text.end());
    return text;
}

std::string HexBytes(std::span<const std::uint8_t> bytes, HexStyle style,
                     std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) text += separator;
        text += Hex(bytes[i], style);
    }
    return text;
}

std::optional<std::uint32_t> ParseHex(std::string_view text, HexSyntax syntax) {
    if (syntax.prefix && text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    const auto most = static_cast<std::size_t>(std::clamp(syntax.maxDigits, 1, 8));
    if (text.empty() || text.size() > most) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : text) {
        const int digit = DigitOf(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool ParseHexNumber(std::string_view text, std::uint32_t max, std::uint32_t& value) {
    const std::optional<std::uint32_t> read = ParseHex(text);
    if (!read) return false;
    value = *read;
    return value <= max;
}

std::string HexToDecimalText(const std::string& text, bool hexWithoutPrefix) {
    std::string::size_type prefix = text.find('x');
    if (prefix == std::string::npos) prefix = text.find('X');
    std::string digits;
    if (prefix != std::string::npos) {
        digits = text.substr(prefix + 1);
    } else if (!hexWithoutPrefix) {
        return text;
    } else {
        digits = text;
    }
    // Horner's rule over 32 bits gives the same wrapped value as the sum of
    // digit x 16^position.
    std::uint32_t value = 0;
    for (char c : digits) value = value * 16 + static_cast<std::uint32_t>(std::max(DigitOf(c), 0));
    return std::to_string(static_cast<std::int32_t>(value));
}

namespace {

void AppendLine(std::string& log, std::uint32_t first, const HexStyle& address,
                const std::string& line) {
    log += '[';
    log += Hex(first, address);
    log += '-';
    log += Hex(first + 15, address);
    log += "]: ";
    log += line;
}

}  // namespace

void AppendHexDumpText(const std::uint8_t* bytes, int count, std::uint32_t start, int width,
                       std::string& log) {
    if (bytes == nullptr || count <= 0) return;
    const HexStyle address{.digits = std::clamp(width, 0, 16)};
    std::string line;
    std::uint32_t first = start;
    bool lineClosed = false;
    for (int i = 1; i <= count; ++i) {
        line += Hex(bytes[i - 1], {.digits = 2});
        line += ' ';
        lineClosed = false;
        if (i % 4 == 0 && i % 16 != 0) line += "- ";
        if (count > 16 && i % 16 == 0) {
            AppendLine(log, first, address, line);
            log += "\r\n";
            first += 16;
            line.clear();
            lineClosed = true;
        }
    }
    if (!lineClosed) AppendLine(log, first, address, line);
}

std::string FormatVersionText(const std::uint8_t* block) {
    std::string text;
    if (block == nullptr) return text;
    for (int k = 2; k <= 11; ++k) {
        text += Hex(block[k], {.digits = 2});
        text += (k + 1) % 4 == 0 ? ' ' : '.';
    }
    for (int k = 12; k < kVersionBlockSize && block[k] != 0; ++k)
        text += static_cast<char>(block[k]);
    return text;
}

}  // namespace velmor::numbers
