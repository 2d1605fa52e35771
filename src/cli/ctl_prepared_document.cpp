#include "cli/ctl_prepared_document.h"

#include "cli/ctl_documents.h"
#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "history/write_history.h"

namespace velmor::cli {

int PrepareDocument(CtlOutput& output, const std::string& path, PreparedDocument& prepared) {
    controller::CMainOperation op;
    commands::CCmdsMag::PrinterKeys keys;
    if (const int code = LoadDocument(output, op, path, &keys); code != kExitOk) return code;
    prepared.path = path;
    prepared.prepared = config::PrepareLoadedDocument(op, keys);
    if (!prepared.prepared.build.Ok())
        return output.Fail(kExitDataErr, config::ImageBuildMessage(prepared.prepared.build,
                                                                   controller::Language::kEnglish));
    prepared.document = static_cast<const controller::OpenDocument&>(op);
    prepared.fileCrc = history::FileCrc(path);
    return kExitOk;
}

}  // namespace velmor::cli
