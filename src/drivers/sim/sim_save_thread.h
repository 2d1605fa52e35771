#pragma once
// One thread that saves the simulated controllers' states for all of them, each a
// short while after it changed: a line of many simulated controllers costs one
// thread, not one each. It is started on the first save asked for.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velmor::sim {

class SimSaveThread {
  public:
    using Clock = std::chrono::steady_clock;

    SimSaveThread() = default;
    ~SimSaveThread();  // every client has cancelled by now
    SimSaveThread(const SimSaveThread&) = delete;
    SimSaveThread& operator=(const SimSaveThread&) = delete;

    // Runs `save` on the thread once `due` has passed. A client has one save
    // pending at most: asking again before it ran replaces it.
    void Schedule(const void* client, Clock::time_point due, std::function<void()> save);
    // Drops the client's pending save and waits for one under way to end.
    void Cancel(const void* client);

  private:
    struct Pending {
        const void* client;
        Clock::time_point due;
        std::function<void()> save;
    };

    void Run();

    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Pending> pending_;  // few: one per simulated controller at most
    const void* running_ = nullptr;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace velmor::sim
