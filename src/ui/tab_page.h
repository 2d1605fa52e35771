#pragma once
// A page hosted by the tab host: created with the main window, initialised once,
// shown or hidden as tabs are clicked, and told when the main window closes.
// Pages with more to do implement the hooks of ui/page_hooks.h.

#include <atomic>

namespace velmor::ui {

class TabPage {
  public:
    virtual ~TabPage() = default;

    bool Visible() const { return visible_; }
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // The page is created: fill its controls.
    virtual void OnInitDialog() {}
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
