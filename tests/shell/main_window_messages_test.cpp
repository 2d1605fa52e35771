#include <gtest/gtest.h>

#include "config/prt_config_dlg.h"
#include "main_window_fixture.h"
#include "motion/movement_page.h"
#include "registers/read_write_reg_dlg.h"

namespace velmor::shell {
namespace {

std::vector<int> TemplateNumbers(const ui::CDlgTabCtrl& host) {
    std::vector<int> numbers;
    for (const ui::CWnd_ITEM& item : host.Items()) numbers.push_back(item.templateNumber);
    return numbers;
}

motion::MovementPage* Movement(CVelmorDlg& window, int number) {
    return dynamic_cast<motion::MovementPage*>(window.TabHost().FindPage(number));
}

config::CPrtConfigDlg* ConfigPage(CVelmorDlg& window) {
    return dynamic_cast<config::CPrtConfigDlg*>(window.TabHost().FindPage(130));
}

struct LanguageCase {
    const char* language;
    std::vector<std::string> captions;
    std::vector<int> pages;
};

class TabsPerLanguage : public MainWindowTest,
                        public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(TabsPerLanguage, CaptionsAndPagesFollowTheLanguage) {
    Open(GetParam().language);
    EXPECT_EQ(window->tabCaptions, GetParam().captions);
    EXPECT_EQ(TemplateNumbers(window->TabHost()), GetParam().pages);
    EXPECT_EQ(VisiblePages(), std::set<int>{129});
    // Page 129 is the register page, and it was initialised: its choices are filled.
    auto* registerPage =
        dynamic_cast<registers::CReadWriteRegDlg*>(window->TabHost().FindPage(129));
    ASSERT_NE(registerPage, nullptr);
    EXPECT_EQ(registerPage->headType.SelectedText(), "Dark");
}

INSTANTIATE_TEST_SUITE_P(
    Languages, TabsPerLanguage,
    ::testing::Values(
        LanguageCase{"eng",
                     {"Read write register", "Initialization movement", "Firmware setting"},
                     {129, 145, 130, 148}},
        LanguageCase{
            "chs", {"读写寄存器", "初始化运动", "固件设置", "清洗设置"}, {129, 145, 130, 157, 148}},
        LanguageCase{
            "cht", {"读写寄存器", "初始化运动", "固件设置", "清洗设置"}, {129, 145, 130, 148}}),
    [](const auto& info) { return std::string(info.param.language); });

TEST_F(MainWindowTest, BoardTypeTwoShowsFourFiberAndChoosingMainboardSetsZeroAtOnce) {
    Open("chs", 2);
    EXPECT_EQ(window->boardType.items,
              (std::vector<std::string>{"Mainboard", "DoubleFiber", "FourFiber"}));
    EXPECT_EQ(window->boardType.SelectedText(), "FourFiber");
    window->OnBoardTypeSelChange(0);
    EXPECT_EQ(operation.BoardType(), 0);
    window->OnBoardTypeSelChange(1);
    EXPECT_EQ(operation.BoardType(), 1);
    window->OnBoardTypeSelChange(7);  // no such item: nothing changes
    EXPECT_EQ(operation.BoardType(), 1);
    EXPECT_EQ(window->boardType.SelectedText(), "DoubleFiber");
}

TEST_F(MainWindowTest, SelectorItemFollowsTheBoardTypeOnMessage2045) {
    const std::pair<int, const char*> cases[] = {
        {0, "Mainboard"}, {1, "DoubleFiber"}, {2, "FourFiber"}, {9, "Mainboard"}};
    Open();
    for (const auto& [type, text] : cases) {
        operation.SetBoardType(static_cast<std::uint8_t>(type));
        window->OnWindowMessage(ui::kMsgSelectBoardType);
        EXPECT_EQ(window->boardType.SelectedText(), text) << type;
    }
}

TEST_F(MainWindowTest, Message2047ShowsTheMovementPageOfTheSelectorAndLinksTheConfigPage) {
    Open("chs", 0);
    config::CPrtConfigDlg* config = ConfigPage(*window);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->LinkedMovementPage(), window->TabHost().FindPage(145));

