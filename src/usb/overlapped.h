#pragma once
// Completion state of one overlapped I/O control request: an auto-reset event
// plus the request's outcome. The requester owns it; the driver completes it.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace velmor::usb {

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

enum class WaitResult { Signalled, TimedOut };

class Overlapped {
  public:
    Overlapped() = default;
    Overlapped(const Overlapped&) = delete;
    Overlapped& operator=(const Overlapped&) = delete;

    // Called by the driver, from any thread, exactly once per request.
    // Notifies with the lock held: a waiter that sees the request done may destroy
    // this object at once, so nothing here may touch it after the unlock.
    void Complete(std::uint32_t bytes, std::uint32_t error) {
        std::lock_guard lock(mutex_);
        done_ = true;
        signalled_ = true;
        bytes_ = bytes;
        error_ = error;
        cv_.notify_all();
    }

    // Waits for the event; an auto-reset event: a successful wait consumes the signal.
    WaitResult Wait(std::uint32_t timeoutMs) {
        std::unique_lock lock(mutex_);
        if (timeoutMs == kInfinite) {
            cv_.wait(lock, [this] { return signalled_; });
        } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [this] { return signalled_; })) {
            return WaitResult::TimedOut;
        }
        signalled_ = false;
        return WaitResult::Signalled;
    }

    // The outcome without waiting.
    bool Result(std::uint32_t& bytes, std::uint32_t& lastError) const {
        std::lock_guard lock(mutex_);
        if (!done_) {
            bytes = 0;
            lastError = 996;  // I/O incomplete
            return false;
        }
        bytes = bytes_;
        lastError = error_;
        return error_ == 0;
    }

    bool Done() const {
        std::lock_guard lock(mutex_);
        return done_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    bool signalled_ = false;
    std::uint32_t bytes_ = 0;
    std::uint32_t error_ = 0;
};

}  // namespace velmor::usb
