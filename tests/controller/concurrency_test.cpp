// Status polling on one thread while another writes and reads register blocks:
// the exchange lock keeps every read command together with its answer.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/sim_rig.h"

namespace velmor::controller {
namespace {

using testing::SimRig;

void RunStatusAgainstBlocks(SimRig& rig) {
    constexpr std::uint16_t kStatusRegister = 0x4010;
    constexpr std::uint16_t kBlock = 0x6000;  // plain registers in the simulator
    constexpr int kRounds = 200;
    constexpr int kMinStatusReads = 200;
    rig.Controller().SetReg(kStatusRegister, 0x5A);

    std::atomic<bool> done{false};
    std::atomic<int> statusReads{0};
    std::atomic<int> statusFailures{0};
    std::atomic<int> statusCrossed{0};
    std::thread status([&] {
        // Like a status thread, only without its 100 ms pause.
        while (!done.load()) {
            std::uint8_t value = 0;
            if (!rig.op.ReadRegs(kStatusRegister, &value, 1))
                ++statusFailures;
            else if (value != 0x5A)
                ++statusCrossed;
            ++statusReads;
        }
    });

    // However the two threads are scheduled, each round starts only after the
    // status thread has read again, so the two really run beside each other and
    // the status thread cannot be starved out of the test.
    int blockFailures = 0;
    int blockCrossed = 0;
    int round = 0;
    for (int seen = 0; round < kRounds; ++round) {
        while (statusReads.load() <= seen) std::this_thread::yield();
        seen = statusReads.load();
        std::vector<std::uint8_t> pattern(256);
        for (int i = 0; i < 256; ++i)
            pattern[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 31 + round * 17);
        std::vector<std::uint8_t> back(256);
        if (!rig.op.WriteRegs(kBlock, pattern.data(), 256) ||
            !rig.op.ReadRegs(kBlock, back.data(), 256))
            ++blockFailures;
        else if (back != pattern)
            ++blockCrossed;
    }
    done = true;
    status.join();

    EXPECT_EQ(blockFailures, 0);
    EXPECT_EQ(blockCrossed, 0);
    EXPECT_EQ(statusFailures.load(), 0);
    EXPECT_EQ(statusCrossed.load(), 0);
    EXPECT_GE(statusReads.load(), kMinStatusReads);
    // Only the block thread wrote, and only whole blocks.
    EXPECT_EQ(rig.Controller().WriteLog().size(), static_cast<std::size_t>(round) * 256);
}

TEST(Concurrency, StatusReadsBesideBlockTransfersNeverCross) {
    SimRig rig;
    RunStatusAgainstBlocks(rig);
}

TEST(Concurrency, StatusReadsBesideBlockTransfersWithLateCompletions) {
    // Transfers complete from the driver's worker thread, as real ones do.
    sim::SimDeviceOptions options;
    options.asyncCompletion = true;
    SimRig rig(options);
    RunStatusAgainstBlocks(rig);
}

}  // namespace
}  // namespace velmor::controller
