// Documents that are not what the program writes: they load with defaults or fail
// cleanly, and a save that cannot complete leaves the previous file as it was.
#include <gtest/gtest.h>

#include <random>

#include "commands/cmds_mag.h"
#include "support/faulty_file_ops.h"
#include "support/file_bytes.h"
#include "store_fixture.h"
#include "store_test_data.h"

namespace velmor::commands {
namespace {

using velmor::testing::FaultyFileOps;
using velmor::testing::FixturePath;
using velmor::testing::ReadBytes;
using velmor::testing::WriteBytes;

TEST_F(StoreTest, TruncatedDocumentKeepsWhatItHolds) {
    const std::string full = ReadBytes(FixturePath("doc_missing_command_name.cfg"));
    WriteBytes(Record("cut.cfg"), full.substr(0, full.find("[CmdInfo1]") + 7));
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(Record("cut.cfg")));
    ASSERT_EQ(op_.cmdList.size(), 2u);  // the count said two; the second is empty
    EXPECT_EQ(op_.cmdList[0].Addr, 0x4010);
    EXPECT_EQ(op_.cmdList[1], controller::CMD_INFO{});
    EXPECT_TRUE(op_.motionList.empty());
}

TEST_F(StoreTest, BinaryGarbageLoadsAsAnEmptyDocument) {
    std::mt19937 rng(5);
    std::string garbage(300000, '\0');
    for (char& c : garbage) c = static_cast<char>(rng() & 0xFF);
    WriteBytes(Record("garbage.cfg"), garbage);
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(Record("garbage.cfg")));
    EXPECT_TRUE(op_.cmdList.empty());
    EXPECT_EQ(op_.cmdNames, std::vector<std::string>{"InitDone"});
    EXPECT_TRUE(store.LoadCleanParams(Record("garbage.cfg")));  // every default, CRC 0
    EXPECT_EQ(op_.cleanParams, controller::CleanParams{});
}

TEST_F(StoreTest, EnormousLineIsCutTo259Characters) {
    std::string doc = ReadBytes(FixturePath("doc_missing_command_name.cfg"));
    const std::string big(10 * 1024 * 1024, 'R');
    doc.replace(doc.find("RegName=MOTOR_X_CTRL[7:0]"), 25, "RegName=" + big);
    WriteBytes(Record("huge.cfg"), doc);
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadConfigDocument(Record("huge.cfg")));  // the name is not in the sum
    ASSERT_EQ(op_.cmdList.size(), 2u);
    EXPECT_EQ(op_.cmdList[1].RegName, std::string(259, 'R'));
}

TEST_F(StoreTest, HundredThousandSectionsLoad) {
    std::string doc = "[TotalCmdNumbers]\r\nCmdNums=100000\r\n";
    for (int k = 0; k < 100000; ++k) {
        doc += "[CmdInfo" + std::to_string(k) +
               "]\r\nOptType=RegWrite\r\nAddr=" + std::to_string(k) +
               "\r\nData=" + std::to_string(k % 256) + "\r\n";
    }
    WriteBytes(Record("many.cfg"), doc);
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(Record("many.cfg")));  // no motion list
    ASSERT_EQ(op_.cmdList.size(), 100000u);
    EXPECT_EQ(op_.cmdList[99999].Addr, static_cast<std::uint16_t>(99999));
    EXPECT_EQ(store.Checksum().Length(), 400000u + 32u);
    EXPECT_FALSE(store.CountClamped());
}

TEST_F(StoreTest, NameListLongerThanTheCountLimitLoadsWhole) {
    // Names are keys of one section: the count limit must not take the few sections of
    // such a document as the measure of a sound count.
    testdata::Fill(op_, 2);
    op_.allCmdNames.clear();
    for (int k = 0; k < CCmdsMag::kMaxEntries + 500; ++k) {
        op_.allCmdNames.push_back("Set" + std::to_string(k));
    }
    ASSERT_TRUE(CCmdsMag(op_).SaveConfigDocument(Record("names.cfg")));
    controller::CMainOperation loaded;
    CCmdsMag loader(loaded);
    EXPECT_TRUE(loader.LoadConfigDocument(Record("names.cfg")));
    EXPECT_FALSE(loader.CountClamped());
    EXPECT_EQ(loaded.allCmdNames, op_.allCmdNames);
}

