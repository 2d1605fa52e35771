#pragma once
// Waiting that can be cut short and replaced: the progress window's half-second
// ticks and the main window's pause after closing a device go through a Sleeper,
// so tests can run them without waiting in real time.

#include <chrono>
#include <stop_token>

namespace velmor::ui {

class Sleeper {
  public:
    virtual ~Sleeper() = default;
    // Waits `duration`, or less when `stop` is requested. Returns false when it
    // returned because of the stop request.
    virtual bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) = 0;
};

// Waits in real time; a stop request wakes it at once.
class RealSleeper final : public Sleeper {
  public:
    bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;
};

// A real-time sleeper shared by everyone that has not been given another one.
Sleeper& DefaultSleeper();

// Waits `duration` divided by `divisor` in real time (at least not at all):
// the same sequence of events as the real thing, only faster. For tests that let
// worker threads run against a ticking window.
class ScaledSleeper final : public Sleeper {
  public:
    explicit ScaledSleeper(int divisor) : divisor_(divisor > 0 ? divisor : 1) {}
    bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override;

  private:
    int divisor_;
};

}  // namespace velmor::ui
