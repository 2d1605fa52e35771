#include "controller/hex_text.h"

#include <cstdio>

namespace velmor::controller {

namespace {

std::uint32_t DigitValue(char c) {
    if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
    return 0;
}

std::string HexAddress(std::uint32_t address, int width) {
    // Widths beyond 16 digits mean nothing for 32-bit addresses; the cap keeps the
    // text inside its buffer.
    char text[32];
    std::snprintf(text, sizeof text, "%0*X", width < 0 ? 0 : (width > 16 ? 16 : width), address);
    return text;
}

void AppendLine(std::string& log, std::uint32_t first, int width, const std::string& line) {
    log += '[';
    log += HexAddress(first, width);
    log += '-';
    log += HexAddress(first + 15, width);
    log += "]: ";
    log += line;
}

}  // namespace

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
    for (char c : digits) value = value * 16 + DigitValue(c);
    return std::to_string(static_cast<std::int32_t>(value));
}

void AppendHexDumpText(const std::uint8_t* bytes, int count, std::uint32_t start, int width,
                       std::string& log) {
    if (bytes == nullptr || count <= 0) return;
    std::string line;
    std::uint32_t first = start;
    bool lineClosed = false;
    for (int i = 1; i <= count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", bytes[i - 1]);
        line += hex;
        lineClosed = false;
        if (i % 4 == 0 && i % 16 != 0) line += "- ";
        if (count > 16 && i % 16 == 0) {
            AppendLine(log, first, width, line);
            log += "\r\n";
            first += 16;
            line.clear();
            lineClosed = true;
        }
    }
    if (!lineClosed) AppendLine(log, first, width, line);
}

std::string FormatVersionText(const std::uint8_t* block) {
    std::string text;
    if (block == nullptr) return text;
    for (int k = 2; k <= 11; ++k) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", block[k]);
        text += hex;
        text += (k + 1) % 4 == 0 ? ' ' : '.';
    }
    for (int k = 12; k < kVersionBlockSize && block[k] != 0; ++k)
        text += static_cast<char>(block[k]);
    return text;
}

}  // namespace velmor::controller
