#pragma once
// The command-sets dialog (132) over its model: the names to add, the download
// order with its buttons, and the preview of the commands in image order.

#include "gui/modal_dialog_view.h"

namespace velmor::commands {
class CCmdSetsDlg;
}

namespace velmor::gui {

class CmdSetsView : public ModalDialogView {
    Q_OBJECT
  public:
    CmdSetsView(commands::CCmdSetsDlg& model, QWidget* parent);
};

}  // namespace velmor::gui
