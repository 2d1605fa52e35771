#include "ui/sleeper.h"

namespace velmor::ui {

Sleeper& DefaultSleeper() {
    static RealSleeper sleeper;
    return sleeper;
}

bool ScaledSleeper::SleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
    return DefaultSleeper().SleepFor(duration / divisor_, std::move(stop));
}

}  // namespace velmor::ui
