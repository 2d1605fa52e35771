#include "gui/editable_list_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ui/editable_list_ctrl.h"

namespace velmor::gui {
namespace {

class EditableListViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        list.InsertColumn(0, "Motor", 80);
        list.InsertColumn(1, "Speed", 80);
        list.InsertItem(0, "X");
        list.SetItemText(0, 1, "100");
        list.InsertItem(1, "Y");
        list.SetItemText(1, 1, "200");
        list.SetRowColour(1, 0x00FFCC99);  // blue 0xFF, green 0xCC, red 0x99
        view.resize(300, 200);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        Settle();
    }
    void Settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

    ui::CEditableListCtrl list;
    EditableListView view{list, nullptr};
};

TEST_F(EditableListViewTest, ShowsCellsAndTheRowColoursOfTheModel) {
    ASSERT_EQ(view.rowCount(), 2);
    ASSERT_EQ(view.columnCount(), 2);
    EXPECT_EQ(view.horizontalHeaderItem(1)->text(), QStringLiteral("Speed"));
    EXPECT_EQ(view.item(1, 1)->text(), QStringLiteral("200"));
    EXPECT_EQ(view.item(1, 0)->background().color(), QColor(0x99, 0xCC, 0xFF));
    EXPECT_FALSE(view.item(0, 0)->data(Qt::BackgroundRole).isValid());  // default background

    list.SetItemText(0, 1, "150");
    Settle();
    EXPECT_EQ(view.item(0, 1)->text(), QStringLiteral("150"));
}

TEST_F(EditableListViewTest, DoubleClicksGoToTheModelAndEditNothingInPlace) {
    const QRect cell = view.visualItemRect(view.item(1, 1));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    Settle();
    EXPECT_EQ(list.EditRow(), 1);
    EXPECT_EQ(list.EditColumn(), 1);
    EXPECT_EQ(list.TextBox().text, "200");
    for (QLineEdit* editor : view.findChildren<QLineEdit*>()) EXPECT_FALSE(editor->isVisible());

    // Below the last row: no row, the remembered cell stays as it was.
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), 180));
    Settle();
    EXPECT_EQ(list.EditRow(), 1);
    EXPECT_EQ(list.GetItemText(1, 1), "200");
}

TEST_F(EditableListViewTest, ClicksSelectRowsMarkTheClickedRowAndAreTold) {
    list.SetMultipleSelection(true);
    Settle();
    int clicks = 0;
    QObject::connect(&view, &EditableListView::Clicked, [&clicks] { ++clicks; });
    const auto rowCentre = [this](int row) {
        return view.visualItemRect(view.item(row, 0)).center();
    };
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowCentre(0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(1));
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 1}));
    EXPECT_EQ(list.SelectionMark(), 1);
    EXPECT_EQ(clicks, 2);

    // The model's selection goes to the view.
    list.SetSelectedRows({1});
    list.SetSelectionMark(-1);
    Settle();
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().front().row(), 1);
    QTest::keyClick(&view, Qt::Key_Up);  // a move by key takes the mark along
    EXPECT_EQ(list.SelectionMark(), 0);
}

TEST(ColourFromBgr, SplitsTheBgrValue) {
    EXPECT_EQ(ColourFromBgr(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(ColourFromBgr(0x00FF0000), QColor(0, 0, 255));
    EXPECT_EQ(ColourFromBgr(0xFF00FF00), QColor(0, 255, 0));
}

}  // namespace
}  // namespace velmor::gui
