#include "motion/initial_move_ment_dlg.h"

namespace velmor::motion {

CInitialMoveMentDlg::CInitialMoveMentDlg(controller::CMainOperation& op, ui::DialogService& dialogs,
                                         ui::WindowMessageReceiver* mainWindow,
                                         ui::Sleeper& sleeper)
    : MovementPage(op, dialogs, Layout::kMainBoard, mainWindow, sleeper) {}

CInitialMoveMentDlg::~CInitialMoveMentDlg() = default;

void CInitialMoveMentDlg::FeedBoxClicked(int which) {
    SetFeed(which, true);
    SetFeed(1 - which, false);
}

}  // namespace velmor::motion
