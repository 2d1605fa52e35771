#pragma once
// The About box (dialog 100) over its model: the texts and the OK button.

#include "gui/modal_dialog_view.h"

namespace velmor::shell {
class CAboutDlg;
}

namespace velmor::gui {

class AboutDialog : public ModalDialogView {
    Q_OBJECT
  public:
    AboutDialog(shell::CAboutDlg& model, QWidget* parent);
};

}  // namespace velmor::gui
