#pragma once
// Base of the models of modal dialogs that a page opens and waits for (the About
// box, the command-set dialogs). The dialog service runs one: it calls
// OnInitDialog, shows the dialog's view (made for its DialogId) modally and returns
// once a handler has called EndDialog, with the result given there. Closing the
// window (Escape, the close button) calls OnCancel.

#include <atomic>

#include "ui/page_model.h"

namespace velmor::ui {

class ModalDialog : public PageModel {
  public:
    // Results of a dialog, as the platform numbers them.
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    // The dialog's template number; it chooses the view.
    virtual int DialogId() const = 0;
    // The dialog opens: fill the fields. Called by the dialog service before the
    // view is shown.
    virtual void OnInitDialog() {}
    // The user closed the window without a button of the dialog.
    virtual void OnCancel() { EndDialog(kCancel); }

    // Ends the modal run with `result` (from a handler).
    void EndDialog(int result) {
        result_ = result;
        ended_ = true;
        Changed();
    }
    bool Ended() const { return ended_.load(); }
    int Result() const { return result_.load(); }
    // Before a run: the dialog is open again, with no result yet.
    void Reopen() {
        ended_ = false;
        result_ = 0;
    }

  private:
    std::atomic<bool> ended_{false};
    std::atomic<int> result_{0};
};

}  // namespace velmor::ui
