#include "gui/modal_dialog_view.h"

#include <utility>

#include "gui/model_binding.h"
#include "ui/modal_dialog.h"

namespace velmor::gui {

ModalDialogView::ModalDialogView(ui::ModalDialog& model, const char* captionContext,
                                 QWidget* parent, std::function<void()> onAccept)
    : QDialog(parent),
      model_(model),
      fields_(this, captionContext, [this] { Refresh(); }),
      onAccept_(std::move(onAccept)) {}

ModalDialogView::~ModalDialogView() { delete binding_; }

void ModalDialogView::Bind() {
    binding_ = new ModelBinding(
        model_, [this] { Refresh(); }, this);
    Refresh();
}

void ModalDialogView::Refresh() {
    fields_.Refresh();
    if (model_.Ended() && !closing_) {
        closing_ = true;
        QDialog::done(model_.Result());
    }
}

void ModalDialogView::done(int result) {
    if (closing_) return;
    if (!model_.Ended()) {
        if (result == QDialog::Accepted && onAccept_)
            onAccept_();
        else
            model_.OnCancel();
    }
    // A handler may refuse to end the dialog (a check failed): the window stays.
    if (model_.Ended()) Refresh();
}

}  // namespace velmor::gui
