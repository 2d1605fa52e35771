// The download and the initialisation skip against the simulated controller and
// its control panel, end to end through the USB layer. Waits go through a
// recording sleeper, so nothing here depends on real time.

#include "cleaning/panel_download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaning/panel_packets.h"
#include "drivers/sim/sim_panel.h"
#include "support/sim_rig.h"
#include "ui/sleeper.h"

namespace velmor::cleaning {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RecordingSleeper : public ui::Sleeper {
  public:
    bool SleepFor(std::chrono::milliseconds duration, std::stop_token) override {
        waits.push_back(static_cast<int>(duration.count()));
        return true;
    }
    std::vector<int> waits;
};

// A DC station of model 2: all three packets.
const controller::CleanParams kStation{.uiCarleaveclear1 = 5000,
                                       .uiCarmoveblow1 = 8000,
                                       .byMachineType = 2,
                                       .nDcStartLevel = 3,
                                       .byMotorType = 1,
                                       .uiTimeConsuming = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};

class PanelDownloadTest : public ::testing::Test {
  protected:
    velmor::testing::SimRig rig;
    sim::SimPanel& panel = rig.Controller().Panel();
    RecordingSleeper sleeper;
    PanelDownload download{rig.op, sleeper};
};

TEST_F(PanelDownloadTest, SimulatedPanelHoldsTheThreePackets) {
    const PanelOutcome outcome = download.Download(kStation);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.message, "     下发面板参数成功!");
    EXPECT_EQ(outcome.caption, "VelmorTool");
    EXPECT_EQ(sleeper.waits, (std::vector<int>{20, 20, 20}));
    const PanelFrames expected = BuildPanelFrames(kStation, 720, controller::Language::kChinese);
    ASSERT_EQ(expected.frames.size(), 3u);
    EXPECT_EQ(panel.LastFrame(0x55), expected.frames[0]);
    EXPECT_EQ(panel.LastFrame(0x5A), expected.frames[1]);
    EXPECT_EQ(panel.LastFrame(0x4B), expected.frames[2]);
    ASSERT_EQ(outcome.packets.size(), 3u);
    EXPECT_TRUE(outcome.packets[2].delivered);

    rig.op.language = controller::Language::kEnglish;
    EXPECT_EQ(download.Download(kStation).message, "     Download Finish!");
}

TEST_F(PanelDownloadTest, ValidationComesBeforeTheConnectionCheck) {
    rig.op.connected = 0;
    rig.op.language = controller::Language::kEnglish;
    controller::CleanParams params = kStation;
    params.uiCarmoveblow1 = params.uiCarleaveclear1 + 100;
    EXPECT_EQ(download.Download(params).message,
              "The wiper pulse value cannot be greater than the wiper pulse value!");
    EXPECT_EQ(download.Download(kStation).message, "Disconnect from device.Please check!");
    rig.op.language = controller::Language::kChinese;
    const PanelOutcome outcome = download.Download(kStation);
    EXPECT_EQ(outcome.message, "与设备断开连接,请检查!");
    EXPECT_EQ(outcome.caption, "");
    EXPECT_TRUE(rig.Controller().VendorFrames().empty());
}

TEST_F(PanelDownloadTest, StopsAtTheFirstPacketThePanelDoesNotDeliver) {
    struct Case {
        sim::SimPanelFaults faults;
        std::size_t sent;
        Bytes kept;  // frame types the panel holds afterwards
        std::string message;
    };
    for (const Case& c :
         {Case{{.silentFrames = 1}, 1, {0x55}, "1Download Failed!!"},
          Case{{.wrongEchoFrames = 1, .onlyType = 0x5A}, 2, {0x55, 0x5A}, "1Download Failed!!"},
          Case{{.refusedFrames = 1, .onlyType = 0x4B}, 3, {0x55, 0x5A}, "2Download Failed!!"}}) {
        velmor::testing::SimRig fresh;
        fresh.op.language = controller::Language::kEnglish;
        sim::SimPanel& target = fresh.Controller().Panel();
        target.Faults() = c.faults;
        const PanelOutcome outcome = PanelDownload(fresh.op, sleeper).Download(kStation);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(outcome.packets.size(), c.sent) << c.message;
        for (std::uint8_t type : {0x55, 0x5A, 0x4B}) {
            const bool kept = std::find(c.kept.begin(), c.kept.end(), type) != c.kept.end();
            EXPECT_EQ(target.LastFrame(type).has_value(), kept) << c.message << " " << +type;
        }
    }
    // Without a device object the checked write raises; the download reports it.
    controller::CMainOperation noDevice;
    noDevice.connected = 1;
    const PanelOutcome outcome = PanelDownload(noDevice, sleeper).Download(kStation);
    EXPECT_EQ(outcome.message, "下发面板参数失败!");
    EXPECT_FALSE(outcome.packets.at(0).written);
}

