#include "gui/model_binding.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace velmor::gui {

// What the model's listener holds: the target, cleared under the lock when the
// binding goes, so a post never reaches a destroyed object.
struct ModelBinding::Shared {
    std::mutex mutex;
    ModelBinding* target = nullptr;
    std::atomic<bool> queued{false};
};

ModelBinding::ModelBinding(ui::PageModel& model, std::function<void()> refresh, QObject* parent)
    : QObject(parent),
      model_(model),
      refresh_(std::move(refresh)),
      shared_(std::make_shared<Shared>()) {
    shared_->target = this;
    model_.SetListener([shared = shared_] {
        if (shared->queued.exchange(true)) return;  // a refresh is already on its way
        std::lock_guard lock(shared->mutex);
        if (!shared->target) return;
        QMetaObject::invokeMethod(
            shared->target,
            [shared] {
                shared->queued = false;
                if (shared->target) shared->target->RefreshNow();
            },
            Qt::QueuedConnection);
    });
}

ModelBinding::~ModelBinding() {
    model_.SetListener({});
    std::lock_guard lock(shared_->mutex);
    shared_->target = nullptr;
}

void ModelBinding::RefreshNow() {
    model_.TakeThreadUpdates();
    if (refresh_) refresh_();
}

}  // namespace velmor::gui
