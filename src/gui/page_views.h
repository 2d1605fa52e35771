#pragma once
// Which view shows which page of the tab host: the register page (129) gets its
// own view, the pages still to come a placeholder.

#include <QWidget>

namespace velmor::ui {
struct CWnd_ITEM;
}
namespace velmor::shell {
class CVelmorDlg;
}

namespace velmor::gui {

QWidget* CreatePageView(shell::CVelmorDlg& window, const ui::CWnd_ITEM& item, QWidget* parent);

}  // namespace velmor::gui
