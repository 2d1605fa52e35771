#pragma once
// The rows of the movement pages' list views and the motion steps they stand
// for. One row is one motor of one step: step number, motor name, the three
// numbers, the direction as "0" or "1", the step's LED text on its first row,
// and the PWM frequency of an X DC motor row. Consecutive rows with the same
// step number form one step.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controller/motor_list_info.h"

namespace velmor::motion {

enum MotionColumn {
    kColumnStep = 0,
    kColumnMotor,
    kColumnAccelSteps,
    kColumnTopSpeed,
    kColumnDistance,
    kColumnDirection,
    kColumnLed,
    kColumnFrequency,  // the main-board page only
};
inline constexpr int kMotionColumnCount = 8;

inline constexpr std::string_view kRowXMotor = "XMotor";
inline constexpr std::string_view kRowXdcMotor = "XDCMotor";
inline constexpr std::string_view kRowYMotor = "YMotor";
inline constexpr std::string_view kRowZMotor = "ZMotor";
inline constexpr std::string_view kRowMotor0 = "Motor0";
inline constexpr std::string_view kRowMotor1 = "Motor1";

using MotionRow = std::array<std::string, kMotionColumnCount>;

// The motor slot (0 X, 1 Y, 2 Z, 3 M0, 4 M1) of a row's motor name; "XDCMotor"
// is slot 0 too. Nothing for a name that is none of these.
std::optional<int> SlotOfRowMotor(std::string_view name);
// The name of slot `slot`'s rows ("XMotor" for slot 0).
std::string_view RowMotorName(int slot);

// "1" for "End", "0" for anything else; and back: "0" is "Orignal", anything
// else "End".
std::string DirectionCell(std::string_view direction);
std::string DirectionFromCell(std::string_view cell);

// One row per moving motor of every step whose nMotorNums is not 0, motors in
// the order X, Y, Z, M0, M1, steps numbered 0, 1, 2, ... in list order; the LED
// text goes on the first row of a step. With `dcRows`, an X entry whose
// frequency is 1 or more is an "XDCMotor" row carrying the frequency; without
// (the fiber page), every X entry is an "XMotor" row.
std::vector<MotionRow> RowsFromSteps(const std::vector<controller::MotorListInfo>& steps,
                                     bool dcRows);

struct CommittedSteps {
    std::vector<controller::MotorListInfo> steps;
    bool hasDcRow = false;  // an "XDCMotor" row was seen: the page takes its "加速距离"
};

// The steps of `rows`: consecutive rows with the same step number become one
// step with one motor per row (its bit in motorIndex, counted in nMotorNums),
// the numbers read as integers, the direction from its cell and a non-empty LED
// cell as the step's LED text. A step without an LED cell shows no LED
// ("none"). Rows with an unknown motor name add nothing to their step.
CommittedSteps StepsFromRows(const std::vector<MotionRow>& rows);

// Which of two alternating colours a row with step number text `step` gets.
bool EvenStep(std::string_view step);

}  // namespace velmor::motion
