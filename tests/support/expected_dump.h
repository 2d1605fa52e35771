#pragma once
// The hex dump lines the logs show, computed here independently of the
// controller's formatter, as an oracle for log expectations.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace velmor::testing {

// The dump lines of `bytes` from `start` as the log shows them, computed here
// independently of the controller's formatter.
inline std::string ExpectedDump(const std::vector<std::uint8_t>& bytes, std::uint32_t start,
                                int width) {
    std::string text;
    char header[48];
    for (std::size_t line = 0; line * 16 < bytes.size(); ++line) {
        const std::uint32_t first = start + static_cast<std::uint32_t>(line * 16);
        std::snprintf(header, sizeof header, "[%0*X-%0*X]: ", width, first, width, first + 15);
        text += header;
        for (std::size_t i = line * 16; i < bytes.size() && i < line * 16 + 16; ++i) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "%02X ", bytes[i]);
            text += byte;
            if ((i + 1) % 4 == 0 && (i + 1) % 16 != 0) text += "- ";
        }
        if (bytes.size() > 16 && (line + 1) * 16 <= bytes.size()) text += "\r\n";
    }
    return text;
}

}  // namespace velmor::testing
