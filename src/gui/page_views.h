#pragma once
// Which view shows which page of the tab host, by template number.
//
// A page is made of:
//  - its model, C<Name>Dlg in its subsystem's folder, deriving ui::PageModel (fields,
//    handlers, Changed() after each change, from any thread) and ui::TabPage, plus the
//    hooks of ui/page_hooks.h it needs; it reaches the user through ui::DialogService,
//    its timers through ui::TimerService, and keeps its log in a ui::PageLog;
//  - its row in the page table, shell/page_table.cpp;
//  - its view here, <name>_view.{h,cpp}: widgets made through a FieldBinder, a
//    ModelBinding whose refresh calls the binder's Refresh, a LogPane for the log, a
//    QtTimerService when the page has timers; captions in translations/velmortool_en.ts;
//  - its row in the view table of page_views.cpp;
//  - model tests with the shared rig, fake timers and scripted dialogs of
//    tests/support, and a few offscreen view tests in tests/gui.

#include <QWidget>

namespace velmor::ui {
struct CWnd_ITEM;
}

namespace velmor::gui {

QWidget* CreatePageView(const ui::CWnd_ITEM& item, QWidget* parent);

}  // namespace velmor::gui
