#include "registers/read_write_reg_dlg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "support/expected_dump.h"
#include "support/fake_timer_service.h"
#include "support/scripted_dialog_service.h"
#include "support/sim_rig.h"
#include "support/wait_until.h"

namespace velmor::registers {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Writes = std::vector<std::pair<std::uint16_t, std::uint8_t>>;

class ReadWriteRegDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        page.SetTimerService(&timers);
        page.OnInitDialog();
    }

    std::vector<std::uint8_t> Regs(std::uint16_t start, int count) {
        std::vector<std::uint8_t> values;
        for (int i = 0; i < count; ++i) {
            values.push_back(rig.Controller().Reg(static_cast<std::uint16_t>(start + i)));
        }
        return values;
    }

    // The report of a successful group read, from the simulator's registers.
    std::string GroupReport(const std::string& title, std::uint16_t start, int count) {
        return "\r\n" + title + "  ---Success\r\n" +
               testing::ExpectedDump(Regs(start, count), start, 4) + "\r\n";
    }

    void WaitForFlash() {
        ASSERT_TRUE(testing::WaitUntil([this] { return !page.FlashRunning(); }));
    }

    testing::SimRig rig;
    testing::FakeTimerService timers;
    testing::ScriptedDialogService dialogs;
    CReadWriteRegDlg page{{rig.op, dialogs}};
};

TEST_F(ReadWriteRegDlgTest, InitDialogFillsAndSelectsTheChoices) {
    EXPECT_EQ(page.headType.items.size(), 14u);
    EXPECT_EQ(page.headType.items.front(), "Dark");
    EXPECT_EQ(page.headType.items.back(), "T40W_2");
    EXPECT_EQ(page.frequency.items,
              (std::vector<std::string>{"32", "64", "96", "256", "512", "1K", "2K", "4K", "7K",
                                        "8K", "10K", "12K"}));
    EXPECT_EQ(page.pattern.items.size(), 5u);
    EXPECT_EQ(page.headBoard.SelectedText(), "喷车板1");
    for (const ui::ChoiceField* choice : {&page.headType, &page.frequency, &page.pattern}) {
        EXPECT_EQ(choice->selected, 0);
    }
}

TEST_F(ReadWriteRegDlgTest, WriteMainBoardRegisterThenDumpsTheGroup) {
    page.mbAddress.text = "4001";
    page.mbData.text = "5A";
    page.OnWriteMbReg();

    EXPECT_EQ(rig.Controller().Reg(0x4001), 0x5A);
    const std::string log = page.Log().Text();
    EXPECT_THAT(log, StartsWith("Write MB Reg:0x4001  0x5a  ---Success\r\n"
                                "\r\nMain Board Registers Group:  ---Success\r\n"
                                "[4000-400F]: "));
    EXPECT_EQ(log, "Write MB Reg:0x4001  0x5a  ---Success\r\n" +
                       GroupReport("Main Board Registers Group:", 0x4000, 256));
    // 16 dump lines, 0x4000..0x40FF.
    EXPECT_EQ(std::count(log.begin(), log.end(), '['), 16);
    EXPECT_THAT(log, HasSubstr("[40F0-40FF]: "));
}

TEST_F(ReadWriteRegDlgTest, WriteHeadBoardRegisterHasNoGroupRead) {
    page.hbAddress.text = "0x4203";
    page.hbData.text = "1C7";  // only the low byte is written
    page.OnWriteHbReg();
    EXPECT_EQ(rig.Controller().Reg(0x4203), 0xC7);
    EXPECT_EQ(page.Log().Text(), "Write HB Reg:0x4203  0xc7  ---Success\r\n");
}

TEST_F(ReadWriteRegDlgTest, WriteWithoutDeviceReportsFailure) {
    controller::CMainOperation detached;
    CReadWriteRegDlg lone({detached, dialogs});
    lone.mbAddress.text = "4001";
    lone.mbData.text = "5A";
    lone.OnWriteMbReg();
    EXPECT_EQ(
        lone.Log().Text(),
        "Write MB Reg:0x4001  0x5a  ---Failed\r\n\r\nMain Board Registers Group:  ---Failed\r\n");
}

