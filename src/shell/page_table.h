#pragma once
// The pages of the main window's tab host, in tab order, by template number: which
// model each one is. The Qt program's view table (gui/page_views.cpp) is keyed by
// the same numbers. Adding a page is its model, its view and its row here and there.

#include <functional>
#include <memory>
#include <vector>

#include "ui/tab_page.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::ui {
class DialogService;
class WindowMessageReceiver;
}  // namespace velmor::ui

namespace velmor::shell {

// What a page is made with.
struct PageContext {
    controller::CMainOperation& operation;
    ui::DialogService& dialogs;
    // Receives the messages pages post to the main window (2046); may be null.
    ui::WindowMessageReceiver* mainWindow = nullptr;
};

struct PageRow {
    int templateNumber = 0;
    bool chineseOnly = false;  // only hosted when the language is "chs"
    std::function<std::unique_ptr<ui::TabPage>(PageContext&)> make;
};

// 129 registers, 145 main-board movement, 130 configuration, 157 cleaning (Chinese
// only), 148 fibre movement.
const std::vector<PageRow>& PageTable();

}  // namespace velmor::shell
