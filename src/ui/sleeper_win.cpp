#include <algorithm>
#include <thread>

#include "ui/sleeper.h"

namespace velmor::ui {

namespace {

// How late a stop request may be seen.
constexpr auto kStopCheck = std::chrono::milliseconds(2);

}  // namespace

// In short naps that look at the stop request between them. The stop-token wait of
// the mingw-w64 runtime's condition_variable_any now and then misses the request and
// never returns (seen as a hang of a stopped test move, once in a dozen runs); a
// sleep that looks for itself cannot miss it.
bool RealSleeper::SleepFor(std::chrono::milliseconds duration, std::stop_token stop) {
    const auto end = std::chrono::steady_clock::now() + duration;
    for (;;) {
        if (stop.stop_requested()) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(end - now, kStopCheck));
    }
}

}  // namespace velmor::ui