TEST_F(ReadWriteRegDlgTest, ReadRangeReportsTheDumpOrFailure) {
    for (std::uint16_t i = 0; i < 20; ++i) {
        rig.Controller().SetReg(static_cast<std::uint16_t>(0x4310 + i),
                                static_cast<std::uint8_t>(i * 7));
    }
    page.readAddress.text = "4310";
    page.readCount.text = "20";
    page.OnReadRegs();
    EXPECT_EQ(page.Log().Text(), GroupReport("Main Board Registers Group:", 0x4310, 20));

    page.OnClearLog();
    EXPECT_EQ(page.Log().Text(), "");
    page.readCount.text = "0";
    page.OnReadRegs();
    EXPECT_EQ(page.Log().Text(), "\r\nMain Board Registers Group:  ---Failed\r\n");

    page.OnClearLog();
    page.readCount.text = "260";  // taken modulo 256
    page.OnReadRegs();
    EXPECT_EQ(page.Log().Text(), GroupReport("Main Board Registers Group:", 0x4310, 4));
}

TEST_F(ReadWriteRegDlgTest, HeadBoardChoiceSelectsTheGroups) {
    struct Case {
        std::string choice;
        std::vector<std::uint16_t> bases;
    };
    const Case cases[] = {
        {"喷车板1", {0x4100}},
        {"Headboard2", {0x4200}},
        {"喷车板3", {0x4300}},
        {"Headboard4", {0x4400}},
        {"所有喷车板", {0x4100, 0x4200, 0x4300, 0x4400}},
        {"HeadboardAll", {0x4100, 0x4200, 0x4300, 0x4400}},
        {"Headboard5", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        page.OnClearLog();
        page.headBoard.items = {c.choice};
        page.headBoard.selected = 0;
        page.OnReadHb();
        std::string expected;
        for (const std::uint16_t base : c.bases) {
            char title[64];
            std::snprintf(title, sizeof title, "Head Board Registers Group: HB%d addr:0x%x",
                          (base >> 8) - 0x40, base);
            expected += GroupReport(title, base, 256);
        }
        EXPECT_EQ(page.Log().Text(), expected);
    }
}

TEST_F(ReadWriteRegDlgTest, TestTimerWithComplementingControllerCountsOnlyPasses) {
    rig.Faults().complementReads = true;
    page.hbAddress.text = "4123";
    page.readAddress.text = "4123";
    page.readCount.text = "1";
    page.testPeriod.text = "50";
    page.OnToggleTest();
    ASSERT_EQ(timers.starts, (std::vector<std::pair<int, int>>{{2, 50}}));
    EXPECT_EQ(page.testButton.caption, "关读定时器");
    EXPECT_FALSE(page.readRegsButton.enabled);

    for (int tick = 0; tick < 257; ++tick) page.OnTimer(CReadWriteRegDlg::kTestTimerId);
    EXPECT_EQ(page.TestPasses(), 257);
    EXPECT_EQ(page.TestFailures(), 0);
    EXPECT_EQ(page.TestValue(), 1);  // 0..255, then 0 again
    EXPECT_EQ(rig.Controller().Reg(0x4123), 0x00);
    const std::string log = page.Log().Text();
    EXPECT_THAT(log,
                StartsWith("\r\nMain Board Registers Group:Write:0Read:FF---Success:1, Failed:0\r\n"
                           "[4123-4132]: FF \r\n"));
    EXPECT_THAT(log, HasSubstr("Write:FFRead:0---Success:256, Failed:0\r\n"));
    EXPECT_THAT(log, HasSubstr("Write:0Read:FF---Success:257, Failed:0\r\n"));

    // Ticks of other timers do not run the test.
    page.OnTimer(1);
    EXPECT_EQ(page.TestPasses(), 257);

    page.OnToggleTest();
    EXPECT_EQ(timers.stops, std::vector<int>{2});
    EXPECT_EQ(page.testButton.caption, "开读定时器");
    EXPECT_TRUE(page.readRegsButton.enabled);
    EXPECT_EQ(page.TestPasses(), 0);
    EXPECT_EQ(page.TestValue(), 0);
    page.OnTimer(CReadWriteRegDlg::kTestTimerId);
    EXPECT_EQ(page.TestPasses(), 0);
}

TEST_F(ReadWriteRegDlgTest, TestTimerCountsFailuresAndFailedReads) {
    // Without complementing, the register reads back what was written, and
    // 255 - v never equals v: every tick is a failure.
    page.hbAddress.text = "4124";
    page.readAddress.text = "4124";
    page.readCount.text = "1";
    page.testPeriod.text = "-20";
    page.OnToggleTest();
    EXPECT_EQ(timers.starts, (std::vector<std::pair<int, int>>{{2, 0}}));
    page.OnTimer(2);
    page.OnTimer(2);
    EXPECT_EQ(page.TestFailures(), 2);
    EXPECT_THAT(page.Log().Text(), HasSubstr("Write:1Read:1---Success:0, Failed:2\r\n"));

    page.OnClearLog();
    page.readCount.text = "0";
    page.OnTimer(2);
    EXPECT_EQ(page.Log().Text(), "\r\nMain Board Registers Group:  ---Failed\r\n");
    EXPECT_EQ(page.TestValue(), 3);
    EXPECT_EQ(rig.Controller().Reg(0x4124), 2);
}

TEST_F(ReadWriteRegDlgTest, ResetsPulseBit7AndKeepTheOtherBits) {
    struct Case {
        void (CReadWriteRegDlg::*handler)();
        std::vector<std::uint16_t> regs;
        std::string log;
    };
    const Case cases[] = {
        {&CReadWriteRegDlg::OnMbReset, {0x4008}, "Main Board Reset!\r\n"},
        {&CReadWriteRegDlg::OnHbReset, {0x4108}, "Head Board Reset!\r\n"},
        {&CReadWriteRegDlg::OnFirmwareReset,
         {0x4108, 0x4008},
         "Head Board Reset!\r\nMain Board Reset!\r\n"},
    };
    for (const std::uint8_t initial : {std::uint8_t{0x35}, std::uint8_t{0xB5}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.log);
            page.OnClearLog();
            Writes expected;
            for (const std::uint16_t reg : c.regs) {
                rig.Controller().SetReg(reg, initial);
                expected.insert(expected.end(), {{reg, 0x35}, {reg, 0xB5}, {reg, 0x35}});
            }
            rig.Controller().ClearWriteLog();
            (page.*c.handler)();
            Writes writes;
            for (const auto& write : rig.Controller().WriteLog()) {
                if (write.first == 0x4008 || write.first == 0x4108) writes.push_back(write);
            }
            EXPECT_EQ(writes, expected);
            EXPECT_EQ(page.Log().Text(), c.log);
        }
    }
}

