#include "cli/ctl_documents.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "files/utf8_path.h"
#include "numbers/hex_text.h"

namespace velmor::cli {

int CheckInputFile(CtlOutput& output, const std::string& path, const std::string& what) {
    std::error_code error;
    if (std::filesystem::is_directory(files::PathFromUtf8(path), error))
        return output.Fail(kExitNoInput,
                           "cannot read the " + what + " " + path + ": it is a folder");
    if (!std::ifstream(files::PathFromUtf8(path)).good())
        return output.Fail(kExitNoInput, "cannot read the " + what + " " + path);
    return kExitOk;
}

int LoadDocument(CtlOutput& output, controller::CMainOperation& op, const std::string& path,
                 commands::CCmdsMag::PrinterKeys* keys) {
    // The store reads a missing file as an empty document, and any file as one of
    // defaults; a command line that names a file means that file, and a document.
    if (const int code = CheckInputFile(output, path, "document"); code != kExitOk) return code;
    commands::CCmdsMag store(op);
    store.LoadConfigDocument(path);
    if (keys != nullptr) *keys = store.LoadedPrinterKeys();
    if (store.DocumentTooLarge())
        return output.Fail(kExitDataErr, path + ": the file is too large for a document");
    if (!store.HeldKnownSections())
        return output.Fail(kExitDataErr, path + " is not a configuration document");
    if (store.CountClamped())
        return output.Fail(kExitDataErr,
                           path + ": a list count runs past the entries the document holds");
    if (!store.ChecksumAccepted())
        return output.Fail(kExitDataErr, path + ": the document's checksum (CRC16) does not match");
    return kExitOk;
}

nlohmann::json CommandJson(const controller::CMD_INFO& command) {
    return {{"group", command.KeyName},
            {"register", command.RegName},
            {"op", command.OptType},
            {"address", command.Addr},
            {"data", command.Data}};
}

nlohmann::json CommandsJson(const std::vector<controller::CMD_INFO>& commands) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& command : commands) list.push_back(CommandJson(command));
    return list;
}

std::string CommandsText(const std::vector<controller::CMD_INFO>& commands) {
    std::string text;
    for (const auto& command : commands) {
        text += command.KeyName + ' ' + command.RegName + ' ' + command.OptType + ' ' +
                numbers::Hex(command.Addr, {.digits = 4, .prefix = true}) + ' ' +
                numbers::Hex(command.Data, {.digits = 2, .prefix = true}) + '\n';
    }
    return text;
}

}  // namespace velmor::cli
