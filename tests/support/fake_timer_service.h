#pragma once
// Time for model tests without waiting: a timer service that records what the
// model asked for (the test delivers ticks by calling the model's OnTimer), and a
// sleeper that never waits.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "ui/sleeper.h"
#include "ui/timer_service.h"

namespace velmor::testing {

class FakeTimerService : public ui::TimerService {
  public:
    void StartTimer(int id, int periodMs) override {
        running[id] = periodMs;
        starts.emplace_back(id, periodMs);
    }
    void StopTimer(int id) override {
        running.erase(id);
        stops.push_back(id);
    }
    bool Running(int id) const { return running.count(id) != 0; }

    std::map<int, int> running;               // id → period in ms
    std::vector<std::pair<int, int>> starts;  // (id, period) of every start, in order
    std::vector<int> stops;                   // id of every stop, in order
};

// A sleeper that never waits, counting how often it was asked to.
class NoWaitSleeper : public ui::Sleeper {
  public:
    bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        ++sleeps;
        lastMs = static_cast<int>(duration.count());
        return !stop.stop_requested();
    }
    int sleeps = 0;
    int lastMs = 0;
};

// A sleeper whose pauses never end on their own, only by the stop request: the
// thread that sleeps on it is surely still in its first pause when the test looks.
class EndlessSleeper : public ui::Sleeper {
  public:
    bool SleepFor(std::chrono::milliseconds /*duration*/, std::stop_token stop) override {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait(lock, stop, [] { return false; });
        return false;
    }
};

// A sleeper whose first pause lasts until the test calls Release (or, so that a
// faulty handler fails its test instead of hanging it, ten seconds): a worker
// sleeping on it is held for as long as the test wants. Later pauses end at once.
class HeldSleeper : public ui::Sleeper {
  public:
    bool SleepFor(std::chrono::milliseconds /*duration*/, std::stop_token /*stop*/) override {
        std::unique_lock lock(mutex_);
        if (!held_) return true;
        wake_.wait_for(lock, std::chrono::seconds(10), [this] { return released_; });
        held_ = false;
        ended_ = true;
        return true;
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        wake_.notify_all();
    }
    // Whether the held pause is over.
    bool Ended() {
        const std::lock_guard lock(mutex_);
        return ended_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool held_ = true;
    bool released_ = false;
    bool ended_ = false;
};

}  // namespace velmor::testing
