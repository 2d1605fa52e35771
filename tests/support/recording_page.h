#pragma once
// A page for tests of the tab host, the main window and the pages that reach
// other pages through the hooks: it records what it was asked.

#include "ui/page_hooks.h"
#include "ui/tab_page.h"

namespace velmor::testing {

class RecordingPage : public ui::TabPage, public ui::MovementPageHooks, public ui::ConfigPageHooks {
  public:
    explicit RecordingPage(controller::BoardLayout layout = controller::BoardLayout::kMainBoard)
        : layout_(layout) {}

    int showListsCalls = 0;
    int takeListsCalls = 0;
    int layoutMessages = 0;
    int refreshes = 0;
    ui::TabPage* linkedMovementPage = nullptr;
    bool statusThreadStopped = false;
    bool closed = false;

    void ShowLists(int /*list*/) override { ++showListsCalls; }
    void TakeLists(int /*list*/) override { ++takeListsCalls; }
    void StopStatusThread() override { statusThreadStopped = true; }
    void RefreshFromController() override { ++refreshes; }
    void OnLayoutMessage() override { ++layoutMessages; }
    void LinkMovementPage(ui::TabPage* movementPage) override { linkedMovementPage = movementPage; }
    void ClosePage() override { closed = true; }
    controller::BoardLayout Layout() const override { return layout_; }

  private:
    controller::BoardLayout layout_;
};

}  // namespace velmor::testing
