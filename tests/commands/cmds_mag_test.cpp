#include "commands/cmds_mag.h"

#include <gtest/gtest.h>

#include "ini/text_codec.h"
#include "store_fixture.h"
#include "store_test_data.h"
#include "support/file_bytes.h"

namespace velmor::commands {
namespace {

using velmor::testing::OracleCrc16;
using velmor::testing::ReadBytes;
using velmor::testing::WriteBytes;

TEST_F(StoreTest, SavedDocumentLoadsBackEqualWithAcceptedChecksum) {
    testdata::Fill(op_, 40);
    const std::string path = Record("round.cfg");
    CCmdsMag saver(op_);
    ASSERT_TRUE(saver.SaveConfigDocument(path));
    const auto expected = testdata::ExpectedChecksumBytes(op_);
    EXPECT_EQ(saver.Checksum().Bytes(), expected);

    controller::CMainOperation loaded;
    CCmdsMag loader(loaded);
    EXPECT_TRUE(loader.LoadConfigDocument(path));
    EXPECT_EQ(loaded.allCmdNames, op_.allCmdNames);
    EXPECT_EQ(loaded.cmdNames, op_.cmdNames);
    EXPECT_EQ(loaded.cmdList, op_.cmdList);
    EXPECT_EQ(loaded.motionList, op_.motionList);
    EXPECT_EQ(loaded.testMotionList, op_.testMotionList);
    EXPECT_EQ(loaded.motorSettings, op_.motorSettings);
    EXPECT_EQ(loader.Checksum().Bytes(), expected);
    EXPECT_FALSE(loaded.rebuildFlag);
    // The flag follows the document loaded last: an empty one sets it, the next one
    // with commands clears it again.
    CCmdsMag(loaded).LoadConfigDocument(Record("absent.cfg"));
    EXPECT_TRUE(loaded.rebuildFlag);
    CCmdsMag(loaded).LoadConfigDocument(path);
    EXPECT_FALSE(loaded.rebuildFlag);

    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("\r\n[AllCmdInfo]\r\nCRC16 = " + std::to_string(OracleCrc16(expected)) +
                        "\r\n[Language]\r\nLanguage = eng\r\n"),
              std::string::npos);
    loader.LoadLanguage(path);
    EXPECT_EQ(loaded.language, controller::Language::kEnglish);
}

// The whole file of a small document, line by line as the program has always written it.
TEST_F(StoreTest, SavedDocumentHasTheExactLayout) {
    op_.allCmdNames.clear();
    op_.cmdNames.clear();
    op_.cmdList = {{"InitDone", "中文", "WriteOR", 0x4002, 0xFF}};
    controller::MotorListInfo step;
    step.nMotorNums = 1;
    step.motorIndex = 1;
    step.MotonTabLen[0] = 10;
    step.MotonnMaxSpeed[0] = 20;
    step.MotonnnMoveLenth[0] = -30;
    op_.motionList = {step};
    op_.testMotionList.clear();
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveConfigDocument(Record("layout.cfg")));
    EXPECT_EQ(op_.allCmdNames, std::vector<std::string>{"InitDone"});
    EXPECT_EQ(op_.cmdNames, std::vector<std::string>{"InitDone"});

    std::vector<std::uint8_t> sum = {0x12, 0x40, 0x02, 0xFF, 0, 10, 0, 20, 0xFF, 0xE2, 1};
    for (int i = 1; i < 5; ++i) sum.insert(sum.end(), {0, 0, 0, 0, 0, 0, 1});
    // A new controller object: limits enabled, Y1 selected, gear 1000, board type 1.
    const std::uint8_t settings[] = {1, 1, 1,    1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0xE8, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 2};
    sum.insert(sum.end(), std::begin(settings), std::end(settings));

