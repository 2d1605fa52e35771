#include "commands/clean_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "commands/cmds_mag.h"
#include "support/faulty_file_ops.h"
#include "support/file_bytes.h"
#include "store_fixture.h"

namespace velmor::commands {
namespace {

using velmor::testing::FixturePath;
using velmor::testing::OracleCrc16;
using velmor::testing::ReadBytes;
using velmor::testing::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

// The 98 bytes of the two cleaning fixtures, position by position from their values.
Bytes FixtureBytes(bool dc) {
    Bytes b(98, 0);
    b[0] = 0x03, b[1] = 0xE8;                                // uiCarleaveclear1 1000
    b[2] = 0x07, b[3] = 0xD0;                                // uiCarmoveblow1 2000
    b[8] = 12;                                               // fCarMoveAccDistance 12.75
    b[9] = 0x11, b[10] = 0x70;                               // uiCarMoveSpeed 70000, low 16 bits
    b[11] = b[12] = 0xFF;                                    // uiCarbackclear -2.5: sign bytes
    b[13] = 0xFF, b[14] = 0xFC, b[15] = 0x2F, b[16] = 0x70;  // -250000
    b[43] = 0x00, b[44] = 0x07, b[45] = 0x3B, b[46] = 0x0C;  // 4.738689 -> 473868
    b[47] = 0x03, b[48] = 0x65, b[49] = 0xC1, b[50] = 0x83;  // 570.003235 -> 57000323
    b[51] = 0x07, b[52] = 0x08;                              // 1800
    b[53] = 400 & 0xFF, b[54] = 100, b[55] = 2;
    if (dc) {
        b[56] = 0xFF, b[57] = 0xFD;  // -3
        b[58] = 0x00, b[59] = 0x07;  // start level 7
        b[64] = 0x4E, b[65] = 0x20;  // 20000
    }
    b[71] = 1;  // byMotorType
    b[72] = 110, b[73] = 40, b[74] = 400 & 0xFF, b[75] = 6;
    b[77] = 30;  // uiTimeConsuming
    b[97] = 3;   // uiTimeConsuming10
    if (!dc) {
        Bytes closed;
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (!((i >= 56 && i <= 67) || i == 71)) closed.push_back(b[i]);
        }
        return closed;
    }
    return b;
}

std::uint16_t StoredCrc(const std::string& path) {
    const std::string text = ReadBytes(path);
    return static_cast<std::uint16_t>(std::stoi(text.substr(text.find("CRC16 = ") + 8)));
}

TEST_F(StoreTest, CleaningFixtureWithoutDcBlockUses85Bytes) {
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadCleanParams(FixturePath("clean_without_dc.cfg")));
    const auto& p = op_.cleanParams;
    EXPECT_EQ(p.nDcStartLevel, -1);
    EXPECT_EQ(p.uiCarMoveSpeed, 70000u);
    EXPECT_DOUBLE_EQ(p.uiCarbackclear, -2.5);
    EXPECT_FLOAT_EQ(p.fCarMoveAccDistance, 12.75f);
    EXPECT_EQ(p.uiCarCleanPos, 555u);
    EXPECT_EQ(p.byMotorType, 1);
    EXPECT_EQ(p.uiTimeConsuming[10], 3u);
    EXPECT_DOUBLE_EQ(p.dbYMotorGearRate, 570.003235);  // default
    const Bytes expected = FixtureBytes(false);
    ASSERT_EQ(expected.size(), CleanFile::kChecksumBytesWithoutDc);
    EXPECT_EQ(store.Checksum().Bytes(), expected);
    EXPECT_EQ(OracleCrc16(expected), StoredCrc(FixturePath("clean_without_dc.cfg")));
}

TEST_F(StoreTest, CleaningFixtureWithStartLevelSevenKeepsIt) {
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadCleanParams(FixturePath("clean_dc_level_7.cfg")));
    EXPECT_EQ(op_.cleanParams.nDcStartLevel, 7);  // kept for the next download and save
    EXPECT_EQ(op_.cleanParams.nDcEndLeveluiDcCarMoveSpeed, -3);
    const Bytes expected = FixtureBytes(true);
    EXPECT_EQ(store.Checksum().Bytes(), expected);
    EXPECT_EQ(OracleCrc16(expected), StoredCrc(FixturePath("clean_dc_level_7.cfg")));

    // Saved again, the level is still in the file and the file checks out.
    ASSERT_TRUE(store.SaveCleanParams(Record("again.cfg")));
    EXPECT_NE(ReadBytes(Record("again.cfg")).find("nDcStartLevel=7\r\n"), std::string::npos);
    controller::CMainOperation other;
    CCmdsMag reader(other);
    EXPECT_TRUE(reader.LoadCleanParams(Record("again.cfg")));
    EXPECT_EQ(other.cleanParams, op_.cleanParams);
}

