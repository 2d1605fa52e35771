#include "drivers/sim/sim_state_saver.h"

#include <utility>

namespace velmor::sim {

SimStateSaver::SimStateSaver(std::string path, Snapshot snapshot, SimSaveThread& thread,
                             std::chrono::milliseconds delay)
    : path_(std::move(path)), snapshot_(std::move(snapshot)), thread_(thread), delay_(delay) {}

SimStateSaver::~SimStateSaver() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;  // no save is asked of the thread from here on
    }
    thread_.Cancel(this);
    Flush();
}

void SimStateSaver::MarkDirty() {
    std::lock_guard lock(mutex_);
    if (dirty_) return;
    dirty_ = true;
    ScheduleSaveLocked();
}

void SimStateSaver::ScheduleSaveLocked() {
    if (closing_) return;
    thread_.Schedule(this, SimSaveThread::Clock::now() + delay_, [this] { SaveNow(); });
}

namespace {

// The state is replaced by a rename as any file, so it is never half written, but
// not flushed to the disk: a simulated controller's registers may be lost with the
// machine's power, and a line of many simulated controllers would otherwise wait on
// the disk once per controller per save.
class UnflushedFileOps : public files::FileOps {
  public:
    bool Sync(int) override { return true; }
    void SyncFolder(const std::string&) override {}
};

}  // namespace

bool SimStateSaver::Flush() { return SaveNow(); }

bool SimStateSaver::SaveNow() {
    // A save under way finishes before the state is looked at: a flush must not
    // report a change as kept while the save that holds it can still fail.
    std::lock_guard save(saveMutex_);
    {
        // Cleared before the snapshot: a change made while saving marks it dirty
        // again and is saved next time.
        std::lock_guard lock(mutex_);
        if (!dirty_) return true;
        dirty_ = false;
    }
    static UnflushedFileOps unflushed;
    const bool saved = SimStateFile::Save(path_, snapshot_(), unflushed);
    if (!saved) {
        // Keep the change pending and try again after the delay, for as long as it fails.
        std::lock_guard lock(mutex_);
        dirty_ = true;
        ScheduleSaveLocked();
    }
    return saved;
}

}  // namespace velmor::sim
