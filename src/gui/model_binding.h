#pragma once
// Ties a view to its model: the model's change announcements, which may come from
// worker threads, become one queued refresh on the view's (GUI) thread; a burst
// of changes costs one refresh. When the binding goes (with its view), the model
// no longer reaches it, even from a thread that was announcing just then.

#include <QObject>
#include <functional>
#include <memory>

#include "ui/page_model.h"

namespace velmor::gui {

class ModelBinding : public QObject {
    Q_OBJECT
  public:
    // `refresh` runs on this object's thread after every burst of changes, once
    // the model has taken its threads' updates (PageModel::TakeThreadUpdates).
    ModelBinding(ui::PageModel& model, std::function<void()> refresh, QObject* parent);
    ~ModelBinding() override;

    // Takes the model's thread updates and runs the refresh now (GUI thread).
    void RefreshNow();

  private:
    struct Shared;
    ui::PageModel& model_;
    std::function<void()> refresh_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace velmor::gui
