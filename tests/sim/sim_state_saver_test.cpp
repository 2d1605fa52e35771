// The saver's flush against a save already under way on the saver's thread.

#include "drivers/sim/sim_state_saver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

#include "support/temp_dir.h"

namespace velmor::sim {
namespace {

using namespace std::chrono_literals;

TEST(SimStateSaverTest, FlushWaitsForTheSaveUnderWayAndReportsItsFailure) {
    velmor::testing::TempDir dir;
    std::mutex mutex;
    std::condition_variable cv;
    bool inSnapshot = false;
    bool release = false;
    int snapshots = 0;
    // The folder does not exist, so every save fails. The first snapshot (taken
    // by the saver's thread) waits until the test lets it go.
    SimStateSaver saver(
        dir.File("missing/velmor-sim.state"),
        [&] {
            std::unique_lock lock(mutex);
            if (++snapshots == 1) {
                inSnapshot = true;
                cv.notify_all();
                cv.wait(lock, [&] { return release; });
            }
            return SimState{};
        },
        0ms);
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
