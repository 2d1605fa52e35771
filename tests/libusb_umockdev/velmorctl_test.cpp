// velmorctl without --simulate over the libusb backend, against a controller
// emulated under umockdev: it lists it, and reads its registers.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/ctl_commands.h"
#include "support/ctl_run.h"
#include "support/temp_dir.h"
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

// The libusb backend records as the simulator does: the recording replays the read,
// with the emulated controller gone.
TEST(VelmorctlOverLibusb, ARecordedReadReplaysWithoutTheController) {
    testing::TempDir dir;
    const std::string recording = dir.File("read.jsonl");
    CtlRun recorded;
    {
        testing::UsbfsMock mock;
        mock.AddDevice();
        mock.Device(0).Controller().SetReg(0x4011, 0xA5);
        recorded = Ctl({"--json", "--record", recording, "read", "4010", "4"});
        ASSERT_EQ(recorded.code, kExitOk) << recorded.err;
    }
    const CtlRun replayed = Ctl({"--json", "--replay", recording, "read", "4010", "4"});
    EXPECT_EQ(replayed.code, kExitOk) << replayed.err;
    EXPECT_EQ(replayed.out, recorded.out);
    EXPECT_EQ(replayed.Json()["values"][1], 0xA5);
}

}  // namespace
}  // namespace velmor::cli
