#include <condition_variable>
#include <mutex>

#include "ui/sleeper.h"

namespace velmor::ui {

bool RealSleeper::SleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    // The predicate never holds: only the time-out or the stop request end the wait.
    wake.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace velmor::ui
