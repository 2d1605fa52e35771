#include "motion/step_divisor.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace velmor::motion {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kStepsPerInch = 720.0;

// sqrt(A) * rate * 65536 / x / 255, in this order, as the controller's firmware
// expects the rounding.
double DivisorFormula(std::int32_t accelSteps, double rate, double x) {
    return std::sqrt(static_cast<double>(accelSteps)) * rate * 65536.0 / x / 255.0;
}

}  // namespace

std::uint32_t StepDivisor(std::int32_t accelSteps, std::int32_t topSpeed, double rate) {
    if (topSpeed <= 0 || accelSteps < 0) return 0;
    const double d = std::trunc(DivisorFormula(accelSteps, rate, topSpeed));
    if (!(d >= 0.0)) return 0;
    if (d >= 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(d);
}

std::int32_t TopSpeedFromDivisor(std::int32_t accelSteps, std::uint32_t divisor) {
    if (divisor == 0 || accelSteps < 0) return 0;
    const double s = std::trunc(DivisorFormula(accelSteps, kListDivisorRate, divisor));
    if (!(s >= 0.0)) return 0;
    if (s >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(s);
}

std::int32_t XdcStepValue(std::int32_t multiplyMm) {
    // Only the low 16 bits are programmed; a distance too large for 32 bits is
    // held at the range's end instead of overflowing the conversion.
    const double v = std::trunc(multiplyMm * kStepsPerInch / kMmPerInch);
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v > kMax ? kMax : (v < kMin ? kMin : v));
}

std::int32_t MultiplyFromXdcStepValue(std::uint16_t steps) {
    return static_cast<std::int32_t>(std::trunc(steps * kMmPerInch / kStepsPerInch + 1.0));
}

std::uint32_t XdcDivisor(std::int32_t frequency, std::int32_t endVoltage) {
    return (static_cast<std::uint32_t>(frequency) << 16) |
           (static_cast<std::uint32_t>(endVoltage) & 0xFFFFu);
}

}  // namespace velmor::motion
