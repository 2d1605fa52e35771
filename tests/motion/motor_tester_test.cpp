#include "motion/motor_tester.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "motion/motion_rig.h"
#include "support/wait_until.h"

namespace velmor::motion {
namespace {

using sim::SimGenerator;
using sim::SimMotor;
using testing::BriefSleeper;
using testing::MotionRig;
using velmor::testing::WaitUntil;
using Writes = std::vector<std::pair<std::uint16_t, std::uint8_t>>;
using std::chrono::hours;
using std::chrono::seconds;

constexpr std::uint32_t kTestDivisor = 72691686;  // A 512, S 4000, half the list rate

TestMoveInputs Ticked(TestMotor motor) {
    TestMoveInputs in;
    in.Tick(motor);
    for (MotorFields& f : in.motors) f.direction = "End";
    in.xdc.direction = "End";
    return in;
}

controller::BoardLayout PageOf(std::uint8_t boardType) {
    return boardType == 0 ? controller::BoardLayout::kMainBoard : controller::BoardLayout::kFiber;
}

bool Shows(const MotorTester& tester, const std::string& text) {
    return tester.StatusText().find(text) != std::string::npos;
}

// A whole test move: started, then once the generator runs, time moves on
// until it is done.
void RunMove(MotionRig& rig, MotorTester& tester, const TestMoveInputs& in, SimGenerator g) {
    const std::uint32_t before = rig.Motors().Starts(g);
    ASSERT_EQ(tester.StartTestMove(in), MotorTester::StartResult::kStarted);
    ASSERT_TRUE(WaitUntil([&] { return rig.Motors().Starts(g) > before; }));
    rig.Advance(seconds(10));
    tester.WaitForMove();
}

struct MotorCase {
    std::uint8_t boardType;
    TestMotor motor;
    std::vector<SimGenerator> generators;
    SimMotor simMotor;  // of the first generator
    const char* line;   // the start of its status line; "" for none
    std::uint8_t z0Board = 0;
};

const std::vector<MotorCase>& MotorCases() {
    static const std::vector<MotorCase> cases = {
        {0, TestMotor::kXDc, {SimGenerator::kX0}, SimMotor::kXDc, ""},
        {0, TestMotor::kX, {SimGenerator::kX0}, SimMotor::kX, "X电机"},
        {0, TestMotor::kY, {SimGenerator::kY0, SimGenerator::kY1}, SimMotor::kY0, "Y0电机"},
        {0, TestMotor::kZ, {SimGenerator::kZ1}, SimMotor::kZ, "Z电机"},
        {0, TestMotor::kZ, {SimGenerator::kZ1Head}, SimMotor::kZ, "Z电机", 1},
        {0, TestMotor::kM0, {SimGenerator::kX0}, SimMotor::kM0, "M0电机"},
        {0, TestMotor::kM1, {SimGenerator::kZ1}, SimMotor::kM1, "M1电机"},
        {0, TestMotor::kM1, {SimGenerator::kZ1Head}, SimMotor::kM1, "M1电机", 1},
        {1, TestMotor::kX, {SimGenerator::kX0}, SimMotor::kX, "X电机"},
        {1, TestMotor::kY, {SimGenerator::kY0, SimGenerator::kY1}, SimMotor::kY0, "Y电机"},
        {2, TestMotor::kZ, {SimGenerator::kZ1}, SimMotor::kZ, "Z电机"},
        {2, TestMotor::kM0, {SimGenerator::kX0}, SimMotor::kM0, "M0电机"},
        {1, TestMotor::kM1, {SimGenerator::kZ1}, SimMotor::kM1, "M1电机"},
    };
    return cases;
}

std::string Name(const MotorCase& c) {
    return "board " + std::to_string(c.boardType) + " motor " +
           std::to_string(static_cast<int>(c.motor)) + " Z board " + std::to_string(c.z0Board);
}

// The motor moves, the status thread shows it moving and then done.
TEST(MotorTester, TestMoveOfEachMotorOnBothLayouts) {
    for (const MotorCase& c : MotorCases()) {
        SCOPED_TRACE(Name(c));
        MotionRig rig(c.boardType);
        BriefSleeper sleeper;
        MotorTester tester(rig.op, PageOf(c.boardType), sleeper);
        TestMoveInputs in = Ticked(c.motor);
        in.settings.Z0Board = c.z0Board;
        tester.UpdateInputs(in);
        tester.StartStatusThread();
        ASSERT_EQ(tester.StartTestMove(in), MotorTester::StartResult::kStarted);
        ASSERT_TRUE(WaitUntil([&] { return rig.Motors().Moving(c.generators.back()); }));
        if (*c.line) {
            ASSERT_TRUE(WaitUntil([&] { return Shows(tester, std::string(c.line) + "运动中"); }));
        }
        EXPECT_TRUE(tester.MoveRunning());
        for (SimGenerator g : c.generators) EXPECT_TRUE(rig.Motors().Moving(g));
        const sim::SimMove move = rig.Motors().LastMove(c.generators[0]);
        EXPECT_EQ(move.motor, c.simMotor);
        EXPECT_TRUE(move.towardsEnd);
        if (c.motor == TestMotor::kXDc) {
            EXPECT_EQ(move.divisor, 327682500u);
            EXPECT_EQ(move.length, 5000u);
        } else {
            EXPECT_EQ(move.divisor, kTestDivisor);
            EXPECT_EQ(move.length, 1000u);
        }

        rig.Advance(seconds(10));
        ASSERT_TRUE(WaitUntil([&] { return !tester.MoveRunning(); }));
        EXPECT_EQ(tester.LastOutcome(), MoveOutcome::kEnd);
        if (*c.line) {
            ASSERT_TRUE(WaitUntil([&] { return Shows(tester, std::string(c.line) + "运动结束"); }));
        }
    }
}

TEST(MotorTester, StopButtonStopsAStuckMotorAndClosingEndsTheWorker) {
    for (const MotorCase& c : MotorCases()) {
        SCOPED_TRACE(Name(c));
        MotionRig rig(c.boardType);
        BriefSleeper sleeper;
        TestMoveInputs in = Ticked(c.motor);
        in.settings.Z0Board = c.z0Board;
        for (SimGenerator g : c.generators) rig.Motors().SetStuck(g, true);
        {
            MotorTester tester(rig.op, PageOf(c.boardType), sleeper);
            ASSERT_EQ(tester.StartTestMove(in), MotorTester::StartResult::kStarted);
            ASSERT_TRUE(WaitUntil([&] { return rig.Motors().Moving(c.generators.back()); }));
            rig.Advance(hours(1));
            tester.StopTestMove(in);
            ASSERT_TRUE(WaitUntil([&] { return !tester.MoveRunning(); }));
            EXPECT_EQ(tester.LastOutcome(), MoveOutcome::kStopped);
            // The generator the page's Y0/Y1 boxes name is stopped.
            EXPECT_EQ(rig.Motors().Status(c.generators[0]), 0x07);

            ASSERT_EQ(tester.StartTestMove(in), MotorTester::StartResult::kStarted);
            ASSERT_TRUE(WaitUntil([&] { return rig.Motors().Moving(c.generators[0]); }));
        }  // closed while the motor is stuck: the worker ends, the tester goes
        EXPECT_TRUE(rig.Motors().Moving(c.generators[0]));
    }
}

// A motor still moving is stopped (stop bit every 100 ms) before it is started.
TEST(MotorTester, PreStopBeforeTheStartPulse) {
    MotionRig rig(1);
    BriefSleeper sleeper;
    MotorTester tester(rig.op, controller::BoardLayout::kFiber, sleeper);
    // Some earlier move, still running: 1000 pulses at 4000 per second.
    rig.op.WriteReg32(0x40A4, 1000);
    rig.op.WriteReg32(0x40AC, 145383372);
    const std::uint8_t start = 0x80;
    rig.op.WriteRegs(0x4090, &start, 1);
    ASSERT_TRUE(rig.Motors().Moving(SimGenerator::kX0));
    rig.Controller().ClearWriteLog();

    ASSERT_EQ(tester.StartTestMove(Ticked(TestMotor::kX)), MotorTester::StartResult::kStarted);
    ASSERT_TRUE(WaitUntil([&] { return rig.Motors().Starts(SimGenerator::kX0) == 2; }));
    rig.Advance(seconds(10));
    tester.WaitForMove();
    EXPECT_EQ(tester.LastOutcome(), MoveOutcome::kEnd);
    EXPECT_GE(sleeper.hundredMs.load(), 1);
    // On 0x4090: the direction, the stop bit, then stop cleared and the start pulse.
    const Writes expected = {{0x4090, 0x90}, {0x4090, 0xD0}, {0x4090, 0x90},
                             {0x4090, 0x10}, {0x4090, 0x90}, {0x4090, 0x10}};
    EXPECT_EQ(rig.WritesIn(0x4090, 0x4090), expected);
}

TEST(MotorTester, WaitEndsWhenTheDeviceGoesOrTheConnectionIsLost) {
    for (const bool deviceGone : {true, false}) {
        MotionRig rig(0);
        BriefSleeper sleeper;
        MotorTester tester(rig.op, controller::BoardLayout::kMainBoard, sleeper);
        rig.Motors().SetStuck(SimGenerator::kX0, true);
        ASSERT_EQ(tester.StartTestMove(Ticked(TestMotor::kX)), MotorTester::StartResult::kStarted);
        ASSERT_TRUE(WaitUntil([&] { return rig.Motors().Moving(SimGenerator::kX0); }));
        if (deviceGone)
            rig.op.SetDevice(nullptr);  // status reads fail from now on
        else
            rig.op.connected = 0;  // the main window's connection check lost it
        ASSERT_TRUE(WaitUntil([&] { return !tester.MoveRunning(); }));
        EXPECT_EQ(tester.LastOutcome(),
                  deviceGone ? MoveOutcome::kReadFailed : MoveOutcome::kAborted);
    }
}

TEST(MotorTester, NoConnectionNoMove) {
    MotionRig rig(0);
    MotorTester tester(rig.op, controller::BoardLayout::kMainBoard);
    rig.op.connected = 0;
    rig.Controller().ClearWriteLog();
    EXPECT_EQ(tester.StartTestMove(Ticked(TestMotor::kX)), MotorTester::StartResult::kNotConnected);
    EXPECT_FALSE(tester.MoveRunning());
    EXPECT_FALSE(tester.SetTestMode(true));
    EXPECT_TRUE(rig.Controller().WriteLog().empty());
    EXPECT_STREQ(kNotConnectedText, "USB未连接!");
}

// Register writes of whole test moves, worked out by hand from the register map.
TEST(MotorTester, ProgrammingWritesInOrder) {
    struct Case {
        const char* what;
        std::uint8_t boardType;
        TestMotor motor;
        Writes expected;
    };
    const Case cases[] = {
        {"main M0: limit enable and limit polarity on, direction polarity off",
         0,
         TestMotor::kM0,
         {{0x400B, 0x80},                                                    // select M0
          {0x40C0, 0x02}, {0x40C0, 0x0A}, {0x40C0, 0x0A}, {0x40C0, 0x2A},    // control bits
          {0x4050, 0x00}, {0x4051, 0x02},                                    // table 512
          {0x4054, 0xE8}, {0x4055, 0x03}, {0x4056, 0x00}, {0x4057, 0x00},    // 1000
          {0x4052, 0xFF},                                                    // rate
          {0x405C, 0xE6}, {0x405D, 0x2F}, {0x405E, 0x55}, {0x405F, 0x04},    // 72691686
          {0x400B, 0x80}, {0x400B, 0x80}, {0x400B, 0x81}, {0x400B, 0x80}}},  // start
        {"fiber X: only the direction bit of the control register",
         1,
         TestMotor::kX,
         {{0x4091, 0x00},
          {0x4090, 0x10},
          {0x40A0, 0x00},
          {0x40A1, 0x02},
          {0x40A4, 0xE8},
          {0x40A5, 0x03},
          {0x40A6, 0x00},
          {0x40A7, 0x00},
          {0x40A2, 0xFF},
          {0x40AC, 0xE6},
          {0x40AD, 0x2F},
          {0x40AE, 0x55},
          {0x40AF, 0x04},
          {0x4090, 0x10},
          {0x4090, 0x10},
          {0x4090, 0x90},
          {0x4090, 0x10}}},
        {"main Y1 only: its rate field and start bit 0 of 0x40A4",
         0,
         TestMotor::kY,
         {{0x40A3, 0x02}, {0x40A3, 0x02}, {0x40A3, 0x02}, {0x40A3, 0x22}, {0x4090, 0x00},
          {0x4091, 0x02}, {0x4092, 0xFF}, {0x4093, 0x00}, {0x4094, 0xE8}, {0x4095, 0x03},
          {0x4096, 0x00}, {0x4097, 0x00}, {0x409C, 0xE6}, {0x409D, 0x2F}, {0x409E, 0x55},
          {0x409F, 0x04}, {0x40A4, 0x00}, {0x40A4, 0x00}, {0x40A4, 0x01}, {0x40A4, 0x00}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MotionRig rig(c.boardType);
        BriefSleeper sleeper;
        MotorTester tester(rig.op, PageOf(c.boardType), sleeper);
        TestMoveInputs in = Ticked(c.motor);
        in.settings.XMoto_LimtEable = in.settings.XDirPol = in.settings.XLimtPol = 1;
        in.settings.Moto0_LimtEable = 1;
        in.settings.Moto0DirPol = 0;
        in.settings.Moto0LimtPol = 1;
        in.settings.YMoto1_LimtEable = 0;
        in.settings.Y1LimtPol = 1;
        rig.op.motorSettings.Y0Selected = 0;
        rig.op.motorSettings.Y1Selected = 1;
        rig.Controller().ClearWriteLog();
        RunMove(rig, tester, in, c.motor == TestMotor::kY ? SimGenerator::kY1 : SimGenerator::kX0);
        EXPECT_EQ(tester.LastOutcome(), MoveOutcome::kEnd);
        EXPECT_EQ(rig.WritesIn(0x4000, 0x4FFF), c.expected);
        EXPECT_EQ(rig.op.motorSettings.Moto0LimtPol, 1);  // the page's settings were applied
    }
}

// Stop sequences from a register with the start and stop bits set.
TEST(MotorTester, StopSequences) {
    struct Case {
        const char* what;
        std::uint8_t boardType;
        TestMotor motor;
        bool y0Ticked;
        std::uint8_t z0Board;
        Writes expected;
    };
    const Case cases[] = {
        {"main X", 0, TestMotor::kX, true, 0, {{0x400B, 0x04}, {0x400B, 0x00}, {0x400B, 0x04}}},
        {"main X DC motor",
         0,
         TestMotor::kXDc,
         true,
         0,
         {{0x400B, 0x04}, {0x400B, 0x00}, {0x400B, 0x04}}},
        {"main Y0", 0, TestMotor::kY, true, 0, {{0x40A4, 0x45}, {0x40A4, 0x05}, {0x40A4, 0x45}}},
        {"main Y1", 0, TestMotor::kY, false, 0, {{0x40A4, 0x54}, {0x40A4, 0x50}, {0x40A4, 0x54}}},
        {"main Z", 0, TestMotor::kZ, true, 0, {{0x40C2, 0x01}, {0x40C2, 0x00}, {0x40C2, 0x04}}},
        {"main Z on the head board",
         0,
         TestMotor::kZ,
         true,
         1,
         {{0x41D2, 0x01},
          {0x41D2, 0x00},
          {0x41D2, 0x04},
          {0x40C2, 0x01},
          {0x40C2, 0x00},
          {0x40C2, 0x04}}},
        {"main M1 on the head board",
         0,
         TestMotor::kM1,
         true,
         1,
         {{0x41D2, 0x01},
          {0x41D2, 0x00},
          {0x41D2, 0x04},
          {0x40C2, 0x01},
          {0x40C2, 0x00},
          {0x40C2, 0x04}}},
        {"fiber M0", 1, TestMotor::kM0, true, 0, {{0x4090, 0x40}, {0x4090, 0x00}, {0x4090, 0x40}}},
        {"fiber Y",
         2,
         TestMotor::kY,
         false,
         0,
         {{0x4093, 0x40},
          {0x4095, 0x40},
          {0x4093, 0x00},
          {0x4095, 0x00},
          {0x4093, 0x40},
          {0x4095, 0x40}}},
        {"fiber Z", 1, TestMotor::kZ, true, 1, {{0x4097, 0x80}, {0x4097, 0x00}, {0x4097, 0x40}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MotionRig rig(c.boardType);
        MotorTester tester(rig.op, PageOf(c.boardType));
        for (std::uint16_t a : {0x400B, 0x40C2, 0x41D2}) rig.Controller().SetReg(a, 0x05);
        rig.Controller().SetReg(0x40A4, 0x55);
        for (std::uint16_t a : {0x4090, 0x4093, 0x4095, 0x4097}) rig.Controller().SetReg(a, 0xC0);
        rig.Controller().ClearWriteLog();
        TestMoveInputs in = Ticked(c.motor);
        in.y0Ticked = c.y0Ticked;
        in.settings.Z0Board = c.z0Board;
        tester.StopTestMove(in);
        EXPECT_EQ(rig.WritesIn(0x4000, 0x4FFF), c.expected);
    }
}

// Every motor ticked and idle after a move, the texts as the page shows them.
TEST(MotorTester, StatusTextPerPageLayoutAndLanguage) {
    struct Case {
        const char* what;
        std::uint8_t boardType;
        controller::BoardLayout page;
        std::string expected;
    };
    const Case cases[] = {
        {"main page, main board", 0, controller::BoardLayout::kMainBoard,
         "X Motor End the movement......\r\n\nX:35.28 "
         "mmY0电机运动结束......\r\nY1电机运动结束......"
         "\r\nZ Motor End the movement......\r\nM0 Motor End the movement......\r\n"
         "M1 Motor End the movement......\r\n"},
        {"fiber page, four fiber boards", 2, controller::BoardLayout::kFiber,
         "X电机运动结束......\r\n\nX0:35.28 mm,X1:35.63 mm,X2:36.34 mm,X3:35.98 mm"
         "Y Motor End the movement......\r\nZ电机运动结束......\r\nM0电机运动结束......\r\n"
         "M1电机运动结束......\r\n"},
        {"fiber page, two fiber boards", 1, controller::BoardLayout::kFiber,
         "X电机运动结束......\r\n\nX0:35.28 mm,X1:35.63 mm"
         "Y Motor End the movement......\r\nZ电机运动结束......\r\nM0电机运动结束......\r\n"
         "M1电机运动结束......\r\n"},
        {"main page on a fiber board: Chinese, no position", 1, controller::BoardLayout::kMainBoard,
         "X电机运动结束......\r\nY0电机运动结束......\r\nY1电机运动结束......\r\nZ电机运动结束....."
         "."
         "\r\nM0电机运动结束......\r\nM1电机运动结束......\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MotionRig rig(c.boardType);
        rig.op.language = controller::Language::kEnglish;
        rig.op.firstConnection = 1;
        for (int board = 1; board <= 4; ++board)
            rig.Motors().SetHeadBoardOffset(board, board * 10 - 10);
        MotorTester tester(rig.op, c.page);
        RunMove(rig, tester, Ticked(TestMotor::kX), SimGenerator::kX0);  // 1000 pulses: 35.28 mm
        EXPECT_TRUE(tester.PositionLatchPending());
        TestMoveInputs all;
        all.ticked.fill(true);
        all.y1Ticked = true;
        tester.UpdateInputs(all);
        tester.RefreshMotorStatus();
        EXPECT_EQ(tester.StatusText(), c.expected);
        // The latch is consumed where a position line is shown.
        EXPECT_EQ(tester.PositionLatchPending(), c.expected.find(" mm") == std::string::npos);
    }
}

TEST(MotorTester, StatusShownOnlyAfterAMoveAndFirstConnectionYReset) {
    MotionRig rig(0);
    MotorTester tester(rig.op, controller::BoardLayout::kMainBoard);
    std::vector<MotorTester::Change> changes;
    std::mutex changesMutex;
    tester.SetListener([&](MotorTester::Change change) {
        std::lock_guard lock(changesMutex);
        changes.push_back(change);
    });
    rig.op.motorSettings.Y0Selected = 1;
    rig.op.motorSettings.Y1Selected = 0;
    TestMoveInputs in = Ticked(TestMotor::kY);
    in.y1Ticked = false;
    tester.UpdateInputs(in);
    tester.RefreshMotorStatus();
    EXPECT_EQ(tester.StatusText(), "");  // no move yet: the text is not shown
    EXPECT_EQ(rig.op.firstConnection.load(), 1u);
    EXPECT_EQ(rig.op.motorSettings.Y1Selected, 1u);
    EXPECT_TRUE(tester.Inputs().y1Ticked);
    {
        std::lock_guard lock(changesMutex);
        EXPECT_EQ(changes, std::vector<MotorTester::Change>{MotorTester::Change::kYReset});
    }

    RunMove(rig, tester, Ticked(TestMotor::kM0), SimGenerator::kX0);
    tester.RefreshMotorStatus();
    EXPECT_EQ(tester.StatusText(), "M0电机运动结束......\r\n");
    EXPECT_TRUE(tester.SetTestMode(false));
    EXPECT_FALSE(tester.MotionStarted());
}

TEST(MotorTester, StatusThreadStartsStopsAndIsJoined) {
    MotionRig rig(1);
    BriefSleeper sleeper;
    MotorTester tester(rig.op, controller::BoardLayout::kFiber, sleeper);
    tester.StartStatusThread();
    EXPECT_TRUE(tester.StatusThreadRunning());
    ASSERT_TRUE(WaitUntil([&] { return sleeper.hundredMs.load() >= 2; }));
    tester.StopStatusThread();
    EXPECT_FALSE(tester.StatusThreadRunning());
    tester.Close();
    tester.StartStatusThread();  // refused once closed
    EXPECT_FALSE(tester.StatusThreadRunning());
    EXPECT_EQ(tester.StartTestMove(Ticked(TestMotor::kX)), MotorTester::StartResult::kBusy);
}

}  // namespace
}  // namespace velmor::motion
