#include "ui/editable_list_ctrl.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmor::ui {
namespace {

class EditableListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int c = 0; c < 7; ++c) list.InsertColumn(c, "c" + std::to_string(c), 40);
        for (int r = 0; r < 3; ++r) {
            list.InsertItem(r, "r" + std::to_string(r) + "c0");
            for (int c = 1; c < 7; ++c)
                list.SetItemText(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
        }
        list.SetEditNotifier([this](int row, int column) { notified.emplace_back(row, column); });
    }
    std::vector<std::string> AllCells() const {
        std::vector<std::string> cells;
        for (int r = 0; r < list.GetItemCount(); ++r)
            for (int c = 0; c < list.ColumnCount(); ++c) cells.push_back(list.GetItemText(r, c));
        return cells;
    }

    CEditableListCtrl list;
    std::vector<std::pair<int, int>> notified;
};

TEST(EditableList, StartsWithHiddenEditorsTheOperationCodesAndNoDropDownMode) {
    CEditableListCtrl list;
    EXPECT_FALSE(list.TextBox().visible);
    EXPECT_FALSE(list.DropDownList().visible);
    EXPECT_EQ(
        list.DropDownList().items,
        (std::vector<std::string>{"0x10", "0x11", "0x12", "0x20", "0x21", "0x22", "0x30", "0x31"}));
    EXPECT_FALSE(list.DropDownFlag());
    EXPECT_EQ(list.DropDownModulus(), -1);
    EXPECT_EQ(list.EditRow(), -1);
    EXPECT_EQ(list.EditColumn(), -1);
    EXPECT_TRUE(list.Colours().empty());
}

TEST(EditableList, DropDownColumnsFollowFlagAndModulus) {
    struct Case {
        bool flag;
        int modulus;
        int column;
        bool dropDown;
    };
    const Case cases[] = {
        {false, 5, 0, false}, {false, 5, 5, false}, {true, -1, 0, false}, {true, 0, 0, false},
        {true, 5, 0, true},   {true, 5, 5, true},   {true, 5, 6, false},  {true, 5, 10, true},
        {true, 5, 4, false},  {true, 1, 3, true},   {true, 5, -1, false},
    };
    CEditableListCtrl list;
    for (const Case& c : cases) {
        list.SetDropDownMode(c.flag, c.modulus);
        EXPECT_EQ(list.UsesDropDown(c.column), c.dropDown)
            << c.flag << " " << c.modulus << " " << c.column;
    }
}

TEST_F(EditableListTest, DoubleClickBelowTheLastRowOnlyHidesTheEditors) {
    list.TextBox().visible = true;  // as if a page had shown them
    list.DropDownList().visible = true;
    const auto before = AllCells();
    EXPECT_EQ(list.OnDoubleClick(-1, 2), -1);
    EXPECT_FALSE(list.TextBox().visible);
    EXPECT_FALSE(list.DropDownList().visible);
    EXPECT_EQ(list.EditRow(), -1);
    EXPECT_EQ(list.TextBox().text, "");
    EXPECT_EQ(AllCells(), before);
}

TEST_F(EditableListTest, DoubleClickPreparesTheTextBoxWithoutShowingItOrChangingCells) {
    const auto before = AllCells();
    EXPECT_EQ(list.OnDoubleClick(1, 3), -1);
    EXPECT_EQ(list.EditRow(), 1);
    EXPECT_EQ(list.EditColumn(), 3);
    EXPECT_EQ(list.TextBox().text, "r1c3");
    EXPECT_TRUE(list.TextBoxAllSelected());
    EXPECT_FALSE(list.TextBox().visible);
    EXPECT_FALSE(list.DropDownList().visible);
    EXPECT_EQ(AllCells(), before);
    EXPECT_TRUE(notified.empty());
}

TEST_F(EditableListTest, DoubleClickOnADropDownColumnLeavesTheTextBoxAlone) {
    list.SetDropDownMode(true, 5);
    list.OnDoubleClick(2, 5);
    EXPECT_EQ(list.EditColumn(), 5);
    EXPECT_EQ(list.TextBox().text, "");
    list.OnDoubleClick(2, 6);  // replaces the remembered cell
    EXPECT_EQ(list.EditColumn(), 6);
    EXPECT_EQ(list.TextBox().text, "r2c6");
}

TEST_F(EditableListTest, FocusLossWritesTheCellNotifiesTheParentAndForgetsTheCell) {
    list.OnDoubleClick(0, 2);
    list.OnTextBoxEdited("5A");
    list.TextBox().visible = true;
    list.OnTextBoxKillFocus();
    EXPECT_EQ(list.GetItemText(0, 2), "5A");
    EXPECT_EQ(notified, (std::vector<std::pair<int, int>>{{0, 2}}));
    EXPECT_FALSE(list.TextBox().visible);
    EXPECT_EQ(list.TextBox().text, "");
    EXPECT_EQ(list.EditRow(), -1);
    EXPECT_EQ(list.EditColumn(), -1);
}