TEST_F(ReadWriteRegDlgTest, LogicVersionsShowBytes2To15) {
    const std::uint8_t version[16] = {0xEE, 0xEE, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                                      0x07, 0x08, 0x09, 0xAB, 'V',  '1',  '.',  '2'};
    for (int i = 0; i < 16; ++i) {
        rig.Controller().SetReg(static_cast<std::uint16_t>(0x40F0 + i), version[i]);
        rig.Controller().SetReg(static_cast<std::uint16_t>(0x41F0 + i), version[i]);
    }
    rig.Controller().SetReg(0x41FE, 0);  // the text ends at the first NUL
    page.OnMbLogic();
    page.OnHbLogic();
    EXPECT_EQ(page.Log().Text(),
              "MB version:01.02 03.04.05.06 07.08.09.AB V1.2\r\n"
              "HB version:01.02 03.04.05.06 07.08.09.AB V1\r\n");
}

TEST_F(ReadWriteRegDlgTest, FirmwareVersionHasTheVersionShape) {
    page.OnFirmwareVersion();
    const std::regex shape(
        "FirmWare version:[0-9A-F]{2}\\.[0-9A-F]{2} ([0-9A-F]{2}\\.){3}[0-9A-F]{2} "
        "([0-9A-F]{2}\\.){3}[0-9A-F]{2} [^\\r\\n\\0]{0,4}\r\n");
    EXPECT_TRUE(std::regex_match(page.Log().Text(), shape)) << page.Log().Text();

    // Not connected: the identity is not read and shows zeros.
    page.OnClearLog();
    rig.op.connected = 0;
    page.OnFirmwareVersion();
    EXPECT_EQ(page.Log().Text(), "FirmWare version:00.00 00.00.00.00 00.00.00.00 \r\n");
}

