#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "usb/usb_link.h"

namespace velmor::shell {
namespace {

TEST_F(MainWindowTest, InitialAttemptOpensTheDeviceAndTheFirstTickShowsConnected) {
    driver.AddDevice();
    Open();
    EXPECT_TRUE(window->Attached());
    EXPECT_EQ(window->DeviceIndex(), 0);
    EXPECT_EQ(operation.deviceOpened, 1);
    ASSERT_EQ(window->deviceName.items.size(), 1u);
    EXPECT_EQ(window->deviceName.items[0], sim::SimDeviceOptions{}.deviceName);
    EXPECT_EQ(window->deviceName.selected, 0);
    // The status line follows the check, not the attempt.
    EXPECT_EQ(window->statusLine.text, "连接断开...");
    EXPECT_EQ(operation.connected, 0u);
    EXPECT_EQ(timers.running, (std::map<int, int>{{1, 1000}}));

    Tick();
    EXPECT_EQ(window->statusLine.text, "已连接...");
    EXPECT_EQ(operation.connected, 1u);
    Tick();  // attached and present: stays connected without another attempt
    EXPECT_EQ(operation.connected, 1u);
    EXPECT_EQ(window->deviceName.items.size(), 1u);
}

TEST_F(MainWindowTest, UnplugWithinOneTickDisconnectsAndReplugReconnects) {
    sim::SimDevice& device = driver.AddDevice();
    Open();
    Tick();
    operation.firstConnection = 1;
    device.Unplug();
    Tick();
    EXPECT_EQ(window->statusLine.text, "连接断开...");
    EXPECT_EQ(operation.connected, 0u);
    EXPECT_EQ(operation.deviceOpened, 0);
    EXPECT_EQ(operation.firstConnection, 0u);
    EXPECT_FALSE(window->Attached());
    EXPECT_TRUE(window->deviceName.items.empty());

    Tick();  // still gone: stays disconnected, retrying
    EXPECT_EQ(operation.connected, 0u);

    device.Replug();
    Tick();
    EXPECT_EQ(window->statusLine.text, "已连接...");
    EXPECT_EQ(operation.connected, 1u);
    EXPECT_EQ(operation.deviceOpened, 1);
    EXPECT_TRUE(window->Attached());
    // The reconnected device answers register reads again.
    device.Controller().SetReg(0x4010, 0xA5);
    std::uint8_t value = 0;
    EXPECT_TRUE(operation.ReadRegs(0x4010, &value, 1));
    EXPECT_EQ(value, 0xA5);
}

TEST_F(MainWindowTest, EnglishStatusTexts) {
    sim::SimDevice& device = driver.AddDevice();
    Open("eng");
    EXPECT_EQ(window->statusLine.text, "Disconnect...");
    Tick();
    EXPECT_EQ(window->statusLine.text, "Connected...");
    device.Unplug();
    Tick();
    EXPECT_EQ(window->statusLine.text, "Disconnect...");
}

TEST_F(MainWindowTest, DevicesWithTwoInterfacesOrAnAlternateSettingAreSkipped) {
    struct Case {
        const char* name;
        std::vector<sim::SimDeviceOptions> devices;
        int accepted;  // -1: none
    };
    sim::SimDeviceOptions good;
    good.deviceName = "good";
    sim::SimDeviceOptions twoInterfaces;
    twoInterfaces.interfaceCount = 2;
    twoInterfaces.deviceName = "two";
    sim::SimDeviceOptions alternate;
    alternate.altSetting = 1;
    alternate.deviceName = "alt";
    const Case cases[] = {
        {"TwoInterfacesFirst", {twoInterfaces, good}, 1},
        {"AlternateFirst", {alternate, good}, 1},
        {"BothBadThenGood", {twoInterfaces, alternate, good}, 2},
        {"OnlyBad", {twoInterfaces, alternate}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimDriver localDriver;
        controller::CMainOperation localOperation;
        localOperation.programFolder = home.Path().string() + "/";  // the pages keep files there
        for (const auto& options : c.devices) localDriver.AddDevice(options);
        CVelmorDlg dlg(localOperation, localDriver, dialogs);
        dlg.SetSleeper(sleeper);
        dlg.OnInitDialog();
        dlg.OnTimer(1);
        if (c.accepted < 0) {
            EXPECT_FALSE(dlg.Attached());
            EXPECT_EQ(localOperation.connected, 0u);
            EXPECT_EQ(dlg.statusLine.text, "连接断开...");
            EXPECT_TRUE(dlg.deviceName.items.empty());
        } else {
            EXPECT_TRUE(dlg.Attached());
            EXPECT_EQ(dlg.DeviceIndex(), c.accepted);
            EXPECT_EQ(dlg.deviceName.items, std::vector<std::string>{"good"});
            EXPECT_EQ(localOperation.connected, 1u);
        }
    }
}

TEST_F(MainWindowTest, ADeviceThatArrivesLaterIsFoundByTheNextTick) {
    Open();
    Tick();
    EXPECT_EQ(window->statusLine.text, "连接断开...");
    EXPECT_EQ(operation.connected, 0u);
    driver.AddDevice();
    Tick();
    EXPECT_EQ(window->statusLine.text, "已连接...");
    EXPECT_EQ(operation.connected, 1u);
    EXPECT_EQ(operation.deviceOpened, 1);
}

TEST_F(MainWindowTest, AnOpenDeviceIsClosedAndPausedForBeforeTheNextAttempt) {
    driver.AddDevice();
    Open();
    ASSERT_TRUE(window->Attached());
    EXPECT_EQ(sleeper.sleeps, 0);
    // The flag says open but the window no longer counts as attached (a page
    // reset it): the attempt closes the device first and waits 100 ms.
    operation.deviceOpened = 1;
    window->ConnectAttempt();  // attached: clears both and returns false
    EXPECT_FALSE(window->Attached());
    operation.deviceOpened = 1;
    EXPECT_TRUE(window->ConnectAttempt());
    EXPECT_EQ(sleeper.sleeps, 1);
    EXPECT_EQ(sleeper.lastMs, 100);
    EXPECT_TRUE(operation.Device()->IsOpen());
}

TEST_F(MainWindowTest, InitialisationClearsTheSaveDoneFlagAndHandsOverTheDevice) {
    operation.saveDone = 1;
    Open();
    EXPECT_EQ(operation.saveDone, 0u);
    EXPECT_NE(operation.Device(), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace velmor::shell
