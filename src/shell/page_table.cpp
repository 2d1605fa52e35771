#include "shell/page_table.h"

#include "cleaning/clean_download_dlg.h"
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

}  // namespace

const std::vector<PageRow>& PageTable() {
    static const std::vector<PageRow> rows = {
        Row<registers::CReadWriteRegDlg>(),    Row<motion::CInitialMoveMentDlg>(),
        Row<config::CPrtConfigDlg>(),          Row<cleaning::CCleanDownloadDlg>(true),
        Row<motion::CInitialDoubleFiberDlg>(),
    };
    return rows;
}

}  // namespace velmor::shell