controller::CleanParams Distinct() {
    controller::CleanParams p;
    p.uiCarleaveclear1 = 1;
    p.uiCarmoveblow1 = 70001;
    p.uiCarleaveclear2 = 3;
    p.uiCarmoveblow2 = 4;
    p.fCarMoveAccDistance = 5.25f;
    p.uiCarMoveSpeed = 6;
    p.uiCarbackclear = 1.5;
    p.uiCarCleanPos = 8;
    p.uiMoto1moveout = 9;
    p.uiMoto1movein = 10;
    p.uiMoto1moveout2 = 11;
    p.uiMoto1movein2 = 12;
    p.uiMoto1AcceDistance = 13;
    p.uiMoto1SpeedMax = 14;
    p.uiFlashMoto0Up = 15;
    p.uiMoto0movedown = 16;
    p.uiMoto0moveupblow = 17;
    p.uiMoto0moveup = 18;
    p.uiNoclearmoveup = 19;
    p.uiMoto0AcceDistance = 20;
    p.uiMoto0SpeedMax = 4000000000u;
    p.dbXMotorGearRate = 4.5;
    p.dbYMotorGearRate = 123.456789;
    p.uiMaxDistanceOfXMove = 2500;
    p.fXMoveSpeed = 300.5f;
    p.fYMoveSpeed = 50.0f;
    p.byMachineType = 3;
    p.dbXAcceDistance = 99.0f;
    p.fYMoveSpeedWhenReady = 30.0f;
    p.fXMoveSpeedWhenReady = 250.0f;
    p.fMaxYAcceDistance = 7.5f;
    p.nDcEndLeveluiDcCarMoveSpeed = -100;
    p.nDcStartLevel = 12;
    p.nDcEndLevelLow = 13;
    p.nDcEndLevelMid = 14;
    p.nDcFrequencyLow = 15;
    p.nDcFrequencyMid = 16;
    p.byStackType = 2;
    p.byMotoType = 1;
    p.byMotoHead = 1;
    p.byMotorType = 1;
    for (std::size_t i = 0; i < p.uiTimeConsuming.size(); ++i) p.uiTimeConsuming[i] = 100 + i;
    return p;
}

TEST_F(StoreTest, CleaningRoundTripIsExact) {
    for (double back : {1.5, -0.75, 0.0, 12345.678901}) {
        op_.cleanParams = Distinct();
        op_.cleanParams.uiCarbackclear = back;
        CCmdsMag store(op_);
        ASSERT_TRUE(store.SaveCleanParams(Record("clean.cfg")));
        controller::CMainOperation loaded;
        CCmdsMag reader(loaded);
        EXPECT_TRUE(reader.LoadCleanParams(Record("clean.cfg"))) << back;
        EXPECT_EQ(loaded.cleanParams, op_.cleanParams) << back;
        EXPECT_EQ(reader.Checksum().Bytes(), store.Checksum().Bytes());
        EXPECT_NE(StoredCrc(Record("clean.cfg")), 0);
    }
}