    std::string expected =
        "[AllCommandName]\nKeyName0=InitDone\nTotalNums=1\n"
        "[CommandName]\nKeyName0=InitDone\nTotalNums=1\n"
        "[TotalCmdNumbers]\nCmdNums=1\n"
        "[CmdInfo0]\nKeyName=InitDone\nOptType=WriteOR\nRegName=中文\nAddr=16386\nData=255\n"
        "[nMotorcmdtotalNums]\nnMotorcmdtotalNums=1\n"
        "[MotoCmdInfo0]\nnMotorNums=1\nmotorIndex=1\nstrLedIndx=9\n"
        "MotonTabLen[0]=10\nMotonnMaxSpeed[0]=20\nMotonnnMoveLenth[0]=-30\nMotonnFrequency=0\n"
        "MotonnnstrDir[0]=Orignal\n";
    for (int i = 1; i < 5; ++i) {
        const std::string n = std::to_string(i);
        expected += "MotonTabLen[" + n + "]=0\nMotonnMaxSpeed[" + n + "]=0\nMotonnnMoveLenth[" + n +
                    "]=0\nMotonnnstrDir[" + n + "]=Orignal\n";
    }
    expected +=
        "[nTestMotorcmdtotalNums]\nnTestMotorcmdtotalNums=0\n"
        "[MotorState]\nY0Selected = 1\nY1Selected=1\nXMoto_LimtEable=1\nYMoto0_LimtEable=1\n"
        "YMoto1_LimtEable=1\nZMoto0_LimtEable=1\nZMoto1_LimtEable=1\nXLimtPol=0\nY0LimtPol=0\n"
        "Y1LimtPol=0\nXLimtPolLeft=0\nY0LimtPolLeft=0\nY1LimtPolLeft=0\nXDirPol=0\nY0DirPol=0\n"
        "Y1DirPol=0\nZ0LimtPol=0\nZ0LimtPolDown=0\nZ0DirPol=0\nZ0Gear=1000\nZ0Board=0\n"
        "Z1LimtPol=0\nZ1DirPol=0\nBoardType=1\nMoto0_LimtEable=1\nMoto0DirPol=0\nMoto0LimtPol=0\n"
        "Moto0LimtPolDown=0\nMoto1_LimtEable=1\nMoto1DirPol=0\nMoto1LimtPol=0\n"
        "Moto1LimtPolLeft=0\nMultiply=2\n"
        "[AllCmdInfo]\nCRC16 = " +
        std::to_string(OracleCrc16(sum)) + "\n[Language]\nLanguage = chs\n";
    std::string crlf;
    for (char c : expected) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ReadBytes(Record("layout.cfg")), ini::EncodeGbk(crlf));
}

TEST_F(StoreTest, PrinterKeysAreAddedToASavedDocument) {
    const std::string path = Record("printer.cfg");
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveConfigDocument(path));
    ASSERT_TRUE(store.WriteJetType(path, 3));
    ASSERT_TRUE(store.WriteDpiType(path, 255));
    ASSERT_TRUE(store.WriteFlashSel(path, -2));
    ASSERT_TRUE(store.WriteJetType(path, 4));
    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("Language = chs\r\n[JETTYPE]\r\nJetType=4\r\n[DPITYPE]\r\nDPIType=255\r\n"
                        "[FlashSel]\r\nFlashSel=-2\r\n"),
              std::string::npos);
    EXPECT_EQ(text.size() - text.rfind("FlashSel=-2\r\n"), 13u);  // nothing after it
    EXPECT_FALSE(store.WriteJetType(dir_.File("missing/x.cfg"), 1));
}

// The load hands on the printer keys of the document it read, under the profile
// rules: names in any case, the low byte of a wider value, 0 for a missing key.
TEST_F(StoreTest, TheLoadReadsThePrinterKeysOfItsDocument) {
    struct Case {
        const char* name;
        const char* text;  // nullptr: no such file
        int jetType;
        int dpiType;
        int flashSel;
    };
    const Case cases[] = {
        {"keys.cfg",
         "[JETTYPE]\r\nJetType=4\r\n[DPITYPE]\r\nDPIType=255\r\n"
         "[FlashSel]\r\nFlashSel=-2\r\n",
         4, 255, -2},
        {"absent.cfg", nullptr, 0, 0, 0},  // the keys of the document before do not stay
        {"lower.cfg", "[jettype]\r\njettype=7\r\n", 7, 0, 0},
        {"wide.cfg", "[JETTYPE]\r\nJetType=300\r\n[DPITYPE]\r\nDPIType=-1\r\n", 44, 255, 0},
        {"none.cfg", "[Language]\r\nLanguage = chs\r\n", 0, 0, 0},
    };
    CCmdsMag store(op_);
    for (const Case& c : cases) {
        if (c.text != nullptr) WriteBytes(Record(c.name), c.text);
        store.LoadConfigDocument(Record(c.name));
        const CCmdsMag::PrinterKeys& keys = store.LoadedPrinterKeys();
        EXPECT_EQ(keys.jetType, c.jetType) << c.name;
        EXPECT_EQ(keys.dpiType, c.dpiType) << c.name;
        EXPECT_EQ(keys.flashSel, c.flashSel) << c.name;
    }
}

