#include "shell/page_table.h"

#include <string>

#include "cleaning/clean_download_dlg.h"
#include "commands/cmd_sets_dlg.h"
#include "motion/initial_double_fiber_dlg.h"
#include "motion/initial_move_ment_dlg.h"
#include "registers/read_write_reg_dlg.h"
#include "ui/dialog_service.h"
#include "ui/placeholder_page.h"
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

// A page whose model comes in a later release.
auto Placeholder(int number, const char* title) {
    return [number, title](PageContext&) -> std::unique_ptr<ui::TabPage> {
        return std::make_unique<ui::PlaceholderPage>(number, title);
    };
}

// The configuration page to come opens the command sets from "初始化动作设计";
// its placeholder offers the same button meanwhile.
std::unique_ptr<ui::TabPage> ConfigPlaceholder(PageContext& context) {
    auto page = std::make_unique<ui::PlaceholderPage>(ui::kConfigPageId, "固件设置");
    page->AddAction("初始化动作设计", [&op = context.operation, &dialogs = context.dialogs] {
        commands::CCmdSetsDlg sets(op, dialogs);
        dialogs.RunModal(sets);
    });
    return page;
}

}  // namespace

const std::vector<PageRow>& PageTable() {
    static const std::vector<PageRow> rows = {
        {ui::kRegisterPageId, false, Make<registers::CReadWriteRegDlg>},
        {ui::kMainboardMovementPageId, false, MakeMovementPage<motion::CInitialMoveMentDlg>},
        {ui::kConfigPageId, false, ConfigPlaceholder},
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
