#include "motion/initial_move_ment_dlg.h"

namespace velmor::motion {

CInitialMoveMentDlg::CInitialMoveMentDlg(const ui::PageContext& context)
    : MovementPage(context, controller::BoardLayout::kMainBoard) {}

CInitialMoveMentDlg::~CInitialMoveMentDlg() = default;

void CInitialMoveMentDlg::FeedBoxClicked(int which) {
    SetFeed(which, true);
    SetFeed(1 - which, false);
}

}  // namespace velmor::motion
