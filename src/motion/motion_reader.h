#pragma once
// Rebuilds the two motion lists and the motor settings from the register
// commands read back from the controller's start-up image, inverting the motion
// builder for one board layout.
//
// The commands are walked in order with one working step. A control register
// gives the direction and sets the polarity and limit-enable settings whose bit
// is set; table lengths, distances and divisors are collected byte by byte; the
// last byte of a divisor completes a move once its table length and distance are
// complete, and the working step, now moving just that motor, is appended to the
// movetest list when its LED text is "D", "E" or "F", to the movement list
// otherwise. Every read-back step moves one motor; the entries of the other
// motors keep what earlier moves put there.

#include <cstdint>
#include <vector>

#include "controller/cmd_info.h"
#include "controller/motor_list_info.h"
#include "controller/motor_settings.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::motion {

struct MotionReadBack {
    std::vector<controller::MotorListInfo> motionList;
    std::vector<controller::MotorListInfo> testMotionList;
    controller::MotorSettings settings;
};

// `current` supplies what the commands cannot say: every polarity, direction
// polarity and limit enable starts at 0, and the Z gear, Multiply, Z board and
// feed-motor selection keep their current values unless the commands carry them.
MotionReadBack ReadMotionBack(const std::vector<controller::CMD_INFO>& commands,
                              std::uint8_t boardType,
                              const controller::MotorSettings& current = {});

// Empties the controller object's two lists and rebuilds them and its motor
// settings from `commands`, for its current board type.
void ReadMotionBack(controller::CMainOperation& op,
                    const std::vector<controller::CMD_INFO>& commands);

}  // namespace velmor::motion
