#pragma once
// The pages of the main window's tab host, in tab order, each by its model's own
// dialog number. The Qt program's view table (gui/page_views.cpp) is keyed by the
// same numbers. Adding a page is its model, its view and its row here and there.

#include <functional>
#include <memory>
#include <vector>

#include "ui/page_context.h"
#include "ui/tab_page.h"

namespace velmor::shell {

struct PageRow {
    int templateNumber = 0;
    bool chineseOnly = false;  // only hosted when the language is Chinese (controller::Language)
    std::function<std::unique_ptr<ui::TabPage>(const ui::PageContext&)> make;
};

// 129 registers, 145 main-board movement, 130 configuration, 157 cleaning (Chinese
// only), 148 fiber movement.
const std::vector<PageRow>& PageTable();

}  // namespace velmor::shell
