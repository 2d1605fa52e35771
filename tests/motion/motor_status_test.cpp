#include "motion/motor_status.h"

#include <gtest/gtest.h>

#include <string>

namespace velmor::motion {
namespace {

TEST(MotorStatus, StatusBytes) {
    const struct {
        bool ok;
        std::uint8_t byte;
        MotorState state;
    } cases[] = {
        {true, 0x09, MotorState::kEnd},     {true, 0x03, MotorState::kLimit},
        {true, 0x07, MotorState::kStopped}, {true, 0x00, MotorState::kMoving},
        {true, 0x0B, MotorState::kIdle},    {true, 0x01, MotorState::kIdle},
        {true, 0xF9, MotorState::kEnd},     {true, 0x0E, MotorState::kMoving},
        {false, 0x00, MotorState::kIdle},  // a failed read counts as idle
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeStatus(c.ok, c.byte), c.state) << int(c.byte);
}

TEST(MotorStatus, TextsInBothLanguages) {
    const struct {
        StatusMotor motor;
        const char* english;  // name in English texts, null: Chinese only
        const char* chinese;
    } motors[] = {
        {StatusMotor::kX, "X Motor", "X电机"},    {StatusMotor::kY, "Y Motor", "Y电机"},
        {StatusMotor::kZ, "Z Motor", "Z电机"},    {StatusMotor::kM0, "M0 Motor", "M0电机"},
        {StatusMotor::kM1, "M1 Motor", "M1电机"}, {StatusMotor::kY0, nullptr, "Y0电机"},
        {StatusMotor::kY1, nullptr, "Y1电机"},
    };
    const struct {
        MotorState state;
        const char* english;
        const char* chinese;
    } states[] = {
        {MotorState::kEnd, " End the movement......", "运动结束......"},
        {MotorState::kLimit, " Reach the limit......", "到限位......"},
        {MotorState::kStopped, " Stop the movement......", "停止运动......"},
        {MotorState::kMoving, " In the movement......", "运动中......"},
    };
    for (const auto& m : motors) {
        for (const auto& s : states) {
            const std::string chinese = std::string(m.chinese) + s.chinese;
            EXPECT_EQ(StatusLine(m.motor, s.state, false), chinese);
            EXPECT_EQ(StatusLine(m.motor, s.state, true),
                      m.english ? std::string(m.english) + s.english : chinese);
        }
        EXPECT_EQ(StatusLine(m.motor, MotorState::kIdle, true), "");
        EXPECT_EQ(StatusLine(m.motor, MotorState::kIdle, false), "");
    }
}

TEST(MotorStatus, PositionTexts) {
    EXPECT_EQ(XPositionText(0), "X:0.00 mm");
    EXPECT_EQ(XPositionText(720), "X:25.40 mm");
    EXPECT_EQ(XPositionText(1000), "X:35.28 mm");
    const std::array<std::uint32_t, 4> counts = {720, 1440, 72, 7200};
    EXPECT_EQ(HeadBoardPositionText(counts, 0), "");
    EXPECT_EQ(HeadBoardPositionText(counts, 1), "X0:25.40 mm,X1:50.80 mm");
    EXPECT_EQ(HeadBoardPositionText(counts, 2), "X0:25.40 mm,X1:50.80 mm,X2:2.54 mm,X3:254.00 mm");
}

}  // namespace
}  // namespace velmor::motion
