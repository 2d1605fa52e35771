#include "commands/cmd_edit_dlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "commands/command_bytes.h"
#include "commands/command_rows.h"
#include "controller/main_operation.h"
#include "support/scripted_dialog_service.h"

namespace velmor::commands {
namespace {

using controller::CMD_INFO;

class CmdEditDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        op.allCmdNames = {"A", "B"};
        op.cmdNames = {"A"};
        op.cmdList = {{"A", "R1", "RegWrite", 0x4001, 0x11},
                      {"B", "S1", "RegRead", 0x4100, 0x22},
                      {"A", "R2", "WriteOR", 0x4002, 0x33}};
    }
    CCmdEditDlg& Open(const std::string& name, const std::string& language = "chs") {
        op.language = controller::LanguageOf(language);
        dlg = std::make_unique<CCmdEditDlg>(ui::PageContext{op, dialogs}, name);
        dlg->OnInitDialog();
        return *dlg;
    }
    // What the view does on a click: the selection and the mark follow, then the handler.
    void Click(int row) {
        dlg->list.SetSelectedRows({row});
        dlg->list.SetSelectionMark(row);
        dlg->OnListClick();
    }
    void Fields(const char* keyword, const char* reg, const char* address, const char* data) {
        dlg->keyword.text = keyword;
        dlg->regName.text = reg;
        dlg->address.text = address;
        dlg->data.text = data;
    }
    std::vector<std::string> Row(int row) const {
        std::vector<std::string> cells;
        for (int c = 0; c < dlg->list.ColumnCount(); ++c)
            cells.push_back(dlg->list.GetItemText(row, c));
        return cells;
    }

    controller::CMainOperation op;
    testing::ScriptedDialogService dialogs;
    std::unique_ptr<CCmdEditDlg> dlg;
};

TEST_F(CmdEditDlgTest, OpensWithTheSetsCommandsInListOrder) {
    CCmdEditDlg& d = Open("A");
    EXPECT_EQ(d.setName.text, "A");
    EXPECT_EQ(d.WorkingList(), (std::vector<CMD_INFO>{op.cmdList[0], op.cmdList[2]}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"1", "WriteOR", "R2", "4002", "33"}));
    EXPECT_EQ(d.keyword.items,
              (std::vector<std::string>{"RegWrite", "RegRead", "WriteAnd", "ReadAnd", "WriteOR",
                                        "ReadOR", "ReInit", "InitEnd"}));
    EXPECT_EQ(d.keyword.text, "RegWrite");
    EXPECT_EQ(d.allNames.SelectedText(), "A");
    EXPECT_EQ(d.list.Columns()[2].caption, "目的寄存器名称");
    EXPECT_EQ(d.list.Columns()[2].width, CCmdEditDlg::kListWidth / 3 + 20);

    EXPECT_TRUE(Open("").WorkingList().empty());
    EXPECT_EQ(Open("", "eng").list.Columns()[3].caption, "Target address");
}

