// Hand-made documents (tests/fixtures, GBK with CRLF). Their checksum bytes are listed
// here from the values in the files, and the CRC computed by the test's own routine.
#include <gtest/gtest.h>

#include "commands/cmds_mag.h"
#include "support/file_bytes.h"
#include "store_fixture.h"

namespace velmor::commands {
namespace {

using velmor::testing::FixturePath;
using velmor::testing::OracleCrc16;
using velmor::testing::PushHighLow;
using velmor::testing::ReadBytes;
using Bytes = std::vector<std::uint8_t>;

// The motion step all fixtures share: slot 0 moves, slot 1 runs to the end.
Bytes SharedStepBytes() {
    Bytes b;
    PushHighLow(b, 300);
    PushHighLow(b, 5000);
    PushHighLow(b, static_cast<std::uint32_t>(-200));
    b.push_back(1);
    b.insert(b.end(), {0, 0, 0, 0, 0, 0, 0});
    for (int i = 2; i < 5; ++i) b.insert(b.end(), {0, 0, 0, 0, 0, 0, 1});
    return b;
}

// Settings 1..32 as a file without those keys gives them: Y0 selected, gear 1000.
Bytes DefaultSettingBytes() {
    Bytes b(32, 0);
    b[0] = 1;
    b[19] = 0xE8;
    return b;
}

std::uint16_t StoredCrc(const std::string& fixture) {
    const std::string text = ReadBytes(FixturePath(fixture));
    const std::size_t at = text.find("CRC16 = ");
    return static_cast<std::uint16_t>(std::stoi(text.substr(at + 8)));
}

TEST_F(StoreTest, FixtureWithoutCommandNameGetsInitDoneAsDownloadOrder) {
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadConfigDocument(FixturePath("doc_missing_command_name.cfg")));
    EXPECT_EQ(op_.cmdNames, std::vector<std::string>{"InitDone"});
    EXPECT_EQ(op_.allCmdNames, (std::vector<std::string>{"InitDone", "电机组"}));
    ASSERT_EQ(op_.cmdList.size(), 2u);
    EXPECT_EQ(op_.cmdList[0],
              (controller::CMD_INFO{"InitDone", "寄存器[7:0]", "RegWrite", 0x4010, 0xA5}));
    EXPECT_EQ(op_.cmdList[1].KeyName, "电机组");
    ASSERT_EQ(op_.motionList.size(), 1u);
    EXPECT_EQ(op_.motionList[0].strLedIndx, "A");
    EXPECT_EQ(op_.motionList[0].MotonnnMoveLenth[0], -200);
    EXPECT_EQ(op_.motionList[0].MotonnnstrDir[1], "End");
    EXPECT_EQ(op_.motorSettings.BoardType, 2);
    EXPECT_EQ(op_.motorSettings.Multiply, 5);

    Bytes expected = {0x10, 0x40, 0x10, 0xA5, 0x21, 0x41, 0x01, 0x01};
    const Bytes step = SharedStepBytes();
    expected.insert(expected.end(), step.begin(), step.end());
    Bytes settings = DefaultSettingBytes();
    settings[1] = 1;   // Y1Selected
    settings[23] = 2;  // BoardType
    expected.insert(expected.end(), settings.begin(), settings.end());
    expected.push_back(5);  // Multiply
    EXPECT_EQ(store.Checksum().Bytes(), expected);
    EXPECT_EQ(OracleCrc16(expected), StoredCrc("doc_missing_command_name.cfg"));
}

TEST_F(StoreTest, FixtureWithEmptySecondNameRenumbersOnSave) {
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(FixturePath("doc_total_nums_gap.cfg")));  // no motion
    EXPECT_EQ(op_.allCmdNames, (std::vector<std::string>{"InitDone", "InitMovement"}));
    EXPECT_EQ(op_.cmdNames, (std::vector<std::string>{"InitDone", "InitEnd"}));
    ASSERT_TRUE(store.SaveConfigDocument(Record("renumbered.cfg")));
    const std::string text = ReadBytes(Record("renumbered.cfg"));
    EXPECT_EQ(text.substr(0, text.find("[TotalCmdNumbers]")),
              "[AllCommandName]\r\nKeyName0=InitDone\r\nKeyName1=InitMovement\r\nTotalNums=2\r\n"
              "[CommandName]\r\nKeyName0=InitDone\r\nKeyName1=InitEnd\r\nTotalNums=2\r\n");
}

TEST_F(StoreTest, FixtureAddressAndDataKeepTheirLowBits) {
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadConfigDocument(FixturePath("doc_addr_data_wrap.cfg")));
    ASSERT_EQ(op_.cmdList.size(), 1u);
    EXPECT_EQ(op_.cmdList[0].Addr, 4464);
    EXPECT_EQ(op_.cmdList[0].Data, 44);
    EXPECT_EQ(op_.motorSettings.Multiply, 2);  // missing: the controller object's value
    Bytes expected = {0x10, 0x11, 0x70, 0x2C};
    const Bytes step = SharedStepBytes();
    expected.insert(expected.end(), step.begin(), step.end());
    const Bytes settings = DefaultSettingBytes();
    expected.insert(expected.end(), settings.begin(), settings.end());
    EXPECT_EQ(store.Checksum().Bytes(), expected);
    EXPECT_EQ(OracleCrc16(expected), StoredCrc("doc_addr_data_wrap.cfg"));
}

TEST_F(StoreTest, FixtureWithoutMultiplyKeepsTheValueInMemoryAndItsByteOut) {
    op_.motorSettings.Multiply = 33;
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadConfigDocument(FixturePath("doc_missing_multiply.cfg")));
    EXPECT_EQ(op_.motorSettings.Multiply, 33);
    EXPECT_EQ(op_.motorSettings.XLimtPol, 1);
    EXPECT_EQ(op_.motorSettings.Z0Gear, 0x1234u);
    ASSERT_EQ(op_.motionList.size(), 1u);
    EXPECT_EQ(op_.motionList[0].MotonnFrequency, 12);
    Bytes expected = SharedStepBytes();
    Bytes settings = DefaultSettingBytes();
    settings[7] = 1;
    settings[19] = 0x34;
    expected.insert(expected.end(), settings.begin(), settings.end());
    EXPECT_EQ(store.Checksum().Bytes(), expected);
    EXPECT_EQ(OracleCrc16(expected), StoredCrc("doc_missing_multiply.cfg"));
}

TEST_F(StoreTest, FixtureUnknownKeywordsContributeNoCodeByte) {
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadConfigDocument(FixturePath("doc_unknown_keyword.cfg")));
    ASSERT_EQ(op_.cmdList.size(), 3u);
    EXPECT_EQ(op_.cmdList[0].OptType, "Bogus");  // kept as written
    EXPECT_EQ(op_.cmdList[1].OptType, "regwrite");
    Bytes expected = {0x40, 0x00, 0x07, 0x40, 0x01, 0x08, 0x31, 0x00, 0x00, 0x00};
    const Bytes step = SharedStepBytes();
    expected.insert(expected.end(), step.begin(), step.end());
    const Bytes settings = DefaultSettingBytes();
    expected.insert(expected.end(), settings.begin(), settings.end());
    expected.push_back(2);
    EXPECT_EQ(store.Checksum().Bytes(), expected);
    EXPECT_EQ(OracleCrc16(expected), StoredCrc("doc_unknown_keyword.cfg"));
}

}  // namespace
}  // namespace velmor::commands
