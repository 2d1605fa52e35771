#pragma once
// The movement page of the main-board layout (dialog 145, "初始化运动"): the
// movement and movetest lists with their X DC motor rows and frequency column,
// the motor settings of Y0, Y1, Z0, M0 and M1, test moves and the motor status.
// On this page the Y0 and Y1 boxes are alternatives.

#include "motion/movement_page.h"

namespace velmor::motion {

class CInitialMoveMentDlg : public MovementPage {
  public:
    static constexpr int kDialogId = 145;

    explicit CInitialMoveMentDlg(const ui::PageContext& context);
    ~CInitialMoveMentDlg() override;

  protected:
    // "Y0" ticks Y0 and unticks Y1 (and the reverse): one feed motor at a time.
    void FeedBoxClicked(int which) override;
};

}  // namespace velmor::motion
