#include "motion/motion_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "controller/main_operation.h"
#include "motion/motion_builder.h"
#include "motion/step_divisor.h"

namespace velmor::motion {
namespace {

using controller::CMD_INFO;
using controller::MotorListInfo;
using controller::MotorSettings;
using Commands = std::vector<CMD_INFO>;

constexpr int kX = 0, kY = 1, kZ = 2, kM0 = 3, kM1 = 4;

// One motor moving, with values that differ per motor.
MotorListInfo Move(int slot, const std::string& led, const std::string& dir, std::int32_t a,
                   std::int32_t s, std::int32_t d, std::int32_t frequency = 0) {
    MotorListInfo step;
    step.nMotorNums = 1;
    step.motorIndex = static_cast<std::uint8_t>(1u << slot);
    step.strLedIndx = led;
    step.MotonTabLen[slot] = a;
    step.MotonnMaxSpeed[slot] = s;
    step.MotonnnMoveLenth[slot] = d;
    step.MotonnnstrDir[slot] = dir;
    step.MotonnFrequency = frequency;
    return step;
}

// Every channel with a distinct pattern of settings.
MotorSettings Settings(std::uint8_t boardType) {
    MotorSettings s;
    s.BoardType = boardType;
    s.XMoto_LimtEable = 1, s.XDirPol = 0, s.XLimtPol = 1, s.XLimtPolLeft = 0;
    s.YMoto0_LimtEable = 0, s.Y0DirPol = 1, s.Y0LimtPol = 1, s.Y0LimtPolLeft = 1;
    s.YMoto1_LimtEable = 1, s.Y1DirPol = 1, s.Y1LimtPol = 0, s.Y1LimtPolLeft = 0;
    s.ZMoto0_LimtEable = 1, s.Z0DirPol = 0, s.Z0LimtPol = 0, s.Z0LimtPolDown = 1;
    s.Moto0_LimtEable = 0, s.Moto0DirPol = 0, s.Moto0LimtPol = 1, s.Moto0LimtPolDown = 1;
    s.Moto1_LimtEable = 1, s.Moto1DirPol = 1, s.Moto1LimtPol = 1, s.Moto1LimtPolLeft = 0;
    s.ZMoto1_LimtEable = 1, s.Z1DirPol = 1, s.Z1LimtPol = 1;  // stored, never programmed
    s.Y0Selected = 1;
    s.Y1Selected = 0;
    s.Z0Gear = 1500;
    s.Z0Board = 0;
    s.Multiply = 3;
    return s;
}

// What survives the trip: the main board has no X control bits and no second
// limit polarity; a feed motor that is not selected is not programmed; the Z1
// settings reach no register.
MotorSettings Expected(MotorSettings s) {
    if (s.Y0Selected == 0) s.YMoto0_LimtEable = s.Y0DirPol = s.Y0LimtPol = s.Y0LimtPolLeft = 0;
    if (s.Y1Selected == 0) s.YMoto1_LimtEable = s.Y1DirPol = s.Y1LimtPol = s.Y1LimtPolLeft = 0;
    if (s.BoardType == 0) {
        s.XMoto_LimtEable = s.XDirPol = s.XLimtPol = s.XLimtPolLeft = 0;
        s.Y0LimtPolLeft = s.Y1LimtPolLeft = s.Z0LimtPolDown = 0;
        s.Moto0LimtPolDown = s.Moto1LimtPolLeft = 0;
    }
    s.ZMoto1_LimtEable = s.Z1DirPol = s.Z1LimtPol = 0;
    return s;
}

void ExpectSameMove(const MotorListInfo& expected, const MotorListInfo& actual,
                    const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(actual.nMotorNums, 1);
    EXPECT_EQ(actual.motorIndex, expected.motorIndex);
    EXPECT_EQ(actual.strLedIndx, expected.strLedIndx);
    for (int slot = 0; slot < 5; ++slot) {
        if ((expected.motorIndex & (1u << slot)) == 0) continue;
        EXPECT_EQ(actual.MotonTabLen[slot], expected.MotonTabLen[slot]);
        EXPECT_EQ(actual.MotonnMaxSpeed[slot], expected.MotonnMaxSpeed[slot]);
        EXPECT_EQ(actual.MotonnnMoveLenth[slot], expected.MotonnnMoveLenth[slot]);
        EXPECT_EQ(actual.MotonnnstrDir[slot], expected.MotonnnstrDir[slot]);
    }
    if ((expected.motorIndex & 1u) != 0) {
        EXPECT_EQ(actual.MotonnFrequency, expected.MotonnFrequency);
    }
}

// Built with `s` and read back with `s` as the current settings, as the
// configuration page does with the controller object's.
MotionReadBack RoundTrip(const std::vector<MotorListInfo>& moves,
                         const std::vector<MotorListInfo>& tests, const MotorSettings& s) {
    Commands cmds;
    BuildInitMotion(cmds, moves, tests, s);
    return ReadMotionBack(cmds, s.BoardType, s);
}

void ExpectRoundTrip(const std::vector<MotorListInfo>& moves,
                     const std::vector<MotorListInfo>& tests, const MotorSettings& s,
                     const std::string& what, bool everyChannelMoves = true) {
    const MotionReadBack back = RoundTrip(moves, tests, s);
    ASSERT_EQ(back.motionList.size(), moves.size()) << what;
    ASSERT_EQ(back.testMotionList.size(), tests.size()) << what;
    for (std::size_t i = 0; i < moves.size(); ++i)
        ExpectSameMove(moves[i], back.motionList[i], what + " move " + std::to_string(i));
    for (std::size_t i = 0; i < tests.size(); ++i)
        ExpectSameMove(tests[i], back.testMotionList[i], what + " test " + std::to_string(i));
    if (everyChannelMoves) {
        EXPECT_EQ(back.settings, Expected(s)) << what;
    }
}

TEST(MotionReadBack, RoundTripOfEveryMotorOnEveryLayout) {
    const std::vector<MotorListInfo> moves = {
        Move(kX, "1", "End", 512, 4000, 1000),         Move(kY, "2", "Orignal", 300, 2500, 70000),
        Move(kZ, "3", "End", 1000, 6000, 12),          Move(kM0, "4", "Orignal", 64, 800, 4),
        Move(kM1, "5", "End", 65535, 100000, 1 << 30), Move(kX, "0", "Orignal", 1, 10, 2)};
    const std::vector<MotorListInfo> tests = {Move(kM1, "D", "Orignal", 20, 30, 40),
                                              Move(kY, "E", "End", 2048, 9000, 5),
                                              Move(kX, "F", "End", 10, 200, 3000)};
    for (std::uint8_t type : {0, 1, 2}) {
        ExpectRoundTrip(moves, tests, Settings(type), "board type " + std::to_string(type));
        MotorSettings y1 = Settings(type);
        y1.Y0Selected = 0;
        y1.Y1Selected = 1;
        ExpectRoundTrip(moves, tests, y1, "only Y1, board type " + std::to_string(type));
        MotorSettings both = Settings(type);
        both.Y1Selected = 1;
        ExpectRoundTrip(moves, tests, both, "both Y, board type " + std::to_string(type));
    }
    MotorSettings head = Settings(0);
    head.Z0Board = 1;
    ExpectRoundTrip(moves, tests, head, "Z on the head board");
}

TEST(MotionReadBack, RoundTripOfTheXDcMotorBesideSteppers) {
    const MotorSettings s = Settings(0);
    const std::vector<MotorListInfo> moves = {
        Move(kX, "1", "End", 2000, 2500, 5000, 5000),  // DC
        Move(kM0, "2", "End", 512, 4000, 1000),        // M0 while the DC bit is still set
        Move(kX, "3", "End", 512, 4000, 1000, 0),      // stepper again: no DC frequency
        Move(kX, "4", "Orignal", 1800, 3000, 100, 0xFFFF)};
    const MotionReadBack back = RoundTrip(moves, {}, s);
    ExpectRoundTrip(moves, {}, s, "X DC", false);
    EXPECT_EQ(back.settings.Multiply, 3);
}

// Each step comes back on its own, in command order, and keeps what earlier
// moves put into the entries of the other motors.
TEST(MotionReadBack, StepsWithTwoMotorsComeBackSplit) {
    MotorListInfo both = Move(kX, "7", "End", 512, 4000, 1000);
    both.motorIndex = 0x05;
    both.nMotorNums = 2;
    both.MotonTabLen[kZ] = 100;
    both.MotonnMaxSpeed[kZ] = 4000;
    both.MotonnnMoveLenth[kZ] = 33;
    const MotionReadBack back = RoundTrip({both}, {}, Settings(1));
    ASSERT_EQ(back.motionList.size(), 2u);
    EXPECT_EQ(back.motionList[0].motorIndex, 0x01);
    EXPECT_EQ(back.motionList[1].motorIndex, 0x04);
    EXPECT_EQ(back.motionList[1].strLedIndx, "7");  // the LED text carries on
    EXPECT_EQ(back.motionList[1].MotonnnMoveLenth[kX], 1000);
    EXPECT_EQ(back.motionList[1].MotonnnMoveLenth[kZ], 33);
}

// Where the arithmetic cannot give the value back, the test name says why.
TEST(MotionReadBack, MultiplyOfWholeMillimetreStepsComesBackOneHigher) {
    for (const auto& [multiply, back] :
         {std::pair{127, 128}, std::pair{0, 1}, std::pair{254, 255}}) {
        MotorSettings s = Settings(0);
        s.Multiply = multiply;
        const MotionReadBack r = RoundTrip({Move(kX, "1", "End", 2000, 2500, 5000, 5000)}, {}, s);
        EXPECT_EQ(r.settings.Multiply, back) << multiply;
    }
    for (int multiply : {1, 2, 10, 126, 128, 500}) {
        MotorSettings s = Settings(0);
        s.Multiply = multiply;
        const MotionReadBack r = RoundTrip({Move(kX, "1", "End", 2000, 2500, 5000, 5000)}, {}, s);
        EXPECT_EQ(r.settings.Multiply, multiply);
    }
}

TEST(MotionReadBack, TopSpeedsTheDivisorCannotRepresentComeBackOtherwise) {
    struct Case {
        const char* why;
        std::int32_t a, s, table, speed;
    };
    const Case cases[] = {
        {"above the divisor's resolution", 512, 2000000, 512, 2000005},
        {"divisor saturated at 32 bits", 512, 1, 512, 135},
        {"zero table length gives divisor 0 and speed 0", 0, 4000, 0, 0},
        {"speed 0 gives divisor 0 and speed 0", 512, 0, 512, 0},
        {"table length above 16 bits loses its upper bits", 0x10200, 4000, 0x200, 352},
    };
    for (const Case& c : cases) {
        const MotionReadBack r = RoundTrip({Move(kZ, "1", "End", c.a, c.s, 9)}, {}, Settings(1));
        ASSERT_EQ(r.motionList.size(), 1u) << c.why;
        EXPECT_EQ(r.motionList[0].MotonTabLen[kZ], c.table) << c.why;
        EXPECT_EQ(r.motionList[0].MotonnMaxSpeed[kZ], c.speed) << c.why;
    }
    // Speeds come back exactly wherever S * (S + 1) <= k = sqrt(A) * 1e8 * 65536 / 255
    // (then trunc(k / S) > k / (S + 1)) and the divisor fits 32 bits.
    for (std::int32_t a : {1, 64, 512, 4096, 65535})
        for (std::int32_t s = 7; s <= 2000000; s = s * 3 / 2 + 1) {
            const double k = std::sqrt(a) * 1e8 * 65536 / 255;
            if (double(s) * (s + 1) > k || k / s >= 4294967296.0) continue;
            const std::uint32_t d = StepDivisor(a, s);
            EXPECT_EQ(TopSpeedFromDivisor(a, d), s) << a << "/" << s;
        }
}

TEST(MotionReadBack, NegativeDistanceComesBackAsItsMagnitude) {
    const MotionReadBack r = RoundTrip({Move(kY, "1", "End", 512, 4000, -1234)}, {}, Settings(0));
    EXPECT_EQ(r.motionList.at(0).MotonnnMoveLenth[kY], 1234);
}

// Commands written out by hand: the main-board DC motor, then a divisor of 0.
TEST(MotionReadBack, HandWrittenMainBoardCommands) {
    auto c = [](const char* op, std::uint16_t address, std::uint8_t data) {
        return CMD_INFO{"", "", op, address, data};
    };
    const Commands cmds = {
        c("WriteAnd", 0x400B, 0x7F), c("WriteOR", 0x400B, 0x08), c("WriteOR", 0x400B, 0x02),
        c("RegWrite", 0x4050, 56), c("RegWrite", 0x4051, 0), c("RegWrite", 0x4078, 0xD0),
        c("RegWrite", 0x4079, 0x07), c("RegWrite", 0x4054, 0x88), c("RegWrite", 0x4055, 0x13),
        c("RegWrite", 0x4056, 0), c("RegWrite", 0x4057, 0), c("RegWrite", 0x405C, 0xC4),
        c("RegWrite", 0x405D, 0x09), c("RegWrite", 0x405E, 0x88), c("RegWrite", 0x405F, 0x13),
        // Z: control with limit enable and direction polarity, table 512, distance 1, divisor 0
        c("RegWrite", 0x4017, 0x86), c("RegWrite", 0x40C2, 0x18), c("RegWrite", 0x40B0, 0x00),
        c("RegWrite", 0x40B1, 0x02), c("RegWrite", 0x40B4, 1), c("RegWrite", 0x40B5, 0),
        c("RegWrite", 0x40B6, 0), c("RegWrite", 0x40B7, 0), c("RegWrite", 0x40BC, 0),
        c("RegWrite", 0x40BD, 0), c("RegWrite", 0x40BE, 0), c("RegWrite", 0x40BF, 0),
        // A divisor byte without a table length completes nothing.
        c("RegWrite", 0x408F, 1), c("RegWrite", 0x4074, 0xDC), c("RegWrite", 0x4075, 0x05)};
    const MotionReadBack r = ReadMotionBack(cmds, 0);
    ASSERT_EQ(r.motionList.size(), 1u);
    const MotorListInfo& x = r.motionList[0];
    EXPECT_EQ(x.strLedIndx, "9");  // a fresh step's LED text
    EXPECT_EQ(x.motorIndex, 1);
    EXPECT_EQ(x.MotonTabLen[kX], 2000);
    EXPECT_EQ(x.MotonnMaxSpeed[kX], 2500);
    EXPECT_EQ(x.MotonnFrequency, 5000);
    EXPECT_EQ(x.MotonnnMoveLenth[kX], 5000);
    EXPECT_EQ(x.MotonnnstrDir[kX], "End");
    ASSERT_EQ(r.testMotionList.size(), 1u);  // LED "E"
    const MotorListInfo& z = r.testMotionList[0];
    EXPECT_EQ(z.motorIndex, 4);
    EXPECT_EQ(z.MotonnMaxSpeed[kZ], 0);
    EXPECT_EQ(z.MotonnnstrDir[kZ], "Orignal");
    EXPECT_EQ(r.settings.Multiply, 2);
    EXPECT_EQ(r.settings.ZMoto0_LimtEable, 1u);
    EXPECT_EQ(r.settings.Z0DirPol, 1);
    EXPECT_EQ(r.settings.Z0LimtPol, 0);
    EXPECT_EQ(r.settings.Z0Gear, 0x05DCu);
}

TEST(MotionReadBack, ControllerObjectOverload) {
    controller::CMainOperation op;
    op.SetBoardType(2);
    op.motionList = {Move(kX, "1", "End", 1, 2, 3)};
    op.testMotionList = {Move(kX, "D", "End", 1, 2, 3)};
    op.motorSettings.Z0Gear = 4321;
    ReadMotionBack(op, {});
    EXPECT_TRUE(op.motionList.empty());
    EXPECT_TRUE(op.testMotionList.empty());
    EXPECT_EQ(op.motorSettings.Z0Gear, 4321u);  // no gear commands: kept
    EXPECT_EQ(op.motorSettings.XMoto_LimtEable, 0u);
    EXPECT_EQ(op.BoardType(), 2);
}

}  // namespace
}  // namespace velmor::motion
