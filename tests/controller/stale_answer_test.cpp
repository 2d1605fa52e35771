// An answer that did not come in may still wait in the device: a later read of the same
// registers must not take it for its own, which would hand back values from before a write.

#include <gtest/gtest.h>

#include <array>

#include "controller/main_operation.h"
#include "support/sim_rig.h"

namespace velmor::controller {
namespace {

using velmor::testing::SimRig;

TEST(StaleAnswer, AReadAfterALostAnswerNeverReturnsTheOldValues) {
    SimRig rig;
    const std::array<std::uint8_t, 4> before{1, 2, 3, 4};
    const std::array<std::uint8_t, 4> after{9, 8, 7, 6};
    std::array<std::uint8_t, 4> out{};
    ASSERT_TRUE(rig.op.WriteRegs(0x6000, before.data(), 4));

    // The command goes out; all three tries of its answer fail, and the device keeps it.
    rig.driver.Fail(kBulkInAddress, 3);
    rig.driver.ClearTransfers();
    EXPECT_FALSE(rig.op.ReadRegs(0x6000, out.data(), 4));
    EXPECT_EQ(rig.driver.Transfers(kBulkInAddress).size(), 3u);

    ASSERT_TRUE(rig.op.WriteRegs(0x6000, after.data(), 4));
    out.fill(0);
    ASSERT_TRUE(rig.op.ReadRegs(0x6000, out.data(), 4));
    EXPECT_EQ(out, after);

    // The old answer was taken in once, before the new command; later reads are plain.
    rig.driver.ClearTransfers();
    ASSERT_TRUE(rig.op.ReadRegs(0x6000, out.data(), 4));
    EXPECT_EQ(rig.driver.Transfers(kBulkInAddress).size(), 1u);
    EXPECT_EQ(out, after);
}

TEST(StaleAnswer, ADeviceThatCannotBeAskedFailsTheReadWithoutACommand) {
    SimRig rig;
    std::array<std::uint8_t, 2> out{};
    rig.driver.Fail(kBulkInAddress, 3);
    EXPECT_FALSE(rig.op.ReadRegs(0x6000, out.data(), 2));  // answer lost

    rig.driver.Fail(kBulkInAddress, 3);  // the three tries to take it in fail as well
    rig.driver.ClearTransfers();
    EXPECT_FALSE(rig.op.ReadRegs(0x6000, out.data(), 2));
    EXPECT_TRUE(rig.driver.Transfers(kBulkOutAddress).empty()) << "a command was sent";

    EXPECT_TRUE(rig.op.ReadRegs(0x6000, out.data(), 2));  // the device answers again
}

}  // namespace
}  // namespace velmor::controller