TEST_F(ReadWriteRegDlgTest, FailedLogicReadShowsZeros) {
    controller::CMainOperation detached;
    CReadWriteRegDlg lone({detached, dialogs});
    lone.OnMbLogic();
    EXPECT_EQ(lone.Log().Text(), "MB version:00.00 00.00.00.00 00.00.00.00 \r\n");
}

TEST_F(ReadWriteRegDlgTest, FlashWriteAndReadRunOnAWorkerAndLog) {
    std::atomic<int> notifications{0};
    page.SetListener([&] { ++notifications; });
    rig.op.SetBoardType(0);
    page.flashLength.text = "5000";
    page.flashAddress.text = "1B0000";
    page.pattern.selected = 2;  // incrementing byte
    page.OnFlashWrite();
    WaitForFlash();

    std::vector<std::uint8_t> expected(5000);
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(rig.Controller().ReadFlash(0x1B0000, 5000), expected);
    EXPECT_EQ(page.Progress(), 81);
    const std::string dump = testing::ExpectedDump(expected, 0x1B0000, 6);
    EXPECT_EQ(page.Log().Text(),
              "Flash Write datas:0x1b0000   Len:5000 -- success\r\n" + dump + "\r\n\r\n");
    EXPECT_GT(notifications.load(), 0);

    page.OnClearLog();
    page.flashLength.text = "4000";  // one chunk: no progress step
    page.OnFlashRead();
    WaitForFlash();
    EXPECT_EQ(page.Progress(), 0);
    EXPECT_EQ(page.Log().Text(),
              "Flash Read datas:0x1b0000   Len:4000 -- success\r\n" +
                  testing::ExpectedDump({expected.begin(), expected.begin() + 4000}, 0x1B0000, 6) +
                  "\r\n\r\n");

    page.OnClearLog();
    page.flashLength.text = "5000";
    page.OnFlashRead();
    WaitForFlash();
    EXPECT_EQ(page.Log().Text(),
              "Flash Read datas:0x1b0000   Len:5000 -- success\r\n" + dump + "\r\n\r\n");
    page.SetListener(nullptr);
}

TEST_F(ReadWriteRegDlgTest, FlashLengthTextIsDecimalUnlessPrefixed) {
    page.flashAddress.text = "20";
    page.flashLength.text = "0x10";
    page.pattern.selected = 0;
    page.OnFlashWrite();
    WaitForFlash();
    EXPECT_THAT(page.Log().Text(),
                StartsWith("Flash Write datas:0x20   Len:16 -- success\r\n[000020-00002F]: 00 "));
}

TEST_F(ReadWriteRegDlgTest, BadFlashLengthsFailWithoutTraffic) {
    for (const std::string length : {"abc", "0", "-4", "16777217"}) {
        SCOPED_TRACE(length);
        page.OnClearLog();
        rig.Controller().ClearWriteLog();
        page.flashLength.text = length;
        page.flashAddress.text = "0";
        page.OnFlashRead();
        WaitForFlash();
        EXPECT_EQ(page.Log().Text(),
                  "Flash Read datas:0x0   Len:" + std::to_string(std::atoi(length.c_str())) +
                      " -- failed\r\n\r\n");
        EXPECT_TRUE(rig.Controller().WriteLog().empty());
    }
}

