#pragma once
// Hooks that only some pages of the tab host have. The tab host and the main
// window find them on a page with PageHooks<...>(page); a page without them is
// simply not asked.

#include "controller/board_layout.h"

namespace velmor::ui {

class TabPage;

// The movement pages (145, 148).
class MovementPageHooks {
  public:
    virtual ~MovementPageHooks() = default;
    // The board layout the page serves: the main-board page (145) or the fiber page (148).
    virtual controller::BoardLayout Layout() const = 0;
    // Fill the page's list from the motion list `list` of the controller object (0
    // movement, 1 movetest), or store it back.
    virtual void ShowLists(int list) = 0;
    virtual void TakeLists(int list) = 0;
    // Tell the motor status thread to stop (the main window exits).
    virtual void StopStatusThread() = 0;
    // Fill the page's controls and lists afresh from the controller object (after
    // the configuration page loaded a document or read the parameters back).
    virtual void RefreshFromController() = 0;
};

// The configuration page (130).
class ConfigPageHooks {
  public:
    virtual ~ConfigPageHooks() = default;
    // Follow the board type (the layout message, 2048).
    virtual void OnLayoutMessage() = 0;
    // The movement page it refreshes after loading a document (145 or 148,
    // following the board type); it reaches it through PageHooks<MovementPageHooks>.
    virtual void LinkMovementPage(TabPage* movementPage) = 0;
};

template <typename Hooks, typename Page>
Hooks* PageHooks(Page* page) {
    return dynamic_cast<Hooks*>(page);
}

}  // namespace velmor::ui
