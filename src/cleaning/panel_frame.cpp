#include "cleaning/panel_frame.h"

#include <algorithm>

namespace velmor::cleaning {

namespace {
constexpr std::size_t kMaxFrame = 0xFF;
constexpr std::size_t kDisplayTextLength = 16;
}  // namespace

Frame MakeFrame(std::uint8_t type, std::span<const std::uint8_t> payload) {
    const std::size_t total = payload.size() + kFrameOverhead;
    if (total > kMaxFrame) return {};
    Frame frame = {kFrameW, kFrameL, static_cast<std::uint8_t>(total), kFrameMark, type, 0x00};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0x00);
    FillCheckByte(frame);
    return frame;
}

void FillCheckByte(std::span<std::uint8_t> frame) {
    if (frame.empty()) return;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < frame.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    frame.back() = sum;
}

Frame MakeDisplayFrame(std::string_view text) {
    std::vector<std::uint8_t> payload = {0x00, 0x00, 0x10};
    for (std::size_t i = 0; i < kDisplayTextLength; ++i)
        payload.push_back(static_cast<std::uint8_t>(i < text.size() ? text[i] : ' '));
    return MakeFrame(kDisplayType, payload);
}

}  // namespace velmor::cleaning
