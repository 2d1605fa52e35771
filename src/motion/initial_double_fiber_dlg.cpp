#include "motion/initial_double_fiber_dlg.h"

namespace velmor::motion {

CInitialDoubleFiberDlg::CInitialDoubleFiberDlg(controller::CMainOperation& op,
                                               ui::DialogService& dialogs,
                                               ui::WindowMessageReceiver* mainWindow,
                                               ui::Sleeper& sleeper)
    : MovementPage(op, dialogs, Layout::kFibre, mainWindow, sleeper) {}

CInitialDoubleFiberDlg::~CInitialDoubleFiberDlg() = default;

void CInitialDoubleFiberDlg::FeedBoxClicked(int which) {
    SetFeed(which, (which == 0 ? y0 : y1).checked);
}

}  // namespace velmor::motion
