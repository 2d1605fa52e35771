#include "drivers/sim/sim_panel.h"

namespace velmor::sim {

namespace {

constexpr std::uint8_t kW = 0x57;
constexpr std::uint8_t kL = 0x4C;
constexpr std::uint8_t kMark = 0x20;
constexpr std::size_t kHeader = 6;  // "W" "L" length 0x20 type 0x00
constexpr std::size_t kOverhead = 7;
constexpr std::size_t kTypeIndex = 4;
constexpr std::size_t kStatusIndex = 4;
constexpr std::size_t kEchoFirst = 6;
constexpr std::size_t kEchoLast = 14;

std::optional<std::size_t> PayloadSize(std::uint8_t type) {
    switch (type) {
        case 0x55:
            return 48;
        case 0x5A:
            return 21;
        case 0xA5:
        case 0x4B:
            return 50;
        case 0x80:
            return 19;
        default:
            return std::nullopt;
    }
}

std::uint8_t Sum8(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint8_t>(sum);
}

bool TakeOne(int& counter) {
    if (counter <= 0) return false;
    --counter;
    return true;
}

// The reply to `frame`. Unless `echo`, bytes 6..14 are the complement of the
// frame's, which can never match them.
SimPanel::Reply MakeReply(std::span<const std::uint8_t> frame, std::uint8_t status, bool echo) {
    SimPanel::Reply reply{kW, kL, static_cast<std::uint8_t>(SimPanel::kReplyLength), kMark};
    reply[kStatusIndex] = status;
    reply[kStatusIndex + 1] = frame.size() > kTypeIndex ? frame[kTypeIndex] : 0;
    for (std::size_t i = kEchoFirst; i <= kEchoLast; ++i) {
        const std::uint8_t b = i < frame.size() ? frame[i] : 0;
        reply[i] = echo ? b : static_cast<std::uint8_t>(~b);
    }
    reply.back() = Sum8(std::span(reply).first(reply.size() - 1));
    return reply;
}

}  // namespace

bool SimPanel::WellFormed(std::span<const std::uint8_t> frame) {
    if (frame.size() < kOverhead || frame[0] != kW || frame[1] != kL) return false;
    if (frame[2] != frame.size() || frame[3] != kMark || frame[kHeader - 1] != 0) return false;
    const auto payload = PayloadSize(frame[kTypeIndex]);
    if (!payload || *payload + kOverhead != frame.size()) return false;
    return frame.back() == Sum8(frame.first(frame.size() - 1));
}

bool SimPanel::Receive(std::span<const std::uint8_t> frame) {
    if (frame.size() < 2 || frame[0] != kW || frame[1] != kL) return false;
    std::lock_guard lock(mutex_);
    const bool faultable = faults_.onlyType == 0 ||
                           (frame.size() > kTypeIndex && frame[kTypeIndex] == faults_.onlyType);
    const bool taken = WellFormed(frame) && !(faultable && TakeOne(faults_.refusedFrames));
    if (taken) {
        ++taken_;
        lastFrames_[frame[kTypeIndex]].assign(frame.begin(), frame.end());
    } else {
        ++refused_;
    }
    if (faultable && TakeOne(faults_.silentFrames)) {
        reply_.reset();
        return true;
    }
    const bool echo = taken && !(faultable && TakeOne(faults_.wrongEchoFrames));
    reply_ = MakeReply(frame, taken ? kStatusTaken : kStatusRefused, echo);
    return true;
}

std::optional<SimPanel::Reply> SimPanel::CurrentReply() const {
    std::lock_guard lock(mutex_);
    return reply_;
}

std::optional<std::vector<std::uint8_t>> SimPanel::LastFrame(std::uint8_t type) const {
    std::lock_guard lock(mutex_);
    const auto it = lastFrames_.find(type);
    if (it == lastFrames_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::vector<std::uint8_t>> SimPanel::LastPayload(std::uint8_t type) const {
    auto frame = LastFrame(type);
    if (!frame) return std::nullopt;
    return std::vector<std::uint8_t>(frame->begin() + kHeader, frame->end() - 1);
}

std::uint32_t SimPanel::TakenCount() const {
    std::lock_guard lock(mutex_);
    return taken_;
}

std::uint32_t SimPanel::RefusedCount() const {
    std::lock_guard lock(mutex_);
    return refused_;
}

}  // namespace velmor::sim
