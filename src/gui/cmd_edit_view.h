#pragma once
// The command-set editor (133) over its model: the list of the set's commands,
// the fields of one command with their buttons, the set's name with "保存", and
// the names of all sets.

#include "gui/modal_dialog_view.h"

namespace velmor::commands {
class CCmdEditDlg;
}

namespace velmor::gui {

class CmdEditView : public ModalDialogView {
    Q_OBJECT
  public:
    CmdEditView(commands::CCmdEditDlg& model, QWidget* parent);
};

}  // namespace velmor::gui