TEST_F(CmdEditDlgTest, FieldChecksStopAtTheFirstEmptyFieldInBothLanguages) {
    struct Case {
        const char* keyword;
        const char* reg;
        const char* address;
        const char* data;
        const char* english;
        const char* chinese;
    };
    const std::string tooLong = "0x" + std::string(2 * kMaxDataBytes + 1, '1');
    const Case cases[] = {
        {"", "", "", "", "Please input the correct operation type", "请输入正确的操作类型"},
        {"RegWrite", "", "", "", "Please input the correct register name", "请输入正确的寄存器名"},
        {"RegWrite", "R", "", "", "Please input the correct register address",
         "请输入正确的寄存器地址"},
        {"RegWrite", "R", "10", "", "Please input the correct data", "请输入正确数据"},
        {"RegWrite", "R", "10", tooLong.c_str(), "Please input the correct data", "请输入正确数据"},
    };
    for (const char* language : {"eng", "chs"}) {
        Open("A", language);
        for (const Case& c : cases) {
            Fields(c.keyword, c.reg, c.address, c.data);
            Click(0);
            Fields(c.keyword, c.reg, c.address, c.data);
            dialogs.messages.clear();
            for (auto handler :
                 {&CCmdEditDlg::OnAdd, &CCmdEditDlg::OnInsert, &CCmdEditDlg::OnModify})
                ((*dlg).*handler)();
            const std::string text = std::string(language) == "eng" ? c.english : c.chinese;
            EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>(3, text));
            EXPECT_EQ(dialogs.messages[0].caption, "");
            EXPECT_EQ(dlg->list.GetItemCount(), 2);
        }
    }
    // The largest data still goes in whole.
    Fields("RegWrite", "R", "0", std::string(2 * kMaxDataBytes, '1').c_str());
    dlg->OnAdd();
    EXPECT_EQ(dlg->list.GetItemCount(), 2 + kMaxDataBytes);
}

