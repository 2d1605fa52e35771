#include "motion/motor_channel.h"

namespace velmor::motion {

namespace {

using controller::MotorSettings;

// Where each channel keeps its settings in MotorSettings.
struct ChannelMembers {
    std::uint32_t MotorSettings::*limitEnable;
    std::uint8_t MotorSettings::*dirPolarity;
    std::uint8_t MotorSettings::*limitPolarity;
    std::uint8_t MotorSettings::*limitPolarity2;  // null: the channel has none
};

ChannelMembers MembersOf(Channel channel) {
    switch (channel) {
        case Channel::kX:
            return {&MotorSettings::XMoto_LimtEable, &MotorSettings::XDirPol,
                    &MotorSettings::XLimtPol, &MotorSettings::XLimtPolLeft};
        case Channel::kY0:
            return {&MotorSettings::YMoto0_LimtEable, &MotorSettings::Y0DirPol,
                    &MotorSettings::Y0LimtPol, &MotorSettings::Y0LimtPolLeft};
        case Channel::kY1:
            return {&MotorSettings::YMoto1_LimtEable, &MotorSettings::Y1DirPol,
                    &MotorSettings::Y1LimtPol, &MotorSettings::Y1LimtPolLeft};
        case Channel::kZ0:
            return {&MotorSettings::ZMoto0_LimtEable, &MotorSettings::Z0DirPol,
                    &MotorSettings::Z0LimtPol, &MotorSettings::Z0LimtPolDown};
        case Channel::kM0:
            return {&MotorSettings::Moto0_LimtEable, &MotorSettings::Moto0DirPol,
                    &MotorSettings::Moto0LimtPol, &MotorSettings::Moto0LimtPolDown};
        case Channel::kM1:
            break;
    }
    return {&MotorSettings::Moto1_LimtEable, &MotorSettings::Moto1DirPol,
            &MotorSettings::Moto1LimtPol, &MotorSettings::Moto1LimtPolLeft};
}

constexpr Channel kAllChannels[] = {Channel::kX,  Channel::kY0, Channel::kY1,
                                    Channel::kZ0, Channel::kM0, Channel::kM1};

std::uint8_t Bit(int bit, bool on) {
    return bit == kNoBit || !on ? 0 : static_cast<std::uint8_t>(1u << bit);
}

bool Has(std::uint8_t byte, int bit) { return bit != kNoBit && (byte >> bit) & 1u; }

}  // namespace

ChannelSettings SettingsOf(const MotorSettings& settings, Channel channel) {
    const ChannelMembers m = MembersOf(channel);
    return {settings.*m.limitEnable != 0, settings.*m.dirPolarity != 0,
            settings.*m.limitPolarity != 0, settings.*m.limitPolarity2 != 0};
}

std::uint8_t SettingBits(const ControlBits& bits, const ChannelSettings& settings) {
    return static_cast<std::uint8_t>(Bit(bits.limitEnable, settings.limitEnable) |
                                     Bit(bits.dirPolarity, settings.dirPolarity) |
                                     Bit(bits.limitPolarity, settings.limitPolarity) |
                                     Bit(bits.limitPolarity2, settings.limitPolarity2));
}

std::uint8_t ControlByte(const ControlBits& bits, const ChannelSettings& settings, bool end) {
    return static_cast<std::uint8_t>(SettingBits(bits, settings) | Bit(bits.direction, end));
}

void SetSettingsFrom(MotorSettings& settings, Channel channel, const ControlBits& bits,
                     std::uint8_t byte) {
    const ChannelMembers m = MembersOf(channel);
    if (Has(byte, bits.limitEnable)) settings.*m.limitEnable = 1;
    if (Has(byte, bits.dirPolarity)) settings.*m.dirPolarity = 1;
    if (Has(byte, bits.limitPolarity)) settings.*m.limitPolarity = 1;
    if (Has(byte, bits.limitPolarity2)) settings.*m.limitPolarity2 = 1;
}

void ClearChannelSettings(MotorSettings& settings) {
    for (Channel channel : kAllChannels) {
        const ChannelMembers m = MembersOf(channel);
        settings.*m.limitEnable = 0;
        settings.*m.dirPolarity = 0;
        settings.*m.limitPolarity = 0;
        settings.*m.limitPolarity2 = 0;
    }
    settings.ZMoto1_LimtEable = 0;
    settings.Z1DirPol = 0;
    settings.Z1LimtPol = 0;
}

void ApplyPageSettings(const MotorSettings& page, MotorSettings& target) {
    for (Channel channel : kAllChannels) {
        const ChannelMembers m = MembersOf(channel);
        target.*m.limitEnable = page.*m.limitEnable;
        target.*m.dirPolarity = page.*m.dirPolarity;
        target.*m.limitPolarity = page.*m.limitPolarity;
        target.*m.limitPolarity2 = page.*m.limitPolarity2;
    }
    target.ZMoto1_LimtEable = page.ZMoto1_LimtEable;
    target.Z1DirPol = page.Z1DirPol;
    target.Z1LimtPol = page.Z1LimtPol;
    target.Z0Board = page.Z0Board;
    target.Z0Gear = page.Z0Gear;
}

std::uint32_t ChannelFieldValue(const MotorSettings& settings, Channel channel,
                                ChannelField field) {
    const ChannelMembers m = MembersOf(channel);
    switch (field) {
        case ChannelField::kLimitEnable:
            return settings.*m.limitEnable;
        case ChannelField::kDirPolarity:
            return settings.*m.dirPolarity;
        case ChannelField::kLimitPolarity:
            return settings.*m.limitPolarity;
        case ChannelField::kLimitPolarity2:
            break;
    }
    return settings.*m.limitPolarity2;
}

void SetChannelField(MotorSettings& settings, Channel channel, ChannelField field,
                     std::uint32_t value) {
    const ChannelMembers m = MembersOf(channel);
    const auto byte = static_cast<std::uint8_t>(value);
    switch (field) {
        case ChannelField::kLimitEnable:
            settings.*m.limitEnable = value;
            return;
        case ChannelField::kDirPolarity:
            settings.*m.dirPolarity = byte;
            return;
        case ChannelField::kLimitPolarity:
            settings.*m.limitPolarity = byte;
            return;
        case ChannelField::kLimitPolarity2:
            settings.*m.limitPolarity2 = byte;
            return;
    }
}

}  // namespace velmor::motion
