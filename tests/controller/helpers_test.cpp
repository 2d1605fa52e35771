// The helpers every page shares: hex text, hex dumps, test patterns and CRC-16.

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "controller/crc16.h"
#include "controller/main_operation.h"
#include "numbers/hex_text.h"
#include "support/temp_dir.h"

namespace velmor::controller {
namespace {

struct HexCase {
    const char* text;
    bool withoutPrefix;
    const char* expected;
};

class HexTextToDecTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexTextToDecTest, ConvertsAsThePagesExpect) {
    const HexCase& c = GetParam();
    EXPECT_EQ(numbers::HexToDecimalText(c.text, c.withoutPrefix), c.expected)
        << "text \"" << c.text << "\" flag " << c.withoutPrefix;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexTextToDecTest,
    ::testing::Values(HexCase{"0x1F", false, "31"}, HexCase{"0x1F", true, "31"},
                      HexCase{"1F", true, "31"}, HexCase{"25", false, "25"},
                      HexCase{"0x1G", false, "16"},  // G counts as 0
                      HexCase{"X1f", false, "31"},   // upper-case prefix, lower digits
                      HexCase{"0x4000", false, "16384"},
                      HexCase{"0x", false, "0"},           // prefix without digits
                      HexCase{"12x10", false, "16"},       // only what follows the x counts
                      HexCase{"1X2x3", false, "3"},        // the first lower-case x wins
                      HexCase{"0xFFFFFFFF", false, "-1"},  // 32-bit signed
                      HexCase{"0x80000000", false, "-2147483648"},
                      HexCase{"0x123456789", false, "591751049"},  // 9 digits wrap
                      HexCase{"", true, "0"}, HexCase{"", false, ""},
                      HexCase{"abc", false, "abc"}));  // no prefix, flag clear: unchanged

std::vector<std::uint8_t> Sequence(int count, int first = 0) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    std::iota(bytes.begin(), bytes.end(), static_cast<std::uint8_t>(first));
    return bytes;
}

TEST(AppendHexDump, FourBytesMakeOneOpenLine) {
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    std::string log;
    numbers::AppendHexDumpText(bytes, 4, 0x4000, 4, log);
    EXPECT_EQ(log, "[4000-400F]: 01 02 03 04 - ");
}

TEST(AppendHexDump, SixteenBytesStayOnOneLineWithoutBreak) {
    const auto bytes = Sequence(16);
    std::string log;
    numbers::AppendHexDumpText(bytes.data(), 16, 0x4000, 4, log);
    EXPECT_EQ(log, "[4000-400F]: 00 01 02 03 - 04 05 06 07 - 08 09 0A 0B - 0C 0D 0E 0F ");
}

TEST(AppendHexDump, ThirtyTwoBytesMakeTwoClosedLines) {
    const auto bytes = Sequence(32, 0xE0);
    std::string log;
    numbers::AppendHexDumpText(bytes.data(), 32, 0x40F0, 4, log);
    EXPECT_EQ(log,
              "[40F0-40FF]: E0 E1 E2 E3 - E4 E5 E6 E7 - E8 E9 EA EB - EC ED EE EF \r\n"
              "[4100-410F]: F0 F1 F2 F3 - F4 F5 F6 F7 - F8 F9 FA FB - FC FD FE FF \r\n");
}

TEST(AppendHexDump, PartialLineKeepsSixteenAddressHeader) {
    const auto bytes = Sequence(20);
    std::string log;
    numbers::AppendHexDumpText(bytes.data(), 20, 0x4000, 4, log);
    EXPECT_EQ(log,
              "[4000-400F]: 00 01 02 03 - 04 05 06 07 - 08 09 0A 0B - 0C 0D 0E 0F \r\n"
              "[4010-401F]: 10 11 12 13 - ");
}

TEST(AppendHexDump, AppendsToExistingLog) {
    const std::uint8_t bytes[] = {0xAB, 0xCD};
    std::string log = "Read  ---Success\r\n";
    numbers::AppendHexDumpText(bytes, 2, 0x4108, 4, log);
    EXPECT_EQ(log, "Read  ---Success\r\n[4108-4117]: AB CD ");
}

TEST(AppendHexDump, AddressWidthPadsButNeverCuts) {
    const std::uint8_t bytes[] = {0x5A};
    std::string flash;
    numbers::AppendHexDumpText(bytes, 1, 0x1B0000, 6, flash);
    EXPECT_EQ(flash, "[1B0000-1B000F]: 5A ");

    std::string small;
    numbers::AppendHexDumpText(bytes, 1, 0x10, 6, small);
    EXPECT_EQ(small, "[000010-00001F]: 5A ");

    std::string wide;  // more digits than the width: written in full
    numbers::AppendHexDumpText(bytes, 1, 0x12345, 4, wide);
    EXPECT_EQ(wide, "[12345-12354]: 5A ");
}

TEST(AppendHexDump, NothingToDumpLeavesLogAlone) {
    std::string log = "before";
    const std::uint8_t bytes[] = {1};
    numbers::AppendHexDumpText(bytes, 0, 0x4000, 4, log);
    numbers::AppendHexDumpText(nullptr, 5, 0x4000, 4, log);
    EXPECT_EQ(log, "before");
}

