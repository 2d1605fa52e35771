#pragma once
// The numbers the motion generators are programmed with: the step divisor of a
// stepper move and its inverse, the X DC motor's acceleration steps and divisor.
//
// The divisor is D = trunc(sqrt(A) * rate * 65536 / S / 255) for A acceleration
// steps and top speed S. A queued move uses rate 100000000, a test move
// 50000000. Values the 32-bit register cannot hold are kept sane: a top speed
// of 0 or below, a negative A or a result below 0 give 0 (instead of a division
// by zero or a wrapped negative value), and a result above 32 bits saturates at
// 0xFFFFFFFF (instead of wrapping into a much faster rate).

#include <cstdint>

namespace velmor::motion {

inline constexpr double kListDivisorRate = 100000000.0;
inline constexpr double kTestDivisorRate = 50000000.0;

std::uint32_t StepDivisor(std::int32_t accelSteps, std::int32_t topSpeed,
                          double rate = kListDivisorRate);

// The top speed a divisor stands for: trunc(sqrt(A) * 100000000 * 65536 / D / 255),
// D taken as unsigned. A divisor of 0 gives 0; a negative A gives 0; results
// beyond the 32-bit signed range saturate.
std::int32_t TopSpeedFromDivisor(std::int32_t accelSteps, std::uint32_t divisor);

// X DC motor: the acceleration distance in millimetres as 720-per-inch steps,
// trunc(mm * 720 / 25.4), of which the controller takes the low 16 bits.
std::int32_t XdcStepValue(std::int32_t multiplyMm);
// The inverse used by the read-back: trunc(V * 25.4 / 720 + 1). A V that is a
// whole number of millimetres comes back one higher (3600 steps, 127 mm, gives 128).
std::int32_t MultiplyFromXdcStepValue(std::uint16_t steps);

// X DC motor divisor: the PWM frequency in the upper, the low 16 bits of the
// end-speed voltage in the lower 16 bits.
std::uint32_t XdcDivisor(std::int32_t frequency, std::int32_t endVoltage);

}  // namespace velmor::motion
