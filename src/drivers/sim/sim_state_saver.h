#pragma once
// Saves a simulated controller's state a short while after it changed, on the
// save thread its driver shares among its controllers, so a burst of writes (a
// flash download) costs one save. Flush() and the destructor save at once whatever
// is still unsaved, so a clean shutdown never loses a write.

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "drivers/sim/sim_save_thread.h"
#include "drivers/sim/sim_state_file.h"

namespace velmor::sim {

class SimStateSaver {
  public:
    // The state file's bytes for the controller as it is now.
    using Snapshot = std::function<std::vector<std::uint8_t>()>;

    // `thread` outlives the saver.
    SimStateSaver(std::string path, Snapshot snapshot, SimSaveThread& thread,
                  std::chrono::milliseconds delay = std::chrono::milliseconds(100));
    ~SimStateSaver();
    SimStateSaver(const SimStateSaver&) = delete;
    SimStateSaver& operator=(const SimStateSaver&) = delete;

    // Cheap; may be called with the controller's lock held (the snapshot is taken
    // later on the save thread, never under the saver's own lock).
    void MarkDirty();
    // Saves now if anything changed since the last save; false when a save failed.
    bool Flush();

  private:
    bool SaveNow();
    void ScheduleSaveLocked();  // mutex_ held

    std::string path_;
    Snapshot snapshot_;
    SimSaveThread& thread_;
    std::chrono::milliseconds delay_;
    std::mutex mutex_;
    std::mutex saveMutex_;  // one save at a time, in order
    bool dirty_ = false;
    bool closing_ = false;
};

}  // namespace velmor::sim
