#include "gui/movement_page_view.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <chrono>

#include "gui/initial_move_ment_view.h"
#include "gui/main_window.h"
#include "gui/simulator_board_type.h"
#include "motion/initial_move_ment_dlg.h"
#include "motion/motion_rig.h"
#include "shell/velmor_dlg.h"
#include "support/fake_timer_service.h"
#include "support/program_home.h"
#include "support/scripted_dialog_service.h"
#include "support/temp_dir.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

using sim::SimGenerator;
using testing::SettleUntil;

void ClickCheck(const QObject* root, const char* name) {
    if (auto* box = testing::FindWidget<QCheckBox>(root, name))
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void ClickCell(QTableWidget* table, int row, int column) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(row, column)).center());
}

class MovementPageViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rig.op.firstConnection = 1;  // no Y reset racing the clicks
        page.OnInitDialog();
        ASSERT_TRUE(testing::ShowExposed(view, 1160, 680));
    }
    template <typename T>
    T* Find(const char* name) {
        return testing::FindWidget<T>(&view, name);
    }
    QString Status() { return Find<QPlainTextEdit>("statusText")->toPlainText(); }

    motion::testing::MotionRig rig{0};
    motion::testing::BriefSleeper sleeper;
    velmor::testing::ScriptedDialogService dialogs;
    motion::CInitialMoveMentDlg page{{rig.op, dialogs, nullptr, &sleeper}};
    InitialMoveMentView view{page};
};

TEST_F(MovementPageViewTest, AddGrowsTheListViewAndTheStoredList) {
    ClickCheck(&view, "motorY");
    EXPECT_TRUE(Find<QLineEdit>("accelSteps1")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>("accelSteps0")->isEnabled());
    testing::TypeInto(&view, "distance1", "2500");
    testing::ClickButton(&view, "addButton");
    testing::ClickButton(&view, "addButton");
    testing::Settle();

    auto* list = Find<QTableWidget>("movementList");
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(1, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("YMotor"));
    EXPECT_EQ(list->item(1, 4)->text(), QStringLiteral("2500"));
    EXPECT_EQ(list->columnCount(), 8);
    ASSERT_EQ(rig.op.motionList.size(), 2u);
    EXPECT_EQ(rig.op.motionList[1].MotonnnMoveLenth[1], 2500);
    EXPECT_EQ(Find<QTableWidget>("movetestList")->rowCount(), 0);
}

TEST_F(MovementPageViewTest, CellEditorsWriteTheCellsOfTheList) {
    ClickCheck(&view, "motorX");
    testing::ClickButton(&view, "addButton");
    testing::Settle();
    auto* list = Find<QTableWidget>("movementList");
    ClickCell(list, 0, 3);
    testing::Settle();
    auto* number = Find<QLineEdit>("cellNumber0");
    ASSERT_TRUE(number->isVisible());
    EXPECT_EQ(number->geometry(), list->visualItemRect(list->item(0, 3)));
    EXPECT_EQ(number->text(), QStringLiteral("4000"));
    QTest::keyClicks(number, "6500");
    QTest::keyClick(number, Qt::Key_Return);
    testing::Settle();
    EXPECT_FALSE(number->isVisible());
    EXPECT_EQ(list->item(0, 3)->text(), QStringLiteral("6500"));

    ClickCell(list, 0, 5);
    testing::Settle();
    auto* direction = Find<QComboBox>("cellDirection0");
    ASSERT_TRUE(direction->isVisible());
    EXPECT_FALSE(Find<QComboBox>("cellDirection1")->isVisible());
    emit direction->activated(1);  // "End"
    testing::Settle();
    EXPECT_EQ(list->item(0, 5)->text(), QStringLiteral("1"));
    EXPECT_FALSE(direction->isVisible());
}

