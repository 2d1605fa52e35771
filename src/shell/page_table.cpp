#include "shell/page_table.h"

#include "cleaning/clean_download_dlg.h"
#include "config/config_preparation.h"
#include "config/prt_config_dlg.h"
#include "motion/initial_double_fiber_dlg.h"
#include "motion/initial_move_ment_dlg.h"
#include "registers/read_write_reg_dlg.h"

namespace velmor::shell {

namespace {

template <typename Page>
PageRow Row(bool chineseOnly = false) {
    return {Page::kDialogId, chineseOnly,
            [](const ui::PageContext& context) -> std::unique_ptr<ui::TabPage> {
                return std::make_unique<Page>(context);
            }};
}

// A movement page, with the configuration's image builder for its preview.
template <typename Page>
PageRow MovementRow() {
    return {Page::kDialogId, false,
            [](const ui::PageContext& context) -> std::unique_ptr<ui::TabPage> {
                auto page = std::make_unique<Page>(context);
                page->SetDocumentImageMaker(&config::DocumentImageOf);
                return page;
            }};
}

}  // namespace

const std::vector<PageRow>& PageTable() {
    static const std::vector<PageRow> rows = {
        Row<registers::CReadWriteRegDlg>(),
        MovementRow<motion::CInitialMoveMentDlg>(),
        Row<config::CPrtConfigDlg>(),
        Row<cleaning::CCleanDownloadDlg>(true),
        MovementRow<motion::CInitialDoubleFiberDlg>(),
    };
    return rows;
}

}  // namespace velmor::shell
