#include "drivers/sim/sim_save_thread.h"

#include <algorithm>
#include <utility>

namespace velmor::sim {

SimSaveThread::~SimSaveThread() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SimSaveThread::Schedule(const void* client, Clock::time_point due,
                             std::function<void()> save) {
    {
        std::lock_guard lock(mutex_);
        std::erase_if(pending_, [client](const Pending& p) { return p.client == client; });
        pending_.push_back({client, due, std::move(save)});
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    cv_.notify_all();
}

void SimSaveThread::Cancel(const void* client) {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return running_ != client; });
    // A save that ran meanwhile may have asked for another.
    std::erase_if(pending_, [client](const Pending& p) { return p.client == client; });
}

void SimSaveThread::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (pending_.empty()) {
            cv_.wait(lock);
            continue;
        }
        const auto first =
            std::min_element(pending_.begin(), pending_.end(),
                             [](const Pending& a, const Pending& b) { return a.due < b.due; });
        if (const Clock::time_point due = first->due; Clock::now() < due) {
            cv_.wait_until(lock, due);
            continue;  // something may have changed meanwhile
        }
        Pending due = std::move(*first);
        pending_.erase(first);
        running_ = due.client;
        lock.unlock();
        due.save();
        lock.lock();
        running_ = nullptr;
        cv_.notify_all();
    }
}

}  // namespace velmor::sim
