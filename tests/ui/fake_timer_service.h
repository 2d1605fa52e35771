#pragma once
// A timer service for model tests: remembers which timers run with which period;
// the test delivers ticks itself by calling the model's OnTimer.
// Include as "ui/fake_timer_service.h" from any test suite.

#include <map>

#include "ui/sleeper.h"
#include "ui/timer_service.h"

namespace velmor::ui {

class FakeTimerService : public TimerService {
  public:
    void StartTimer(int id, int periodMs) override {
        running[id] = periodMs;
        ++starts;
    }
    void StopTimer(int id) override {
        running.erase(id);
        ++stops;
    }
    bool Running(int id) const { return running.count(id) != 0; }

    std::map<int, int> running;  // id → period in ms
    int starts = 0;
    int stops = 0;
};

// A sleeper that never waits, counting how often it was asked to.
class NoWaitSleeper : public Sleeper {
  public:
    bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        ++sleeps;
        lastMs = static_cast<int>(duration.count());
        return !stop.stop_requested();
    }
    int sleeps = 0;
    int lastMs = 0;
};

}  // namespace velmor::ui
