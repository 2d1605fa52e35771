#pragma once
// The movement page of the fiber layouts (dialog 148), shown in place of the
// main-board page for "DoubleFiber" and "FourFiber". It edits the same two
// lists and the same settings, with these differences: no X DC motor and no
// frequency column, an X settings group, two limit polarities per motor
// (left/right, or upper/lower for Z0 and M0), Y0 and Y1 independent of each
// other, and a status display with one Y line and the head boards' X positions.

#include "motion/movement_page.h"

namespace velmor::motion {

class CInitialDoubleFiberDlg : public MovementPage {
  public:
    static constexpr int kDialogId = 148;

    explicit CInitialDoubleFiberDlg(const ui::PageContext& context);
    ~CInitialDoubleFiberDlg() override;

  protected:
    // Each box selects its own feed motor: both may take part in Y steps.
    void FeedBoxClicked(int which) override;
};

}  // namespace velmor::motion