    window->OnBoardTypeSelChange(1);  // DoubleFiber
    window->OnWindowMessage(ui::kMsgShowMovementPage);
    EXPECT_EQ(VisiblePages(), (std::set<int>{129, 148}));
    EXPECT_EQ(config->LinkedMovementPage(), window->TabHost().FindPage(148));

    window->OnBoardTypeSelChange(0);  // Mainboard
    window->OnWindowMessage(ui::kMsgShowMovementPage);
    EXPECT_EQ(VisiblePages(), (std::set<int>{129, 145}));
    EXPECT_EQ(config->LinkedMovementPage(), window->TabHost().FindPage(145));
}

TEST_F(MainWindowTest, Message2049LinksWithoutShowingOrHiding) {
    Open("chs", 0);
    window->OnBoardTypeSelChange(2);
    window->OnWindowMessage(ui::kMsgLinkConfigPage);
    EXPECT_EQ(VisiblePages(), std::set<int>{129});
    EXPECT_EQ(ConfigPage(*window)->LinkedMovementPage(), window->TabHost().FindPage(148));
    EXPECT_EQ(window->LinkedMovementPage(), window->TabHost().FindPage(148));
}

TEST_F(MainWindowTest, ClickingTheMovementTabOnAFiberBoardShowsPage148) {
    Open("chs", 1);
    operation.testMotionList.resize(1);
    operation.testMotionList[0].nMotorNums = 1;
    operation.testMotionList[0].motorIndex = 2;  // Y
    window->OnTabClick(1);
    EXPECT_EQ(VisiblePages(), std::set<int>{148});
    motion::MovementPage* fiber = Movement(*window, 148);
    ASSERT_NE(fiber, nullptr);
    ASSERT_EQ(fiber->movetestList.GetItemCount(), 1);  // shown on entering the tab
    fiber->movetestList.SetItemText(0, 4, "250");
    window->OnTabClick(2);  // leaving the movement tab: the page stores its lists
    EXPECT_EQ(VisiblePages(), std::set<int>{130});
    EXPECT_EQ(operation.testMotionList.at(0).MotonnnMoveLenth[1], 250);
    EXPECT_EQ(ConfigPage(*window)->ShownLayout(), controller::BoardLayout::kFiber);
    window->OnTabClick(0);
    window->OnBoardTypeSelChange(0);
    window->OnTabClick(1);
    EXPECT_EQ(VisiblePages(), std::set<int>{145});
    // Leaving the movement tab tells the configuration page to follow the board type.
    window->OnTabClick(2);
    EXPECT_EQ(ConfigPage(*window)->ShownLayout(), controller::BoardLayout::kMainBoard);
}

TEST_F(MainWindowTest, ExitStopsTheMovementPagesStatusThreadsAndClosesEveryPage) {
    for (std::uint8_t type : {std::uint8_t{0}, std::uint8_t{2}}) {
        SCOPED_TRACE(int(type));
        Open("chs", type);
        for (int number : {145, 148})
            EXPECT_TRUE(Movement(*window, number)->Tester().StatusThreadRunning());
        window->OnExit();
        EXPECT_TRUE(window->ended);
        for (int number : {145, 148})
            EXPECT_FALSE(Movement(*window, number)->Tester().StatusThreadRunning());
        EXPECT_FALSE(timers.Running(CVelmorDlg::kConnectionTimerId));
    }
}

TEST_F(MainWindowTest, ClosingTheWindowStopsTimerOne) {
    Open();
    ASSERT_TRUE(timers.Running(1));
    window.reset();
    EXPECT_FALSE(timers.Running(1));
}

}  // namespace
}  // namespace velmor::shell
