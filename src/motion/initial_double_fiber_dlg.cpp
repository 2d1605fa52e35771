#include "motion/initial_double_fiber_dlg.h"

namespace velmor::motion {

CInitialDoubleFiberDlg::CInitialDoubleFiberDlg(const ui::PageContext& context)
    : MovementPage(context, controller::BoardLayout::kFiber) {}

CInitialDoubleFiberDlg::~CInitialDoubleFiberDlg() = default;

void CInitialDoubleFiberDlg::FeedBoxClicked(int which) {
    SetFeed(which, (which == 0 ? y0 : y1).checked);
}

}  // namespace velmor::motion
