// The simulated controller runs the start-up image the tool downloads: a board
// reset or a power-up after a download shows the configured registers.

#include <gtest/gtest.h>

#include "config/command_list_update.h"
#include "config/config_encoding.h"
#include "config/image_download.h"
#include "registers/flash_reg.h"
#include "support/sim_rig.h"

namespace velmor::config {
namespace {

using controller::CMD_INFO;

class StartImageReplayTest : public ::testing::Test {
  protected:
    void Download(const std::vector<CMD_INFO>& list, const std::vector<std::string>& order) {
        const ImageBuild build = BuildStartImage(list, order);
        ASSERT_TRUE(build.Ok());
        ASSERT_TRUE(download.Download(build.image, build.records).Success());
    }
    void ResetMainBoard() {
        for (std::uint8_t v : {0x00, 0x80, 0x00}) ASSERT_TRUE(rig.op.WriteRegs(0x4008, &v, 1));
    }
    std::uint8_t Reg(std::uint16_t address) { return rig.Controller().Reg(address); }

    testing::SimRig rig;
    registers::CFlashReg flash{rig.op};
    CImageDownload download{rig.op, flash};
};

TEST_F(StartImageReplayTest, ResetAfterDownloadShowsTheConfiguredRegisters) {
    rig.op.SetBoardType(controller::kFourFiberType);
    ConfigControls controls;
    controls.orignalAt = 1;
    controls.doubleYSel = 1;
    controls.secondColumn.inkPol = {1, 1, 0, 0, 0, 0, 0, 1};
    const PrtConfigParams params = Encode(controls, controller::BoardLayout::kFiber, {});
    rig.op.rebuildFlag = true;
    rig.op.cmdNames = {"InitDone"};  // as a loaded document always has
    UpdateCommandList(rig.op, params);
    Download(rig.op.cmdList, rig.op.cmdNames);

    EXPECT_EQ(Reg(0x4009), 0);  // nothing runs before the reset
    ResetMainBoard();
    EXPECT_TRUE(rig.Controller().LastStartImageReplay().valid);
    EXPECT_EQ(Reg(0x4009), 0x80);
    EXPECT_EQ(Reg(0x400A), 0x80 | 0x44);
    EXPECT_EQ(Reg(0x4209), 0x86);
    EXPECT_EQ(Reg(0x440A), 0xC1);  // head board 4 carries the secondary column
    EXPECT_EQ(Reg(0x4308), 0x80);
}

TEST_F(StartImageReplayTest, ReplayRules) {
    const std::vector<CMD_INFO> list = {
        {"A", "w", "RegWrite", 0x4020, 0xF0},    {"A", "and", "WriteAnd", 0x4020, 0x3C},
        {"A", "or", "WriteOR", 0x4020, 0x01},    {"A", "wait", "ReadAnd", 0x4021, 0x01},
        {"A", "mark", "ReInit", 0x4E00, 0x55},   {"A", "z", "RegWrite", 0x40D0, 0x11},
        {"A", "id", "RegWrite", 0x40F2, 0x00},   {"E", "end", "InitEnd", 0x4E00, 0x00},
        {"B", "after", "RegWrite", 0x4022, 0x99}};
    Download(list, {"A", "E", "B"});
    rig.Controller().SetReg(0x4023, 5);
    const std::uint8_t identity = Reg(0x40F2);
    const auto flashBefore = rig.Controller().ReadFlash(0, 16);

    rig.Controller().PowerUp();
    const sim::StartImageReplay replay = rig.Controller().LastStartImageReplay();
    EXPECT_TRUE(replay.valid);
    EXPECT_EQ(replay.records, 8);  // through the end record, not beyond
    EXPECT_EQ(replay.markers, 1);
    EXPECT_EQ(replay.waitsGivenUp, 1);
    EXPECT_EQ(Reg(0x4020), 0x31);  // 0xF0 & 0x3C | 0x01
    EXPECT_EQ(Reg(0x4022), 0x00);  // after the end marker
    EXPECT_EQ(Reg(0x4023), 0x00);  // cleared by the power-up
    EXPECT_EQ(Reg(0x40D0), 0x11);  // stored, but no flash command ran
    EXPECT_EQ(rig.Controller().ReadFlash(0, 16), flashBefore);
    EXPECT_EQ(Reg(0x40F2), identity);  // version blocks stay read-only
}

TEST_F(StartImageReplayTest, InvalidImagesRunNothing) {
    Download({{"A", "w", "RegWrite", 0x4020, 0x42}, {"E", "end", "InitEnd", 0x4E00, 0}},
             {"A", "E"});
    auto image = rig.Controller().ReadFlash(kImageFlashAddress, kImageSize);

    image[3] ^= 0x01;  // damaged: the CRC no longer matches
    rig.Controller().WriteFlash(kImageFlashAddress, image);
    rig.Controller().PowerUp();
    EXPECT_FALSE(rig.Controller().LastStartImageReplay().valid);
    EXPECT_EQ(Reg(0x4020), 0);

    // All zero: the tool accepts its stored CRC of 0, the firmware does not run it.
    rig.Controller().WriteFlash(kImageFlashAddress, std::vector<std::uint8_t>(kImageSize, 0));
    ResetMainBoard();
    EXPECT_FALSE(rig.Controller().LastStartImageReplay().valid);
}

}  // namespace
}  // namespace velmor::config
