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
#include "ui/window_messages.h"

namespace velmor::gui {

namespace {

using ViewMaker = std::function<QWidget*(ui::TabPage&, QWidget*)>;

template <typename Model, typename View>
ViewMaker Make() {
    return [](ui::TabPage& page, QWidget* parent) -> QWidget* {
        auto* model = dynamic_cast<Model*>(&page);
        return model != nullptr ? new View(*model, parent) : nullptr;
    };
}

// The view of each page, by template number.
const std::map<int, ViewMaker>& PageViews() {
    static const std::map<int, ViewMaker> views = {
        {ui::kRegisterPageId, Make<registers::CReadWriteRegDlg, ReadWriteRegView>()},
        {ui::kCleaningPageId, Make<cleaning::CCleanDownloadDlg, CleanDownloadView>()},
        {ui::kMainboardMovementPageId, Make<motion::CInitialMoveMentDlg, InitialMoveMentView>()},
        {ui::kFiberMovementPageId, Make<motion::CInitialDoubleFiberDlg, InitialDoubleFiberView>()},
        {ui::kConfigPageId, Make<config::CPrtConfigDlg, PrtConfigView>()},
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