TEST_F(StoreTest, MissingDocumentLoadsDefaultsAndReportsFailure) {
    op_.motorSettings.Multiply = 9;
    CCmdsMag store(op_);
    EXPECT_FALSE(store.LoadConfigDocument(Record("absent.cfg")));
    EXPECT_EQ(op_.cmdNames, std::vector<std::string>{"InitDone"});
    EXPECT_EQ(op_.allCmdNames, std::vector<std::string>{"InitDone"});
    EXPECT_TRUE(op_.cmdList.empty());
    EXPECT_TRUE(op_.rebuildFlag);
    // The defaults of a missing key, not those of a new controller object.
    controller::MotorSettings defaults;
    defaults.Y1Selected = 0;
    defaults.XMoto_LimtEable = defaults.YMoto0_LimtEable = defaults.YMoto1_LimtEable = 0;
    defaults.ZMoto0_LimtEable = defaults.ZMoto1_LimtEable = 0;
    defaults.Moto0_LimtEable = defaults.Moto1_LimtEable = 0;
    defaults.BoardType = 0;
    defaults.Multiply = 9;  // the value in memory stays
    EXPECT_EQ(op_.motorSettings, defaults);
    EXPECT_EQ(store.Checksum().Length(), 32u);
}

TEST_F(StoreTest, StoredPathsLiveInTheDefaultDocumentAndVanishWhenItIsSaved) {
    CCmdsMag store(op_);
    EXPECT_EQ(store.GetStoredPath(CCmdsMag::PathKind::Configuration), "");
    ASSERT_TRUE(store.SetStoredPath("/data/机器一.cfg", CCmdsMag::PathKind::Configuration));
    ASSERT_TRUE(store.SetStoredPath("/data/clean.cfg", CCmdsMag::PathKind::Cleaning));
    EXPECT_EQ(store.GetStoredPath(CCmdsMag::PathKind::Configuration), "/data/机器一.cfg");
    EXPECT_EQ(store.GetStoredPath(CCmdsMag::PathKind::Cleaning), "/data/clean.cfg");
    EXPECT_EQ(ReadBytes(DefaultDoc()),
              "[DefaultPath]\r\nPath=/data/\xbb\xfa\xc6\xf7\xd2\xbb.cfg\r\n"
              "[CleanPath]\r\nPath1=/data/clean.cfg\r\n");

    ASSERT_TRUE(store.SaveConfigDocument(DefaultDoc()));
    EXPECT_EQ(store.GetStoredPath(CCmdsMag::PathKind::Configuration), "");
    EXPECT_EQ(store.GetStoredPath(CCmdsMag::PathKind::Cleaning), "");
    // Setting a path afterwards keeps the document and adds its section at the end.
    ASSERT_TRUE(store.SetStoredPath("/p.cfg", CCmdsMag::PathKind::Configuration));
    const std::string text = ReadBytes(DefaultDoc());
    EXPECT_EQ(text.substr(0, 18), "[AllCommandName]\r\n");
    const std::string tail = "Language = chs\r\n[DefaultPath]\r\nPath=/p.cfg\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(StoreTest, DefaultAndLowerCaseDefaultAreOneFile) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows file system matches names without regard to case itself";
#endif
    // A path store copied from elsewhere under the lower-case name.
    WriteBytes(Record("default"),
               "[DefaultPath]\r\nPath=/old.cfg\r\n[Language]\r\nLanguage=eng\r\n");
    CCmdsMag store(op_);
    EXPECT_EQ(store.GetStoredPath(CCmdsMag::PathKind::Configuration), "/old.cfg");
    store.LoadLanguage(DefaultDoc());
    EXPECT_EQ(op_.language, controller::Language::kEnglish);
    ASSERT_TRUE(store.SetStoredPath("/new.cfg", CCmdsMag::PathKind::Configuration));
    ASSERT_TRUE(store.SaveConfigDocument(DefaultDoc()));
    EXPECT_FALSE(std::filesystem::exists(Record("Default")));
    EXPECT_NE(ReadBytes(Record("default")).find("[AllCommandName]"), std::string::npos);
}

