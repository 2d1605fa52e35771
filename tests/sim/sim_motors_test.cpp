#include "drivers/sim/sim_motors.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

#include "drivers/sim/sim_register_file.h"

namespace velmor::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// A=512 with divisor 145383372 is 4000 steps/s: 1000 steps take 250 ms.
constexpr std::uint16_t kTable = 512;
constexpr std::uint32_t kDivisor = 145383372;
constexpr std::uint32_t kLength = 1000;
constexpr milliseconds kDuration{250};

struct Rig {
    Rig(SimMotionLayout layout) {
        motors.Install(file);
        motors.SetLayout(layout);
        motors.SetClock([this] { return nanoseconds(now.load()); });
    }
    void Advance(milliseconds ms) { now += nanoseconds(ms).count(); }
    void Write(std::uint16_t address, std::uint32_t value, int bytes) {
        for (int k = 0; k < bytes; ++k)
            file.Write(static_cast<std::uint16_t>(address + k),
                       static_cast<std::uint8_t>(value >> (8 * k)));
    }
    void SetBits(std::uint16_t address, std::uint8_t bits) {
        file.Write(address, static_cast<std::uint8_t>(file.Raw(address) | bits));
    }
    void ClearBits(std::uint16_t address, std::uint8_t bits) {
        file.Write(address, static_cast<std::uint8_t>(file.Raw(address) & ~bits));
    }
    void Pulse(std::uint16_t trigger, std::uint8_t start, std::uint8_t stop) {
        ClearBits(trigger, static_cast<std::uint8_t>(start | stop));
        SetBits(trigger, start);
        ClearBits(trigger, start);
    }

    SimRegisterFile file;
    SimMotors motors;
    std::atomic<std::int64_t> now{1'000'000'000};
};

// One move per generator and motor, programmed as the host does, written out
// with each layout's addresses.
struct Case {
    const char* what;
    SimMotionLayout layout;
    SimGenerator generator;
    SimMotor motor;
    std::uint16_t table, length, divisor, trigger, status;
    std::uint8_t start, stop;
    std::uint16_t setRegister;  // a select, kind or direction register; 0: none
    std::uint8_t setBits;
    bool towardsEnd;
};

const SimMotionLayout kMain = SimMotionLayout::kMainBoard;
const SimMotionLayout kFiber = SimMotionLayout::kFiber;

const Case kCases[] = {
    {"main X", kMain, SimGenerator::kX0, SimMotor::kX, 0x4050, 0x4054, 0x405C, 0x400B, 0x400F, 0x01,
     0x04, 0x400B, 0x02, true},
    {"main M0", kMain, SimGenerator::kX0, SimMotor::kM0, 0x4050, 0x4054, 0x405C, 0x400B, 0x400F,
     0x01, 0x04, 0x400B, 0x80, false},
    {"main Y0", kMain, SimGenerator::kY0, SimMotor::kY0, 0x4080, 0x4084, 0x408C, 0x40A4, 0x40A0,
     0x10, 0x40, 0x40A1, 0x02, true},
    {"main Y1", kMain, SimGenerator::kY1, SimMotor::kY1, 0x4090, 0x4094, 0x409C, 0x40A4, 0x40A2,
     0x01, 0x04, 0, 0, false},
    {"main Z", kMain, SimGenerator::kZ1, SimMotor::kZ, 0x40B0, 0x40B4, 0x40BC, 0x40C2, 0x40B3, 0x01,
     0x04, 0x40C2, 0x02, true},
    {"main M1 on head board", kMain, SimGenerator::kZ1Head, SimMotor::kM1, 0x41D0, 0x41D4, 0x41DC,
     0x41D2, 0x41D3, 0x01, 0x04, 0x400B, 0x40, false},
    {"fiber X", kFiber, SimGenerator::kX0, SimMotor::kX, 0x40A0, 0x40A4, 0x40AC, 0x4090, 0x4092,
     0x80, 0x40, 0x4090, 0x10, true},
    {"fiber M0", kFiber, SimGenerator::kX0, SimMotor::kM0, 0x40A0, 0x40A4, 0x40AC, 0x4090, 0x4092,
     0x80, 0x40, 0x4091, 0x30, true},
    {"fiber Y0", kFiber, SimGenerator::kY0, SimMotor::kY0, 0x40B0, 0x40B4, 0x40BC, 0x4093, 0x4094,
     0x80, 0x40, 0x4093, 0x10, true},
    {"fiber Y1", kFiber, SimGenerator::kY1, SimMotor::kY1, 0x40C0, 0x40C4, 0x40CC, 0x4095, 0x4096,
     0x80, 0x40, 0, 0, false},
    {"fiber Z", kFiber, SimGenerator::kZ1, SimMotor::kZ, 0x40D0, 0x40D4, 0x40DC, 0x4097, 0x4099,
     0x80, 0x40, 0, 0, false},
    {"fiber M1", kFiber, SimGenerator::kZ1, SimMotor::kM1, 0x40D0, 0x40D4, 0x40DC, 0x4097, 0x4099,
     0x80, 0x40, 0x4098, 0x30, true},
};

void Program(Rig& rig, const Case& c, std::uint32_t length = kLength) {
    if (c.setRegister != 0) rig.SetBits(c.setRegister, c.setBits);
    rig.Write(c.table, kTable, 2);
    rig.Write(c.length, length, 4);
    rig.Write(c.divisor, kDivisor, 4);
    rig.Pulse(c.trigger, c.start, c.stop);
}

TEST(SimMotors, EachGeneratorMovesForItsDurationThenReportsTheEnd) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.layout);
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x09);  // idle after power-up
        Program(rig, c);
        EXPECT_TRUE(rig.motors.Moving(c.generator));
        EXPECT_EQ(rig.file.Read(c.status) & 0x01, 0);
        // The divisor is truncated, so the rate is a hair above 4000 steps/s.
        EXPECT_NEAR(static_cast<double>(rig.motors.LastDuration(c.generator).count()),
                    static_cast<double>(nanoseconds(kDuration).count()), 1000.0);
        const SimMove move = rig.motors.LastMove(c.generator);
        EXPECT_EQ(move.motor, c.motor);
        EXPECT_EQ(move.towardsEnd, c.towardsEnd);
        EXPECT_EQ(move.table, kTable);
        EXPECT_EQ(move.length, kLength);
        EXPECT_EQ(move.divisor, kDivisor);
        rig.Advance(kDuration - milliseconds(1));
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x00);
        rig.Advance(milliseconds(1));
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x09);
        EXPECT_EQ(rig.motors.Starts(c.generator), 1u);
    }
}

