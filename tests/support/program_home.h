#pragma once
// A program folder for tests of the main window: the configuration page opens
// CmdsRecord/FirstConfig.cfg when the window starts, and that document's motor
// settings carry the board type the window then has.

#include <cstdint>
#include <filesystem>
#include <string>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"

namespace velmor::testing {

// Makes `programFolder` hold a FirstConfig.cfg of `boardType`.
inline void WriteFirstConfig(const std::string& programFolder, std::uint8_t boardType) {
    controller::CMainOperation first;
    first.SetBoardType(boardType);
    const std::string record = commands::CCmdsMag::RecordFolder(programFolder);
    std::filesystem::create_directories(record);
    commands::CCmdsMag(first).SaveConfigDocument(record + "FirstConfig.cfg");
}

}  // namespace velmor::testing
