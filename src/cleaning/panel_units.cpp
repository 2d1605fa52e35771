#include "cleaning/panel_units.h"

#include <cmath>
#include <limits>

namespace velmor::cleaning {

namespace {
constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double kTimingScale = 50000000.0 * 65536.0;
constexpr double kTimingDivisor = 255.0;
constexpr double kMaxU32 = 4294967295.0;
}  // namespace

double MmToCounts(double mm, std::uint16_t resolution) {
    return std::trunc(static_cast<double>(resolution) * mm / kMmPerInch);
}

double MmToPulses(double mm, std::uint16_t resolution, double gear) {
    return std::trunc(MmToCounts(mm, resolution) * gear);
}

double FeedValue(double value, double yGear) { return yGear * value; }

double DcCarriagePosition(double pulses, std::uint16_t resolution, double gear) {
    if (gear == 0.0 || resolution == 0) return kNotANumber;
    const double counts = std::trunc(pulses / gear);
    const double mm = std::trunc(counts * kMmPerInch / static_cast<double>(resolution));
    return MmToCounts(mm, resolution);
}

std::uint32_t TimingConstant(std::uint16_t acceleration, std::uint32_t speed) {
    if (speed == 0) return 0;
    const double value = std::trunc(std::sqrt(static_cast<double>(acceleration)) * kTimingScale /
                                    static_cast<double>(speed) / kTimingDivisor);
    if (value >= kMaxU32) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(value);
}

}  // namespace velmor::cleaning
