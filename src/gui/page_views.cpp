#include "gui/page_views.h"

#include <functional>
#include <map>

#include "gui/clean_download_view.h"
#include "gui/initial_double_fiber_view.h"
#include "gui/initial_move_ment_view.h"
#include "gui/prt_config_view.h"
#include "gui/read_write_reg_view.h"
#include "motion/initial_double_fiber_dlg.h"
#include "motion/initial_move_ment_dlg.h"
#include "ui/dlg_tab_ctrl.h"

namespace velmor::gui {

namespace {

using ViewMaker = std::function<QWidget*(ui::TabPage&, QWidget*)>;

template <typename Model, typename View>
std::pair<const int, ViewMaker> Row() {
    return {Model::kDialogId, [](ui::TabPage& page, QWidget* parent) -> QWidget* {
                auto* model = dynamic_cast<Model*>(&page);
                return model != nullptr ? new View(*model, parent) : nullptr;
            }};
}

// The view of each page, by its model's dialog number.
const std::map<int, ViewMaker>& PageViews() {
    static const std::map<int, ViewMaker> views = {
        Row<registers::CReadWriteRegDlg, ReadWriteRegView>(),
        Row<cleaning::CCleanDownloadDlg, CleanDownloadView>(),
        Row<motion::CInitialMoveMentDlg, InitialMoveMentView>(),
        Row<motion::CInitialDoubleFiberDlg, InitialDoubleFiberView>(),
        Row<config::CPrtConfigDlg, PrtConfigView>(),
    };
    return views;
}

}  // namespace

QWidget* CreatePageView(const ui::CWnd_ITEM& item, QWidget* parent) {
    const auto it = PageViews().find(item.templateNumber);
    QWidget* view = it != PageViews().end() ? it->second(*item.page, parent) : nullptr;
    // A page model without a view: an empty area keeps the tab order intact.
    return view != nullptr ? view : new QWidget(parent);
}

}  // namespace velmor::gui
