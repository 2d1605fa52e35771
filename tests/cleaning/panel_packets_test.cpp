// The panel frames as pure functions. Expected numbers are worked out by hand
// from the packet rules (R = 720, G = 4.738689, Gy = 570.003235), the working
// shown beside each value.

#include "cleaning/panel_packets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "cleaning/machine_models.h"
#include "cleaning/panel_frame.h"
#include "cleaning/panel_units.h"

namespace velmor::cleaning {
namespace {

using controller::CleanParams;
using Bytes = std::vector<std::uint8_t>;

// Little-endian fields {width in bytes, value}, in order.
Bytes Le(std::initializer_list<std::pair<int, std::uint32_t>> fields) {
    Bytes out;
    for (const auto& [width, value] : fields)
        for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

Bytes Le32(const std::vector<std::uint32_t>& values) {
    Bytes out;
    for (std::uint32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return out;
}

Bytes Framed(std::uint8_t type, const Bytes& payload) {
    Bytes f = {0x57, 0x4C, static_cast<std::uint8_t>(payload.size() + 7), 0x20, type, 0x00};
    for (std::uint8_t b : payload) f.push_back(b);
    f.push_back(static_cast<std::uint8_t>(std::accumulate(f.begin(), f.end(), 0u)));
    return f;
}

// Orvane, two heads, lifting ink stack, motor wiper, stepper carriage.
CleanParams StepperStation() {
    // clang-format off
    return {.uiCarleaveclear1 = 5000, .uiCarmoveblow1 = 8000, .uiCarleaveclear2 = 5200,
            .uiCarmoveblow2 = 8300, .fCarMoveAccDistance = 20.7f, .uiCarMoveSpeed = 300,
            .uiCarbackclear = 35.9, .uiCarCleanPos = 12, .uiMoto1AcceDistance = 400,
            .uiMoto1SpeedMax = 2000, .uiFlashMoto0Up = 1500, .uiMoto0movedown = 1600,
            .uiMoto0moveupblow = 1800, .uiMoto0moveup = 1700, .uiNoclearmoveup = 1900,
            .uiMoto0AcceDistance = 250, .uiMoto0SpeedMax = 1200, .dbXAcceDistance = 150.5f,
            .fXMoveSpeedWhenReady = 300.0f, .byMotoHead = 1};
    // clang-format on
}

// 新界面, one head whose hidden head-2 fields still hold numbers (they would break
// the wiper rule with two heads), fixed ink stack, solenoid wiper, DC carriage.
CleanParams DcStation() {
    CleanParams p = StepperStation();
    p.uiCarleaveclear2 = 9000;
    p.uiCarmoveblow2 = 100;
    p.byMachineType = 2;
    p.nDcEndLeveluiDcCarMoveSpeed = 1200;
    p.nDcStartLevel = -5;
    p.nDcEndLevelLow = 800;
    p.nDcEndLevelMid = 1500;
    p.nDcFrequencyLow = 300;
    p.nDcFrequencyMid = 600;
    p.byStackType = 2;
    p.byMotoType = 1;
    p.byMotoHead = 0;
    p.byMotorType = 1;
    p.uiTimeConsuming = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 7};
    return p;
}

TEST(PanelFrame, CheckByteAndUnits) {
    Bytes sample = {0x57, 0x4C, 0x2F, 0x20, 0x55, 0x00};
    FillCheckByte(sample);
    EXPECT_EQ(sample.back(), 0x47);
    EXPECT_TRUE(MakeFrame(0x55, Bytes(249)).empty());  // no room in the length byte
    EXPECT_EQ(TimingConstant(400, 0), 0u);             // a maximum speed of 0
    EXPECT_EQ(TimingConstant(65535, 1), 0xFFFFFFFFu);  // 3.3e12: saturated, not wrapped
    EXPECT_TRUE(std::isnan(DcCarriagePosition(5000, 720, 0.0)));
}

TEST(PanelPackets, WiperRule) {
    struct Case {
        std::uint32_t wiper1, scrape1, wiper2, scrape2;
        std::uint8_t heads;
        bool valid;
    };
    for (const Case& c : {Case{1000, 1100, 0, 5000, 0, false},  // exactly 100 apart
                          Case{1000, 1101, 0, 5000, 0, true}, Case{1200, 1000, 0, 5000, 0, false},
                          Case{1000, 1101, 1000, 1100, 1, false},  // head 2 counts with two heads
                          Case{1000, 1101, 1000, 1100, 0, true},   // and not with one
                          Case{0, 4000000000u, 0, 0, 0, true}}) {  // no wrap in the difference
        const CleanParams p{.uiCarleaveclear1 = c.wiper1,
                            .uiCarmoveblow1 = c.scrape1,
                            .uiCarleaveclear2 = c.wiper2,
                            .uiCarmoveblow2 = c.scrape2,
                            .byMotoHead = c.heads};
        EXPECT_EQ(WiperPositionsValid(p), c.valid) << c.wiper1 << "/" << c.scrape1;
    }
    const CleanParams bad{.uiCarleaveclear1 = 1000, .uiCarmoveblow1 = 1100};
    EXPECT_EQ(BuildPanelFrames(bad, 720, controller::Language::kEnglish).error,
              "The wiper pulse value cannot be greater than the wiper pulse value!");
    EXPECT_EQ(BuildPanelFrames(bad, 720, controller::Language::kChinese).error,
              "去刮片脉冲值不能大于等于去刮墨脉冲值!");
    EXPECT_TRUE(BuildPanelFrames(bad, 720, controller::Language::kChinese).frames.empty());
}

TEST(PanelPackets, StepperStationByteForByte) {
    const PanelFrames built =
        BuildPanelFrames(StepperStation(), 720, controller::Language::kChinese);
    ASSERT_TRUE(built.Ok()) << built.error;
    ASSERT_EQ(built.frames.size(), 2u);  // no cleaning times for this model
    // Positions, no station marker, the platform with 刮墨 for Orvane, the flash position
    // P(35) = trunc(992 × G) = 4700 and the travel P(1800) = trunc(50787 × G) = 241782.
    EXPECT_EQ(
        built.frames[0],
        Framed(0x55, Le32({5000, 5200, 8000, 8300, 0, 0, 1500, 1700, 1800, 1900, 4700, 241782})));
    // P(20) = trunc(566 × G) = 2682 with T(2682, P(300) = 40293); wiper T(400, 2000); platform
    // T(250, 1200); P(110) = 14775, capped from 150 mm, with T(.., 40293); Y(6) = 3420 with
    // T(.., Y(40) = 22800); the gear ratios × 1000; P(150) = 20144, not capped, with
    // T(.., P(400) = 53727); Y(6) with T(3420, Y(100) = 57000).
    EXPECT_EQ(built.frames[1], Framed(0xA5, Le({{2, 2682},
                                                {4, 16516177},
                                                {2, 400},
                                                {4, 128501960},
                                                {2, 250},
                                                {4, 169316199},
                                                {2, 14775},
                                                {4, 38765366},
                                                {2, 3420},
                                                {4, 32960057},
                                                {4, 4738},
                                                {4, 570003},
                                                {2, 20144},
                                                {4, 33946110},
                                                {2, 3420},
                                                {4, 13184022}})));
}

TEST(PanelPackets, DcStationByteForByte) {
    const PanelFrames built = BuildPanelFrames(DcStation(), 720, controller::Language::kChinese);
    ASSERT_TRUE(built.Ok()) << built.error;
    ASSERT_EQ(built.frames.size(), 3u);
    // Head 1 as counts at whole mm (5000 pulses: 1055 counts, 37 mm, 1048 counts; 8000: 1688,
    // 59 mm, 1672), head 2 zero, the solenoid marker, no platform, flash C(12) = 340.
    EXPECT_EQ(built.frames[0],
              Framed(0x55, Le32({1048, 0, 1672, 0, 10, 10, 0, 0, 0, 0, 340, 241782})));
    EXPECT_EQ(built.frames[1], Framed(0x5A, Le({{2, 100},
                                                {2, 200},
                                                {2, 300},
                                                {2, 400},
                                                {2, 500},
                                                {2, 600},
                                                {2, 700},
                                                {2, 800},
                                                {2, 900},
                                                {2, 1000},
                                                {1, 7}})));
    // C(150) = 4251, the levels and frequencies, the solenoid wiper 10 and 10, the platform
    // pair, the feed pairs as for the stepper, start level -5 sign-extended, Gy × 1000.
    EXPECT_EQ(built.frames[2], Framed(0x4B, Le({{2, 4251},
                                                {2, 1200},
                                                {2, 300},
                                                {2, 10},
                                                {4, 10},
                                                {2, 250},
                                                {4, 169316199},
                                                {2, 4251},
                                                {2, 800},
                                                {2, 300},
                                                {2, 3420},
                                                {4, 32960057},
                                                {4, 0xFFFFFFFB},
                                                {4, 570003},
                                                {2, 4251},
                                                {2, 1500},
                                                {2, 600},
                                                {2, 3420},
                                                {4, 13184022}})));
}

TEST(PanelPackets, StationVariants) {
    CleanParams p = StepperStation();
    p.byMachineType = 1;  // Tessaly sends 平台下降 in place of 平台刮墨
    EXPECT_EQ(
        BuildPanelFrames(p, 720, controller::Language::kChinese).frames.at(0),
        Framed(0x55, Le32({5000, 5200, 8000, 8300, 0, 0, 1500, 1600, 1800, 1900, 4700, 241782})));
    p = StepperStation();
    p.byStackType = 1;  // sliding: marker, no platform, flash at P(12) = trunc(340 × G)
    EXPECT_EQ(BuildPanelFrames(p, 720, controller::Language::kChinese).frames.at(0),
              Framed(0x55, Le32({5000, 5200, 8000, 8300, 10, 10, 0, 0, 0, 0, 1611, 241782})));

    // The 110 mm cap holds in the manual move pair (payload bytes 18..19), not in the print
    // pair (38..39); a maximum speed of 0 gives timing constant 0.
    p = StepperStation();
    p.dbXAcceDistance = 80.9f;  // P(80) = 10742 in both
    p.uiCarMoveSpeed = 0;
    const Bytes motion = BuildPanelFrames(p, 720, controller::Language::kChinese).frames.at(1);
    EXPECT_EQ(Bytes(motion.begin() + 6, motion.begin() + 12), Le({{2, 2682}, {4, 0}}));
    EXPECT_EQ(motion[24] | motion[25] << 8, 10742);
    EXPECT_EQ(motion[44] | motion[45] << 8, 10742);
}

TEST(PanelPackets, ValuesThatDoNotFitAreRefusedByName) {
    struct Case {
        const char* english;
        const char* chinese;
        bool dc;  // starts from the DC station (model 2) instead of the stepper one
        void (*change)(CleanParams&);
    };
    const Case cases[] = {
        {"uiMoto1AcceDistance", "刮片的加速时间", false,
         [](CleanParams& p) { p.uiMoto1AcceDistance = 70000; }},
        {"fMaxYAcceDistance", "走料加速距离", false,
         [](CleanParams& p) { p.fMaxYAcceDistance = 200; }},
        {"dbXAcceDistance", "小车加速距离", false, [](CleanParams& p) { p.dbXAcceDistance = -5; }},
        {"dbXMotorGearRate", "X齿轮比", false, [](CleanParams& p) { p.dbXMotorGearRate = 0; }},
        {"dbYMotorGearRate", "Y齿轮比", false,
         [](CleanParams& p) { p.dbYMotorGearRate = std::numeric_limits<double>::quiet_NaN(); }},
        {"uiMaxDistanceOfXMove", "车头移动总长", false,
         [](CleanParams& p) { p.uiMaxDistanceOfXMove = 4000000000u; }},
        {"uiTimeConsuming10", "闪喷开停次数", true,
         [](CleanParams& p) { p.uiTimeConsuming[10] = 256; }},
        {"nDcStartLevel", "起始电平", true, [](CleanParams& p) { p.nDcStartLevel = 40000; }},
        // pulses / G beyond 32 bits
        {"uiCarleaveclear1", "小车去刮片1位脉冲", true,
         [](CleanParams& p) { p.dbXMotorGearRate = 1e-9; }},
    };
    for (const Case& c : cases) {
        CleanParams p = c.dc ? DcStation() : StepperStation();
        c.change(p);
        const PanelFrames english = BuildPanelFrames(p, 720, controller::Language::kEnglish);
        EXPECT_EQ(english.error, std::string("The value is out of range: ") + c.english);
        EXPECT_TRUE(english.frames.empty()) << c.english;
        EXPECT_EQ(BuildPanelFrames(p, 720, controller::Language::kChinese).error,
                  std::string(c.chinese) + "的值超出范围!");
    }
    // Values a packet does not carry are not checked; a negative DC level keeps its 16 bits.
    CleanParams p = DcStation();
    p.uiMoto1AcceDistance = 70000;  // solenoid wiper
    p.nDcEndLevelLow = -1;
    const PanelFrames built = BuildPanelFrames(p, 720, controller::Language::kChinese);
    ASSERT_TRUE(built.Ok()) << built.error;
    EXPECT_EQ(built.frames[2][6 + 20], 0xFF);
    EXPECT_EQ(built.frames[2][6 + 21], 0xFF);
}

TEST(MachineModels, DravikStoresOrvanesCode) {
    EXPECT_EQ(kMachineModels[4].name, "Dravik");
    EXPECT_EQ(kMachineModels[4].code, 0);
    EXPECT_EQ(kMachineModels[4].notice, "此机型暂未添加");
    EXPECT_EQ(MachineModelIndex(0), 0u);  // code 0 shows Orvane
    EXPECT_EQ(MachineModelIndex(2), 2u);
    EXPECT_FALSE(MachineModelIndex(9).has_value());
}

}  // namespace
}  // namespace velmor::cleaning
