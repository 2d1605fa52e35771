#pragma once
// The one wait of the suites that run threads: poll a condition until it holds.
// The deadline is a generous minute, so a busy machine slows a test down but does
// not fail it; no result depends on how fast the machine is.

#include <chrono>
#include <functional>
#include <thread>

namespace velmor::testing {

// Polls `condition` every millisecond, running `eachRound` first in every round
// (a view test lets queued refreshes arrive there); false only after a minute.
inline bool WaitUntil(const std::function<bool()>& condition,
                      const std::function<void()>& eachRound = {}) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (eachRound) eachRound();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace velmor::testing
