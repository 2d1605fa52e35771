#pragma once
// The printer's control panel behind the simulated controller. The host sends
// it frames with vendor request 0xEC and reads its 16-byte reply with 0xED:
//
//   frame:  "W" "L" total-length 0x20 type 0x00 payload check
//   reply:  "W" "L" 0x10 0x20 status type frame[6..14] check
//
// where the check byte is the 8-bit sum of the bytes before it and status is 0
// when the panel took the frame. A frame is taken when its length byte matches,
// its type is known and its payload has that type's size (0x55: 48, 0x5A: 21,
// 0xA5 and 0x4B: 50, 0x80 display: 19); anything else starting with "W" "L" is
// refused: nothing is kept and the reply neither echoes it nor reads status 0.
// The panel keeps the last frame it took of each type, so a test or a user
// can see the parameters the host sent.

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace velmor::sim {

// Faults a test can switch on; all off by default. Each counts down per frame
// it strikes. Set them between transfers (they are not locked).
struct SimPanelFaults {
    int silentFrames = 0;       // the next N frames get no reply: 0xED stalls until another frame
    int wrongEchoFrames = 0;    // the next N frames are taken, but the reply does not echo them
    int refusedFrames = 0;      // the next N frames are refused as if malformed
    std::uint8_t onlyType = 0;  // when not 0, the faults strike only frames of this type
};

class SimPanel {
  public:
    static constexpr std::size_t kReplyLength = 16;
    using Reply = std::array<std::uint8_t, kReplyLength>;
    static constexpr std::uint8_t kStatusTaken = 0x00;
    static constexpr std::uint8_t kStatusRefused = 0x01;

    // A frame of request 0xEC that passed the controller's check-byte test.
    // Returns true when the frame is the panel's (it starts with "W" "L"); other
    // vendor traffic is not.
    bool Receive(std::span<const std::uint8_t> frame);
    // What request 0xED reads: the reply to the last frame; none before any frame
    // and while the panel stays silent.
    std::optional<Reply> CurrentReply() const;

    // The last frame taken of `type`, check byte included; none before.
    std::optional<std::vector<std::uint8_t>> LastFrame(std::uint8_t type) const;
    // The payload of that frame.
    std::optional<std::vector<std::uint8_t>> LastPayload(std::uint8_t type) const;
    std::uint32_t TakenCount() const;
    std::uint32_t RefusedCount() const;

    SimPanelFaults& Faults() { return faults_; }

    // True when `frame` has the layout and size of a frame the panel takes.
    static bool WellFormed(std::span<const std::uint8_t> frame);

  private:
    mutable std::mutex mutex_;
    SimPanelFaults faults_;
    std::map<std::uint8_t, std::vector<std::uint8_t>> lastFrames_;
    std::optional<Reply> reply_;
    std::uint32_t taken_ = 0;
    std::uint32_t refused_ = 0;
};

}  // namespace velmor::sim