TEST_F(StoreTest, NewDefaultDocumentIsCreatedCapitalised) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows file system matches names without regard to case itself";
#endif
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SetStoredPath("/x.cfg", CCmdsMag::PathKind::Cleaning));
    EXPECT_TRUE(std::filesystem::exists(Record("Default")));
    EXPECT_FALSE(std::filesystem::exists(Record("default")));
    EXPECT_EQ(StoreDocument::ResolveFileName(Record("DEFAULT")), Record("Default"));
}

TEST_F(StoreTest, LanguageDefaultsToChs) {
    op_.language = controller::Language::kEnglish;
    CCmdsMag store(op_);
    store.LoadLanguage(Record("absent"));
    EXPECT_EQ(op_.language, controller::Language::kChinese);
    WriteBytes(Record("lang"), "[Language]\r\n  Language =  eng \r\n");
    store.LoadLanguage(Record("lang"));
    EXPECT_EQ(op_.language, controller::Language::kEnglish);
}

TEST_F(StoreTest, EntriesWithoutMotorsAreLeftOutAndTheDocumentStillChecksOut) {
    testdata::Fill(op_, 3);
    op_.motionList.insert(op_.motionList.begin() + 1, controller::MotorListInfo{});
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveConfigDocument(Record("gaps.cfg")));
    EXPECT_NE(ReadBytes(Record("gaps.cfg")).find("nMotorcmdtotalNums=3\r\n"), std::string::npos);
    controller::CMainOperation loaded;
    CCmdsMag loader(loaded);
    EXPECT_TRUE(loader.LoadConfigDocument(Record("gaps.cfg")));
    ASSERT_EQ(loaded.motionList.size(), 3u);
    EXPECT_EQ(loaded.motionList[1], op_.motionList[2]);
}

TEST_F(StoreTest, WrongChecksumFailsTheLoadButKeepsTheData) {
    testdata::Fill(op_, 5);
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveConfigDocument(Record("doc.cfg")));
    std::string text = ReadBytes(Record("doc.cfg"));
    const std::size_t at = text.find("Data=7\r\n");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 8, "Data=8\r\n");
    WriteBytes(Record("doc.cfg"), text);
    controller::CMainOperation loaded;
    CCmdsMag loader(loaded);
    EXPECT_FALSE(loader.LoadConfigDocument(Record("doc.cfg")));
    ASSERT_EQ(loaded.cmdList.size(), 5u);
    EXPECT_EQ(loaded.cmdList[1].Data, 8);
    // A stored checksum of 0 accepts anything.
    const std::size_t crc = text.find("CRC16 = ");
    text.replace(crc, text.find("\r\n", crc) - crc, "CRC16 = 0");
    WriteBytes(Record("doc.cfg"), text);
    EXPECT_TRUE(loader.LoadConfigDocument(Record("doc.cfg")));
}

TEST_F(StoreTest, ChecksumBeyondTenThousandBytesCoversEveryByte) {
    testdata::Fill(op_, 3000);  // 12,000 command bytes alone
    CCmdsMag store(op_);
    ASSERT_TRUE(store.SaveConfigDocument(Record("big.cfg")));
    EXPECT_TRUE(store.Checksum().Overflowed());
    const auto expected = testdata::ExpectedChecksumBytes(op_);
    EXPECT_GT(expected.size(), 10000u);
    EXPECT_EQ(store.Checksum().Crc(), OracleCrc16(expected));
    controller::CMainOperation loaded;
    CCmdsMag loader(loaded);
    EXPECT_TRUE(loader.LoadConfigDocument(Record("big.cfg")));
    EXPECT_EQ(loaded.cmdList, op_.cmdList);
}

}  // namespace
}  // namespace velmor::commands
