#include "gui/initial_double_fiber_view.h"

#include "motion/initial_double_fiber_dlg.h"

namespace velmor::gui {

InitialDoubleFiberView::InitialDoubleFiberView(motion::CInitialDoubleFiberDlg& model,
                                               QWidget* parent)
    : MovementPageView(model, "InitialDoubleFiberView", parent) {}

}  // namespace velmor::gui
