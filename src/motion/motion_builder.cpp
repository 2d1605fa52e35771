#include "motion/motion_builder.h"

#include <algorithm>
#include <array>
#include <string>

#include "controller/main_operation.h"
#include "motion/led_code.h"
#include "motion/step_divisor.h"

namespace velmor::motion {

namespace {

using controller::CMD_INFO;
using controller::MotorListInfo;

constexpr std::array<std::string_view, 4> kByteRanges = {"[7:0]", "[15:8]", "[23:16]", "[31:24]"};
constexpr std::uint8_t kDoneBit = 0x01;

std::uint8_t Mask(int bit) { return static_cast<std::uint8_t>(1u << bit); }
std::uint8_t Inverse(std::uint8_t mask) { return static_cast<std::uint8_t>(~mask); }

std::uint32_t Magnitude(std::int32_t value) {
    return value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
}

}  // namespace

std::string_view GroupName(int group) {
    return group == kMovementGroup ? kGroupMovement : kGroupMovetest;
}

MotionBuilder::MotionBuilder(std::vector<CMD_INFO>& out, const controller::MotorSettings& settings)
    : out_(out), settings_(settings), map_(MotionRegisters(settings.BoardType)) {}

void MotionBuilder::Append(int group, std::string_view name, std::string_view op,
                           std::uint16_t address, std::uint8_t data) {
    out_.push_back(
        CMD_INFO{std::string(GroupName(group)), std::string(name), std::string(op), address, data});
}

void MotionBuilder::AppendField(int group, const Field& field, int bytes, std::uint32_t value) {
    for (int k = 0; k < bytes; ++k) {
        Append(group,
               std::string(field.name) + std::string(kByteRanges[static_cast<std::size_t>(k)]),
               kOpRegWrite, static_cast<std::uint16_t>(field.address + k),
               static_cast<std::uint8_t>(value >> (8 * k)));
    }
}

void MotionBuilder::AddLed(int group, std::uint8_t ledCode) {
    if (ledCode == kNoLedCode) return;
    for (int i = 0; i < map_.ledCount; ++i) {
        const Register& led = map_.leds[static_cast<std::size_t>(i)];
        Append(group, led.name, kOpRegWrite, led.address, ledCode);
    }
}

void MotionBuilder::AddControl(int group, const MotorControl& control, Channel channel,
                               std::string_view direction) {
    const ChannelSettings settings = SettingsOf(settings_, channel);
    const Register& reg = control.reg;
    switch (control.style) {
        case ControlStyle::kRegWrite:
            Append(group, reg.name, kOpRegWrite, reg.address,
                   ControlByte(control.bits, settings, IsEnd(direction)));
            return;
        case ControlStyle::kDirectionBit: {
            const std::uint8_t bit = Mask(control.bits.direction);
            if (IsEnd(direction))
                Append(group, reg.name, kOpWriteOr, reg.address, bit);
            else
                Append(group, reg.name, kOpWriteAnd, reg.address, Inverse(bit));
            return;
        }
        case ControlStyle::kDirectionThenOr: {
            const std::uint8_t bit = Mask(control.bits.direction);
            if (direction == kDirectionOrigin)
                Append(group, control.directionName, kOpWriteAnd, reg.address, Inverse(bit));
            else if (IsEnd(direction))
                Append(group, control.directionName, kOpWriteOr, reg.address, bit);
            Append(group, reg.name, kOpWriteOr, reg.address, SettingBits(control.bits, settings));
            return;
        }
    }
}

void MotionBuilder::AddProgram(int group, const Generator& generator, const Field& table,
                               std::int32_t tableLength, std::int32_t moveLength,
                               std::uint32_t divisor, bool rate) {
    AppendField(group, table, 2, static_cast<std::uint32_t>(tableLength));
    AppendField(group, generator.length, 4, Magnitude(moveLength));
    if (rate) Append(group, generator.rate.name, kOpRegWrite, generator.rate.address, 0xFF);
    AppendField(group, generator.divisor, 4, divisor);
}

// The start pulse: start and stop bits cleared, start set, start cleared.
void MotionBuilder::AddStart(int group, const Register& reg, std::uint8_t startBits,
                             std::uint8_t stopBits) {
    Append(group, reg.name, kOpWriteAnd, reg.address,
           Inverse(static_cast<std::uint8_t>(startBits | stopBits)));
    Append(group, reg.name, kOpWriteOr, reg.address, startBits);
    Append(group, reg.name, kOpWriteAnd, reg.address, Inverse(startBits));
}

void MotionBuilder::AddEndMarker(int group, std::uint8_t ledCode) {
    if (ledCode == kLedCodeD)
        Append(group, map_.endMarker.name, kOpReInit, map_.endMarker.address, kEndMarkerData);
}

void MotionBuilder::AddX0Select(int group, bool isM0) {
    const Register& reg = map_.x0Select.reg;
    const std::uint8_t bit = Mask(map_.x0Select.bit);
    if (isM0)
        Append(group, reg.name, kOpWriteOr, reg.address, bit);
    else
        Append(group, reg.name, kOpWriteAnd, reg.address, Inverse(bit));
}

void MotionBuilder::AddZ1Select(int group, bool isM1) {
    const Register& reg = map_.z1Select.reg;
    const std::uint8_t bit = Mask(map_.z1Select.bit);
    if (isM1)
        Append(group, reg.name, kOpWriteOr, reg.address, bit);
    else
        Append(group, reg.name, kOpWriteAnd, reg.address, Inverse(bit));
}

void MotionBuilder::AddX0Motion(int group, std::int32_t tableLength, std::int32_t maxSpeed,
                                std::int32_t moveLength, std::string_view direction,
                                std::uint8_t ledCode, bool isX, std::int32_t frequency) {
    // Only the main board has the DC motor; M0 never takes that path.
    const bool dc = map_.mainBoard && isX && frequency >= 1;
    AddLed(group, ledCode);
    AddX0Select(group, !isX);
    if (isX && map_.mainBoard) {
        const std::uint8_t kind = Mask(map_.xDcBit);
        if (dc)
            Append(group, kXdcKindName, kOpWriteOr, map_.xKind.address, kind);
        else
            Append(group, kXStepperKindName, kOpWriteAnd, map_.xKind.address, Inverse(kind));
    }
    AddControl(group, isX ? map_.xControl : map_.m0Control, isX ? Channel::kX : Channel::kM0,
               direction);
    if (dc)
        AppendField(group, map_.xDcStepValue, 2,
                    static_cast<std::uint32_t>(XdcStepValue(settings_.Multiply)));

    const std::uint32_t divisor =
        dc ? XdcDivisor(frequency, maxSpeed) : StepDivisor(tableLength, maxSpeed);
    AddProgram(group, map_.x0, dc ? map_.xDcTable : map_.x0.table, tableLength, moveLength, divisor,
               !dc);
    AddStart(group, map_.x0.trigger, Mask(map_.x0.startBit), Mask(map_.x0.stopBit));
    AddEndMarker(group, ledCode);
}

void MotionBuilder::AddYMotion(int group, std::int32_t tableLength, std::int32_t maxSpeed,
                               std::int32_t moveLength, std::string_view direction,
                               std::uint8_t ledCode) {
    const std::array<bool, 2> selected = {settings_.Y0Selected != 0, settings_.Y1Selected != 0};
    const std::uint32_t divisor = StepDivisor(tableLength, maxSpeed);
    AddLed(group, ledCode);
    for (std::size_t i = 0; i < 2; ++i) {
        if (!selected[i]) continue;
        AddControl(group, map_.yControl[i], i == 0 ? Channel::kY0 : Channel::kY1, direction);
        AddProgram(group, map_.y[i], map_.y[i].table, tableLength, moveLength, divisor, false);
    }

    if (map_.mainBoard) {
        // Both feed generators start through one register, together.
        std::uint8_t start = 0;
        std::uint8_t stop = 0;
        for (std::size_t i = 0; i < 2; ++i) {
            if (!selected[i]) continue;
            start = static_cast<std::uint8_t>(start | Mask(map_.y[i].startBit));
            stop = static_cast<std::uint8_t>(stop | Mask(map_.y[i].stopBit));
        }
        if (start != 0) AddStart(group, map_.y[0].trigger, start, stop);
        return;
    }
    // Fiber boards: each generator has its own register; both are always pulsed,
    // step by step side by side.
    const auto& y0 = map_.y[0];
    const auto& y1 = map_.y[1];
    for (const Generator* g : {&y0, &y1})
        Append(group, g->trigger.name, kOpWriteAnd, g->trigger.address,
               Inverse(static_cast<std::uint8_t>(Mask(g->startBit) | Mask(g->stopBit))));
    for (const Generator* g : {&y0, &y1})
        Append(group, g->trigger.name, kOpWriteOr, g->trigger.address, Mask(g->startBit));
    for (const Generator* g : {&y0, &y1})
        Append(group, g->trigger.name, kOpWriteAnd, g->trigger.address, Inverse(Mask(g->startBit)));
}

void MotionBuilder::AddZ1Motion(int group, std::int32_t tableLength, std::int32_t maxSpeed,
                                std::int32_t moveLength, std::string_view direction,
                                std::uint8_t ledCode, bool isZ) {
    const bool headBoard = settings_.Z0Board == 1;
    const Generator& generator = map_.Z1(headBoard);
    AddLed(group, ledCode);
    AddZ1Select(group, !isZ);
    AddControl(group, isZ ? map_.ZControl(headBoard) : map_.m1Control,
               isZ ? Channel::kZ0 : Channel::kM1, direction);
    AddProgram(group, generator, generator.table, tableLength, moveLength,
               StepDivisor(tableLength, maxSpeed), false);
    AddStart(group, generator.trigger, Mask(generator.startBit), Mask(generator.stopBit));
}

void MotionBuilder::AddWaits(int group, const MotorListInfo& step) {
    const auto wait = [&](const Register& status) {
        Append(group, status.name, kOpReadAnd, status.address, kDoneBit);
    };
    if (step.motorIndex & (0x01 | 0x08)) wait(map_.x0.status);
    if (step.motorIndex & 0x02) {
        if (settings_.Y0Selected != 0) wait(map_.y[0].status);
        if (settings_.Y1Selected != 0) wait(map_.y[1].status);
    }
    if (step.motorIndex & (0x04 | 0x10)) wait(map_.Z1(settings_.Z0Board == 1).status);
}

void MotionBuilder::AddGear(int group) {
    for (int k = 0; k < 4; ++k)
        Append(group, map_.gear.name, kOpRegWrite,
               static_cast<std::uint16_t>(map_.gear.address + k),
               static_cast<std::uint8_t>(settings_.Z0Gear >> (8 * k)));
}

void MotionBuilder::AddStep(int group, const MotorListInfo& step, bool gear) {
    bool ledUsed = false;
    const auto ledFor = [&]() -> std::uint8_t {
        if (ledUsed || step.strLedIndx == "none") return kNoLedCode;
        ledUsed = true;
        return LedCodeFromText(step.strLedIndx);
    };
    const auto& a = step.MotonTabLen;
    const auto& s = step.MotonnMaxSpeed;
    const auto& d = step.MotonnnMoveLenth;
    const auto& dir = step.MotonnnstrDir;
    if (step.motorIndex & 0x01)
        AddX0Motion(group, a[0], s[0], d[0], dir[0], ledFor(), true, step.MotonnFrequency);
    if (step.motorIndex & 0x02) AddYMotion(group, a[1], s[1], d[1], dir[1], ledFor());
    if (step.motorIndex & 0x04) AddZ1Motion(group, a[2], s[2], d[2], dir[2], ledFor(), true);
    if (step.motorIndex & 0x08)
        AddX0Motion(group, a[3], s[3], d[3], dir[3], ledFor(), false, kM0Frequency);
    if (step.motorIndex & 0x10) AddZ1Motion(group, a[4], s[4], d[4], dir[4], ledFor(), false);
    AddWaits(group, step);
    if (gear) AddGear(group);
}

void BuildInitMotion(std::vector<CMD_INFO>& cmdList, const std::vector<MotorListInfo>& motionList,
                     const std::vector<MotorListInfo>& testMotionList,
                     const controller::MotorSettings& settings) {
    std::erase_if(cmdList, [](const CMD_INFO& c) {
        return c.KeyName == kGroupMovement || c.KeyName == kGroupMovetest;
    });
    MotionBuilder builder(cmdList, settings);
    for (const MotorListInfo& step : motionList) builder.AddStep(kMovementGroup, step, true);
    for (const MotorListInfo& step : testMotionList) builder.AddStep(kMovetestGroup, step, false);
}

void BuildInitMotion(controller::CMainOperation& op) {
    controller::MotorSettings settings = op.motorSettings;
    settings.BoardType = op.BoardType();
    BuildInitMotion(op.cmdList, op.motionList, op.testMotionList, settings);
}

}  // namespace velmor::motion