TEST_F(StoreTest, AbsurdCountsAreBoundedAndFailTheLoad) {
    WriteBytes(Record("counts.cfg"),
               "[AllCommandName]\r\nTotalNums=2147483647\r\nKeyName5=Five\r\n"
               "[TotalCmdNumbers]\r\nCmdNums=-5\r\n"
               "[nMotorcmdtotalNums]\r\nnMotorcmdtotalNums=4000000000\r\n"
               "[nTestMotorcmdtotalNums]\r\nnTestMotorcmdtotalNums=999999999\r\n");
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(Record("counts.cfg")));
    EXPECT_TRUE(store.CountClamped());
    EXPECT_EQ(op_.allCmdNames, std::vector<std::string>{"Five"});
    EXPECT_TRUE(op_.cmdList.empty());
    EXPECT_TRUE(op_.rebuildFlag);         // a negative count holds no commands either
    EXPECT_TRUE(op_.motionList.empty());  // 4000000000 reads as a negative count
    EXPECT_TRUE(op_.testMotionList.empty());
}

TEST_F(StoreTest, InvalidGbkNamesSurviveALoadAndSave) {
    std::string doc = ReadBytes(FixturePath("doc_missing_command_name.cfg"));
    doc.replace(doc.find("RegName=MOTOR_X_CTRL[7:0]"), 25, "RegName=\x80\xff\x81");
    WriteBytes(Record("raw.cfg"), doc);
    CCmdsMag store(op_);
    EXPECT_TRUE(store.LoadConfigDocument(Record("raw.cfg")));
    ASSERT_TRUE(store.SaveConfigDocument(Record("raw2.cfg")));
    EXPECT_NE(ReadBytes(Record("raw2.cfg")).find("\r\nRegName=\x80\xff\x81\r\n"),
              std::string::npos);
}

TEST_F(StoreTest, InterruptedSaveLeavesThePreviousDocumentByteIdentical) {
    testdata::Fill(op_, 200);
    CCmdsMag good(op_);
    ASSERT_TRUE(good.SaveConfigDocument(DefaultDoc()));
    ASSERT_TRUE(good.SetStoredPath("/stored.cfg", CCmdsMag::PathKind::Configuration));
    const std::string previous = ReadBytes(DefaultDoc());

    testdata::Fill(op_, 10);
    for (int fault = 0; fault < 4; ++fault) {
        FaultyFileOps ops;
        if (fault == 0) ops.diskRoom = 1000;
        if (fault == 1) ops.failSync = true;
        if (fault == 2) ops.failRename = true;
        if (fault == 3) ops.failCreate = true;
        CCmdsMag store(op_, ops);
        EXPECT_FALSE(store.SaveConfigDocument(DefaultDoc())) << fault;
        EXPECT_FALSE(store.SetStoredPath("/other.cfg", CCmdsMag::PathKind::Cleaning)) << fault;
        EXPECT_FALSE(store.WriteJetType(DefaultDoc(), 2)) << fault;
        EXPECT_EQ(ReadBytes(DefaultDoc()), previous) << fault;
    }
    EXPECT_EQ(CCmdsMag(op_).GetStoredPath(CCmdsMag::PathKind::Configuration), "/stored.cfg");
}

TEST_F(StoreTest, UnreadableDocumentIsNotReplacedByASingleKey) {
    WriteBytes(DefaultDoc(), "[Language]\r\nLanguage=eng\r\n");
    FaultyFileOps ops;
    ops.failRead = true;
    CCmdsMag store(op_, ops);
    EXPECT_FALSE(store.SetStoredPath("/x.cfg", CCmdsMag::PathKind::Configuration));
    EXPECT_EQ(ReadBytes(DefaultDoc()), "[Language]\r\nLanguage=eng\r\n");
}

TEST_F(StoreTest, SaveIntoMissingFolderFails) {
    CCmdsMag store(op_);
    EXPECT_FALSE(store.SaveConfigDocument(dir_.File("nowhere/doc.cfg")));
    EXPECT_FALSE(store.SaveCleanParams(dir_.File("nowhere/clean.cfg")));
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "nowhere"));
}

}  // namespace
}  // namespace velmor::commands
