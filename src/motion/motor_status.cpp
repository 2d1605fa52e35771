#include "motion/motor_status.h"

#include <cstdio>

#include "controller/board_layout.h"

namespace velmor::motion {

namespace {

constexpr std::uint8_t kDoneBit = 0x01;
constexpr std::uint8_t kReasonMask = 0x0E;
constexpr std::uint8_t kReasonEnd = 0x08;
constexpr std::uint8_t kReasonLimit = 0x02;
constexpr std::uint8_t kReasonStopped = 0x06;

struct Texts {
    const char* end;
    const char* limit;
    const char* stopped;
    const char* moving;
};

constexpr Texts kEnglish = {" End the movement......", " Reach the limit......",
                            " Stop the movement......", " In the movement......"};
constexpr Texts kChinese = {"运动结束......", "到限位......", "停止运动......", "运动中......"};

const char* EnglishName(StatusMotor motor) {
    switch (motor) {
        case StatusMotor::kX:
            return "X Motor";
        case StatusMotor::kY:
            return "Y Motor";
        case StatusMotor::kZ:
            return "Z Motor";
        case StatusMotor::kM0:
            return "M0 Motor";
        case StatusMotor::kM1:
            return "M1 Motor";
        case StatusMotor::kY0:
        case StatusMotor::kY1:
            break;
    }
    return nullptr;  // no English text
}

const char* ChineseName(StatusMotor motor) {
    switch (motor) {
        case StatusMotor::kX:
            return "X电机";
        case StatusMotor::kY:
            return "Y电机";
        case StatusMotor::kY0:
            return "Y0电机";
        case StatusMotor::kY1:
            return "Y1电机";
        case StatusMotor::kZ:
            return "Z电机";
        case StatusMotor::kM0:
            return "M0电机";
        case StatusMotor::kM1:
            break;
    }
    return "M1电机";
}

}  // namespace

MotorState DecodeStatus(bool readOk, std::uint8_t status) {
    if (!readOk) return MotorState::kIdle;
    if ((status & kDoneBit) == 0) return MotorState::kMoving;
    switch (status & kReasonMask) {
        case kReasonEnd:
            return MotorState::kEnd;
        case kReasonLimit:
            return MotorState::kLimit;
        case kReasonStopped:
            return MotorState::kStopped;
        default:
            return MotorState::kIdle;
    }
}

std::string StatusLine(StatusMotor motor, MotorState state, bool english) {
    const char* englishName = EnglishName(motor);
    const bool inEnglish = english && englishName != nullptr;
    const Texts& texts = inEnglish ? kEnglish : kChinese;
    const char* tail = nullptr;
    switch (state) {
        case MotorState::kEnd:
            tail = texts.end;
            break;
        case MotorState::kLimit:
            tail = texts.limit;
            break;
        case MotorState::kStopped:
            tail = texts.stopped;
            break;
        case MotorState::kMoving:
            tail = texts.moving;
            break;
        case MotorState::kIdle:
            return {};
    }
    return std::string(inEnglish ? englishName : ChineseName(motor)) + tail;
}

double CountToMm(std::uint32_t count) { return count * 25.4 / 720.0; }

std::string XPositionText(std::uint32_t count) {
    char text[64];
    std::snprintf(text, sizeof text, "X:%0.2f mm", CountToMm(count));
    return text;
}

std::string HeadBoardPositionText(const std::array<std::uint32_t, 4>& counts,
                                  std::uint8_t boardType) {
    char text[160];
    if (controller::SingleBoard(boardType)) return {};
    if (controller::HasHeadBoards3And4(boardType)) {
        std::snprintf(text, sizeof text, "X0:%0.2f mm,X1:%0.2f mm,X2:%0.2f mm,X3:%0.2f mm",
                      CountToMm(counts[0]), CountToMm(counts[1]), CountToMm(counts[2]),
                      CountToMm(counts[3]));
    } else {
        std::snprintf(text, sizeof text, "X0:%0.2f mm,X1:%0.2f mm", CountToMm(counts[0]),
                      CountToMm(counts[1]));
    }
    return text;
}

}  // namespace velmor::motion
