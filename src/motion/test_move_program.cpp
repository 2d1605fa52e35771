#include "motion/test_move_program.h"

#include "motion/motor_channel.h"
#include "motion/register_bits.h"
#include "motion/step_divisor.h"

namespace velmor::motion {

namespace {

using controller::MotorSettings;

constexpr int kSlotX = 0, kSlotY = 1, kSlotZ = 2, kSlotM0 = 3, kSlotM1 = 4;
constexpr std::uint32_t kTestRate = 0x00FF;

std::uint32_t Magnitude(std::int32_t value) {
    return value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
}

std::uint32_t TestDivisor(std::int32_t accelSteps, std::int32_t topSpeed) {
    return StepDivisor(accelSteps, topSpeed, kTestDivisorRate);
}

void SetIfBit(RegisterBits& bits, std::uint16_t address, int bit, bool on) {
    if (bit != kNoBit) bits.Update(address, bit, on);
}

// The control bits of one motor, one read-modify-write each.
void ProgramControl(RegisterBits& bits, const MotorControl& control, Channel channel,
                    const std::string& direction, const MotorSettings& settings,
                    bool directionOnly) {
    const ChannelSettings s = SettingsOf(settings, channel);
    const ControlBits& b = control.bits;
    const std::uint16_t address = control.reg.address;
    switch (control.style) {
        case ControlStyle::kRegWrite:
            SetIfBit(bits, address, b.direction, IsEnd(direction));
            if (directionOnly) return;
            SetIfBit(bits, address, b.limitEnable, s.limitEnable);
            SetIfBit(bits, address, b.dirPolarity, s.dirPolarity);
            SetIfBit(bits, address, b.limitPolarity, s.limitPolarity);
            SetIfBit(bits, address, b.limitPolarity2, s.limitPolarity2);
            return;
        case ControlStyle::kDirectionBit:
            SetIfBit(bits, address, b.direction, IsEnd(direction));
            return;
        case ControlStyle::kDirectionThenOr:
            // Only the two known texts move the direction bit; the setting bits
            // are OR-ed in, so only bits that are on are set.
            if (direction == kDirectionOrigin || IsEnd(direction))
                SetIfBit(bits, address, b.direction, IsEnd(direction));
            if (s.limitEnable) SetIfBit(bits, address, b.limitEnable, true);
            if (s.dirPolarity) SetIfBit(bits, address, b.dirPolarity, true);
            if (s.limitPolarity) SetIfBit(bits, address, b.limitPolarity, true);
            if (s.limitPolarity2) SetIfBit(bits, address, b.limitPolarity2, true);
            return;
    }
}

void ProgramX0(RegisterBits& bits, TestMotor motor, const TestMoveInputs& in,
               const MotorSettings& settings, const MotionRegisterMap& map) {
    const bool isX = motor != TestMotor::kM0;
    std::int32_t a = 0, s = 0, d = 0, frequency = 0;
    std::string direction;
    if (motor == TestMotor::kXDc) {
        a = in.xdc.startVoltage;
        s = in.xdc.endVoltage;
        d = in.xdc.distance;
        direction = in.xdc.direction;
        frequency = in.xdc.frequency;
    } else {
        const MotorFields& f = in.Fields(isX ? kSlotX : kSlotM0);
        a = f.accelSteps;
        s = f.topSpeed;
        d = f.distance;
        direction = f.direction;
    }
    const bool dc = map.mainBoard && motor == TestMotor::kXDc && frequency >= 1;

    bits.Update(map.x0Select.reg.address, map.x0Select.bit, !isX);
    if (isX && map.mainBoard) bits.Update(map.xKind.address, map.xDcBit, dc);
    ProgramControl(bits, isX ? map.xControl : map.m0Control, isX ? Channel::kX : Channel::kM0,
                   direction, settings, isX && !map.mainBoard);
    if (dc)
        bits.Write16(map.xDcStepValue.address,
                     static_cast<std::uint32_t>(XdcStepValue(in.xdc.multiply)));
    bits.Write16(dc ? map.xDcTable.address : map.x0.table.address, static_cast<std::uint32_t>(a));
    bits.Write32(map.x0.length.address, Magnitude(d));
    if (!dc) bits.Write8(map.x0.rate.address, 0xFF);
    bits.Write32(map.x0.divisor.address, dc ? XdcDivisor(frequency, s) : TestDivisor(a, s));
}

void ProgramY(RegisterBits& bits, const TestMoveInputs& in, const MotorSettings& settings,
              const MotionRegisterMap& map) {
    const MotorFields& f = in.Fields(kSlotY);
    const std::uint32_t divisor = TestDivisor(f.accelSteps, f.topSpeed);
    const bool selected[2] = {settings.Y0Selected != 0, settings.Y1Selected != 0};
    for (std::size_t i = 0; i < 2; ++i) {
        if (!selected[i]) continue;
        const Generator& g = map.y[i];
        ProgramControl(bits, map.yControl[i], i == 0 ? Channel::kY0 : Channel::kY1, f.direction,
                       settings, false);
        bits.Write16(g.table.address, static_cast<std::uint32_t>(f.accelSteps));
        bits.Write16(g.rate.address, kTestRate);
        bits.Write32(g.length.address, Magnitude(f.distance));
        bits.Write32(g.divisor.address, divisor);
    }
}

void ProgramZ1(RegisterBits& bits, TestMotor motor, const TestMoveInputs& in,
               const MotorSettings& settings, const MotionRegisterMap& map) {
    const bool isZ = motor == TestMotor::kZ;
    const bool headBoard = settings.Z0Board == 1;
    const MotorFields& f = in.Fields(isZ ? kSlotZ : kSlotM1);
    const Generator& g = map.Z1(headBoard);
    bits.Update(map.z1Select.reg.address, map.z1Select.bit, !isZ);
    ProgramControl(bits, isZ ? map.ZControl(headBoard) : map.m1Control,
                   isZ ? Channel::kZ0 : Channel::kM1, f.direction, settings, false);
    bits.Write16(g.table.address, static_cast<std::uint32_t>(f.accelSteps));
    bits.Write32(g.length.address, Magnitude(f.distance));
    bits.Write32(g.divisor.address, TestDivisor(f.accelSteps, f.topSpeed));
}

}  // namespace

std::vector<const Generator*> TestGenerators(TestMotor motor, const MotorSettings& settings) {
    const MotionRegisterMap& map = MotionRegisters(settings.BoardType);
    switch (motor) {
        case TestMotor::kXDc:
        case TestMotor::kX:
        case TestMotor::kM0:
            return {&map.x0};
        case TestMotor::kY: {
            std::vector<const Generator*> y;
            if (settings.Y0Selected != 0) y.push_back(&map.y[0]);
            if (settings.Y1Selected != 0) y.push_back(&map.y[1]);
            return y;
        }
        case TestMotor::kZ:
        case TestMotor::kM1:
            break;
    }
    return {&map.Z1(settings.Z0Board == 1)};
}

void ProgramTestMove(RegisterBits& bits, TestMotor motor, const TestMoveInputs& inputs,
                     const MotorSettings& settings) {
    const MotionRegisterMap& map = MotionRegisters(settings.BoardType);
    switch (motor) {
        case TestMotor::kXDc:
        case TestMotor::kX:
        case TestMotor::kM0:
            ProgramX0(bits, motor, inputs, settings, map);
            return;
        case TestMotor::kY:
            ProgramY(bits, inputs, settings, map);
            return;
        case TestMotor::kZ:
        case TestMotor::kM1:
            ProgramZ1(bits, motor, inputs, settings, map);
            return;
    }
}

}  // namespace velmor::motion
