// The one choice of driver both programs make: what each choice gives, and how a
// controller ID that is not one fails or falls back as the program asks.

#include "backend/driver_selection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "drivers/sim/sim_driver.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

namespace velmor::backend {
namespace {

// VELMOR_USB_MATCH of the environment stays out of the choice while a test runs.
class SelectDriverTest : public ::testing::Test {
  protected:
  private:
    testing::ScopedEnvironment noMatches_{"VELMOR_USB_MATCH", std::nullopt};
};

TEST_F(SelectDriverTest, TheSimulatedControllerIsOneDeviceWithItsStateFile) {
    testing::TempDir dir;
    DriverChoice choice;
    choice.simulate = true;
    choice.stateFile = dir.File("sim.state");
    const SelectedDriver selected = SelectDriver(choice);
    ASSERT_NE(selected.simulator, nullptr);
    EXPECT_EQ(static_cast<usb::UsbDriver*>(selected.simulator), selected.driver.get());
    EXPECT_EQ(selected.failure, DriverFailure::kNone);
    ASSERT_EQ(selected.simulator->DeviceCount(), 1u);
    EXPECT_EQ(selected.simulator->Device(0).Options().stateFile, choice.stateFile);
    // The simulator needs none of the texts and hooks of real devices.
    EXPECT_FALSE(selected.noDeviceText);
    EXPECT_FALSE(selected.openFailureText);
    EXPECT_FALSE(selected.setHotplugListener);
}

TEST_F(SelectDriverTest, ABadControllerIdFailsOrGivesWayToTheBuiltInIds) {
    DriverChoice choice;
    choice.matches = {"zz:1"};
    const SelectedDriver failed = SelectDriver(choice);
    EXPECT_EQ(failed.simulator, nullptr);
#if defined(VELMOR_HAVE_WIN_DRIVER)
    // The vendor driver is found by its interface class: there are no IDs to refuse.
    EXPECT_TRUE(failed.driver);
    EXPECT_EQ(failed.failure, DriverFailure::kNone);
    EXPECT_EQ(failed.backendName, "windows");
    EXPECT_TRUE(failed.noDeviceText && failed.openFailureText);
#elif defined(VELMOR_HAVE_LIBUSB)
    EXPECT_FALSE(failed.driver);
    const std::string refusal = "--match zz:1: not a device ID (expected VVVV:PPPP in hexadecimal)";
    EXPECT_EQ(failed.failure, DriverFailure::kBadIds);
    EXPECT_EQ(failed.error, refusal);

    choice.onBadIds = OnBadIds::kUseBuiltIn;
    const SelectedDriver fallen = SelectDriver(choice);
    EXPECT_EQ(fallen.refusedIds, refusal);
    // With the built-in IDs libusb starts, or says why it cannot on this machine.
    if (fallen.driver) {
        EXPECT_EQ(fallen.failure, DriverFailure::kNone);
        EXPECT_TRUE(fallen.noDeviceText && fallen.openFailureText && fallen.setHotplugListener);
    } else {
        EXPECT_EQ(fallen.failure, DriverFailure::kNotStarted);
        EXPECT_FALSE(fallen.error.empty());
    }
#else
    EXPECT_FALSE(failed.driver);
    EXPECT_EQ(failed.failure, DriverFailure::kNotBuilt);
    EXPECT_EQ(failed.error, "");
#endif
}

}  // namespace
}  // namespace velmor::backend
