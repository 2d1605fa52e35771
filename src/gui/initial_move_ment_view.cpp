#include "gui/initial_move_ment_view.h"

#include "motion/initial_move_ment_dlg.h"

namespace velmor::gui {

InitialMoveMentView::InitialMoveMentView(motion::CInitialMoveMentDlg& model, QWidget* parent)
    : MovementPageView(model, "InitialMoveMentView", parent) {}

}  // namespace velmor::gui
