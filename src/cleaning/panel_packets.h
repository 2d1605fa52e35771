#pragma once
// The parameter packets the cleaning download sends to the control panel, built
// from the cleaning set as pure functions:
//   packet 1, type 0x55: positions (48 bytes);
//   packet 2, type 0x5A: cleaning times (21 bytes), only for machine model 2;
//   packet 3, type 0xA5 (stepper carriage) or 0x4B (DC carriage): motion (50 bytes).
// Multi-byte values are little-endian.

#include <cstdint>
#include <string>
#include <vector>

#include "cleaning/panel_frame.h"
#include "controller/clean_params.h"
#include "controller/language.h"

namespace velmor::cleaning {

// Station codes of the cleaning set.
inline constexpr std::uint8_t kStackLifting = 0;  // 升降式; 1 划靠式 (sliding), 2 固定式 (fixed)
inline constexpr std::uint8_t kStackSliding = 1;
inline constexpr std::uint8_t kWiperSolenoid = 1;  // 刮片类型 电磁阀
inline constexpr std::uint8_t kTwoHeads = 1;       // 双头
inline constexpr std::uint8_t kMotorDc = 1;        // 电机类型 直流

// The wiper must sit more than 100 pulses before the scraping position, for
// head 1 and, with two heads, for head 2.
bool WiperPositionsValid(const controller::CleanParams& params);

struct PanelFrames {
    std::vector<Frame> frames;  // in sending order, check bytes filled in
    std::string error;          // why nothing may be sent; empty when the frames are good
    bool Ok() const { return error.empty(); }
};

// The frames "下载参数" sends for `params`, after the wiper rule. `resolution` is
// the X resolution in counts per inch. A gear ratio that is not above 0, or a
// value that does not fit its field (negative, too large, not a number), gives
// no frames and an error naming the value: nothing wrapped or undefined reaches
// the panel. The error is in `language`.
PanelFrames BuildPanelFrames(const controller::CleanParams& params, std::uint16_t resolution,
                             controller::Language language);

}  // namespace velmor::cleaning
