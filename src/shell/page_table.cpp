#include "shell/page_table.h"

#include <string>

#include "cleaning/clean_download_dlg.h"
#include "commands/cmd_sets_dlg.h"
#include "config/prt_config_dlg.h"
#include "motion/initial_double_fiber_dlg.h"
#include "motion/initial_move_ment_dlg.h"
#include "registers/read_write_reg_dlg.h"
#include "ui/dialog_service.h"
#include "ui/window_messages.h"

namespace velmor::shell {

namespace {

template <typename Page>
std::unique_ptr<ui::TabPage> Make(PageContext& context) {
    return std::make_unique<Page>(context.operation);
}

// The movement pages post 2046 to the main window before a test move.
template <typename Page>
std::unique_ptr<ui::TabPage> MakeMovementPage(PageContext& context) {
    return std::make_unique<Page>(context.operation, context.dialogs, context.mainWindow);
}

// The configuration page opens the command sets from "初始化动作设计".
std::unique_ptr<ui::TabPage> MakeConfigPage(PageContext& context) {
    auto commandSets = [&op = context.operation,
                        &dialogs = context.dialogs](controller::CmdNameInfo entry) {
        auto sets = std::make_unique<commands::CCmdSetsDlg>(op, dialogs);
        sets->AddNameInfo(std::move(entry));
        return std::unique_ptr<ui::ModalDialog>(std::move(sets));
    };
    return std::make_unique<config::CPrtConfigDlg>(context.operation, context.dialogs,
                                                   std::move(commandSets));
}

}  // namespace

const std::vector<PageRow>& PageTable() {
    static const std::vector<PageRow> rows = {
        {ui::kRegisterPageId, false, Make<registers::CReadWriteRegDlg>},
        {ui::kMainboardMovementPageId, false, MakeMovementPage<motion::CInitialMoveMentDlg>},
        {ui::kConfigPageId, false, MakeConfigPage},
        {ui::kCleaningPageId, true,
         [](PageContext& context) -> std::unique_ptr<ui::TabPage> {
             return std::make_unique<cleaning::CCleanDownloadDlg>(context.operation,
                                                                  context.dialogs);
         }},
        {ui::kFiberMovementPageId, false, MakeMovementPage<motion::CInitialDoubleFiberDlg>},
    };
    return rows;
}

}  // namespace velmor::shell
