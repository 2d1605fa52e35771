#include <string>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "shell/velmor_app.h"

namespace velmor::shell {

void LoadLanguageFromStore(controller::CMainOperation& operation, const std::string& path) {
    commands::CCmdsMag store(operation);
    store.LoadLanguage(path);
}

}  // namespace velmor::shell