TEST(SimMotors, StopLimitAndStuckMotors) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Rig rig(c.layout);
        Program(rig, c);
        rig.Advance(milliseconds(100));
        rig.SetBits(c.trigger, c.stop);
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x07);

        rig.motors.SetLimitAfter(c.generator, 400);  // 100 ms into the move
        Program(rig, c);
        rig.Advance(milliseconds(99));
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x00);
        rig.Advance(milliseconds(1));
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x03);
        rig.motors.SetLimitAfter(c.generator, std::nullopt);

        rig.motors.SetStuck(c.generator, true);
        Program(rig, c);
        rig.Advance(std::chrono::hours(1));
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x00);
        rig.SetBits(c.trigger, c.stop);
        EXPECT_EQ(rig.file.Read(c.status) & 0x0F, 0x07);
        EXPECT_EQ(rig.motors.Starts(c.generator), 3u);
    }
}

TEST(SimMotors, DcMotorRunsAtItsPwmFrequencyAndScaleShortensMoves) {
    Rig rig(kMain);
    rig.SetBits(0x400B, 0x08);                   // DC motor
    rig.Write(0x4078, 2000, 2);                  // its table length
    rig.Write(0x4054, 5000, 4);                  // 5000 pulses
    rig.Write(0x405C, (5000u << 16) | 2500, 4);  // 5000 Hz
    rig.motors.SetTimeScale(0.001);
    rig.Pulse(0x400B, 0x01, 0x04);
    EXPECT_EQ(rig.motors.LastMove(SimGenerator::kX0).motor, SimMotor::kXDc);
    EXPECT_EQ(rig.motors.LastMove(SimGenerator::kX0).table, 2000);
    EXPECT_EQ(rig.motors.LastDuration(SimGenerator::kX0), milliseconds(1));
}

TEST(SimMotors, XPositionLatchedPerLayout) {
    Rig main(kMain);
    Program(main, kCases[0]);  // X, 1000 pulses towards the end
    main.Advance(milliseconds(125));
    main.SetBits(0x4108, 0x08);
    EXPECT_EQ(main.file.Raw(0x417C) | main.file.Raw(0x417D) << 8, 500);  // half-way
    main.Advance(milliseconds(500));
    main.ClearBits(0x4108, 0x08);
    main.SetBits(0x4108, 0x08);
    EXPECT_EQ(main.file.Raw(0x417C) | main.file.Raw(0x417D) << 8, 1000);
    main.SetBits(0x4208, 0x08);  // head board 2 has no counter on the main board
    EXPECT_EQ(main.file.Raw(0x427C), 0);

    Rig fiber(kFiber);
    fiber.motors.SetXPosition(300);
    Program(fiber, kCases[6]);
    fiber.Advance(kDuration);
    for (int board = 1; board <= 4; ++board) fiber.motors.SetHeadBoardOffset(board, board * 10);
    for (int board = 1; board <= 4; ++board) {
        fiber.SetBits(static_cast<std::uint16_t>(0x4008 + board * 0x100), 0x08);
        const auto base = static_cast<std::uint16_t>(0x407C + board * 0x100);
        EXPECT_EQ(fiber.file.Raw(base) | fiber.file.Raw(base + 1) << 8, 1300 + board * 10);
    }
    // M0 moves and moves towards the origin (stopping at 0) count as well as they should.
    Program(fiber, kCases[7]);
    fiber.Advance(kDuration);
    EXPECT_EQ(fiber.motors.XPosition(), 1300u);
    fiber.ClearBits(0x4091, 0x30);
    fiber.ClearBits(0x4090, 0x10);
    Program(fiber,
            {"back", kFiber, SimGenerator::kX0, SimMotor::kX, 0x40A0, 0x40A4, 0x40AC, 0x4090,
             0x4092, 0x80, 0x40, 0, 0, false},
            5000);
    fiber.Advance(std::chrono::seconds(2));
    EXPECT_EQ(fiber.motors.XPosition(), 0u);
}

TEST(SimMotors, RegistersOfTheOtherLayoutStayPlain) {
    Rig fiber(kFiber);
    fiber.file.Write(0x40A0, 0x42);  // X table length on fiber boards, not a status
    EXPECT_EQ(fiber.file.Read(0x40A0), 0x42);
    fiber.Pulse(0x40A4, 0x10, 0x40);  // X length bytes here, no trigger
    EXPECT_EQ(fiber.motors.Starts(SimGenerator::kY0), 0u);
    Rig main(kMain);
    main.Pulse(0x4090, 0x80, 0x40);  // Y1 table length on the main board
    EXPECT_EQ(main.motors.Starts(SimGenerator::kX0), 0u);
    // A plain register: a read answers what it holds, whatever that is.
    main.file.SetRaw(0x4092, 0x5C);
    EXPECT_EQ(main.file.Read(0x4092), 0x5C);
}

}  // namespace
}  // namespace velmor::sim
