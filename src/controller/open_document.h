#pragma once
// The configuration document that is open: the command list with its two name
// lists, the two motion lists, the motor settings (which carry the board type),
// and what the list update and the read-back keep beside them. The store copies it
// to and from files; the pages edit it. Part of the controller object.

#include <cstdint>
#include <string>
#include <vector>

#include "controller/cmd_info.h"
#include "controller/motor_list_info.h"
#include "controller/motor_settings.h"

namespace velmor::controller {

struct OpenDocument {
    // The board type is chosen on the GUI thread while flash workers read it for
    // every chunk; the field itself is atomic.
    std::uint8_t BoardType() const { return motorSettings.BoardType; }
    void SetBoardType(std::uint8_t type) { motorSettings.BoardType = type; }

    MotorSettings motorSettings;
    std::vector<CMD_INFO> cmdList;
    std::vector<std::string> cmdNames;          // download order list, section "CommandName"
    std::vector<std::string> allCmdNames;       // section "AllCommandName"
    std::vector<MotorListInfo> motionList;      // "InitMovement"
    std::vector<MotorListInfo> testMotionList;  // "InitMovetest"
    // The 1,024 records "读取参数" read from the flash image, parsed into commands
    // (the second command list); the parameters and the motion are taken from it.
    std::vector<CMD_INFO> readBackList;
    bool rebuildFlag = false;  // set when a loaded document had no commands
};

}  // namespace velmor::controller
