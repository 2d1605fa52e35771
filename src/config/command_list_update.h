#pragma once
// The list update that ends every Encode: the parameter bytes become "RegWrite"
// commands of the group "InitDone" in the command list, the name lists are made
// to hold the groups the image needs, and three "InitEnd" terminators close the
// list.

#include <cstdint>
#include <string>
#include <vector>

#include "config/prt_config_params.h"
#include "controller/cmd_info.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::config {

inline constexpr std::string_view kInitDoneGroup = "InitDone";
inline constexpr std::string_view kInitMovementGroup = "InitMovement";
inline constexpr std::string_view kInitEndGroup = "InitEnd";
inline constexpr std::string_view kDefaultGroup = "default";
inline constexpr std::uint16_t kEndAddress = 0x4E00;
inline constexpr int kEndCommands = 3;

// The lists of the controller object the update changes.
struct CommandLists {
    std::vector<controller::CMD_INFO>& cmdList;
    std::vector<std::string>& cmdNames;     // download order list
    std::vector<std::string>& allCmdNames;  // all command-set names
    bool& rebuildFlag;
};

// The parameter register commands for `boardType` in table order (the rows for
// head boards 3 and 4 only for "FourFiber").
std::vector<controller::CMD_INFO> ParameterCommands(const PrtConfigParams& params,
                                                    std::uint8_t boardType);

// One "InitEnd" terminator: group "InitEnd", "end[7:0]", "InitEnd", 0x4E00, 0.
controller::CMD_INFO EndCommand();

// Removes the "InitEnd" commands (and, with the rebuild flag, every "default" and
// "InitDone" command), puts the parameter commands in, makes sure the name lists
// hold "InitMovement" and "InitEnd" where the image needs them, appends the three
// terminators and clears the rebuild flag.
//
// Without the rebuild flag, 0x4009, 0x400A, 0x4108, 0x4109, 0x410A and 0x410B
// only replace an "InitDone" command of the same address and are never added;
// the other rows replace one or are appended.
void UpdateCommandList(CommandLists lists, const PrtConfigParams& params, std::uint8_t boardType);

// The same on the controller object's lists, for its current board type.
void UpdateCommandList(controller::CMainOperation& op, const PrtConfigParams& params);

}  // namespace velmor::config
