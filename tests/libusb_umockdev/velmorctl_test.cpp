// velmorctl without --simulate over the libusb backend, against a controller
// emulated under umockdev: it lists it, and reads its registers.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/ctl_commands.h"
#include "support/ctl_run.h"
#include "support/usbfs_mock.h"

namespace velmor::cli {
namespace {

using testing::Ctl;
using testing::CtlRun;

TEST(VelmorctlOverLibusb, ListsAndReadsTheEmulatedController) {
    testing::UsbfsMock mock;  // before libusb starts: it enumerates once
    mock.AddDevice();
    mock.Device(0).Controller().SetReg(0x4010, 0x5A);
    const CtlRun list = Ctl({"--json", "list"});
    ASSERT_EQ(list.code, kExitOk) << list.err;
    ASSERT_EQ(list.Json()["devices"].size(), 1u);
    EXPECT_EQ(list.Json()["devices"][0]["name"], "VelmorTool USB3 Controller");

    const CtlRun read = Ctl({"--json", "read", "4010", "1"});
    ASSERT_EQ(read.code, kExitOk) << read.err;
    EXPECT_EQ(read.Json()["values"], nlohmann::json::array({0x5A}));
}

}  // namespace
}  // namespace velmor::cli
