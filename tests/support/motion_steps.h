#pragma once
// Movement steps the suites put into documents and controller objects.

#include "controller/motor_list_info.h"

namespace velmor::testing {

// One step that moves the X motor alone, towards its end: 512 acceleration
// steps, top speed 4000, `distance` pulses, LED 5.
inline controller::MotorListInfo XStep(int distance = 1000) {
    controller::MotorListInfo step;
    step.nMotorNums = 1;
    step.motorIndex = 1;
    step.MotonTabLen[0] = 512;
    step.MotonnMaxSpeed[0] = 4000;
    step.MotonnnMoveLenth[0] = distance;
    step.MotonnnstrDir[0] = "End";
    step.strLedIndx = "5";
    return step;
}

}  // namespace velmor::testing
