#include "ui/dlg_tab_ctrl.h"

#include <utility>

#include "controller/main_operation.h"
#include "ui/page_hooks.h"

namespace velmor::ui {

CDlgTabCtrl::CDlgTabCtrl(const controller::CMainOperation& operation) : operation_(operation) {}

CDlgTabCtrl::~CDlgTabCtrl() {
    // Pages may refer to earlier pages (the movement page to the register page):
    // delete in reverse order of adding.
    while (!owned_.empty()) owned_.pop_back();
}

TabPage* CDlgTabCtrl::AddPage(std::unique_ptr<TabPage> page, int templateNumber) {
    TabPage* raw = page.get();
    if (!raw) return nullptr;
    owned_.push_back(std::move(page));
    items_.push_back(CWnd_ITEM{raw, templateNumber});
    return raw;
}

void CDlgTabCtrl::CreatePages() {
    for (const CWnd_ITEM& item : items_) item.page->Hide();
    current_ = 0;
    if (!items_.empty()) items_.front().page->Show();
}

void CDlgTabCtrl::HidePages(int templateNumber) {
    for (const CWnd_ITEM& item : items_) {
        if (item.templateNumber == templateNumber) item.page->Hide();
    }
}

void CDlgTabCtrl::ShowPages(int templateNumber) {
    for (const CWnd_ITEM& item : items_) {
        if (item.templateNumber == templateNumber) item.page->Show();
    }
}

TabPage* CDlgTabCtrl::FindPage(int templateNumber) const {
    for (const CWnd_ITEM& item : items_) {
        if (item.templateNumber == templateNumber) return item.page;
    }
    return nullptr;
}

void CDlgTabCtrl::ClosePages() {
    for (const CWnd_ITEM& item : items_) item.page->ClosePage();
}

void CDlgTabCtrl::OnTabClick(int focusedTab) {
    const int before = current_;
    if (focusedTab == before) return;
    // A tab without a page (or a click beside the tabs) selects nothing.
    if (focusedTab < 0 || focusedTab >= static_cast<int>(items_.size())) return;

    for (const CWnd_ITEM& item : items_) item.page->Hide();
    current_ = focusedTab;
    items_[focusedTab].page->Show();

    auto* movement = PageHooks<MovementPageHooks>(MovementPageOfBoardType());
    if (!movement) return;
    if (before == kMovementTab) {
        PostLayoutMessage();
        movement->TakeLists(0);
        movement->TakeLists(1);
    } else if (focusedTab == kMovementTab) {
        PostToMainWindow(kMsgShowMovementPage);
        movement->ShowLists(0);
        movement->ShowLists(1);
    } else if (focusedTab == kConfigTab) {
        PostLayoutMessage();
        PostToMainWindow(kMsgLinkConfigPage);
    }
}

TabPage* CDlgTabCtrl::MovementPageFor(controller::BoardLayout layout) const {
    const int number = MovementPageNumber(layout);
    return number != 0 ? FindPage(number) : nullptr;
}

int CDlgTabCtrl::MovementPageNumber(controller::BoardLayout layout) const {
    for (const CWnd_ITEM& item : items_) {
        const auto* movement = PageHooks<MovementPageHooks>(item.page);
        if (movement != nullptr && movement->Layout() == layout) return item.templateNumber;
    }
    return 0;
}

TabPage* CDlgTabCtrl::MovementPageOfBoardType() const {
    return MovementPageFor(controller::LayoutOf(operation_.BoardType()));
}

void CDlgTabCtrl::PostToMainWindow(int message) {
    if (mainWindow_) mainWindow_->OnWindowMessage(message);
}

void CDlgTabCtrl::PostLayoutMessage() {
    if (auto* config = PageHooks<ConfigPageHooks>(configPage_)) config->OnLayoutMessage();
}

}  // namespace velmor::ui