TEST_F(PanelDownloadTest, InitSkipSucceedsAgainstTheSimulator) {
    rig.Controller().SetReg(kInitSkipFlagsReg, 0x03);
    rig.Controller().ClearWriteLog();
    const PanelOutcome outcome = download.InitSkip();
    EXPECT_EQ(outcome.message, "     初始化成功!");
    EXPECT_EQ(outcome.caption, "VelmorTool");
    EXPECT_EQ(sleeper.waits, (std::vector<int>{200, 50}));
    using Write = std::pair<std::uint16_t, std::uint8_t>;
    EXPECT_EQ(rig.WritesIn(0x4008, 0x4017),
              (std::vector<Write>{{0x4017, 0x8C}, {0x4008, 0x13}, {0x4017, 0x8C}, {0x4008, 0x13}}));
    const std::string text = "     Ready      ";
    Bytes display = {0x00, 0x00, 0x10};
    display.insert(display.end(), text.begin(), text.end());
    EXPECT_EQ(panel.LastPayload(0x80), display);
}

TEST_F(PanelDownloadTest, InitSkipFails) {
    struct Case {
        sim::SimPanelFaults panel;
        int spoiledReads;  // register reads of 0x4008 that come back with a wrong tag
    };
    for (const Case& c :
         {Case{{.silentFrames = 1}, 0}, Case{{.refusedFrames = 1}, 0}, Case{{}, 1}}) {
        velmor::testing::SimRig fresh;
        fresh.Controller().Panel().Faults() = c.panel;
        fresh.Faults().wrongTagAnswers = c.spoiledReads;
        fresh.Controller().ClearWriteLog();
        const PanelOutcome outcome = PanelDownload(fresh.op, sleeper).InitSkip();
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.message, "初始化失败!");
        // A flags register that was not read is never written back, and no frame follows.
        if (c.spoiledReads > 0) {
            EXPECT_TRUE(fresh.WritesIn(0x4008, 0x4008).empty());
        }
        EXPECT_EQ(outcome.packets.size(), c.spoiledReads > 0 ? 0u : 1u);
    }
    rig.op.language = controller::Language::kEnglish;
    panel.Faults().silentFrames = 1;
    EXPECT_EQ(download.InitSkip().message, "Init fail!");
}

// A well-formed answer may carry fewer than 16 bytes, or none. What it leaves out
// must not pass as an echo, even for a frame whose bytes 6..14 are all 0.
TEST(PanelExchange, AnswerWithoutTheEchoBytesIsNoDelivery) {
    const Frame zeros = MakeFrame(kGeneralType, Bytes(kGeneralPayload, 0));
    for (const Bytes& answer : {Bytes{0}, Bytes{3, 0x57, 0x4C, 0xA3}}) {
        velmor::testing::SimRig rig;
        constexpr std::uint8_t kControl = velmor::testing::ScriptedDriver::kControl;
        rig.driver.Moved(kControl, static_cast<std::uint32_t>(zeros.size()));
        rig.driver.Answer(kControl, answer);
        RecordingSleeper sleeper;
        const PacketReport report = PanelDownload(rig.op, sleeper).Exchange(zeros, 20);
        EXPECT_TRUE(report.answered);
        EXPECT_FALSE(report.delivered) << answer.size();
        EXPECT_NE(report.reply[kReplyStatusIndex], 0);  // nor does it read as status 0
    }
}

}  // namespace
}  // namespace velmor::cleaning
