#pragma once
// Base of the Qt-free page and dialog models. A model holds its controls as plain
// fields and announces changes through one listener, which may be called from
// worker threads; the view copies fields to widgets on its own thread.

#include <functional>
#include <mutex>
#include <utility>

namespace velmor::ui {

class PageModel {
  public:
    using Listener = std::function<void()>;

    virtual ~PageModel() = default;

    void SetListener(Listener listener) {
        std::lock_guard lock(listenerMutex_);
        listener_ = std::move(listener);
    }

    // Runs on the user-interface thread before the view copies the fields (the
    // view's binding calls it): a model whose threads leave news for its fields
    // folds it in here, so its fields are only ever written on that thread.
    virtual void TakeThreadUpdates() {}

  protected:
    // Tells the view that fields changed. Safe from any thread.
    void Changed() {
        Listener copy;
        {
            std::lock_guard lock(listenerMutex_);
            copy = listener_;
        }
        if (copy) copy();
    }

  private:
    std::mutex listenerMutex_;
    Listener listener_;
};

}  // namespace velmor::ui
