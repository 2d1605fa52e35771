#pragma once
// Base of the views of modal dialogs (ui::ModalDialog): binds the model's fields
// through a FieldBinder, refreshes when the model changes, and closes with the
// model's result once a handler ended the dialog. Closing the window another way
// (Escape, the close button, accept() or reject() from code) goes to the model's
// OK or cancel handler first, so the model always decides.

#include <QDialog>
#include <functional>

#include "gui/field_binder.h"

namespace velmor::ui {
class ModalDialog;
}

namespace velmor::gui {

class ModelBinding;

class ModalDialogView : public QDialog {
    Q_OBJECT
  public:
    // `onAccept` is the model's handler for an accept() of the window (its OK button);
    // without one, accept() counts as cancel.
    ModalDialogView(ui::ModalDialog& model, const char* captionContext, QWidget* parent,
                    std::function<void()> onAccept = {});
    ~ModalDialogView() override;

    void Refresh();
    void done(int result) override;

  protected:
    // Call at the end of the derived constructor, once the widgets are bound.
    void Bind();
    FieldBinder& Fields() { return fields_; }

  private:
    ui::ModalDialog& model_;
    FieldBinder fields_;
    std::function<void()> onAccept_;
    ModelBinding* binding_ = nullptr;
    bool closing_ = false;
};

// Makes the view of a modal dialog model from the table of dialog views (by its
// DialogId); null for a dialog without a view.
QDialog* CreateDialogView(ui::ModalDialog& model, QWidget* parent);

}  // namespace velmor::gui
