#pragma once
// A page hosted by the tab host: shown or hidden as tabs are clicked, and told
// when the user leaves or enters the tabs that depend on the board type.

#include <atomic>

namespace velmor::ui {

class TabPage {
  public:
    virtual ~TabPage() = default;

    bool Visible() const { return visible_; }
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // Movement pages: fill the page's list from the motion list `list` of the
    // controller object (0 movement, 1 movetest), or store it back.
    virtual void ShowLists(int /*list*/) {}
    virtual void TakeLists(int /*list*/) {}
    // Configuration page: follow the board type (the layout message, 2048).
    virtual void OnLayoutMessage() {}
    // Configuration page: the movement page it refreshes after loading a document
    // (page 145 or 148, following the board type).
    virtual void LinkMovementPage(TabPage* /*movementPage*/) {}
    // Movement pages: tell the motor status thread to stop (the main window exits).
    virtual void StopStatusThread() {}
    // The main window is closing.
    virtual void ClosePage() {}

  protected:
    // Called after the visibility changed, so the page can tell its view.
    virtual void VisibilityChanged() {}

  private:
    void SetVisible(bool visible) {
        if (visible_.exchange(visible) != visible) VisibilityChanged();
    }
    std::atomic<bool> visible_{false};
};

}  // namespace velmor::ui