class FillTestPatternTest : public ::testing::Test {
  protected:
    CMainOperation op;
    std::vector<std::uint8_t> Filled(int length, int kind, std::size_t size = 0) {
        std::vector<std::uint8_t> buffer(size ? size : static_cast<std::size_t>(length), 0xEE);
        op.FillTestPattern(buffer.data(), length, kind);
        return buffer;
    }
};

TEST_F(FillTestPatternTest, KindZeroClears) {
    EXPECT_EQ(Filled(6, 0), std::vector<std::uint8_t>(6, 0));
}

TEST_F(FillTestPatternTest, KindOneIsTheLcgFromSeedZeroOnEveryCall) {
    // Low bytes of 38, 7719, 21238, 2437, 8855, 11797, 8365, 32285.
    const std::vector<std::uint8_t> expected = {0x26, 0x27, 0xF6, 0x85, 0x97, 0x15, 0xAD, 0x1D};
    EXPECT_EQ(Filled(8, 1), expected);
    EXPECT_EQ(Filled(8, 1), expected);  // the seed is reset, not continued
}

TEST_F(FillTestPatternTest, KindTwoCountsModulo256) {
    const auto buffer = Filled(300, 2);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[255], 255);
    EXPECT_EQ(buffer[256], 0);
    EXPECT_EQ(buffer[299], 43);
}

TEST_F(FillTestPatternTest, KindThreeWritesWholeWordsOnly) {
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 1, 0, 0, 0, 0xEE, 0xEE};
    EXPECT_EQ(Filled(10, 3), expected);
    const auto big = Filled(1028, 3);
    EXPECT_EQ(big[1024], 0x00);  // word 256 = 0x00000100, little-endian
    EXPECT_EQ(big[1025], 0x01);
}

TEST_F(FillTestPatternTest, UnknownKindsAndEmptyLengthsLeaveBuffer) {
    EXPECT_EQ(Filled(4, 5), std::vector<std::uint8_t>(4, 0xEE));
    EXPECT_EQ(Filled(4, -1), std::vector<std::uint8_t>(4, 0xEE));
    EXPECT_EQ(Filled(0, 2, 4), std::vector<std::uint8_t>(4, 0xEE));
    EXPECT_EQ(Filled(-3, 2, 4), std::vector<std::uint8_t>(4, 0xEE));
}

TEST_F(FillTestPatternTest, KindFourCopiesAtMostTheFileFromConfiguredPath) {
    EXPECT_EQ(op.PatternFile(), "E:\\USB3Data.bin");
    velmor::testing::TempDir dir;
    const std::string path = dir.File("pattern.bin");
    {
        std::ofstream file(path, std::ios::binary);
        file.write("\x01\x02\x03\x04\x05", 5);
    }
    op.SetPatternFile(path);
    EXPECT_EQ(Filled(8, 4), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(Filled(3, 4, 5), (std::vector<std::uint8_t>{1, 2, 3, 0xEE, 0xEE}));

    op.SetPatternFile(dir.File("missing.bin"));
    EXPECT_EQ(Filled(4, 4), std::vector<std::uint8_t>(4, 0xEE));
}

struct CrcCase {
    std::vector<std::uint8_t> bytes;
    std::uint16_t crc;
};

TEST(Crc16, KnownCheckValues) {
    const std::vector<CrcCase> cases = {
        {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
        {{}, 0xFFFF},
        {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xCDC5},  // sent on the wire as C5 CD
        {{0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}, 0x8776},  // sent as 76 87
    };
    for (const auto& c : cases) EXPECT_EQ(ComputeCrc16(c.bytes.data(), c.bytes.size()), c.crc);
}

TEST(Crc16, AppendedCrcChecksToZero) {
    // The MODBUS residue property: a frame followed by its CRC (low byte first)
    // has CRC 0, whatever the frame.
    std::vector<std::uint8_t> frame = {0x40, 0x00, 0x80, 0x12, 0x34, 0x56, 0xFF};
    const std::uint16_t crc = ComputeCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    EXPECT_EQ(ComputeCrc16(frame.data(), frame.size()), 0);
}

TEST(FormatVersionText, GroupsBytesTwoToElevenAndAppendsText) {
    const std::uint8_t block[16] = {0xAA, 0xBB, 0x01, 0x02, 0x20, 0x26, 0x0C, 0x09,
                                    0x00, 0x01, 0x0A, 0xFF, 'V',  '1',  'b',  0};
    EXPECT_EQ(numbers::FormatVersionText(block), "01.02 20.26.0C.09 00.01.0A.FF V1b");
    const std::uint8_t full[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 'B', 'C', 'D'};
    EXPECT_EQ(numbers::FormatVersionText(full), "00.00 00.00.00.00 00.00.00.00 ABCD");  // at most 4
    const std::uint8_t zeros[16] = {};
    EXPECT_EQ(numbers::FormatVersionText(zeros), "00.00 00.00.00.00 00.00.00.00 ");
}

}  // namespace
}  // namespace velmor::controller
