#pragma once
// Loading the configuration documents velmorctl works on, and command lists as
// JSON, shared by the motion, image and download commands.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "commands/cmds_mag.h"
#include "controller/cmd_info.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::cli {

class CtlOutput;

// kExitOk when `path` names a file that can be read; 66, said as "cannot read the
// `what` PATH", when it is missing, unreadable or a folder.
int CheckInputFile(CtlOutput& output, const std::string& path, const std::string& what);

// Loads the configuration document `path` into `op` with the store's load. A
// missing or unreadable file, or a folder, is 66; a file that holds none of the
// sections a saved document has ("PATH is not a configuration document"), a
// document whose counts run past what it holds, or whose checksum does not match,
// is 65 (bad data); kExitOk otherwise (a document without commands or movement
// steps is a good document). `keys`, when given, receives the document's printer
// keys from the same load.
int LoadDocument(CtlOutput& output, controller::CMainOperation& op, const std::string& path,
                 commands::CCmdsMag::PrinterKeys* keys = nullptr);

// {"group", "register", "op", "address", "data"}.
nlohmann::json CommandJson(const controller::CMD_INFO& command);
nlohmann::json CommandsJson(const std::vector<controller::CMD_INFO>& commands);
// One line per command: group, register, operation, address and data in hex.
std::string CommandsText(const std::vector<controller::CMD_INFO>& commands);

}  // namespace velmor::cli
