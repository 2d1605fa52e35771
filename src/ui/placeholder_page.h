#pragma once
// A page the tab host carries before its real model exists: it has a template
// number and a caption, and records what the tab host and the main window asked
// of it through the movement and configuration hooks. It may carry buttons that
// already reach what its real model will offer (a dialog that exists before its
// page does). User-interface thread only.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/fields.h"
#include "ui/page_hooks.h"
#include "ui/page_model.h"
#include "ui/tab_page.h"

namespace velmor::ui {

class PlaceholderPage : public TabPage,
                        public PageModel,
                        public MovementPageHooks,
                        public ConfigPageHooks {
  public:
    PlaceholderPage(int templateNumber, std::string title)
        : templateNumber_(templateNumber), title_(std::move(title)) {}

    int TemplateNumber() const { return templateNumber_; }
    const std::string& Title() const { return title_; }

    // What the tab host asked of it, for tests and the status line of the view.
    int showListsCalls = 0;
    int takeListsCalls = 0;
    int layoutMessages = 0;
    int refreshes = 0;
    TabPage* linkedMovementPage = nullptr;
    bool statusThreadStopped = false;
    bool closed = false;

    void ShowLists(int /*list*/) override { ++showListsCalls; }
    void TakeLists(int /*list*/) override { ++takeListsCalls; }
    void StopStatusThread() override { statusThreadStopped = true; }
    void RefreshFromController() override { ++refreshes; }
    void OnLayoutMessage() override { ++layoutMessages; }
    void LinkMovementPage(TabPage* movementPage) override { linkedMovementPage = movementPage; }
    void ClosePage() override { closed = true; }

    // A button with its handler.
    struct Action {
        ButtonField button;
        std::function<void()> handler;
    };
    void AddAction(std::string caption, std::function<void()> handler) {
        actions_.push_back({ButtonField{std::move(caption)}, std::move(handler)});
    }
    std::vector<Action>& Actions() { return actions_; }
    // A press of the button of action `index`.
    void OnAction(int index) {
        if (index >= 0 && index < static_cast<int>(actions_.size()) && actions_[index].handler)
            actions_[index].handler();
        Changed();
    }

  protected:
    void VisibilityChanged() override { Changed(); }

  private:
    int templateNumber_;
    std::string title_;
    std::vector<Action> actions_;
};

}  // namespace velmor::ui
