#include "controller/register_word.h"

namespace velmor::controller {

void EncodeWriteWord(std::uint8_t* out, std::uint32_t address, std::uint8_t data) {
    out[0] = data;
    out[1] = static_cast<std::uint8_t>(address & 0xFF);
    out[2] = static_cast<std::uint8_t>((address >> 8) & 0xFF);
    out[3] = kWriteTag;
}

std::array<std::uint8_t, 4> EncodeReadCommand(std::uint32_t start, int registers) {
    return {static_cast<std::uint8_t>(registers - 1), static_cast<std::uint8_t>(start & 0xFF),
            static_cast<std::uint8_t>((start >> 8) & 0xFF), kReadTag};
}

AnswerWalk WalkReadAnswer(const std::uint8_t* answer, int bytes, std::uint32_t start, int index,
                          std::uint8_t* out, int count) {
    AnswerWalk walk;
    for (int offset = 0; offset < bytes; offset += kRegisterWordSize) {
        const std::uint8_t* word = answer + offset;
        const bool whole = bytes - offset >= kRegisterWordSize;
        const std::uint32_t address = whole ? (word[1] | (word[2] << 8)) : 0;
        if (!whole || index + walk.stored >= count || word[3] != kReadTag ||
            address != start + static_cast<std::uint32_t>(index + walk.stored)) {
            walk.good = false;
            break;
        }
        out[index + walk.stored] = word[0];
        ++walk.stored;
    }
    return walk;
}

}  // namespace velmor::controller