TEST_F(ReadWriteRegDlgTest, FlashBusyForeverReportsFailureAndProgress1000) {
    rig.Faults().busyStatusReads = 1000000;
    page.flashLength.text = "64";
    page.flashAddress.text = "0";
    // The transfer is held in the driver, so it is surely still running when the
    // second press comes.
    rig.driver.Hold();
    page.OnFlashWrite();
    rig.driver.WaitUntilHeld();
    EXPECT_TRUE(page.FlashRunning());
    // A second press while the first transfer runs is refused.
    page.OnFlashRead();
    rig.driver.Release();
    WaitForFlash();
    EXPECT_EQ(page.Log().Text(), "Flash Write datas:0x0   Len:64 -- failed\r\n\r\n");
    EXPECT_EQ(page.Progress(), 1000);
}

TEST_F(ReadWriteRegDlgTest, FlashSpittingFollowsBoardType) {
    struct Case {
        std::uint8_t boardType;
        std::vector<std::uint16_t> regs;
    };
    const Case cases[] = {
        {0, {0x410B, 0x420B}}, {1, {0x410B, 0x420B}}, {2, {0x410B, 0x420B, 0x430B, 0x440B}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.boardType));
        rig.op.SetBoardType(c.boardType);
        for (const std::uint8_t value : {std::uint8_t{0xC0}, std::uint8_t{0x00}}) {
            page.OnClearLog();
            rig.Controller().ClearWriteLog();
            page.headType.selected = 5;  // does not change what is written
            page.OnFlashSpit();
            Writes expected;
            for (const std::uint16_t reg : c.regs) expected.emplace_back(reg, value);
            EXPECT_EQ(rig.Controller().WriteLog(), expected);
            EXPECT_EQ(page.FlashSpitOn(), value == 0xC0);
            EXPECT_EQ(page.Log().Text(), value == 0xC0 ? "闪喷开\r\n" : "闪喷关\r\n");
        }
    }
}

TEST_F(ReadWriteRegDlgTest, InkTimingWritesTheNonEmptyFields) {
    page.inkSupplyTime.text = "25";
    page.whiteInkInterval.text = "3";
    page.whiteInkTime.text = "300";
    page.OnSetInkTiming();
    EXPECT_EQ(rig.Controller().WriteLog(),
              (Writes{{0x4071, 25}, {0x4075, 3}, {0x4076, 0x2C}, {0x4077, 0x01}}));
    EXPECT_EQ(page.Log().Text(),
              "\r\n供墨时间:25*100ms\r\n白墨循环间隔:3分钟\r\n白墨循环时间:300秒\r\n");

    page.OnClearLog();
    rig.Controller().ClearWriteLog();
    page.inkSupplyTime.text = "";
    page.whiteInkInterval.text = "";
    page.whiteInkTime.text = "65537";  // 16 bits: 0x0001
    page.OnSetInkTiming();
    EXPECT_EQ(rig.Controller().WriteLog(), (Writes{{0x4076, 0x01}, {0x4077, 0x00}}));
    EXPECT_EQ(page.Log().Text(), "白墨循环时间:65537秒\r\n");
}

TEST_F(ReadWriteRegDlgTest, ClosingThePageStopsTheTest) {
    page.testPeriod.text = "10";
    page.OnToggleTest();
    page.ClosePage();
    EXPECT_FALSE(page.TestRunning());
    EXPECT_EQ(timers.stops, std::vector<int>{2});
}

TEST_F(ReadWriteRegDlgTest, LogUpdatesCarryTheNewTailOrTheWholeLogAfterAClear) {
    page.OnMbReset();
    const auto first = page.Log().Since(0, 0);
    EXPECT_FALSE(first.whole);
    EXPECT_EQ(first.text, "Main Board Reset!\r\n");
    EXPECT_EQ(first.size, first.text.size());

    page.OnHbReset();
    const auto tail = page.Log().Since(first.clears, first.size);
    EXPECT_FALSE(tail.whole);
    EXPECT_EQ(tail.text, "Head Board Reset!\r\n");
    EXPECT_EQ(tail.size, page.Log().Text().size());

    page.OnClearLog();
    page.OnHbReset();
    const auto afterClear = page.Log().Since(tail.clears, tail.size);
    EXPECT_TRUE(afterClear.whole);
    EXPECT_EQ(afterClear.text, "Head Board Reset!\r\n");
    EXPECT_NE(afterClear.clears, tail.clears);
}

}  // namespace
}  // namespace velmor::registers
