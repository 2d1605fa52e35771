// "预览" on the movement pages: the preview shows the lists as the page shows
// them, edits not yet committed included, and changes nothing.
#include <gtest/gtest.h>

#include <memory>

#include "config/config_preparation.h"
#include "controller/main_operation.h"
#include "motion/initial_double_fiber_dlg.h"
#include "motion/initial_move_ment_dlg.h"
#include "motion/motion_preview_dlg.h"
#include "motion/motion_rig.h"
#include "support/scripted_dialog_service.h"

namespace velmor::motion {
namespace {

struct Snapshot {
    std::vector<controller::MotorListInfo> motion, movetest;
    controller::MotorSettings settings;
    std::vector<controller::CMD_INFO> cmdList;
    std::vector<std::string> cmdNames, allCmdNames;
    std::vector<std::vector<std::string>> rows;
    bool operator==(const Snapshot&) const = default;
};

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

    Snapshot Take() const {
        Snapshot s{rig.op.motionList,
                   rig.op.testMotionList,
                   rig.op.motorSettings,
                   rig.op.cmdList,
                   rig.op.cmdNames,
                   rig.op.allCmdNames,
                   {}};
        for (int list : {0, 1}) {
            const ui::CEditableListCtrl& view = page->List(list);
            for (int r = 0; r < view.GetItemCount(); ++r) {
                std::vector<std::string> cells;
                for (int c = 0; c < view.ColumnCount(); ++c)
                    cells.push_back(view.GetItemText(r, c));
                s.rows.push_back(cells);
            }
        }
        return s;
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
        const Snapshot before = r.Take();

        const MotionTimeline shown = r.Preview();
        ASSERT_EQ(r.dialogs.dialogsRun, std::vector<int>{CMotionPreviewDlg::kDialogId});
        ASSERT_EQ(shown.moves.size(), 1u) << fiber;
        EXPECT_EQ(shown.moves[0].distance, 3000u);
        EXPECT_EQ(shown.boardType, fiber ? 1 : 0);
        EXPECT_TRUE(r.Take() == before) << fiber;
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

TEST(MovementPreview, TheButtonIsHiddenWithoutAnImageBuilder) {
    testing::MotionRig rig(0);
    testing::BriefSleeper sleeper;
    velmor::testing::ScriptedDialogService dialogs;
    CInitialMoveMentDlg page({rig.op, dialogs, nullptr, &sleeper});
    page.OnInitDialog();
    EXPECT_FALSE(page.previewButton.visible);
    page.SetDocumentImageMaker(&config::DocumentImageOf);
    EXPECT_TRUE(page.previewButton.visible);
}

}  // namespace
}  // namespace velmor::motion
