#include "motion/motion_list_rows.h"

#include <limits>

#include "motion/motor_channel.h"
#include "numbers/number_text.h"

namespace velmor::motion {

namespace {

using controller::MotorListInfo;

constexpr std::string_view kSlotNames[controller::kMotorSlots] = {
    kRowXMotor, kRowYMotor, kRowZMotor, kRowMotor0, kRowMotor1};

MotorListInfo NewStep() {
    MotorListInfo step;
    step.strLedIndx = "none";
    return step;
}

}  // namespace

std::optional<int> SlotOfRowMotor(std::string_view name) {
    if (name == kRowXdcMotor) return 0;
    for (int slot = 0; slot < controller::kMotorSlots; ++slot) {
        if (name == kSlotNames[slot]) return slot;
    }
    return std::nullopt;
}

std::string_view RowMotorName(int slot) {
    return slot >= 0 && slot < controller::kMotorSlots ? kSlotNames[slot] : std::string_view();
}

std::string DirectionCell(std::string_view direction) { return IsEnd(direction) ? "1" : "0"; }

std::string DirectionFromCell(std::string_view cell) {
    return std::string(cell == "0" ? kDirectionOrigin : kDirectionEnd);
}

std::vector<MotionRow> RowsFromSteps(const std::vector<MotorListInfo>& steps, bool dcRows) {
    std::vector<MotionRow> rows;
    int number = 0;
    for (const MotorListInfo& step : steps) {
        if (step.nMotorNums == 0) continue;
        bool first = true;
        for (int slot = 0; slot < controller::kMotorSlots; ++slot) {
            if ((step.motorIndex & (1u << slot)) == 0) continue;
            const auto i = static_cast<std::size_t>(slot);
            const bool dc = slot == 0 && dcRows && step.MotonnFrequency >= 1;
            MotionRow row;
            row[kColumnStep] = std::to_string(number);
            row[kColumnMotor] = std::string(dc ? kRowXdcMotor : RowMotorName(slot));
            row[kColumnAccelSteps] = std::to_string(step.MotonTabLen[i]);
            row[kColumnTopSpeed] = std::to_string(step.MotonnMaxSpeed[i]);
            row[kColumnDistance] = std::to_string(step.MotonnnMoveLenth[i]);
            row[kColumnDirection] = DirectionCell(step.MotonnnstrDir[i]);
            if (first) row[kColumnLed] = step.strLedIndx;
            if (dc) row[kColumnFrequency] = std::to_string(step.MotonnFrequency);
            rows.push_back(std::move(row));
            first = false;
        }
        if (!first) ++number;  // a step that showed no row takes no number
    }
    return rows;
}

CommittedSteps StepsFromRows(const std::vector<MotionRow>& rows) {
    CommittedSteps result;
    const std::string* stepNumber = nullptr;
    for (const MotionRow& row : rows) {
        if (!stepNumber || row[kColumnStep] != *stepNumber) result.steps.push_back(NewStep());
        stepNumber = &row[kColumnStep];
        MotorListInfo& step = result.steps.back();

        if (!row[kColumnLed].empty()) step.strLedIndx = row[kColumnLed];
        const std::optional<int> slot = SlotOfRowMotor(row[kColumnMotor]);
        if (!slot) continue;
        const auto i = static_cast<std::size_t>(*slot);
        step.motorIndex = static_cast<std::uint8_t>(step.motorIndex | (1u << *slot));
        if (step.nMotorNums < std::numeric_limits<std::uint8_t>::max()) ++step.nMotorNums;
        step.MotonTabLen[i] = numbers::FieldDecimal(row[kColumnAccelSteps]);
        step.MotonnMaxSpeed[i] = numbers::FieldDecimal(row[kColumnTopSpeed]);
        step.MotonnnMoveLenth[i] = numbers::FieldDecimal(row[kColumnDistance]);
        step.MotonnnstrDir[i] = DirectionFromCell(row[kColumnDirection]);
        if (row[kColumnMotor] == kRowXdcMotor) {
            step.MotonnFrequency = numbers::FieldDecimal(row[kColumnFrequency]);
            result.hasDcRow = true;
        }
    }
    return result;
}

bool EvenStep(std::string_view step) { return numbers::FieldDecimal(step) % 2 == 0; }

}  // namespace velmor::motion
