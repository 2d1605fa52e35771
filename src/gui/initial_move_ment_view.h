#pragma once
// The main-board movement page (145) over CInitialMoveMentDlg.

#include "gui/movement_page_view.h"

namespace velmor::motion {
class CInitialMoveMentDlg;
}

namespace velmor::gui {

class InitialMoveMentView : public MovementPageView {
    Q_OBJECT
  public:
    explicit InitialMoveMentView(motion::CInitialMoveMentDlg& model, QWidget* parent = nullptr);
};

}  // namespace velmor::gui
