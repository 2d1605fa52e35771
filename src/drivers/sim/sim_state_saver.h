#pragma once
// Saves a simulated controller's state a short while after it changed, on a
// thread of its own, so a burst of writes (a flash download) costs one save.
// Flush() and the destructor save at once whatever is still unsaved, so a clean
// shutdown never loses a write.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "drivers/sim/sim_state_file.h"

namespace velmor::sim {

class SimStateSaver {
  public:
    using Snapshot = std::function<SimState()>;

    SimStateSaver(std::string path, Snapshot snapshot,
                  std::chrono::milliseconds delay = std::chrono::milliseconds(100));
    ~SimStateSaver();
    SimStateSaver(const SimStateSaver&) = delete;
    SimStateSaver& operator=(const SimStateSaver&) = delete;

    // Cheap; may be called with the controller's lock held (the snapshot is taken
    // later on the saver's thread, never under the saver's own lock).
    void MarkDirty();
    // Saves now if anything changed since the last save; false when a save failed.
    bool Flush();
    // Tells the saver's thread to end without waiting for it, so that many savers
    // going at once end side by side; the destructor still saves what is unsaved.
    void Stop();

  private:
    void Run();
    bool SaveNow();

    std::string path_;
    Snapshot snapshot_;
    std::chrono::milliseconds delay_;
    std::mutex mutex_;
    std::mutex saveMutex_;  // one save at a time, in order
    std::condition_variable cv_;
    bool dirty_ = false;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace velmor::sim
