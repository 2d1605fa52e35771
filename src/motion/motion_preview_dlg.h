#pragma once
// The start-up motion preview (dialog 161), opened by "预览" on the movement
// pages: the timeline of a start-up image drawn as a chart, in the page's
// language, with a button that closes it. It shows what it was given and changes
// nothing.

#include <string>

#include "controller/language.h"
#include "motion/motion_timeline.h"
#include "motion/timeline_chart.h"
#include "ui/fields.h"
#include "ui/modal_dialog.h"

namespace velmor::motion {

class CMotionPreviewDlg : public ui::ModalDialog {
  public:
    static constexpr int kDialogId = 161;

    CMotionPreviewDlg(MotionTimeline timeline, controller::Language language);

    int DialogId() const override { return kDialogId; }
    void OnInitDialog() override;
    void OnClose() { EndDialog(kOk); }

    const MotionTimeline& Timeline() const { return timeline_; }

    // ---- shown ----
    TimelineChart chart;
    ui::ButtonField closeButton;

  private:
    MotionTimeline timeline_;
    controller::Language language_;
};

}  // namespace velmor::motion
