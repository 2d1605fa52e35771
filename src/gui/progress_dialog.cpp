#include "gui/progress_dialog.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>

#include "gui/field_widgets.h"
#include "gui/model_binding.h"
#include "ui/message_down.h"

namespace velmor::gui {

namespace {
// 167 × 42 dialog units, the text at (25, 15): in pixels for the usual dialog font.
constexpr int kWidth = 292;
constexpr int kHeight = 79;
constexpr int kTextLeft = 44;
constexpr int kTextTop = 28;
constexpr int kTextHeight = 24;
}  // namespace

ProgressDialog::ProgressDialog(ui::CMessageDown& model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), model_(model) {
    setObjectName(QStringLiteral("ProgressDialog"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    // A popup without a title bar still shows its edge.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(0, 0, kWidth, kHeight);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("progressText"));
    text_->setGeometry(kTextLeft, kTextTop, kWidth - kTextLeft - 8, kTextHeight);
    binding_ = new ModelBinding(
        model_, [this] { Refresh(); }, this);

    // The close request comes from the tick thread: hand it to the GUI thread.
    QPointer<ProgressDialog> self(this);
    model_.SetCloseHandler([self] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (self) self->reject();
            },
            Qt::QueuedConnection);
    });
    Refresh();
}

ProgressDialog::~ProgressDialog() {
    model_.SetCloseHandler({});
    model_.Close();  // never leave the tick thread running behind the window
}

QString ProgressDialog::Text() const { return text_->text(); }

void ProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_) {
        opened_ = true;
        model_.OnInitDialog();
        Refresh();
    }
}

void ProgressDialog::done(int result) {
    model_.Close();
    Refresh();
    QDialog::done(result);
}

void ProgressDialog::Refresh() { text_->setText(FromModel(model_.Text())); }

}  // namespace velmor::gui
