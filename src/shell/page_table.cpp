#include "shell/page_table.h"

#include <string>

#include "config/prt_config_dlg.h"
#include "registers/read_write_reg_dlg.h"
#include "ui/placeholder_page.h"
#include "ui/window_messages.h"

namespace velmor::shell {

namespace {

template <typename Page>
std::unique_ptr<ui::TabPage> Make(PageContext& context) {
    return std::make_unique<Page>(context.operation);
}

// A page whose model comes in a later release.
auto Placeholder(int number, const char* title) {
    return [number, title](PageContext&) -> std::unique_ptr<ui::TabPage> {
        return std::make_unique<ui::PlaceholderPage>(number, title);
    };
}

}  // namespace

const std::vector<PageRow>& PageTable() {
    static const std::vector<PageRow> rows = {
        {ui::kRegisterPageId, false, Make<registers::CReadWriteRegDlg>},
        {ui::kMainboardMovementPageId, false,
         Placeholder(ui::kMainboardMovementPageId, "初始化运动（主板）")},
        {ui::kConfigPageId, false,
         [](PageContext& context) -> std::unique_ptr<ui::TabPage> {
             return std::make_unique<config::CPrtConfigDlg>(context.operation, context.dialogs);
         }},
        {ui::kCleaningPageId, true, Placeholder(ui::kCleaningPageId, "清洗设置")},
        {ui::kFiberMovementPageId, false,
         Placeholder(ui::kFiberMovementPageId, "初始化运动（光纤板）")},
    };
    return rows;
}

}  // namespace velmor::shell
