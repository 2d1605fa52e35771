#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "config/command_list_update.h"

namespace velmor::config {
namespace {

using controller::CMD_INFO;

struct Lists {
    std::vector<CMD_INFO> cmdList;
    std::vector<std::string> cmdNames{"InitDone"};
    std::vector<std::string> allCmdNames{"InitDone"};
    bool rebuildFlag = false;

    void Update(const PrtConfigParams& p, std::uint8_t boardType) {
        UpdateCommandList({cmdList, cmdNames, allCmdNames, rebuildFlag}, p, boardType);
    }
    int Count(std::uint16_t address) const {
        return static_cast<int>(std::count_if(
            cmdList.begin(), cmdList.end(),
            [&](const CMD_INFO& c) { return c.Addr == address && c.KeyName == "InitDone"; }));
    }
};

PrtConfigParams SampleParams() {
    PrtConfigParams p;
    p.mbCtrl1 = 0x91;
    p.mbCtrl2 = 0x22;
    p.mbCtrl2b = 0x03;
    p.hbCtrl1 = 0x44;
    p.hbCtrl2 = 0x55;
    p.hbCtrl11 = 0x66;
    p.hbCtrl22 = 0x77;
    return p;
}

TEST(CommandListTest, RebuildPutsEveryParameterRegisterOnceAndDropsDefaultCommands) {
    // Address, name and data of each row, per board type, written out by hand.
    const std::vector<std::tuple<std::uint16_t, std::string, std::uint8_t>> common = {
        {0x4009, "MB Ctrl1", 0x91},  {0x400A, "MB Ctrl2", 0x22},  {0x400B, "MB Ctrl2", 0x03},
        {0x4108, "HB Ctrl0", 0x80},  {0x4208, "HB Ctrl02", 0x80}, {0x4109, "HB Ctrl1", 0x44},
        {0x4209, "HB Ctrl11", 0x66}, {0x410A, "HB Ctrl2", 0x55},  {0x420A, "HB Ctrl22", 0x77},
        {0x410B, "HB Ctrl3", 0x00},  {0x420B, "HB Ctrl32", 0x00}};
    const std::vector<std::tuple<std::uint16_t, std::string, std::uint8_t>> fourFiber = {
        {0x4308, "HB Ctrl03", 0x80}, {0x4408, "HB Ctrl04", 0x80}, {0x4309, "HB Ctrl12", 0x66},
        {0x4409, "HB Ctrl13", 0x66}, {0x430A, "HB Ctrl23", 0x77}, {0x440A, "HB Ctrl24", 0x77}};

    for (std::uint8_t board :
         {controller::kMainboardType, controller::kDoubleFiberType, controller::kFourFiberType}) {
        Lists lists;
        lists.rebuildFlag = true;
        lists.cmdList = {{"default", "x", "RegWrite", 0x4001, 1},
                         {"InitDone", "old", "RegWrite", 0x4009, 9},
                         {"InitMovement", "m", "WriteOR", 0x400B, 8},
                         {"InitEnd", "end[7:0]", "InitEnd", 0x4E00, 0}};
        lists.Update(SampleParams(), board);

        auto expected = common;
        if (board == controller::kFourFiberType)
            expected.insert(expected.end(), fourFiber.begin(), fourFiber.end());
        std::size_t initDone = 0;
        for (const auto& [address, name, data] : expected) {
            ASSERT_EQ(lists.Count(address), 1) << std::hex << address;
            const auto it = std::find_if(
                lists.cmdList.begin(), lists.cmdList.end(),
                [&](const CMD_INFO& c) { return c.Addr == address && c.KeyName == "InitDone"; });
            EXPECT_EQ(it->RegName, name);
            EXPECT_EQ(it->OptType, "RegWrite");
            EXPECT_EQ(it->Data, data) << std::hex << address;
            ++initDone;
        }
        const auto groups =
            std::count_if(lists.cmdList.begin(), lists.cmdList.end(),
                          [](const CMD_INFO& c) { return c.KeyName == "InitDone"; });
        EXPECT_EQ(static_cast<std::size_t>(groups), initDone);
        EXPECT_EQ(lists.cmdList.front().KeyName, "InitMovement");  // kept, "default" gone
        EXPECT_FALSE(lists.rebuildFlag);
        // Three terminators close the list, the earlier one is gone.
        ASSERT_GE(lists.cmdList.size(), 3u);
        for (std::size_t i = lists.cmdList.size() - 3; i < lists.cmdList.size(); ++i)
            EXPECT_EQ(lists.cmdList[i], (CMD_INFO{"InitEnd", "end[7:0]", "InitEnd", 0x4E00, 0}));
        EXPECT_EQ(lists.cmdList.size(), 1 + initDone + 3);
    }
}

TEST(CommandListTest, WithoutRebuildTheFirstSixRowsOnlyReplace) {
    Lists lists;
    lists.cmdList = {{"InitDone", "mine", "RegWrite", 0x400A, 0x01},
                     {"InitDone", "mine", "RegWrite", 0x400A, 0x02},
                     {"InitDone", "and", "WriteAnd", 0x400B, 0x0F},
                     {"default", "kept", "RegWrite", 0x4009, 0x07}};
    lists.Update(SampleParams(), controller::kDoubleFiberType);

    EXPECT_EQ(lists.Count(0x4009), 0);  // none to replace: none added
    EXPECT_EQ(lists.Count(0x4109), 0);
    EXPECT_EQ(lists.cmdList[0], (CMD_INFO{"InitDone", "MB Ctrl2", "RegWrite", 0x400A, 0x22}));
    EXPECT_EQ(lists.cmdList[1].Data, 0x02);           // only the first one is replaced
    EXPECT_EQ(lists.cmdList[2].OptType, "WriteAnd");  // 0x400B replaces a "RegWrite" only
    EXPECT_EQ(lists.cmdList[3].KeyName, "default");
    EXPECT_EQ(lists.Count(0x400B), 2);  // the AND update and the appended write
    EXPECT_EQ(lists.Count(0x4208), 1);
    EXPECT_EQ(lists.Count(0x4308), 0);  // DoubleFiber: no head boards 3 and 4

    // A second update replaces in place and still ends with exactly three terminators.
    const std::size_t size = lists.cmdList.size();
    lists.Update(SampleParams(), controller::kDoubleFiberType);
    EXPECT_EQ(lists.cmdList.size(), size);
}

TEST(CommandListTest, NameListsGainTheGroupsTheImageNeeds) {
    Lists lists;
    lists.Update({}, controller::kMainboardType);
    EXPECT_EQ(lists.allCmdNames, (std::vector<std::string>{"InitDone", "InitMovement", "InitEnd"}));
    EXPECT_EQ(lists.cmdNames, (std::vector<std::string>{"InitDone", "InitEnd"}));

    // With "InitMovement" already listed, "InitEnd" is not added to that list.
    Lists listed;
    listed.allCmdNames = {"InitMovement"};
    listed.cmdNames = {"InitEnd", "InitDone"};
    listed.Update({}, controller::kMainboardType);
    EXPECT_EQ(listed.allCmdNames, (std::vector<std::string>{"InitMovement"}));
    EXPECT_EQ(listed.cmdNames, (std::vector<std::string>{"InitEnd", "InitDone"}));
}

}  // namespace
}  // namespace velmor::config
