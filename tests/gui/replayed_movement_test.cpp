// The movement page recorded during a test move and played again from the
// recording: the main window, offscreen, shows the same status texts. The pages'
// status threads are stopped and the status is refreshed at fixed points, so that
// one reader at a time takes the recorded answers of the status register.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "drivers/replay/recording_driver.h"
#include "drivers/replay/replay_driver.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "gui/main_window.h"
#include "motion/movement_page.h"
#include "shell/velmor_dlg.h"
#include "support/fake_timer_service.h"
#include "support/program_home.h"
#include "support/scripted_dialog_service.h"
#include "support/temp_dir.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

// The status texts the page shows before and after a test move of X, on `driver`.
std::vector<QString> TestMoveOn(usb::UsbDriver& driver, const std::string& programFolder) {
    controller::CMainOperation operation;
    operation.programFolder = programFolder;
    operation.SetBoardType(0);
    testing::ScriptedDialogService dialogs;
    testing::NoWaitSleeper sleeper;
    shell::CVelmorDlg model(operation, driver, dialogs);
    model.SetSleeper(sleeper);
    MainWindow view(model);
    EXPECT_TRUE(testing::ShowExposed(view, 1180, 780));
    auto* page = dynamic_cast<motion::MovementPage*>(
        model.TabHost().MovementPageFor(controller::BoardLayout::kMainBoard));
    for (auto layout : {controller::BoardLayout::kMainBoard, controller::BoardLayout::kFiber})
        dynamic_cast<motion::MovementPage*>(model.TabHost().MovementPageFor(layout))
            ->StopStatusThread();
    model.OnTimer(shell::CVelmorDlg::kConnectionTimerId);
    QTest::mouseClick(view.Tabs(), Qt::LeftButton, {}, view.Tabs()->tabRect(1).center());
    testing::Settle();

    QWidget* shown = view.PageView(1);
    for (const char* box : {"motorX", "testMode"}) {
        auto* check = testing::FindWidget<QCheckBox>(shown, box);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
    }
    auto* status = testing::FindWidget<QPlainTextEdit>(shown, "statusText");
    std::vector<QString> texts;
    page->Tester().RefreshMotorStatus();
    testing::Settle();
    texts.push_back(status->toPlainText());
    testing::ClickButton(shown, "moveButton");
    page->Tester().WaitForMove();
    page->Tester().RefreshMotorStatus();
    testing::Settle();
    texts.push_back(status->toPlainText());
    testing::ClickButton(&view, "exitButton");
    return texts;
}

TEST(ReplayedMovementPage, ATestMoveShowsTheRecordedStatusTexts) {
    testing::TempDir home;
    const std::string folder = home.Path().string() + "/";
    testing::WriteFirstConfig(folder, 0);
    const std::string file = home.File("movement.jsonl");
    std::vector<QString> recorded;
    {
        sim::SimDriver sim;
        sim::SimMotors& motors = sim.AddDevice().Controller().Motors();
        motors.SetLayout(sim::SimMotionLayout::kMainBoard);  // the document's board type
        motors.SetTimeScale(0.01);
        std::string error;
        auto writer = replay::TrafficWriter::Create(file, false, {}, error);
        ASSERT_TRUE(writer) << error;
        replay::RecordingDriver recording(sim, std::move(writer), {"test", "1", "sim", {}});
        recorded = TestMoveOn(recording, folder);
    }
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_TRUE(recorded[1].startsWith(QString::fromUtf8("X电机运动结束"))) << recorded[1].toStdString();

    std::string error;
    std::optional<replay::TrafficRecording> recording = replay::ReadRecording(file, error);
    ASSERT_TRUE(recording) << error;
    replay::ReplayDriver replay(std::move(*recording), false);
    EXPECT_EQ(TestMoveOn(replay, folder), recorded);
    EXPECT_EQ(replay.Mismatches(), 0) << replay.FirstMismatch();
}

}  // namespace
}  // namespace velmor::gui
