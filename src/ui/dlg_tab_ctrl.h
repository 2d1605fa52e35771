#pragma once
// CDlgTabCtrl: the tab host of the main window. It owns the pages, shows the page
// of the clicked tab, and tells the main window, the configuration page and the
// movement page of the board type when the user leaves or enters the movement
// and configuration tabs.
//
// Page i belongs to tab i. With the pages 129, 145, 130, (157,) 148 the movement
// tab (1) shows page 145, or page 148 through the main window: the movement page
// of the board type is the one whose layout the board type has.

#include <memory>
#include <vector>

#include "controller/board_layout.h"
#include "ui/tab_page.h"
#include "ui/window_messages.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::ui {

struct CWnd_ITEM {
    TabPage* page = nullptr;  // owned by the tab host
    int templateNumber = 0;
};

class CDlgTabCtrl {
  public:
    static constexpr int kControlId = 1000;
    static constexpr int kMovementTab = 1;
    static constexpr int kConfigTab = 2;

    explicit CDlgTabCtrl(const controller::CMainOperation& operation);
    ~CDlgTabCtrl();  // deletes every page
    CDlgTabCtrl(const CDlgTabCtrl&) = delete;
    CDlgTabCtrl& operator=(const CDlgTabCtrl&) = delete;

    // Who receives 2047/2049 and 2048.
    void SetMainWindow(WindowMessageReceiver* mainWindow) { mainWindow_ = mainWindow; }
    void SetConfigPage(TabPage* configPage) { configPage_ = configPage; }

    // Appends a page; returns it for the caller's typed reference.
    TabPage* AddPage(std::unique_ptr<TabPage> page, int templateNumber);
    // All pages hidden, then page 0 current and shown. Called once, after AddPage.
    void CreatePages();
    void HidePages(int templateNumber);
    void ShowPages(int templateNumber);
    TabPage* FindPage(int templateNumber) const;
    // The movement page serving `layout`, or null; its template number (0 when none).
    TabPage* MovementPageFor(controller::BoardLayout layout) const;
    int MovementPageNumber(controller::BoardLayout layout) const;
    // The main window closes: every page is told.
    void ClosePages();

    // A mouse click on the tab strip, after which tab `focusedTab` has the focus.
    void OnTabClick(int focusedTab);

    int CurrentPage() const { return current_; }
    const std::vector<CWnd_ITEM>& Items() const { return items_; }

  private:
    TabPage* MovementPageOfBoardType() const;
    void PostToMainWindow(int message);
    void PostLayoutMessage();

    const controller::CMainOperation& operation_;
    std::vector<std::unique_ptr<TabPage>> owned_;
    std::vector<CWnd_ITEM> items_;
    int current_ = 0;
    WindowMessageReceiver* mainWindow_ = nullptr;
    TabPage* configPage_ = nullptr;
};

}  // namespace velmor::ui
