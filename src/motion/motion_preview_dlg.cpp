#include "motion/motion_preview_dlg.h"

#include <utility>

namespace velmor::motion {

namespace {
constexpr controller::BilingualText kClose{"Close", "关闭"};
}

CMotionPreviewDlg::CMotionPreviewDlg(MotionTimeline timeline, controller::Language language)
    : timeline_(std::move(timeline)), language_(language) {}

void CMotionPreviewDlg::OnInitDialog() {
    chart = MakeTimelineChart(timeline_, language_);
    closeButton.caption = kClose.Text(language_);
    Changed();
}

}  // namespace velmor::motion
