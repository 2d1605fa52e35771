#pragma once
// What a movement page hands to its motor tester: the state of its motor check
// boxes, input fields and settings controls at the moment, as plain values.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "controller/motor_settings.h"

namespace velmor::motion {

// The motors a test move programs, in the order it programs them.
enum class TestMotor { kXDc, kX, kY, kZ, kM0, kM1 };
inline constexpr std::size_t kTestMotorCount = 6;
inline constexpr std::array<TestMotor, kTestMotorCount> kTestMotorOrder = {
    TestMotor::kXDc, TestMotor::kX, TestMotor::kY, TestMotor::kZ, TestMotor::kM0, TestMotor::kM1};

// The edits of one stepper motor (page defaults).
struct MotorFields {
    std::int32_t accelSteps = 512;
    std::int32_t topSpeed = 4000;
    std::int32_t distance = 1000;
    std::string direction = "Orignal";
};

// The X DC motor's edits (page defaults).
struct XdcFields {
    std::int32_t frequency = 5000;
    std::int32_t startVoltage = 2000;
    std::int32_t endVoltage = 2500;
    std::int32_t distance = 5000;
    std::string direction = "Orignal";
    std::int32_t multiply = 2;  // "加速距离" in mm
};

struct TestMoveInputs {
    std::array<bool, kTestMotorCount> ticked{};  // indexed by TestMotor
    std::array<MotorFields, 5> motors{};         // X, Y, Z, M0, M1
    XdcFields xdc;
    bool y0Ticked = true;
    bool y1Ticked = false;
    std::string led = "0";
    // The controller object's settings with the page's settings controls applied
    // (a page leaves the settings it has no controls for as they are). A test
    // move copies the polarities, limit enables, Z board and Z gear into the
    // controller object; the status display reads the Z board from here.
    controller::MotorSettings settings;

    bool Ticked(TestMotor motor) const { return ticked[static_cast<std::size_t>(motor)]; }
    void Tick(TestMotor motor, bool on = true) { ticked[static_cast<std::size_t>(motor)] = on; }
    // Fields of slot 0 X, 1 Y, 2 Z, 3 M0, 4 M1.
    MotorFields& Fields(int slot) { return motors[static_cast<std::size_t>(slot)]; }
    const MotorFields& Fields(int slot) const { return motors[static_cast<std::size_t>(slot)]; }
};

}  // namespace velmor::motion
