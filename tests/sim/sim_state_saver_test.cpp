// The save thread shared by a driver's controllers, and a saver's flush against a
// save already under way on it.

#include "drivers/sim/sim_state_saver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

#include "support/temp_dir.h"

namespace velmor::sim {
namespace {

using namespace std::chrono_literals;

TEST(SimSaveThreadTest, KeepsOneSavePerClientAndDropsACancelledOne) {
    std::promise<void> busy, release, ran;
    std::atomic<int> dropped{0};
    const int a = 0, b = 0, c = 0;
    {
        SimSaveThread thread;
        const auto now = SimSaveThread::Clock::now();
        // While c's save holds the thread, a and b ask for theirs, due at once.
        thread.Schedule(&c, now, [&] {
            busy.set_value();
            release.get_future().wait();
        });
        ASSERT_EQ(busy.get_future().wait_for(5s), std::future_status::ready);
        thread.Schedule(&a, now, [&] { ++dropped; });
        thread.Schedule(&a, now, [&] { ran.set_value(); });  // replaces a's first
        thread.Schedule(&b, now, [&] { ++dropped; });
        thread.Cancel(&b);
        release.set_value();
        ASSERT_EQ(ran.get_future().wait_for(5s), std::future_status::ready);
    }
    EXPECT_EQ(dropped, 0);
}

TEST(SimStateSaverTest, FlushWaitsForTheSaveUnderWayAndReportsItsFailure) {
    velmor::testing::TempDir dir;
    std::mutex mutex;
    std::condition_variable cv;
    bool inSnapshot = false;
    bool release = false;
    int snapshots = 0;
    // The folder does not exist, so every save fails. The first snapshot (taken
    // by the save thread) waits until the test lets it go.
    SimSaveThread thread;
    SimStateSaver saver(
        dir.File("missing/velmor-sim.state"),
        [&] {
            std::unique_lock lock(mutex);
            if (++snapshots == 1) {
                inSnapshot = true;
                cv.notify_all();
                cv.wait(lock, [&] { return release; });
            }
            return SimStateFile::Encode(SimState{});
        },
        thread, 0ms);
    saver.MarkDirty();
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, 5s, [&] { return inSnapshot; }));
    }

    auto flushed = std::async(std::launch::async, [&] { return saver.Flush(); });
    EXPECT_EQ(flushed.wait_for(50ms), std::future_status::timeout)
        << "a flush answered before the save under way had finished";
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    cv.notify_all();
    EXPECT_FALSE(flushed.get());
}

}  // namespace
}  // namespace velmor::sim
