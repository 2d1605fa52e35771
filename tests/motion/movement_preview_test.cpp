// "预览" on the movement pages: the preview shows the lists as the page shows
// them, edits not yet committed included, and changes nothing.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "config/config_preparation.h"
#include "controller/main_operation.h"
#include "motion/initial_double_fiber_dlg.h"
#include "motion/initial_move_ment_dlg.h"
#include "motion/motion_preview_dlg.h"
#include "motion/motion_rig.h"
#include "support/scripted_dialog_service.h"

namespace velmor::motion {
namespace {

struct PreviewRig {
    explicit PreviewRig(bool fiber) : rig(fiber ? 1 : 0) {
        rig.op.firstConnection = 1;
        const ui::PageContext context{rig.op, dialogs, nullptr, &sleeper};
        if (fiber)
            page = std::make_unique<CInitialDoubleFiberDlg>(context);
        else
            page = std::make_unique<CInitialMoveMentDlg>(context);
        page->OnInitDialog();
        page->SetDocumentImageMaker(&config::DocumentImageOf);
    }

    // What previewing must leave alone: the controller object's document and the
    // page's list views.
    auto State() const {
        std::vector<std::string> cells;
        for (const ui::CEditableListCtrl* view : {&page->movementList, &page->movetestList})
            for (int r = 0; r < view->GetItemCount(); ++r)
                for (int c = 0; c < view->ColumnCount(); ++c)
                    cells.push_back(view->GetItemText(r, c));
        return std::make_tuple(rig.op.motionList, rig.op.testMotionList,
                               controller::MotorSettings(rig.op.motorSettings), rig.op.cmdList,
                               rig.op.cmdNames, rig.op.allCmdNames, cells);
    }

    // Opens the preview and keeps what it showed.
    MotionTimeline Preview() {
        MotionTimeline shown;
        dialogs.dialogScripts.push_back([&shown](ui::ModalDialog& dialog) {
            auto& preview = dynamic_cast<CMotionPreviewDlg&>(dialog);
            shown = preview.Timeline();
            preview.OnClose();
        });
        page->OnPreview();
        return shown;
    }

    testing::MotionRig rig;
    testing::BriefSleeper sleeper;
    velmor::testing::ScriptedDialogService dialogs;
    std::unique_ptr<MovementPage> page;
};

TEST(MovementPreview, ShowsUncommittedEditsAndChangesNothing) {
    for (bool fiber : {false, true}) {
        PreviewRig r(fiber);
        r.page->motors[0].ticked.checked = true;
        r.page->OnMotorCheck(0);
        r.page->OnAdd();  // X, 512, 4000, 1000 into the movement list
        r.page->movementList.SetItemText(0, kColumnDistance, "3000");  // typed, not committed
        const std::string speed = r.page->movementList.GetItemText(0, kColumnTopSpeed);
        const auto before = r.State();
        r.page->OnListClick(MovementPage::kMovementList, 0, kColumnTopSpeed);
        r.page->cellEditor.number.text = "2000";  // still in the open cell edit

        const MotionTimeline shown = r.Preview();
        ASSERT_EQ(r.dialogs.dialogsRun, std::vector<int>{CMotionPreviewDlg::kDialogId});
        ASSERT_EQ(shown.moves.size(), 1u) << fiber;
        EXPECT_EQ(shown.moves[0].distance, 3000u);
        // The open edit went into its cell, as the button taking the focus does;
        // apart from that nothing changed.
        EXPECT_EQ(r.page->movementList.GetItemText(0, kColumnTopSpeed), "2000");
        r.page->movementList.SetItemText(0, kColumnTopSpeed, speed);
        EXPECT_TRUE(r.State() == before) << fiber;
        EXPECT_TRUE(r.rig.Controller().WriteLog().empty());
    }
}

TEST(MovementPreview, ARefusedImageIsSaidAndNoDialogOpens) {
    PreviewRig r(true);
    r.rig.op.cmdNames.push_back("InitDone");
    r.rig.op.cmdList.push_back({"InitDone", "bad", "NoSuchKeyword", 0x4000, 0});
    r.page->OnPreview();
    EXPECT_TRUE(r.dialogs.dialogsRun.empty());
    ASSERT_EQ(r.dialogs.messages.size(), 1u);
    EXPECT_NE(r.dialogs.messages[0].text.find("NoSuchKeyword"), std::string::npos);
}

}  // namespace
}  // namespace velmor::motion
