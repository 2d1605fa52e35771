#pragma once
// The fiber movement page (148) over CInitialDoubleFiberDlg.

#include "gui/movement_page_view.h"

namespace velmor::motion {
class CInitialDoubleFiberDlg;
}

namespace velmor::gui {

class InitialDoubleFiberView : public MovementPageView {
    Q_OBJECT
  public:
    explicit InitialDoubleFiberView(motion::CInitialDoubleFiberDlg& model,
                                    QWidget* parent = nullptr);
};

}  // namespace velmor::gui