TEST_F(CmdEditDlgTest, AddAppendsTheBytesSelectedAndMarked) {
    Open("A");
    Fields("RegWrite", "R", "10", "abc");
    dlg->OnAdd();
    EXPECT_EQ(Row(2), (std::vector<std::string>{"2", "RegWrite", "R[7:0]", "10", "a"}));
    EXPECT_EQ(Row(3), (std::vector<std::string>{"3", "RegWrite", "R[15:8]", "11", "bc"}));
    EXPECT_EQ(dlg->list.SelectedRows(), (std::vector<int>{2, 3}));
    EXPECT_EQ(dlg->list.SelectionMark(), 3);
    EXPECT_EQ(dlg->focus.control, CCmdEditDlg::kListId);

    // "0x" gives nothing: the list is shown again unchanged.
    Fields("RegWrite", "R", "10", "0x");
    dlg->OnAdd();
    EXPECT_EQ(dlg->list.GetItemCount(), 4);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CmdEditDlgTest, InsertGoesAfterTheMarkedRowAndNeedsAMark) {
    Open("A");
    Fields("ReInit", "CTRL[3:0]", "50", "0x0102");
    dlg->OnInsert();  // no mark yet: only shown again
    EXPECT_EQ(dlg->WorkingList().size(), 2u);

    Click(0);
    Fields("ReInit", "CTRL[3:0]", "50", "0x0102");
    dlg->OnInsert();
    EXPECT_EQ(Row(1), (std::vector<std::string>{"1", "ReInit", "CTRL[3:0]", "50", "1"}));
    EXPECT_EQ(Row(2), (std::vector<std::string>{"2", "ReInit", "CTRL[3:0]", "51", "2"}));
    EXPECT_EQ(Row(3)[2], "R2");
    EXPECT_EQ(dlg->list.SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(dlg->list.SelectionMark(), -1);
    dlg->OnInsert();  // the mark went with the first insert
    EXPECT_EQ(dlg->list.GetItemCount(), 4);
}

TEST_F(CmdEditDlgTest, ModifyShowsTheTextsAsTypedAndStoresTheLowBits) {
    Open("A");
    Click(1);
    EXPECT_EQ(dlg->number.text, "1");
    EXPECT_EQ(dlg->keyword.text, "WriteOR");
    EXPECT_EQ(dlg->address.text, "4002");
    Fields("WriteAnd", "Q", "0x12345", "1234");
    dlg->OnModify();
    EXPECT_EQ(Row(1), (std::vector<std::string>{"1", "WriteAnd", "Q", "0x12345", "1234"}));
    EXPECT_EQ(dlg->WorkingList()[1], (CMD_INFO{"A", "Q", "WriteAnd", 0x2345, 0x34}));

    dlg->OnSave();
    EXPECT_EQ(op.cmdList.back(), (CMD_INFO{"A", "Q", "WriteAnd", 0x2345, 0x34}));

    // A click that selects nothing clears the number, name, address and data.
    dlg->list.SetSelectedRows({});
    dlg->OnListClick();
    EXPECT_EQ(dlg->number.text + dlg->regName.text + dlg->address.text + dlg->data.text, "");
    EXPECT_EQ(dlg->keyword.text, "WriteAnd");
}

TEST_F(CmdEditDlgTest, DeleteNeedsAPickedRowThenDeletesEverySelectedRow) {
    Open("A");
    dlg->list.SetSelectedRows({0, 1});
    dlg->OnDelete();
    EXPECT_EQ(dlg->list.GetItemCount(), 2);
    EXPECT_FALSE(dlg->RowPicked());

    Click(0);
    dlg->list.SetSelectedRows({0, 1});
    dlg->OnDelete();
    EXPECT_EQ(dlg->list.GetItemCount(), 0);
    EXPECT_TRUE(dlg->WorkingList().empty());
}

TEST_F(CmdEditDlgTest, SavingReplacesTheSetAtTheEndOfTheCommandList) {
    Open("A");
    dlg->OnSave();
    EXPECT_EQ(op.cmdList, (std::vector<CMD_INFO>{{"B", "S1", "RegRead", 0x4100, 0x22},
                                                 {"A", "R1", "RegWrite", 0x4001, 0x11},
                                                 {"A", "R2", "WriteOR", 0x4002, 0x33}}));
    EXPECT_EQ(dialogs.messages.back().text, "     保存完成!");
    EXPECT_EQ(dialogs.messages.back().caption, "VelmorTool");

    // A new name joins the list of all names, not the download order.
    dlg->setName.text = "C";
    dlg->OnDeleteAll();
    Fields("RegWrite", "C", "20", "5");
    dlg->OnAdd();
    dlg->OnSave();
    EXPECT_EQ(op.allCmdNames, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(op.cmdNames, std::vector<std::string>{"A"});
    EXPECT_EQ(op.cmdList.back(), (CMD_INFO{"C", "C[7:0]", "RegWrite", 0x20, 0x05}));
    EXPECT_EQ(op.cmdList.size(), 4u);

    Open("", "eng").OnSave();
    EXPECT_EQ(dialogs.messages.back().text, "Please enter the command name!");
    EXPECT_EQ(op.cmdList.size(), 4u);
}

TEST_F(CmdEditDlgTest, DeletingASetNameLeavesItsCommandsAndTheOrder) {
    Open("A");
    dlg->OnDeleteName();
    EXPECT_EQ(op.allCmdNames, std::vector<std::string>{"B"});
    EXPECT_EQ(dlg->allNames.items, std::vector<std::string>{"B"});
    EXPECT_EQ(dlg->allNames.selected, 0);
    EXPECT_EQ(op.cmdNames, std::vector<std::string>{"A"});
    EXPECT_EQ(op.cmdList.size(), 3u);
}

TEST_F(CmdEditDlgTest, AKeywordWithoutImageCodeIsKeptAndMarked) {
    op.cmdList.push_back({"A", "R3", "Poke", 0x4003, 0x44});
    Open("A");
    EXPECT_EQ(dlg->list.RowColour(2), kUnknownKeywordColour);
    EXPECT_FALSE(dlg->list.RowColour(1));
    EXPECT_TRUE(dlg->unknownKeywordNote.visible);

    Click(2);
    Fields("RegWrite", "R3", "4003", "44");
    dlg->OnModify();
    EXPECT_FALSE(dlg->list.RowColour(2));
    EXPECT_FALSE(dlg->unknownKeywordNote.visible);

    Fields("regwrite", "R4", "4004", "1");  // keywords are compared exactly
    dlg->OnAdd();
    dlg->OnSave();
    EXPECT_EQ(op.cmdList.back().OptType, "regwrite");
    EXPECT_TRUE(dlg->unknownKeywordNote.visible);
}

}  // namespace
}  // namespace velmor::commands