TEST_F(EditableListTest, FocusLossAfterTheListWasEmptiedWritesNothing) {
    list.OnDoubleClick(2, 1);
    list.DeleteAllItems();
    list.OnTextBoxKillFocus();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(notified, (std::vector<std::pair<int, int>>{{2, 1}}));
}

TEST_F(EditableListTest, ScrollingEndsARunningEditOnly) {
    list.OnScroll();  // nothing running
    EXPECT_TRUE(notified.empty());
    list.OnDoubleClick(1, 1);
    list.TextBox().visible = true;
    list.OnTextBoxEdited("ab");
    list.OnScroll();
    EXPECT_EQ(list.GetItemText(1, 1), "ab");
    EXPECT_EQ(notified.size(), 1u);
}

TEST_F(EditableListTest, DropDownSelectionWritesTheRememberedCell) {
    list.SetDropDownMode(true, 5);
    list.OnDoubleClick(1, 5);
    list.OnDropDownSelChange(3);
    EXPECT_EQ(list.GetItemText(1, 5), "0x20");
    EXPECT_TRUE(notified.empty());
    CEditableListCtrl empty;  // nothing remembered: nothing written, nothing broken
    empty.OnDropDownSelChange(7);
    EXPECT_EQ(empty.DropDownList().SelectedText(), "0x31");
}

TEST_F(EditableListTest, TextBoxTakesElevenCharactersWholeCharactersForChinese) {
    list.OnTextBoxEdited("0123456789ABCDEF");
    EXPECT_EQ(list.TextBox().text, "0123456789A");
    list.OnTextBoxEdited("一二三四五六七八九十百千");
    EXPECT_EQ(list.TextBox().text, "一二三四五六七八九十百");
    EXPECT_EQ(TruncateUtf8("ab", 11), "ab");
    EXPECT_EQ(TruncateUtf8(std::string("\xE4\xB8", 2), 11), std::string("\xE4\xB8", 2));
}

TEST_F(EditableListTest, RowColoursAreLookedUpByRow) {
    list.SetRowColour(1, 0x00FFCC99);
    EXPECT_EQ(list.RowColour(1), 0x00FFCC99u);
    EXPECT_FALSE(list.RowColour(0).has_value());
    EXPECT_FALSE(list.RowColour(2).has_value());
    list.ClearRowColours();
    EXPECT_FALSE(list.RowColour(1).has_value());
}

TEST_F(EditableListTest, CellsOutsideTheListAreRefused) {
    EXPECT_FALSE(list.SetItemText(3, 0, "x"));
    EXPECT_FALSE(list.SetItemText(0, 7, "x"));
    EXPECT_FALSE(list.SetItemText(-1, 0, "x"));
    EXPECT_EQ(list.GetItemText(9, 9), "");
    EXPECT_EQ(list.InsertItem(99, "last"), 3);
    EXPECT_EQ(list.GetItemText(3, 0), "last");
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_FALSE(list.DeleteItem(5));
    EXPECT_EQ(list.GetItemText(0, 0), "r1c0");
}

TEST_F(EditableListTest, SelectionFocusAndMarkStayWithTheirRows) {
    list.SetSelectedRows({0, 2});  // one row at a time until multiple selection is on
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{0});
    list.SetMultipleSelection(true);
    list.SetSelectedRows({2, 0, 9});
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 2}));
    list.SetFocusedRow(2);
    list.SetSelectionMark(2);

    list.InsertItem(1, "new");  // rows 0, new, 1, 2: the old row 2 is now 3
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 3}));
    EXPECT_EQ(list.FocusedRow(), 3);
    EXPECT_EQ(list.SelectionMark(), 3);
    list.DeleteItem(0);
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(list.SelectionMark(), 2);
    list.DeleteItem(2);  // the marked row goes, and the mark with it
    EXPECT_EQ(list.SelectionMark(), -1);
    EXPECT_EQ(list.FocusedRow(), -1);
    EXPECT_EQ(list.SelectedRow(), -1);

    list.SetSelectedRow(1);
    EXPECT_EQ(list.FocusedRow(), 1);
    list.SetSelectionMark(1);
    list.EnsureVisible(1);
    EXPECT_EQ(list.ScrollRow(), 1);
    EXPECT_EQ(list.ScrollRevision(), 1u);
    list.DeleteAllItems();
    EXPECT_EQ(list.SelectionMark(), -1);
    EXPECT_EQ(list.FocusedRow(), -1);
    list.EnsureVisible(0);  // no such row: no request
    EXPECT_EQ(list.ScrollRevision(), 1u);
}

}  // namespace
}  // namespace velmor::ui
