// velmorctl without --simulate over the libusb backend, against a controller
// emulated under umockdev: it lists it, and reads its registers.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/ctl_commands.h"
#include "support/usbfs_mock.h"

namespace velmor::cli {
namespace {

int RunCommand(const std::vector<std::string>& args, std::string& out) {
    std::ostringstream text;
    std::ostringstream err;
    const int code = RunCtl(args, text, err);
    out = text.str();
    return code;
}

TEST(VelmorctlOverLibusb, ListsAndReadsTheEmulatedController) {
    testing::UsbfsMock mock;  // before libusb starts: it enumerates once
    mock.AddDevice();
    mock.Device(0).Controller().SetReg(0x4010, 0x5A);
    std::string out;
    ASSERT_EQ(RunCommand({"velmorctl", "--json", "list"}, out), kExitOk) << out;
    const nlohmann::json list = nlohmann::json::parse(out);
    ASSERT_EQ(list["devices"].size(), 1u);
    EXPECT_EQ(list["devices"][0]["name"], "VelmorTool USB3 Controller");

    ASSERT_EQ(RunCommand({"velmorctl", "--json", "read", "4010", "1"}, out), kExitOk) << out;
    EXPECT_EQ(nlohmann::json::parse(out)["values"], nlohmann::json::array({0x5A}));
}

}  // namespace
}  // namespace velmor::cli
