#include "gui/page_view.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "gui/log_pane.h"
#include "gui/model_binding.h"
#include "gui/qt_timer_service.h"
#include "ui/page_model.h"

namespace velmor::gui {

PageView::PageView(ui::PageModel& model, const char* objectName, const char* captionContext,
                   QWidget* parent)
    : QWidget(parent), model_(model), fields_(this, captionContext, [this] { Refresh(); }) {
    setObjectName(QString::fromLatin1(objectName));
}

PageView::~PageView() {
    delete binding_;  // the model no longer reaches this view
}

void PageView::Bind() {
    // Changes may be announced from worker and status threads; the binding hands
    // them to the GUI thread as one queued refresh per burst.
    binding_ = new ModelBinding(
        model_, [this] { Refresh(); }, this);
    Refresh();
}

void PageView::Refresh() {
    model_.TakeThreadUpdates();
    fields_.Refresh();
    if (log_ != nullptr) log_->Refresh();
    RefreshMore();
}

QVBoxLayout* PageView::LogWithProgress(const ui::PageLog& log, const controller::LogFont& font,
                                       ui::ButtonField& clear, const char* clearName,
                                       std::function<void()> onClear,
                                       std::function<int()> percent) {
    log_ = new LogPane(log, font);
    log_->FitDumpLines();
    auto* progress = new QProgressBar;
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, 100);
    fields_.OnRefresh([progress, percent = std::move(percent)] { progress->setValue(percent()); });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress, 1);
    bottom->addWidget(fields_.Button(clear, clearName, std::move(onClear)));
    auto* column = new QVBoxLayout;
    column->addWidget(log_, 1);
    column->addLayout(bottom);
    return column;
}

QtTimerService* PageView::MakeTimers(std::function<void(int)> onTimer) {
    return new QtTimerService(std::move(onTimer), this);
}

}  // namespace velmor::gui
