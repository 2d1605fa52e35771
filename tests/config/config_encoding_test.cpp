#include "config/config_encoding.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "config/config_value_lists.h"

namespace velmor::config {
namespace {

using Set = std::function<void(ConfigControls&)>;

struct BitCase {
    const char* control;
    Set set;  // selects the entry that sets the bit
    std::uint8_t PrtConfigParams::*field;
    std::uint8_t expected;
};

// Every control alone on its setting entry; the bytes are written out from the
// encoding tables, not computed.
TEST(ConfigEncodingTest, EachControlSetsItsBitInTheSingleBoardLayout) {
    const BitCase cases[] = {
        {"Orignal At", [](ConfigControls& c) { c.orignalAt = 1; }, &PrtConfigParams::mbCtrl1, 0x80},
        {"M-LLeft Pol", [](ConfigControls& c) { c.mLLeftPol = 1; }, &PrtConfigParams::mbCtrl1,
         0x40},
        {"M-LRight", [](ConfigControls& c) { c.mLRight = 1; }, &PrtConfigParams::mbCtrl1, 0x20},
        {"M-Raster", [](ConfigControls& c) { c.mRaster = 1; }, &PrtConfigParams::mbCtrl1, 0x10},
        {"MotoX-Dir", [](ConfigControls& c) { c.motoXDir = 1; }, &PrtConfigParams::mbCtrl1, 0x08},
        {"MotoY-Dir", [](ConfigControls& c) { c.motoYDir = 1; }, &PrtConfigParams::mbCtrl1, 0x04},
        {"Ink-Auto En", [](ConfigControls& c) { c.inkAutoEn = 1; }, &PrtConfigParams::mbCtrl1,
         0x02},
        {"M_Pol_Waste", [](ConfigControls& c) { c.mPolWaste = 1; }, &PrtConfigParams::mbCtrl2,
         0x80},
        {"Y-Limit HB", [](ConfigControls& c) { c.yLimitSel = 2; }, &PrtConfigParams::mbCtrl2, 0x20},
        {"X-Limit Disable", [](ConfigControls& c) { c.xLimitSel = 3; }, &PrtConfigParams::mbCtrl2,
         0x03},
        {"H-LLeft Pol", [](ConfigControls& c) { c.mainColumn.hLLeftPol = 1; },
         &PrtConfigParams::hbCtrl1, 0x40},
        {"H-LRight Pol", [](ConfigControls& c) { c.mainColumn.hLRightPol = 1; },
         &PrtConfigParams::hbCtrl1, 0x20},
        {"H-Raster Pol", [](ConfigControls& c) { c.mainColumn.hRasterPol = 1; },
         &PrtConfigParams::hbCtrl1, 0x10},
        {"Prn-Limit MB", [](ConfigControls& c) { c.mainColumn.prnLimitSel = 1; },
         &PrtConfigParams::hbCtrl1, 0x08},
        {"Ink-Safe Pol", [](ConfigControls& c) { c.mainColumn.inkSafePol = 1; },
         &PrtConfigParams::hbCtrl1, 0x01},
        {"Ink-k Pol", [](ConfigControls& c) { c.mainColumn.inkPol[0] = 1; },
         &PrtConfigParams::hbCtrl2, 0x80},
        {"Ink-LY Pol", [](ConfigControls& c) { c.mainColumn.inkPol[7] = 1; },
         &PrtConfigParams::hbCtrl2, 0x01},
    };
    // Entries at index 0 that set bits: X/Y-Raster "MB-Raster", Prn-Raster
    // "MB-Raster", Jet-Oriental "PCB at Left". Move them off first.
    ConfigControls base;
    base.xRaster = base.yRaster = 1;
    base.mainColumn.prnRasterSel = base.mainColumn.jetOriental = 1;
    const PrtConfigParams zero = Encode(base, controller::BoardLayout::kMainBoard, {});
    EXPECT_EQ(zero.mbCtrl1 | zero.mbCtrl2 | zero.hbCtrl1 | zero.hbCtrl2, 0);

    for (const BitCase& c : cases) {
        ConfigControls controls = base;
        c.set(controls);
        const PrtConfigParams p = Encode(controls, controller::BoardLayout::kMainBoard, {});
        if (std::string_view(c.control) == "Orignal At") {
            EXPECT_EQ(p.hbCtrl1, 0x80);
        }
        EXPECT_EQ(p.*c.field, c.expected) << c.control;
    }

    const PrtConfigParams defaults =
        Encode(ConfigControls{}, controller::BoardLayout::kMainBoard, {});
    EXPECT_EQ(defaults.mbCtrl2, 0x44);  // both rasters on "MB-Raster"
    EXPECT_EQ(defaults.hbCtrl1, 0x06);  // "MB-Raster" and "PCB at Left"
}

TEST(ConfigEncodingTest, FiberLayoutBytesAnd0x400BCarriesOnlyBits1And0) {
    ConfigControls all;
    all.orignalAt = all.mLLeftPol = all.mLRight = all.mRaster = 1;
    all.motoXDir = all.motoYDir = all.inkAutoEn = all.doubleYSel = all.mPolWaste = 1;
    all.xLimitSel = all.yLimitSel = 3;
    all.secondColumn.hLLeftPol = all.secondColumn.prnLimitSel = 1;
    all.secondColumn.inkPol = {0, 0, 0, 0, 0, 0, 0, 1};
    const PrtConfigParams p = Encode(all, controller::BoardLayout::kFiber, {});
    EXPECT_EQ(p.mbCtrl2b, 0x03);
    EXPECT_EQ(p.mbCtrl1, 0x80 | 0x10 | 0x04 | 0x01);
    EXPECT_EQ(p.mbCtrl2, 0x80 | 0x40 | 0x30 | 0x04 | 0x03);
    EXPECT_EQ(p.hbCtrl11, 0x80 | 0x40 | 0x08 | 0x04 | 0x02);
    EXPECT_EQ(p.hbCtrl22, 0x01);

    // The single-board extras are not encoded in the fiber layout.
    PrtConfigParams previous;
    previous.jetType = 6;
    previous.inkSupplyTime = 9;
    previous.fiberChannelMap = 0x1B;
    all.inkSupplyText = "30";
    const PrtConfigParams kept = Encode(all, controller::BoardLayout::kFiber, previous);
    EXPECT_EQ(kept.jetType, 6);
    EXPECT_EQ(kept.inkSupplyTime, 9);
    EXPECT_EQ(kept.fiberChannelMap, 0x1B);
}

TEST(ConfigEncodingTest, ChannelsPackAndDecode) {
    EXPECT_EQ(PackChannels({true, true, true, true}), 0xE4);
    EXPECT_EQ(PackChannels({false, false, true, false}), 0x02);
    EXPECT_EQ(PackChannels({false, false, false, false}), 0x00);
    EXPECT_EQ(PackChannels({false, true, false, true}), 0x0D);  // 1 then 3 in slots 0, 1

    PrtConfigParams p;
    p.fiberChannelMap = 0x00;
    EXPECT_EQ(Decode(p, controller::BoardLayout::kMainBoard, {}).channels,
              (std::array<bool, 4>{true, false, false, false}));
    p.fiberChannelMap = 0xE4;
    EXPECT_EQ(Decode(p, controller::BoardLayout::kMainBoard, {}).channels,
              (std::array<bool, 4>{true, true, true, true}));
    p.fiberChannelMap = 0x02;
    EXPECT_EQ(Decode(p, controller::BoardLayout::kMainBoard, {}).channels,
              (std::array<bool, 4>{false, false, true, false}));
}

TEST(ConfigEncodingTest, InkSupplyTimeKeepsItsValueOutside1To255) {
    PrtConfigParams previous;
    previous.inkSupplyTime = 7;
    for (const char* text : {"0", "300", "", "abc", "12x", "-5"}) {
        ConfigControls c;
        c.inkSupplyText = text;
        EXPECT_EQ(Encode(c, controller::BoardLayout::kMainBoard, previous).inkSupplyTime, 7)
            << text;
    }
    ConfigControls c;
    c.inkSupplyText = " 255 ";
    EXPECT_EQ(Encode(c, controller::BoardLayout::kMainBoard, previous).inkSupplyTime, 255);
    EXPECT_EQ(Decode(PrtConfigParams{}, controller::BoardLayout::kMainBoard, {}).inkSupplyText,
              "1");
}

TEST(ConfigEncodingTest, FileWithoutPrinterKeysShowsFirstEntries) {
    ConfigControls current;
    current.rasterRes = 3;
    const ConfigControls shown =
        Decode(PrtConfigParams{}, controller::BoardLayout::kMainBoard, current);
    EXPECT_EQ(kJetTypeValues[static_cast<std::size_t>(shown.jetType)], "SPT510-35PL");
    EXPECT_EQ(shown.rasterRes, 3);  // code 0: no resolution change
    EXPECT_EQ(kFlashFrequencyValues[static_cast<std::size_t>(shown.flashFrequency)], "1   HZ");

    PrtConfigParams p;
    p.jetType = 8;
    p.dpiCode = 0x3A;  // low four bits 10: "1440 dpi"
    p.flashSel = 40;   // beyond the list: nothing selected
    p.flashSpit = 64;
    const ConfigControls other = Decode(p, controller::BoardLayout::kMainBoard, current);
    EXPECT_EQ(kJetTypeValues[static_cast<std::size_t>(other.jetType)], "UNKNOWN");
    EXPECT_EQ(other.rasterRes, 4);
    EXPECT_EQ(other.flashFrequency, kNoSelection);
    EXPECT_TRUE(other.flashSpitOn);
}

TEST(ConfigEncodingTest, HeadTypeRule) {
    const auto index = [](std::string_view text) { return *IndexOf(kJetTypeValues, text); };
    EXPECT_EQ(DropControlsEnabled(index("SPT255-GS-35PL")), true);
    EXPECT_EQ(DropControlsEnabled(index("SPT508-GS-35PL")), true);
    EXPECT_EQ(DropControlsEnabled(index("SPT1020-35PL")), false);
    EXPECT_EQ(DropControlsEnabled(index("UNKNOWN")), std::nullopt);  // stays as it was
    EXPECT_EQ(DropControlsEnabled(kNoSelection), std::nullopt);
    EXPECT_EQ(DotSizeValues(controller::Language::kEnglish)[2], "Big point");
    EXPECT_EQ(DotSizeValues(controller::Language::kChinese)[0], "小点");
}

// Decode shows what Encode read, for any state of the encoded controls.
TEST(ConfigEncodingTest, DecodeInvertsEncodeInBothLayouts) {
    std::mt19937 random(7);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (controller::BoardLayout layout :
         {controller::BoardLayout::kMainBoard, controller::BoardLayout::kFiber}) {
        for (int round = 0; round < 200; ++round) {
            ConfigControls c;
            for (int* two : {&c.orignalAt, &c.mLRight, &c.mRaster, &c.inkAutoEn, &c.xRaster,
                             &c.yRaster, &c.mPolWaste, &c.mLLeftPol})
                *two = pick(2);
            c.xLimitSel = pick(4);
            c.yLimitSel = pick(4);
            for (HeadColumnControls* col : {&c.mainColumn, &c.secondColumn}) {
                for (int* two :
                     {&col->hLLeftPol, &col->hLRightPol, &col->hRasterPol, &col->inkSafePol,
                      &col->jetOriental, &col->prnLimitSel, &col->prnRasterSel})
                    *two = pick(2);
                for (int& ink : col->inkPol) ink = pick(2);
            }
            if (layout == controller::BoardLayout::kMainBoard) {
                c.motoXDir = pick(2);
                c.motoYDir = pick(2);
                c.jetType = pick(8);
                c.rasterRes = pick(5);
                c.flashFrequency = pick(12);
                c.inkSupplyText = std::to_string(1 + pick(255));
                c.secondColumn = {};  // not shown in this layout
                for (bool& channel : c.channels) channel = pick(2) == 1;
                // No box checked packs like channel 1 alone, which is what shows.
                if (c.channels == std::array<bool, 4>{}) c.channels[0] = true;
            } else {
                c.doubleYSel = pick(2);
            }
            const ConfigControls shown = Decode(Encode(c, layout, {}), layout, c);
            EXPECT_EQ(shown, c) << "round " << round;
        }
    }
}

TEST(ConfigEncodingTest, TakeFromListByAddressLaterEntriesWin) {
    using controller::CMD_INFO;
    const std::vector<CMD_INFO> list = {
        {"InitDone", "MB Ctrl1", "RegWrite", 0x4009, 0x11},
        {"Other", "MB Ctrl1", "RegWrite", 0x4009, 0x22},
        {"InitDone", "MB Ctrl2", "RegWrite", 0x400B, 0x03},
        {"InitDone", "", "RegWrite", 0x4071, 0x20},
        {"InitDone", "", "RegWrite", 0x407B, 0xE4},
        {"InitDone", "HB Ctrl11", "RegWrite", 0x4209, 0x5A},
    };
    const PrtConfigParams single = TakeFromList(list, controller::BoardLayout::kMainBoard, {});
    EXPECT_EQ(single.mbCtrl1, 0x22);
    EXPECT_EQ(single.mbCtrl2b, 0);
    EXPECT_EQ(single.inkSupplyTime, 0x20);
    EXPECT_EQ(single.fiberChannelMap, 0xE4);
    EXPECT_EQ(single.hbCtrl11, 0);
    const PrtConfigParams fiber =
        TakeFromList(list, controller::BoardLayout::kFiber, {}, "InitDone");
    EXPECT_EQ(fiber.mbCtrl1, 0x11);
    EXPECT_EQ(fiber.mbCtrl2b, 0x03);
    EXPECT_EQ(fiber.hbCtrl11, 0x5A);
    EXPECT_EQ(fiber.inkSupplyTime, 0);
}

}  // namespace
}  // namespace velmor::config
