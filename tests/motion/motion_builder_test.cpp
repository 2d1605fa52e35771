#include "motion/motion_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <tuple>
#include <vector>

#include "motion/led_code.h"
#include "motion/step_divisor.h"

namespace velmor::motion {
namespace {

using controller::CMD_INFO;
using controller::MotorListInfo;
using controller::MotorSettings;
using Commands = std::vector<CMD_INFO>;

const std::string kMove = "InitMovement";
const std::string kTest = "InitMovetest";

CMD_INFO C(const std::string& group, const std::string& name, const std::string& op,
           std::uint16_t address, std::uint8_t data) {
    return {group, name, op, address, data};
}

// All polarities, limit enables and direction polarities off.
MotorSettings Plain(std::uint8_t boardType) {
    MotorSettings s;
    s.BoardType = boardType;
    s.XMoto_LimtEable = s.YMoto0_LimtEable = s.YMoto1_LimtEable = s.ZMoto0_LimtEable = 0;
    s.ZMoto1_LimtEable = s.Moto0_LimtEable = s.Moto1_LimtEable = 0;
    s.Y0Selected = 1;
    s.Y1Selected = 0;
    return s;
}

// A step of one or more motors, all with the same numbers.
MotorListInfo Step(std::uint8_t motors, const std::string& led, std::int32_t a = 512,
                   std::int32_t s = 4000, std::int32_t d = 1000, const std::string& dir = "End") {
    MotorListInfo step;
    step.motorIndex = motors;
    step.nMotorNums = static_cast<std::uint8_t>(std::popcount(motors));
    step.strLedIndx = led;
    for (int i = 0; i < 5; ++i) {
        step.MotonTabLen[i] = a;
        step.MotonnMaxSpeed[i] = s;
        step.MotonnnMoveLenth[i] = d;
        step.MotonnnstrDir[i] = dir;
    }
    return step;
}

Commands Build(const std::vector<MotorListInfo>& moves, const std::vector<MotorListInfo>& tests,
               const MotorSettings& settings) {
    Commands out;
    BuildInitMotion(out, moves, tests, settings);
    return out;
}

std::size_t Count(const Commands& cmds, std::uint16_t address, const std::string& op = "") {
    return static_cast<std::size_t>(std::count_if(cmds.begin(), cmds.end(), [&](const CMD_INFO& c) {
        return c.Addr == address && (op.empty() || c.OptType == op);
    }));
}

std::ptrdiff_t IndexOf(const Commands& cmds, std::uint16_t address, const std::string& op) {
    const auto it = std::find_if(cmds.begin(), cmds.end(), [&](const CMD_INFO& c) {
        return c.Addr == address && c.OptType == op;
    });
    return it == cmds.end() ? -1 : it - cmds.begin();
}

TEST(LedCode, TableBothWaysAndEverythingElseIsNone) {
    const std::vector<std::pair<std::string, int>> table = {
        {"0", 0x00}, {"1", 0xF9}, {"2", 0xA4}, {"3", 0xB0}, {"4", 0x99}, {"5", 0x92},
        {"6", 0x82}, {"7", 0xF8}, {"8", 0x80}, {"9", 0x90}, {"A", 0x88}, {"B", 0x83},
        {"C", 0xC6}, {"D", 0xA1}, {"E", 0x86}, {"F", 0x8E}};
    for (const auto& [text, code] : table) {
        EXPECT_EQ(LedCodeFromText(text), code) << text;
        EXPECT_EQ(LedTextFromCode(static_cast<std::uint8_t>(code)), text) << code;
    }
    for (const char* text : {"none", "a", "G", "", "10"}) EXPECT_EQ(LedCodeFromText(text), 0x11);
    for (int code : {0x11, 0x01, 0xFF, 0xC0}) EXPECT_EQ(LedTextFromCode(code), "none");
}

// Expected values worked out by hand: sqrt(A) * rate * 65536 / S / 255, truncated.
TEST(StepDivisor, ValuesAndBadInput) {
    struct Case {
        std::int32_t a, s;
        double rate;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {512, 4000, kListDivisorRate, 145383372u},
        {512, 4000, kTestDivisorRate, 72691686u},  // truncation after halving
        {100, 3000, kListDivisorRate, 85667973u},
        {0, 4000, kListDivisorRate, 0u},
        {512, 0, kListDivisorRate, 0u},             // no division by zero
        {512, -5, kListDivisorRate, 0u},            // a negative speed is no rate either
        {-1, 4000, kListDivisorRate, 0u},           // negative acceleration count
        {10000, 1, kListDivisorRate, 0xFFFFFFFFu},  // 2570039215686 saturates
        {65535, 1, kListDivisorRate, 0xFFFFFFFFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepDivisor(c.a, c.s, c.rate), c.expected) << c.a << "/" << c.s;
}

TEST(StepDivisor, InverseAndDcMotorValues) {
    EXPECT_EQ(TopSpeedFromDivisor(512, 145383372u), 4000);
    EXPECT_EQ(TopSpeedFromDivisor(512, 0), 0);  // read-back divisor 0
    EXPECT_EQ(TopSpeedFromDivisor(-4, 100), 0);
    EXPECT_EQ(TopSpeedFromDivisor(65535, 1), 0x7FFFFFFF);
    EXPECT_EQ(XdcStepValue(2), 56);
    EXPECT_EQ(XdcStepValue(1), 28);
    EXPECT_EQ(MultiplyFromXdcStepValue(56), 2);
    EXPECT_EQ(XdcDivisor(5000, 2500), 327682500u);
    EXPECT_EQ(XdcDivisor(1, 0x12345), 0x00012345u);  // only the low 16 bits of the voltage
}

// Commands as the rules write them, bytes worked out by hand: one register, or
// a little-endian field whose byte k carries the name with its bit range.
struct Listing {
    std::string group;
    Commands cmds;
    Listing& Op(const std::string& name, const std::string& op, std::uint16_t a, std::uint8_t d) {
        cmds.push_back({group, name, op, a, d});
        return *this;
    }
    Listing& Bytes(const std::string& name, std::uint16_t a, std::vector<std::uint8_t> bytes) {
        static const char* kRanges[] = {"[7:0]", "[15:8]", "[23:16]", "[31:24]"};
        for (std::size_t k = 0; k < bytes.size(); ++k)
            Op(name + kRanges[k], "RegWrite", static_cast<std::uint16_t>(a + k), bytes[k]);
        return *this;
    }
    Listing& Start(const std::string& name, std::uint16_t a, std::uint8_t clear, std::uint8_t set) {
        return Op(name, "WriteAnd", a, clear)
            .Op(name, "WriteOR", a, set)
            .Op(name, "WriteAnd", a, ~set & 0xFF);
    }
    Listing& Gear() {  // 1000, four times the same register name
        for (std::uint16_t a = 0x4074; a <= 0x4077; ++a)
            Op("MOTOR_Z_1_GEAR[7:0]", "RegWrite", a, a == 0x4074 ? 0xE8 : (a == 0x4075 ? 3 : 0));
        return *this;
    }
};

// 512 = 0x0200, 1000 = 0x03E8, divisor 145383372 = 0x08AA5FCC.
const std::vector<std::uint8_t> kTable512 = {0x00, 0x02};
const std::vector<std::uint8_t> kLength1000 = {0xE8, 0x03, 0x00, 0x00};
const std::vector<std::uint8_t> kDivisor = {0xCC, 0x5F, 0xAA, 0x08};

// Only Y, both feed motors, main board: the whole group.
TEST(MotionBuilder, MainBoardYStepBothFeedMotorsInFull) {
    MotorSettings s = Plain(0);
    s.Y1Selected = 1;
    s.YMoto0_LimtEable = 1;
    s.Y0DirPol = 1;
    s.Y1LimtPol = 1;
    Listing e{kMove, {}};
    e.Op("MB_LED_CTRL[7:0]", "RegWrite", 0x4017, 0x92)
        .Op("HB_LED_CTRL[7:0]", "RegWrite", 0x4117, 0x92);
    e.Op("MOTOR_Y_CTRL_0[7:0]", "RegWrite", 0x40A1, 0x1A);  // End, limit, direction polarity
    e.Bytes("MOTO_Y0_TABLEN", 0x4080, kTable512).Bytes("MOTO_Y0_LEN", 0x4084, kLength1000);
    e.Bytes("MOTO_Y0_DIVIDEND", 0x408C, kDivisor);
    e.Op("MOTOR_Y_CTRL_0[7:0]", "RegWrite", 0x40A3, 0x22);  // End, limit polarity
    e.Bytes("MOTO_Y1_TABLEN", 0x4090, kTable512).Bytes("MOTO_Y1_LEN", 0x4094, kLength1000);
    e.Bytes("MOTO_Y1_DIVIDEND", 0x409C, kDivisor);
    e.Start("MOTOR_Y0_Y1_TRIG_CTRL[7:0]", 0x40A4, 0xAA, 0x11);
    e.Op("MOTOR_Y0_STATUS[7:0]", "ReadAnd", 0x40A0, 1)
        .Op("MOTOR_Y1_STATUS[7:0]", "ReadAnd", 0x40A2, 1);
    EXPECT_EQ(Build({Step(0x02, "5")}, {}, s), e.Gear().cmds);
}

// Multiply 2, start voltage 2000, end voltage 2500, frequency 5000, distance 5000.
TEST(MotionBuilder, MainBoardXDcMotorInFull) {
    MotorSettings s = Plain(0);
    s.Multiply = 2;
    MotorListInfo step = Step(0x01, "none", 2000, 2500, 5000, "Orignal");
    step.MotonnFrequency = 5000;
    Listing e{kMove, {}};
    e.Op("MAIN_CTRL_3[7:0]", "WriteAnd", 0x400B, 0x7F).Op("MB XDC", "WriteOR", 0x400B, 0x08);
    e.Op("MAIN_CTRL_3[7:0]", "WriteAnd", 0x400B, 0xFD);
    e.Bytes("MOTOR_XDC_STEP_VALUE", 0x4050, {56, 0}).Bytes("MOTO_X0_TABLEN", 0x4078, {0xD0, 0x07});
    e.Bytes("MOTO_X0_LEN", 0x4054, {0x88, 0x13, 0, 0});
    e.Bytes("MOTO_X0_DIVIDEND", 0x405C, {0xC4, 0x09, 0x88, 0x13});  // 327682500, no rate
    e.Start("MAIN_CTRL_3[7:0]", 0x400B, 0xFA, 0x01).Op("MAIN_STATUS_3[7:0]", "ReadAnd", 0x400F, 1);
    EXPECT_EQ(Build({step}, {}, s), e.Gear().cmds);
}

// Four fiber boards, X with every setting on, LED "D", in the movetest list.
TEST(MotionBuilder, FiberXMovetestStepInFull) {
    MotorSettings s = Plain(2);
    s.XDirPol = s.XLimtPolLeft = s.XLimtPol = 1;
    s.XMoto_LimtEable = 1;
    Listing e{kTest, {}};
    e.Op("MB_LED_CTRL[7:0]", "RegWrite", 0x4017, 0xA1)
        .Op("HB_LED_CTRL[7:0]", "RegWrite", 0x4117, 0xA1);
    for (std::uint16_t a : {0x4217, 0x4317, 0x4417}) e.Op("HB_LED_CTRLD[7:0]", "RegWrite", a, 0xA1);
    e.Op("MAIN_CTRL_3[7:0]", "WriteAnd", 0x4091, 0xDF)
        .Op("MOTOR_X_CTRL[7:0]", "RegWrite", 0x4090, 0x1F);
    e.Bytes("MOTO_X0_TABLEN", 0x40A0, kTable512).Bytes("MOTO_X0_LEN", 0x40A4, kLength1000);
    e.Op("MOTOR_X_AND_0_RATE[7:0]", "RegWrite", 0x40A2, 0xFF)
        .Bytes("MOTO_X0_DIVIDEND", 0x40AC, kDivisor);
    e.Start("MAIN_CTRL_3[7:0]", 0x4090, 0x3F, 0x80).Op("end[7:0]", "ReInit", 0x4E00, 0x55);
    e.Op("MAIN_STATUS_3[7:0]", "ReadAnd", 0x4092, 1);
    EXPECT_EQ(Build({}, {Step(0x01, "D")}, s), e.cmds);
}

// Fiber M1 and M0: direction on its own (nothing for an unknown text), then the
// setting bits OR-ed in; Z's control byte carries the lower limit in bit 2.
TEST(MotionBuilder, FiberSharedControlRegisters) {
    MotorSettings s = Plain(1);
    s.Moto1DirPol = s.Moto1LimtPolLeft = s.Z0LimtPolDown = 1;
    s.Moto0_LimtEable = 1;
    const auto m1 = [](const char* op, std::uint8_t d) {
        return Listing{kMove, {}}
            .Op("MAIN_CTRL_3[7:0]", "WriteOR", 0x4098, 0x20)
            .Op("MOTOR_1_CTRL[15:8]", op, 0x4098, d);
    };
    const struct {
        std::uint8_t motor;
        std::string dir;
        Listing expected;  // the commands up to the table length
    } cases[] = {
        {0x10, "End", m1("WriteOR", 0x10).Op("MOTOR_1_CTRL[7:0]", "WriteOR", 0x4098, 0x05)},
        {0x10, "Orignal", m1("WriteAnd", 0xEF).Op("MOTOR_1_CTRL[7:0]", "WriteOR", 0x4098, 0x05)},
        {0x10, "sideways",
         Listing{kMove, {}}
             .Op("MAIN_CTRL_3[7:0]", "WriteOR", 0x4098, 0x20)
             .Op("MOTOR_1_CTRL[7:0]", "WriteOR", 0x4098, 0x05)},
        {0x08, "End",
         Listing{kMove, {}}
             .Op("MAIN_CTRL_3[7:0]", "WriteOR", 0x4091, 0x20)
             .Op("MOTOR_0_CTRL[15:8]", "WriteOR", 0x4091, 0x10)
             .Op("MOTOR_0_CTRL[7:0]", "WriteOR", 0x4091, 0x02)},
        {0x04, "sideways",
         Listing{kMove, {}}
             .Op("MAIN_CTRL_3[7:0]", "WriteAnd", 0x4098, 0xDF)
             .Op("MOTOR_Z_1_CTRLS[7:0]", "RegWrite", 0x4097, 0x04)},
    };
    for (const auto& c : cases) {
        const Commands all = Build({Step(c.motor, "none", 512, 4000, 1000, c.dir)}, {}, s);
        ASSERT_GE(all.size(), c.expected.cmds.size());
        EXPECT_EQ(Commands(all.begin(), all.begin() + c.expected.cmds.size()), c.expected.cmds)
            << int(c.motor) << " " << c.dir;
    }
}

TEST(MotionBuilder, LedWritesPerBoardTypeAndOnlyWithTheFirstMotor) {
    for (const auto& [type, writes] : {std::pair{0, 2}, std::pair{1, 3}, std::pair{2, 5}}) {
        const Commands cmds = Build({Step(0x01 | 0x02, "5")}, {}, Plain(type));
        const auto leds = std::count_if(cmds.begin(), cmds.end(),
                                        [](const CMD_INFO& c) { return (c.Addr & 0xFF) == 0x17; });
        EXPECT_EQ(leds, writes) << "board type " << type;
        // The LED comes first, before X is selected; the Y commands carry none.
        EXPECT_EQ(cmds[0].Data, 0x92);
        EXPECT_EQ(cmds[static_cast<std::size_t>(writes)].Addr, type == 0 ? 0x400B : 0x4091);
    }
    EXPECT_EQ(Count(Build({Step(0x01, "none")}, {}, Plain(0)), 0x4017), 0u);
    EXPECT_EQ(Count(Build({Step(0x01, "Q")}, {}, Plain(0)), 0x4017), 0u);
}

TEST(MotionBuilder, EndMarkerOnlyWhenXOrM0CarriesTheLedD) {
    const struct {
        std::uint8_t motors;
        std::size_t markers;
    } cases[] = {{0x01, 1},       {0x08, 1}, {0x02, 0},
                 {0x04, 0},       {0x10, 0}, {0x02 | 0x08, 0},  // Y is first and takes the LED
                 {0x01 | 0x08, 1}};
    for (std::uint8_t type : {0, 1}) {
        for (const auto& c : cases) {
            const Commands cmds = Build({Step(c.motors, "D")}, {}, Plain(type));
            EXPECT_EQ(Count(cmds, 0x4E00, "ReInit"), c.markers) << int(c.motors);
        }
    }
    // After the motor's start commands.
    const Commands m0 = Build({Step(0x08, "D")}, {}, Plain(0));
    const auto marker = static_cast<std::size_t>(IndexOf(m0, 0x4E00, "ReInit"));
    EXPECT_EQ(m0[marker - 2], C(kMove, "MAIN_CTRL_3[7:0]", "WriteOR", 0x400B, 0x01));
    EXPECT_EQ(m0[marker - 1], C(kMove, "MAIN_CTRL_3[7:0]", "WriteAnd", 0x400B, 0xFE));
    EXPECT_EQ(m0[marker + 1].OptType, "ReadAnd");
}

TEST(MotionBuilder, M0OnTheMainBoardNeverTakesTheDcPath) {
    MotorListInfo step = Step(0x08, "none");
    step.MotonnFrequency = 5000;
    const Commands cmds = Build({step}, {}, Plain(0));
    EXPECT_EQ(cmds[0], C(kMove, "MAIN_CTRL_3[7:0]", "WriteOR", 0x400B, 0x80));
    EXPECT_EQ(cmds[1], C(kMove, "MOTOR_0_CTRL[7:0]", "RegWrite", 0x40C0, 0x02));
    EXPECT_EQ(cmds[2], C(kMove, "MOTO_X0_TABLEN[7:0]", "RegWrite", 0x4050, 0x00));
    EXPECT_EQ(Count(cmds, 0x4078) + Count(cmds, 0x4051) - 1, 0u);  // no DC steps or DC table
    EXPECT_EQ(Count(cmds, 0x4052, "RegWrite"), 1u);
}

// The start pulses and waits of Y steps; the divisor is computed once from the Y values.
TEST(MotionBuilder, YStartsAndWaitsPerSelection) {
    const struct {
        std::uint8_t board;
        bool y0, y1;
        std::vector<std::tuple<std::uint16_t, std::string, std::uint8_t>> expected;
    } cases[] = {
        {0,
         false,
         true,
         {{0x40A4, "WriteAnd", 0xFA},
          {0x40A4, "WriteOR", 0x01},
          {0x40A4, "WriteAnd", 0xFE},
          {0x40A2, "ReadAnd", 1}}},
        {0,
         true,
         false,
         {{0x40A4, "WriteAnd", 0xAF},
          {0x40A4, "WriteOR", 0x10},
          {0x40A4, "WriteAnd", 0xEF},
          {0x40A0, "ReadAnd", 1}}},
        // Fiber boards pulse both generators whatever is selected.
        {1,
         true,
         false,
         {{0x4093, "WriteAnd", 0x3F},
          {0x4095, "WriteAnd", 0x3F},
          {0x4093, "WriteOR", 0x80},
          {0x4095, "WriteOR", 0x80},
          {0x4093, "WriteAnd", 0x7F},
          {0x4095, "WriteAnd", 0x7F},
          {0x4094, "ReadAnd", 1}}},
    };
    for (const auto& c : cases) {
        MotorSettings s = Plain(c.board);
        s.Y0Selected = c.y0;
        s.Y1Selected = c.y1;
        const Commands cmds = Build({Step(0x02, "none", 700, 1234)}, {}, s);
        const std::size_t tail = c.expected.size() + 4;  // before the gear
        ASSERT_GT(cmds.size(), tail);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const CMD_INFO& got = cmds[cmds.size() - tail + i];
            EXPECT_EQ(std::tie(got.Addr, got.OptType, got.Data), c.expected[i]) << i;
        }
        const std::uint16_t divisor = c.board == 0 ? (c.y0 ? 0x408C : 0x409C) : 0x40BC;
        EXPECT_EQ(cmds[IndexOf(cmds, divisor, "RegWrite")].Data, StepDivisor(700, 1234) & 0xFF);
    }
}

TEST(MotionBuilder, ZOnTheHeadBoard) {
    MotorSettings s = Plain(0);
    s.Z0Board = 1;
    const Commands cmds = Build({Step(0x04, "none")}, {}, s);
    EXPECT_EQ(Count(cmds, 0x41D2, "RegWrite") + Count(cmds, 0x41DF) + Count(cmds, 0x41D3), 3u);
    EXPECT_EQ(Count(cmds, 0x40B0) + Count(cmds, 0x40BF) + Count(cmds, 0x40C2), 0u);
}

TEST(MotionBuilder, GearOnlyAfterMovementStepsAndGroupsRebuilt) {
    const Commands cmds = Build({Step(0x04, "1"), Step(0x01, "2")}, {Step(0x08, "E")}, Plain(0));
    EXPECT_EQ(Count(cmds, 0x4074), 2u);
    for (const CMD_INFO& c : cmds)
        if (c.Addr >= 0x4074 && c.Addr <= 0x4077) {
            EXPECT_EQ(c.KeyName, kMove);
            EXPECT_EQ(c.RegName, "MOTOR_Z_1_GEAR[7:0]");
        }
    EXPECT_EQ(cmds.back().KeyName, kTest);

    // Old motion groups go, other groups keep their order, empty lists add nothing.
    Commands list = {C("InitDone", "a", "RegWrite", 1, 1), C(kMove, "x", "RegWrite", 2, 2),
                     C("Other", "b", "RegWrite", 3, 3), C(kTest, "y", "RegWrite", 4, 4)};
    BuildInitMotion(list, {}, {}, Plain(0));
    EXPECT_EQ(list,
              (Commands{C("InitDone", "a", "RegWrite", 1, 1), C("Other", "b", "RegWrite", 3, 3)}));
}

TEST(MotionBuilder, DistanceAndTableLengthBounds) {
    const Commands cmds = Build({Step(0x01, "none", 0x12345, 4000, -1000)}, {}, Plain(1));
    EXPECT_EQ(cmds[IndexOf(cmds, 0x40A0, "RegWrite")].Data, 0x45);
    EXPECT_EQ(cmds[IndexOf(cmds, 0x40A1, "RegWrite")].Data, 0x23);  // bit 16 dropped
    EXPECT_EQ(cmds[IndexOf(cmds, 0x40A4, "RegWrite")].Data, 0xE8);  // |-1000|
    EXPECT_EQ(cmds[IndexOf(cmds, 0x40A5, "RegWrite")].Data, 0x03);
    // A direction that is neither text leaves the control bit clear.
    const Commands odd = Build({Step(0x01, "none", 512, 4000, 1, "end")}, {}, Plain(1));
    EXPECT_EQ(odd[IndexOf(odd, 0x4090, "RegWrite")].Data, 0x00);
}

}  // namespace
}  // namespace velmor::motion
