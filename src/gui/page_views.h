#pragma once
// Which view shows which page of the tab host: the register page (129) gets its
// own view, the pages still to come a placeholder.
//
// A page is made of:
//  - its model, C<Name>Dlg in its subsystem's folder, deriving ui::PageModel (fields,
//    handlers, Changed() after each change, from any thread) and ui::TabPage; it
//    reaches the user through ui::DialogService and its timers through
//    ui::TimerService, and is created by CVelmorDlg::CreateTabs;
//  - its view here, <name>_view.{h,cpp}: builds the widgets, a ModelBinding whose
//    refresh copies the fields with Apply(...), widget signals that copy edits back
//    and call the handlers, a QtTimerService when the page has timers; captions go
//    through Caption("C<Name>Dlg", text) or tr(), with their English texts in
//    translations/velmortool_en.ts;
//  - one line in CreatePageView below;
//  - model tests with ui::ScriptedDialogService, ui::FakeTimerService and the
//    simulator, and a few offscreen view tests in tests/gui.

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
