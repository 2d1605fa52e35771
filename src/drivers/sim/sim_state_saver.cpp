#include "drivers/sim/sim_state_saver.h"

#include <utility>

namespace velmor::sim {

SimStateSaver::SimStateSaver(std::string path, Snapshot snapshot, std::chrono::milliseconds delay)
    : path_(std::move(path)), snapshot_(std::move(snapshot)), delay_(delay) {
    thread_ = std::thread([this] { Run(); });
}

SimStateSaver::~SimStateSaver() {
    Stop();
    thread_.join();
    Flush();
}

void SimStateSaver::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
}

void SimStateSaver::MarkDirty() {
    {
        std::lock_guard lock(mutex_);
        if (dirty_) return;
        dirty_ = true;
    }
    cv_.notify_all();
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
        // Keep the change pending so the next save tries again.
        std::lock_guard lock(mutex_);
        dirty_ = true;
    }
    return saved;
}

void SimStateSaver::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        cv_.wait(lock, [this] { return dirty_ || stop_; });
        if (stop_) break;
        // Let a burst of changes settle before saving.
        cv_.wait_for(lock, delay_, [this] { return stop_; });
        if (stop_) break;
        lock.unlock();
        SaveNow();
        lock.lock();
    }
}

}  // namespace velmor::sim