TEST_F(MovementPageViewTest, MoveInTestModeShowsTheMotorMovingThenDoneAndStopStopsAStuckOne) {
    ClickCheck(&view, "motorZ");
    ClickCheck(&view, "testMode");
    ASSERT_TRUE(page.testMode.checked);
    EXPECT_FALSE(Find<QPushButton>("addButton")->isEnabled());
    testing::ClickButton(&view, "moveButton");
    ASSERT_TRUE(SettleUntil([&] { return Status().startsWith(QString::fromUtf8("Z电机运动中")); }));
    EXPECT_TRUE(rig.Motors().Moving(SimGenerator::kZ1));
    EXPECT_FALSE(Find<QPushButton>("moveButton")->isEnabled());  // grey while it runs

    rig.Advance(std::chrono::seconds(10));
    ASSERT_TRUE(
        SettleUntil([&] { return Status().startsWith(QString::fromUtf8("Z电机运动结束")); }));
    ASSERT_TRUE(SettleUntil([&] { return Find<QPushButton>("moveButton")->isEnabled(); }));

    rig.Motors().SetStuck(SimGenerator::kZ1, true);
    testing::ClickButton(&view, "moveButton");
    ASSERT_TRUE(SettleUntil([&] { return rig.Motors().Moving(SimGenerator::kZ1); }));
    testing::ClickButton(&view, "stopButton");
    ASSERT_TRUE(
        SettleUntil([&] { return Status().startsWith(QString::fromUtf8("Z电机停止运动")); }));
    EXPECT_EQ(rig.Motors().Status(SimGenerator::kZ1), 0x07);
}

// The main window with the simulator following its board type: "电机运动" on
// the main-board page moves the main-board layout's generator.
// The main window on one simulated controller, the start-up document of `boardType`.
struct WindowOnSimulator {
    explicit WindowOnSimulator(std::uint8_t boardType) : device(driver.AddDevice()) {
        operation.programFolder = home.Path().string() + "/";
        velmor::testing::WriteFirstConfig(operation.programFolder, boardType);
        operation.SetBoardType(boardType);
        model.SetSleeper(sleeper);
        FollowBoardType(model, driver);
    }
    sim::SimDriver driver;
    sim::SimDevice& device;
    controller::CMainOperation operation;
    velmor::testing::TempDir home;
    velmor::testing::ScriptedDialogService dialogs;
    velmor::testing::NoWaitSleeper sleeper;
    shell::CVelmorDlg model{operation, driver, dialogs};
};

TEST(MovementPageViews, SimulatorFollowsTheBoardTypeOfTheMainWindow) {
    WindowOnSimulator sim(1);
    shell::CVelmorDlg& model = sim.model;
    MainWindow view(model);
    ASSERT_TRUE(testing::ShowExposed(view, 1180, 780));
    sim::SimMotors& motors = sim.device.Controller().Motors();
    EXPECT_EQ(motors.Layout(), sim::SimMotionLayout::kFiber);
    model.OnTimer(shell::CVelmorDlg::kConnectionTimerId);

    auto* board = testing::FindWidget<QComboBox>(&view, "boardType");
    board->setCurrentIndex(0);
    emit board->activated(0);  // "Mainboard"
    EXPECT_EQ(motors.Layout(), sim::SimMotionLayout::kMainBoard);
    QTabBar* tabs = view.Tabs();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    testing::Settle();
    QWidget* page = view.PageView(1);
    ASSERT_TRUE(page->isVisible());
    ClickCheck(page, "motorX");
    ClickCheck(page, "testMode");
    testing::ClickButton(page, "moveButton");
    ASSERT_TRUE(SettleUntil([&] { return motors.Starts(SimGenerator::kX0) == 1; }));
    EXPECT_EQ(motors.LastMove(SimGenerator::kX0).motor, sim::SimMotor::kX);
    testing::ClickButton(page, "stopButton");
    testing::ClickButton(&view, "exitButton");
}

// A number typed into a list cell, its edit still open, survives a click on a tab:
// the tab bar takes no focus, so the edit never loses it.
TEST(MovementPageViews, ACellEditStillOpenIsKeptWhenATabIsClicked) {
    WindowOnSimulator sim(0);
    controller::CMainOperation& operation = sim.operation;
    MainWindow view(sim.model);
    ASSERT_TRUE(testing::ShowExposed(view, 1180, 780));
    controller::MotorListInfo step;  // after the start-up document's load
    step.nMotorNums = 1;
    step.motorIndex = 1;
    step.MotonnnMoveLenth[0] = 100;
    operation.motionList = {step};
    QTabBar* tabs = view.Tabs();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    testing::Settle();

    auto* list = testing::FindWidget<QTableWidget>(view.PageView(1), "movementList");
    ASSERT_EQ(list->rowCount(), 1);
    ClickCell(list, 0, motion::kColumnDistance);
    testing::Settle();
    auto* editor = testing::FindWidget<QLineEdit>(view.PageView(1), "cellNumber0");
    ASSERT_TRUE(editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, "777");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    testing::Settle();
    ASSERT_EQ(operation.motionList.size(), 1u);
    EXPECT_EQ(operation.motionList[0].MotonnnMoveLenth[0], 777);
    testing::ClickButton(&view, "exitButton");
}

}  // namespace
}  // namespace velmor::gui
