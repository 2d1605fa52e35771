#include "commands/cmd_sets_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/cmd_edit_dlg.h"
#include "commands/command_rows.h"
#include "controller/main_operation.h"
#include "support/scripted_dialog_service.h"

namespace velmor::commands {
namespace {

using Names = std::vector<std::string>;

class CmdSetsDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        op.allCmdNames = {"A", "B", "C"};
        op.cmdNames = {"B", "A"};
        op.cmdList = {{"A", "R1", "RegWrite", 0x4001, 0x11},
                      {"B", "S1", "RegRead", 0x4100, 0x22},
                      {"A", "R2", "WriteOR", 0x4002, 0x33}};
        dlg.OnInitDialog();
    }
    // The preview as "number set keyword register address data" lines.
    Names Preview() const {
        Names rows;
        for (int r = 0; r < dlg.preview.GetItemCount(); ++r) {
            std::string line;
            for (int c = 0; c < dlg.preview.ColumnCount(); ++c)
                line += (c ? " " : "") + dlg.preview.GetItemText(r, c);
            rows.push_back(line);
        }
        return rows;
    }

    controller::CMainOperation op;
    testing::ScriptedDialogService dialogs;
    CCmdSetsDlg dlg{{op, dialogs}};
};

TEST_F(CmdSetsDlgTest, OpensWithTheOrderTheNamesAndThePreviewInImageOrder) {
    EXPECT_EQ(dlg.order.items, (Names{"B", "A"}));
    EXPECT_EQ(dlg.allNames.SelectedText(), "A");
    EXPECT_EQ(Preview(), (Names{"0 B RegRead S1 4100 22", "1 A RegWrite R1 4001 11",
                                "2 A WriteOR R2 4002 33"}));
    EXPECT_EQ(dlg.preview.Columns()[1].caption, "命令集名称");
    EXPECT_EQ(dlg.preview.Columns()[5].width, CCmdSetsDlg::kPreviewWidth / 3 - 120);
}

TEST_F(CmdSetsDlgTest, ANameAddedTwicePreviewsTwiceAndTheOrderFollowsTheListBox) {
    dlg.OnAdd();  // "A", the combo's first name
    EXPECT_EQ(op.cmdNames, (Names{"B", "A", "A"}));
    EXPECT_EQ(dlg.OrderCopy(), op.cmdNames);
    EXPECT_EQ(Preview().size(), 5u);
    EXPECT_EQ(Preview()[4], "4 A WriteOR R2 4002 33");

    dlg.allNames.selected = 2;  // "C" has no commands yet
    dlg.OnAdd();
    EXPECT_EQ(op.cmdNames, (Names{"B", "A", "A", "C"}));
    EXPECT_EQ(Preview().size(), 5u);
}

TEST_F(CmdSetsDlgTest, MovesStopAtTheEndsAndDeleteNeedsASelection) {
    struct Case {
        int selected;
        void (CCmdSetsDlg::*handler)();
        Names order;
        int selectedAfter;
        bool focusToList;  // a move gives the list box the focus; nothing happens otherwise
    };
    const Case cases[] = {
        {0, &CCmdSetsDlg::OnMoveUp, {"B", "A", "C"}, 0, false},
        {2, &CCmdSetsDlg::OnMoveDown, {"B", "A", "C"}, 2, false},
        {-1, &CCmdSetsDlg::OnMoveDown, {"B", "A", "C"}, -1, false},
        {1, &CCmdSetsDlg::OnMoveUp, {"A", "B", "C"}, 0, true},
        {1, &CCmdSetsDlg::OnMoveDown, {"B", "C", "A"}, 2, true},
        {-1, &CCmdSetsDlg::OnDelete, {"B", "A", "C"}, -1, false},
        {1, &CCmdSetsDlg::OnDelete, {"B", "C"}, -1, false},
    };
    for (const Case& c : cases) {
        op.cmdNames = {"B", "A", "C"};
        dlg.OnInitDialog();
        dlg.order.selected = c.selected;
        const auto focusBefore = dlg.focus.revision;
        (dlg.*c.handler)();
        EXPECT_EQ(dlg.focus.revision != focusBefore, c.focusToList) << c.selected;
        EXPECT_EQ(dlg.order.items, c.order) << c.selected;
        EXPECT_EQ(op.cmdNames, c.order);
        EXPECT_EQ(dlg.order.selected, c.selectedAfter);
    }
    EXPECT_EQ(Preview()[0], "0 B RegRead S1 4100 22");
}

TEST_F(CmdSetsDlgTest, SelectingAnEntryMarksItsPreviewRows) {
    dlg.order.selected = 1;  // "A": preview rows 1 and 2
    dlg.OnOrderSelChange();
    EXPECT_EQ(dlg.preview.SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(dlg.preview.FocusedRow(), 2);
    EXPECT_EQ(dlg.preview.SelectionMark(), 2);  // the last row matches
    EXPECT_EQ(dlg.preview.ScrollRow(), 2);
    EXPECT_EQ(dlg.focus.control, CCmdSetsDlg::kPreviewId);

    dlg.order.selected = 0;  // "B": row 0, and the later rows clear the mark again
    dlg.OnOrderDblClk();
    EXPECT_EQ(dlg.preview.SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(dlg.preview.SelectionMark(), -1);
}

TEST_F(CmdSetsDlgTest, EditorSavesANewSetThatPreviewsOnceAdded) {
    dialogs.dialogScripts.push_back([](ui::ModalDialog& modal) {
        auto& editor = dynamic_cast<CCmdEditDlg&>(modal);
        editor.setName.text = "D";
        editor.keyword.text = "Poke";  // no image code: kept, and marked in the preview
        editor.regName.text = "T";
        editor.address.text = "4010";
        editor.data.text = "7";
        editor.OnAdd();
        editor.OnSave();
        editor.OnExit();
    });
    dlg.OnEditSet();
    EXPECT_EQ(dialogs.dialogsRun, std::vector<int>{CCmdEditDlg::kDialogId});
    EXPECT_EQ(dlg.allNames.items, (Names{"A", "B", "C", "D"}));
    EXPECT_EQ(Preview().size(), 3u);
    EXPECT_FALSE(dlg.unknownKeywordNote.visible);

    dlg.allNames.selected = 3;
    dlg.OnAdd();
    EXPECT_EQ(Preview().back(), "3 D Poke T[7:0] 4010 7");
    EXPECT_EQ(dlg.preview.RowColour(3), kUnknownKeywordColour);
    EXPECT_TRUE(dlg.unknownKeywordNote.visible);

    dlg.OnExit();
    EXPECT_TRUE(dlg.Ended());
    EXPECT_EQ(dlg.Result(), ui::ModalDialog::kCancel);
    EXPECT_EQ(op.cmdNames, (Names{"B", "A", "D"}));
}

TEST_F(CmdSetsDlgTest, EditorOpensOnTheSelectedEntryAndClosingTheWindowKeepsTheOrder) {
    std::string opened;
    dialogs.dialogScripts.push_back([&opened](ui::ModalDialog& modal) {
        opened = dynamic_cast<CCmdEditDlg&>(modal).setName.text;
    });
    dlg.order.selected = 1;
    dlg.OnEditSet();
    EXPECT_EQ(opened, "A");
    EXPECT_EQ(dlg.order.selected, -1);  // the list box is filled anew

    op.cmdNames.clear();  // changed behind the dialog's back: "退出" puts its copy back
    dlg.OnCancel();
    EXPECT_EQ(op.cmdNames, (Names{"B", "A"}));
}

}  // namespace
}  // namespace velmor::commands
