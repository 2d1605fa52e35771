#include "commands/command_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmor::commands {
namespace {

using controller::CMD_INFO;

// Expected commands written out by hand: the leftmost two digits go to the base
// address with "[7:0]", each further pair one address and eight bits higher.
TEST(SplitDataBytes, OneCommandPerPairOfDigits) {
    struct Case {
        const char* regName;
        const char* address;
        const char* data;
        std::vector<CMD_INFO> expected;  // KeyName, RegName, OptType, Addr, Data
    };
    const Case cases[] = {
        {"REG",
         "40",
         "0x1234",
         {{"", "REG[7:0]", "K", 0x40, 0x12}, {"", "REG[15:8]", "K", 0x41, 0x34}}},
        {"R", "10", "abc", {{"", "R[7:0]", "K", 0x10, 0x0A}, {"", "R[15:8]", "K", 0x11, 0xBC}}},
        {"R", "10", "0x", {}},
        {"R", "10", "x", {}},
        {"R", "0x4001", "7", {{"", "R[7:0]", "K", 0x4001, 0x07}}},
        {"CTRL[3:0]",
         "4001",
         "0X5a06",
         {{"", "CTRL[3:0]", "K", 0x4001, 0x5A}, {"", "CTRL[3:0]", "K", 0x4002, 0x06}}},
        // An "x" anywhere drops the first two characters, whatever they are.
        {"R", "1", "12x4", {{"", "R[7:0]", "K", 0x01, 0x04}}},
        // Addresses keep their low 16 bits and wrap; non-digits count 0.
        {"R", "12345", "g1", {{"", "R[7:0]", "K", 0x2345, 0x01}}},
        {"R",
         "ffff",
         "0102",
         {{"", "R[7:0]", "K", 0xFFFF, 0x01}, {"", "R[15:8]", "K", 0x0000, 0x02}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitDataBytes("K", c.regName, c.address, c.data), c.expected) << c.data;
        EXPECT_EQ(DataByteCount(c.data), c.expected.size()) << c.data;
    }
    const auto many = SplitDataBytes("RegRead", "M", "0", std::string(40, 'f'));
    ASSERT_EQ(many.size(), 20u);
    EXPECT_EQ(many[19], (CMD_INFO{"", "M[159:152]", "RegRead", 19, 0xFF}));
}

TEST(CommandTexts, HexConversionKeepsTheLowBits) {
    EXPECT_EQ(AddressFromText("0x1F"), 0x1F);
    EXPECT_EQ(AddressFromText("1F"), 0x1F);
    EXPECT_EQ(AddressFromText("ffff1"), 0xFFF1);
    EXPECT_EQ(AddressFromText(""), 0);
    EXPECT_EQ(DataFromText("1234"), 0x34);
    EXPECT_EQ(DataFromText("1G"), 0x10);
    EXPECT_EQ(numbers::Hex(0x4A0F, kListHex), "4a0f");
    EXPECT_EQ(numbers::Hex(0, kListHex), "0");
}

}  // namespace
}  // namespace velmor::commands
