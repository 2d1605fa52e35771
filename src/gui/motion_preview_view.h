#pragma once
// The start-up motion preview (dialog 161) over its model: the title and total
// time, the chart, the estimate note and the remarks, and the close button.

#include "gui/modal_dialog_view.h"

namespace velmor::motion {
class CMotionPreviewDlg;
}

namespace velmor::gui {

class MotionPreviewView : public ModalDialogView {
    Q_OBJECT
  public:
    MotionPreviewView(motion::CMotionPreviewDlg& model, QWidget* parent);
};

}  // namespace velmor::gui