TEST_F(StoreTest, CleaningFileLayout) {
    op_.cleanParams = controller::CleanParams{};
    op_.cleanParams.nDcStartLevel = 0;
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveCleanParams(Record("layout.cfg")));
    const std::string text = ReadBytes(Record("layout.cfg"));
    const std::string head =
        "[PARAMS_CLEAR]\r\nuiCarleaveclear1 = 0\r\nuiCarmoveblow1=0\r\nuiCarleaveclear2=0\r\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
    for (const char* line :
         {"\r\nfCarMoveAccDistance=0.000000\r\n",
          "\r\nuiCarbackclear=0.000000\r\nuiCarCleanPos=0\r\n",
          "\r\n[PARAMS_MOMENT]\r\ndbXMotorGearRate = 4.738689\r\ndbYMotorGearRate=570.003235\r\n",
          "\r\nfMaxYAcceDistance=6.000000\r\nnDcEndLeveluiDcCarMoveSpeed=0\r\nnDcStartLevel=0\r\n",
          "\r\n[PARAMS_CLEAR2]\r\nuiTimeConsuming = 0\r\nuiTimeConsuming1=0\r\n",
          "\r\nuiTimeConsuming10=0\r\n[AllCleanInfo]\r\nCRC16 = "}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

TEST_F(StoreTest, NegativeFlashDistanceGivesSignBytes) {
    controller::CleanParams p;
    p.uiCarbackclear = -0.00001;
    auto b = CleanFile::ChecksumBytes(p);
    EXPECT_EQ((Bytes{b[11], b[12], b[13], b[14], b[15], b[16]}),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    p.uiCarbackclear = 1.5;
    b = CleanFile::ChecksumBytes(p);
    EXPECT_EQ((Bytes{b[11], b[12], b[13], b[14], b[15], b[16]}),
              (Bytes{0x00, 0x00, 0x00, 0x02, 0x49, 0xF0}));  // 150000
}

TEST_F(StoreTest, CleanPositionIsNotCovered) {
    op_.cleanParams = Distinct();
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveCleanParams(Record("c.cfg")));
    std::string text = ReadBytes(Record("c.cfg"));
    text.replace(text.find("uiCarCleanPos=8"), 15, "uiCarCleanPos=999");
    WriteBytes(Record("c.cfg"), text);
    EXPECT_TRUE(store.LoadCleanParams(Record("c.cfg")));
    EXPECT_EQ(op_.cleanParams.uiCarCleanPos, 999u);
    // Any covered value does count; the values read stay.
    text.replace(text.find("uiCarMoveSpeed=6"), 16, "uiCarMoveSpeed=7");
    WriteBytes(Record("c.cfg"), text);
    EXPECT_FALSE(store.LoadCleanParams(Record("c.cfg")));
    EXPECT_EQ(op_.cleanParams.uiCarMoveSpeed, 7u);
}

TEST_F(StoreTest, SetWithoutDcValuesReloadsWithMatchingChecksum) {
    op_.cleanParams = controller::CleanParams{};  // start level -1: no DC values
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveCleanParams(Record("fresh.cfg")));
    EXPECT_EQ(store.Checksum().Length(), CleanFile::kChecksumBytesWithoutDc);
    EXPECT_NE(ReadBytes(Record("fresh.cfg")).find("nDcStartLevel=-1\r\n"), std::string::npos);
    EXPECT_TRUE(store.LoadCleanParams(Record("fresh.cfg")));
    EXPECT_EQ(op_.cleanParams, controller::CleanParams{});
}

TEST_F(StoreTest, RealsWithMoreThanSixDecimalsStillCheckOut) {
    op_.cleanParams = Distinct();
    op_.cleanParams.uiCarbackclear = 0.9999999;  // written "1.000000"
    op_.cleanParams.fXMoveSpeed = 299.9999999f;
    op_.cleanParams.dbXMotorGearRate = 4.7386899999;
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveCleanParams(Record("r.cfg")));
    EXPECT_TRUE(store.LoadCleanParams(Record("r.cfg")));
    EXPECT_DOUBLE_EQ(op_.cleanParams.uiCarbackclear, 1.0);
}

TEST_F(StoreTest, MissingCleaningFileLoadsDefaultsAccepted) {
    op_.cleanParams = Distinct();
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadCleanParams(Record("absent.cfg")));
    EXPECT_EQ(op_.cleanParams, controller::CleanParams{});
}

TEST_F(StoreTest, FailedCleaningSaveKeepsThePreviousFile) {
    const std::string previous = ReadBytes(FixturePath("clean_dc_level_7.cfg"));
    WriteBytes(Record("keep.cfg"), previous);
    velmor::testing::FaultyFileOps ops;
    ops.failRename = true;
    op_.cleanParams = Distinct();
    CCmdsMag store(op_, ops);
    EXPECT_FALSE(store.SaveCleanParams(Record("keep.cfg")));
    EXPECT_EQ(ReadBytes(Record("keep.cfg")), previous);
}

TEST(CleanFileTrunc, TruncatesTowardZeroAndMarksOutOfRange) {
    EXPECT_EQ(CleanFile::TruncToInt32(-2.9), -2);
    EXPECT_EQ(CleanFile::TruncToInt32(2147483647.9), 2147483647);
    EXPECT_EQ(CleanFile::TruncToInt32(2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(CleanFile::TruncToInt32(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(CleanFile::TruncToInt32(std::nan("")), std::numeric_limits<std::int32_t>::min());
}

}  // namespace
}  // namespace velmor::commands
