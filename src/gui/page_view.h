#pragma once
// What every page view is made of: a field binder whose refresh copies the model's
// fields to the widgets, and a binding that brings the model's change
// announcements (from any thread) to the GUI thread as one refresh; for pages
// with a log, the log pane with the progress bar and the clear button below it;
// for pages with timers, the timer service. A page view builds its widgets
// through Fields() and calls Bind() last in its constructor.

#include <QWidget>
#include <functional>

#include "gui/field_binder.h"

class QVBoxLayout;

namespace velmor::controller {
struct LogFont;
}
namespace velmor::ui {
class PageLog;
class PageModel;
}  // namespace velmor::ui

namespace velmor::gui {

class LogPane;
class ModelBinding;
class QtTimerService;

class PageView : public QWidget {
    Q_OBJECT
  public:
    ~PageView() override;

    // Copies every field of the model to its widget (GUI thread), after the model
    // took its threads' news.
    void Refresh();

  protected:
    // `captionContext`: the translation context of the page's captions.
    PageView(ui::PageModel& model, const char* objectName, const char* captionContext,
             QWidget* parent);

    // From now on the model's changes reach the view; then one refresh.
    void Bind();
    FieldBinder& Fields() { return fields_; }
    QString Caption(const char* chinese) const { return fields_.Caption(chinese); }

    // The log pane (a hex dump line fits whole) with the progress bar, showing
    // `percent` (0..100), and the clear button below it, as one column.
    QVBoxLayout* LogWithProgress(const ui::PageLog& log, const controller::LogFont& font,
                                 ui::ButtonField& clear, const char* clearName,
                                 std::function<void()> onClear, std::function<int()> percent);
    // Timers that deliver their ticks to `onTimer` while the view lives.
    QtTimerService* MakeTimers(std::function<void(int)> onTimer);

    // What the view refreshes beyond the binder's widgets (lists, overlays).
    virtual void RefreshMore() {}

  private:
    ui::PageModel& model_;
    FieldBinder fields_;
    ModelBinding* binding_ = nullptr;
    LogPane* log_ = nullptr;
};

}  // namespace velmor::gui
