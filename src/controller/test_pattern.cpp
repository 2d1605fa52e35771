#include "controller/test_pattern.h"

#include <fstream>

#include "files/utf8_path.h"

namespace velmor::controller {

namespace {

// The generator's state belongs to the calling thread, so pages filling buffers on
// different workers never disturb each other's sequence.
thread_local PatternRandom threadRandom;

void CopyFromFile(std::uint8_t* buffer, int length, const std::string& path) {
    std::ifstream file(files::PathFromUtf8(path), std::ios::binary);
    if (!file) return;
    file.read(reinterpret_cast<char*>(buffer), length);
}

}  // namespace

void FillPattern(std::uint8_t* buffer, int length, int kind, const std::string& patternFile) {
    if (buffer == nullptr || length <= 0) return;
    if (kind >= 0 && kind <= 3) threadRandom = PatternRandom(0);
    switch (kind) {
        case 0:
            for (int i = 0; i < length; ++i) buffer[i] = 0;
            break;
        case 1:
            for (int i = 0; i < length; ++i)
                buffer[i] = static_cast<std::uint8_t>(threadRandom.Next());
            break;
        case 2:
            for (int i = 0; i < length; ++i) buffer[i] = static_cast<std::uint8_t>(i);
            break;
        case 3:
            for (int i = 0; i < length / 4; ++i) {
                const auto word = static_cast<std::uint32_t>(i);
                for (int b = 0; b < 4; ++b)
                    buffer[i * 4 + b] = static_cast<std::uint8_t>(word >> (8 * b));
            }
            break;
        case 4:
            CopyFromFile(buffer, length, patternFile);
            break;
        default:
            break;
    }
}

}  // namespace velmor::controller
