#pragma once
// One motion step: the motors that move together and their per-motor values.
// Motor index: 0 X, 1 Y, 2 Z, 3 M0, 4 M1.

#include <array>
#include <cstdint>
#include <string>

namespace velmor::controller {

inline constexpr int kMotorSlots = 5;

struct MotorListInfo {
    std::uint8_t nMotorNums = 0;  // motor rows of the step; 0 = ignored
    std::uint8_t motorIndex = 0;  // bit set: 0 X, 1 Y, 2 Z, 3 M0, 4 M1
    std::array<std::int32_t, kMotorSlots> MotonTabLen{};       // acceleration steps
    std::array<std::int32_t, kMotorSlots> MotonnMaxSpeed{};    // top speed
    std::array<std::int32_t, kMotorSlots> MotonnnMoveLenth{};  // distance in pulses
    std::int32_t MotonnFrequency = 0;  // X DC motor PWM frequency; >= 1 marks the DC motor
    std::array<std::string, kMotorSlots> MotonnnstrDir{"Orignal", "Orignal", "Orignal", "Orignal",
                                                       "Orignal"};
    std::string strLedIndx = "9";

    friend bool operator==(const MotorListInfo&, const MotorListInfo&) = default;
};

}  // namespace velmor::controller
