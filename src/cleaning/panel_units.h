#pragma once
// Unit conversions of the panel packets. Results stay floating point, truncated
// toward zero where the packet rules truncate, so that a value which does not
// fit its packet field can be refused before any conversion to an integer
// type (out of range, that conversion is undefined).

#include <cstdint>

namespace velmor::cleaning {

inline constexpr double kMmPerInch = 25.4;

// Millimetres to encoder counts: trunc(resolution × mm / 25.4).
double MmToCounts(double mm, std::uint16_t resolution);

// Millimetres to motor pulses: trunc(MmToCounts(mm) × gear).
double MmToPulses(double mm, std::uint16_t resolution, double gear);

// The media feed value of `value`: yGear × value (not truncated here).
double FeedValue(double value, double yGear);

// A carriage position in pulses as the DC carriage takes it: pulses to counts
// (trunc(pulses / gear)), counts to whole millimetres (trunc(counts × 25.4 /
// resolution)), and back to counts. Not a number when gear or resolution is 0,
// so the caller refuses it instead of dividing by zero.
double DcCarriagePosition(double pulses, std::uint16_t resolution, double gear);

// The timing constant trunc(√acceleration × 50 000 000 × 65536 / speed / 255).
// Speed 0 gives 0. Low speeds give constants beyond 32 bits; they saturate at
// 0xFFFFFFFF, the slowest rate the field holds, rather than wrapping round to
// an arbitrary fast one.
std::uint32_t TimingConstant(std::uint16_t acceleration, std::uint32_t speed);

}  // namespace velmor::cleaning
