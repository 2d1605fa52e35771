#include "gui/page_views.h"

#include <QLabel>

#include "gui/placeholder_page_view.h"
#include "gui/read_write_reg_view.h"
#include "shell/velmor_dlg.h"
#include "ui/dlg_tab_ctrl.h"
#include "ui/placeholder_page.h"

namespace velmor::gui {

QWidget* CreatePageView(shell::CVelmorDlg& window, const ui::CWnd_ITEM& item, QWidget* parent) {
    if (item.page == window.RegisterPage()) {
        return new ReadWriteRegView(*window.RegisterPage(), parent);
    }
    if (auto* placeholder = dynamic_cast<ui::PlaceholderPage*>(item.page)) {
        return new PlaceholderPageView(*placeholder, parent);
    }
    // A page model without a view yet: an empty area keeps the tab order intact.
    return new QWidget(parent);
}

}  // namespace velmor::gui
