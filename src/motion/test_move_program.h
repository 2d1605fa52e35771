#pragma once
// Programs a motor's generator for a test move, directly over the link: the
// registers the motion builder would queue for the same move, with these
// differences. Every control bit is set or cleared by its own read-modify-write;
// 16- and 32-bit fields are written at once; the divisor uses half the rate of a
// queued move; the fiber X control register gets only its direction bit; the Y
// generators also get their 16-bit rate field 0x00FF; no LED and no end marker.

#include <vector>

#include "controller/motor_settings.h"
#include "motion/motion_register_map.h"
#include "motion/test_move_inputs.h"

namespace velmor::motion {

class RegisterBits;

// The generators a test move of `motor` drives: X0 for X, the DC motor and M0;
// the selected feed generators for Y; the Z_1 generator of the chosen board for
// Z and M1.
std::vector<const Generator*> TestGenerators(TestMotor motor,
                                             const controller::MotorSettings& settings);

// `settings` are the controller object's (BoardType included) after the page's
// settings were applied; the numbers come from `inputs`.
void ProgramTestMove(RegisterBits& bits, TestMotor motor, const TestMoveInputs& inputs,
                     const controller::MotorSettings& settings);

}  // namespace velmor::motion
