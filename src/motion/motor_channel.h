#pragma once
// The per-motor settings behind a control byte: limit enable, direction polarity
// and the one or two limit polarities of each motor channel, and the control
// byte they make with a direction.

#include <cstdint>
#include <string_view>

#include "controller/motor_settings.h"
#include "motion/motion_register_map.h"

namespace velmor::motion {

// Motor channels with settings of their own. The Z1 settings are kept by the
// store but drive no command.
enum class Channel { kX, kY0, kY1, kZ0, kM0, kM1 };

struct ChannelSettings {
    bool limitEnable = false;
    bool dirPolarity = false;
    bool limitPolarity = false;
    bool limitPolarity2 = false;  // left or lower limit
};

inline constexpr std::string_view kDirectionOrigin = "Orignal";
inline constexpr std::string_view kDirectionEnd = "End";

inline bool IsEnd(std::string_view direction) { return direction == kDirectionEnd; }

ChannelSettings SettingsOf(const controller::MotorSettings& settings, Channel channel);

// The control byte with every bit of `bits` set from `settings` and the
// direction, all other bits 0.
std::uint8_t ControlByte(const ControlBits& bits, const ChannelSettings& settings, bool end);
// The control byte without its direction bit (the fiber M0/M1 OR-ed bits).
std::uint8_t SettingBits(const ControlBits& bits, const ChannelSettings& settings);

// Sets the settings of `channel` whose bit is set in `byte` (bits that are clear
// leave a setting as it is): the read-back's inversion of ControlByte.
void SetSettingsFrom(controller::MotorSettings& settings, Channel channel, const ControlBits& bits,
                     std::uint8_t byte);

// Limit enables, polarities and direction polarities of every channel (Z1's too) to 0.
void ClearChannelSettings(controller::MotorSettings& settings);

// The settings that the movement pages' settings controls own (polarities,
// limit enables, the Z board and gear), copied from `page` into `target`.
void ApplyPageSettings(const controller::MotorSettings& page, controller::MotorSettings& target);

// One setting of a channel, as stored (a limit enable is 32 bits, the others 8).
enum class ChannelField { kLimitEnable, kDirPolarity, kLimitPolarity, kLimitPolarity2 };
std::uint32_t ChannelFieldValue(const controller::MotorSettings& settings, Channel channel,
                                ChannelField field);
void SetChannelField(controller::MotorSettings& settings, Channel channel, ChannelField field,
                     std::uint32_t value);

}  // namespace velmor::motion
