#include "config/command_list_update.h"

#include <algorithm>

#include "controller/main_operation.h"

namespace velmor::config {

namespace {

using controller::CMD_INFO;

constexpr std::string_view kRegWrite = "RegWrite";
constexpr std::uint8_t kHeadBoardEnable = 0x80;

using Byte = std::uint8_t PrtConfigParams::*;

struct ParameterRow {
    std::uint16_t address;
    std::string_view regName;
    Byte field;  // nullptr: the fixed value below
    std::uint8_t fixed;
    bool fourFiberOnly;
    bool onlyOnRebuild;  // never appended unless the list is rebuilt
};

constexpr ParameterRow kRows[] = {
    {0x4009, "MB Ctrl1", &PrtConfigParams::mbCtrl1, 0, false, true},
    {0x400A, "MB Ctrl2", &PrtConfigParams::mbCtrl2, 0, false, true},
    // 0x400B carries the name of 0x400A.
    {0x400B, "MB Ctrl2", &PrtConfigParams::mbCtrl2b, 0, false, false},
    {0x4108, "HB Ctrl0", nullptr, kHeadBoardEnable, false, true},
    {0x4208, "HB Ctrl02", nullptr, kHeadBoardEnable, false, false},
    {0x4308, "HB Ctrl03", nullptr, kHeadBoardEnable, true, false},
    {0x4408, "HB Ctrl04", nullptr, kHeadBoardEnable, true, false},
    {0x4109, "HB Ctrl1", &PrtConfigParams::hbCtrl1, 0, false, true},
    {0x4209, "HB Ctrl11", &PrtConfigParams::hbCtrl11, 0, false, false},
    {0x4309, "HB Ctrl12", &PrtConfigParams::hbCtrl11, 0, true, false},
    {0x4409, "HB Ctrl13", &PrtConfigParams::hbCtrl11, 0, true, false},
    {0x410A, "HB Ctrl2", &PrtConfigParams::hbCtrl2, 0, false, true},
    {0x420A, "HB Ctrl22", &PrtConfigParams::hbCtrl22, 0, false, false},
    {0x430A, "HB Ctrl23", &PrtConfigParams::hbCtrl22, 0, true, false},
    {0x440A, "HB Ctrl24", &PrtConfigParams::hbCtrl22, 0, true, false},
    {0x410B, "HB Ctrl3", nullptr, 0x00, false, true},
    {0x420B, "HB Ctrl32", nullptr, 0x00, false, false},
};

bool Contains(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

CMD_INFO EndCommand() {
    return {std::string(kInitEndGroup), "end[7:0]", std::string(kInitEndGroup), kEndAddress, 0};
}

std::vector<CMD_INFO> ParameterCommands(const PrtConfigParams& params, std::uint8_t boardType) {
    std::vector<CMD_INFO> commands;
    for (const ParameterRow& row : kRows) {
        if (row.fourFiberOnly && boardType != controller::kFourFiberType) continue;
        commands.push_back({std::string(kInitDoneGroup), std::string(row.regName),
                            std::string(kRegWrite), row.address,
                            row.field ? params.*row.field : row.fixed});
    }
    return commands;
}

void UpdateCommandList(CommandLists lists, const PrtConfigParams& params, std::uint8_t boardType) {
    std::vector<CMD_INFO>& list = lists.cmdList;
    const bool rebuild = lists.rebuildFlag;
    std::erase_if(list, [rebuild](const CMD_INFO& c) {
        return c.KeyName == kInitEndGroup ||
               (rebuild && (c.KeyName == kDefaultGroup || c.KeyName == kInitDoneGroup));
    });

    const std::vector<CMD_INFO> commands = ParameterCommands(params, boardType);
    std::size_t rowIndex = 0;
    for (const ParameterRow& row : kRows) {
        if (row.fourFiberOnly && boardType != controller::kFourFiberType) continue;
        const CMD_INFO& command = commands[rowIndex++];
        if (row.onlyOnRebuild && rebuild) {
            list.push_back(command);
            continue;
        }
        const auto existing = std::find_if(list.begin(), list.end(), [&](const CMD_INFO& c) {
            return c.KeyName == kInitDoneGroup && c.Addr == row.address &&
                   (row.address != 0x400B || c.OptType == kRegWrite);
        });
        if (existing != list.end()) {
            *existing = command;
        } else if (!row.onlyOnRebuild) {
            list.push_back(command);
        }
    }

    if (!Contains(lists.allCmdNames, kInitMovementGroup)) {
        lists.allCmdNames.emplace_back(kInitMovementGroup);
        if (!Contains(lists.allCmdNames, kInitEndGroup))
            lists.allCmdNames.emplace_back(kInitEndGroup);
    }
    if (!Contains(lists.cmdNames, kInitEndGroup)) lists.cmdNames.emplace_back(kInitEndGroup);

    for (int i = 0; i < kEndCommands; ++i) list.push_back(EndCommand());
    lists.rebuildFlag = false;
}

void UpdateCommandList(controller::CMainOperation& op, const PrtConfigParams& params) {
    UpdateCommandList({op.cmdList, op.cmdNames, op.allCmdNames, op.rebuildFlag}, params,
                      op.BoardType());
}

}  // namespace velmor::config
