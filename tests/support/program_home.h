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

// Makes `programFolder` hold the document `name` in its record folder with the motor
// settings `settings` (and their board type).
inline void WriteRecordDocument(const std::string& programFolder, const std::string& name,
                                const controller::MotorSettings& settings) {
    controller::CMainOperation first;
    first.motorSettings = settings;
    const std::string record = commands::CCmdsMag::RecordFolder(programFolder);
    std::filesystem::create_directories(record);
    commands::CCmdsMag(first).SaveConfigDocument(record + name);
}

// Makes `programFolder` hold a FirstConfig.cfg of `boardType`.
inline void WriteFirstConfig(const std::string& programFolder, std::uint8_t boardType) {
    controller::MotorSettings settings;
    settings.BoardType = boardType;
    WriteRecordDocument(programFolder, "FirstConfig.cfg", settings);
}

}  // namespace velmor::testing
