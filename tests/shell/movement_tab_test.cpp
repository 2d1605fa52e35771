// The movement tab in the main window: the page of the board type, the lists
// it hands over when the board type changes, the configuration page's refresh
// and the board type a test move runs with.
#include <gtest/gtest.h>

#include <vector>

#include "config/prt_config_dlg.h"
#include "main_window_fixture.h"
#include "motion/movement_page.h"
#include "support/motion_steps.h"
#include "ui/page_hooks.h"

namespace velmor::shell {
namespace {

using testing::XStep;

motion::MovementPage& Movement(CVelmorDlg& window, int number) {
    auto* page = dynamic_cast<motion::MovementPage*>(window.TabHost().FindPage(number));
    EXPECT_NE(page, nullptr) << number;
    return *page;
}

TEST_F(MainWindowTest, ChangingTheBoardTypeOnTheMovementTabHandsTheListsOver) {
    Open("chs", 0);
    operation.motionList = {XStep(100), XStep(200)};
    window->OnTabClick(1);
    ASSERT_EQ(VisiblePages(), std::set<int>{145});
    motion::MovementPage& main = Movement(*window, 145);
    ASSERT_EQ(main.movementList.GetItemCount(), 2);
    // An edit the page has not committed yet.
    main.movementList.SetItemText(1, motion::kColumnDistance, "250");

    window->OnBoardTypeSelChange(1);  // "DoubleFiber"
    EXPECT_EQ(VisiblePages(), std::set<int>{148});
    motion::MovementPage& fiber = Movement(*window, 148);
    ASSERT_EQ(fiber.movementList.GetItemCount(), 2);
    for (int c = 0; c < fiber.movementList.ColumnCount(); ++c)
        EXPECT_EQ(fiber.movementList.GetItemText(1, c), main.movementList.GetItemText(1, c)) << c;
    EXPECT_EQ(fiber.movementList.GetItemText(1, motion::kColumnDistance), "250");

    window->OnTabClick(0);  // the fiber page stores what it shows: nothing is lost
    ASSERT_EQ(operation.motionList.size(), 2u);
    EXPECT_EQ(operation.motionList[1].MotonnnMoveLenth[0], 250);

    // Away from the movement tab a change of board type swaps nothing.
    window->OnBoardTypeSelChange(0);
    EXPECT_EQ(VisiblePages(), std::set<int>{129});
}

TEST_F(MainWindowTest, ConfigurationPageRefreshReachesTheMovementPageOfTheBoardType) {
    Open("chs", 0);
    window->OnBoardTypeSelChange(2);
    window->OnWindowMessage(ui::kMsgLinkConfigPage);
    auto* config = dynamic_cast<config::CPrtConfigDlg*>(window->TabHost().FindPage(130));
    ASSERT_NE(config, nullptr);
    auto* linked = ui::PageHooks<ui::MovementPageHooks>(config->LinkedMovementPage());
    ASSERT_NE(linked, nullptr);

    // What a document load leaves in the controller object.
    operation.motionList = {XStep(300)};
    operation.motorSettings.Z0Gear = 1500;
    linked->RefreshFromController();
    motion::MovementPage& fiber = Movement(*window, 148);
    EXPECT_EQ(fiber.movementList.GetItemText(0, motion::kColumnDistance), "300");
    EXPECT_EQ(fiber.gearRatio.text, "1.5");
    EXPECT_EQ(Movement(*window, 145).movementList.GetItemCount(), 0);
}

TEST_F(MainWindowTest, BoardTypeObserverHearsInitialisationAndEverySetting) {
    std::vector<int> heard;
    PrepareHome(2);
    operation.SetBoardType(2);
    window = std::make_unique<CVelmorDlg>(operation, driver, dialogs);
    window->SetSleeper(sleeper);
    window->SetBoardTypeObserver([&heard](std::uint8_t type) { heard.push_back(type); });
    window->OnInitDialog();
    window->OnBoardTypeSelChange(0);
    window->OnBoardTypeSelChange(1);
    EXPECT_EQ(heard, (std::vector<int>{2, 0, 1}));
}

TEST_F(MainWindowTest, ATestMoveRunsWithTheBoardTypeOfTheSelector) {
    driver.AddDevice();
    Open("chs", 0);
    Tick();
    ASSERT_EQ(operation.connected.load(), 1u);
    std::vector<int> heard;
    window->SetBoardTypeObserver([&heard](std::uint8_t type) { heard.push_back(type); });
    operation.SetBoardType(1);  // changed behind the selector's back

    motion::MovementPage& main = Movement(*window, 145);
    main.testMode.checked = true;
    main.OnTestMode();
    main.motors[2].ticked.checked = true;
    main.OnMotorCheck(2);
    main.OnMoveMotor();  // posts 2046 first
    EXPECT_EQ(operation.BoardType(), 0);
    EXPECT_EQ(heard, std::vector<int>{0});
    main.OnStopMotor();
    main.Tester().WaitForMove();
}

}  // namespace
}  // namespace velmor::shell
