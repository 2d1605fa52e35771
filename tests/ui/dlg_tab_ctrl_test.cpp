#include "ui/dlg_tab_ctrl.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controller/main_operation.h"
#include "ui/page_hooks.h"

namespace velmor::ui {
namespace {

using Log = std::vector<std::string>;

// The dialog numbers of the pages the main window hosts.
constexpr int kRegisterPageId = 129;
constexpr int kConfigPageId = 130;
constexpr int kMainboardMovementPageId = 145;
constexpr int kFiberMovementPageId = 148;
constexpr int kCleaningPageId = 157;

// Writes what it is asked into a log shared by all pages and the main window,
// so the order of messages and list calls across receivers is checked.
class RecordingPage : public TabPage, public ConfigPageHooks {
  public:
    RecordingPage(int number, Log& log, bool* deleted = nullptr)
        : number_(number), log_(log), deleted_(deleted) {}
    ~RecordingPage() override {
        if (deleted_) *deleted_ = true;
    }
    void OnLayoutMessage() override { Note(std::to_string(kMsgConfigLayout)); }
    void LinkMovementPage(TabPage* /*page*/) override { Note("link"); }
    void ClosePage() override { Note("close"); }

  protected:
    void Note(const std::string& what) { log_.push_back(std::to_string(number_) + ":" + what); }
    int number_;

  private:
    Log& log_;
    bool* deleted_;
};

// Pages 145 and 148 are the movement pages of the main-board and fiber layouts.
class RecordingMovementPage : public RecordingPage, public MovementPageHooks {
  public:
    using RecordingPage::RecordingPage;
    controller::BoardLayout Layout() const override {
        return number_ == kFiberMovementPageId ? controller::BoardLayout::kFiber
                                               : controller::BoardLayout::kMainBoard;
    }
    void ShowLists(int list) override { Note("show" + std::to_string(list)); }
    void TakeLists(int list) override { Note("take" + std::to_string(list)); }
    void StopStatusThread() override { Note("stop"); }
    void RefreshFromController() override { Note("refresh"); }
};

std::unique_ptr<TabPage> MakePage(int number, Log& log, bool* deleted = nullptr) {
    if (number == kMainboardMovementPageId || number == kFiberMovementPageId)
        return std::make_unique<RecordingMovementPage>(number, log, deleted);
    return std::make_unique<RecordingPage>(number, log, deleted);
}

class RecordingWindow : public WindowMessageReceiver {
  public:
    explicit RecordingWindow(Log& log) : log_(log) {}
    void OnWindowMessage(int message) override {
        log_.push_back("main:" + std::to_string(message));
    }

  private:
    Log& log_;
};

class TabHostTest : public ::testing::Test {
  protected:
    void Build(const std::vector<int>& numbers) {
        for (int number : numbers) host.AddPage(MakePage(number, log), number);
        host.SetMainWindow(&window);
        host.SetConfigPage(host.FindPage(kConfigPageId));
        host.CreatePages();
    }
    std::set<int> VisiblePages() const {
        std::set<int> visible;
        for (const CWnd_ITEM& item : host.Items()) {
            if (item.page->Visible()) visible.insert(item.templateNumber);
        }
        return visible;
    }

    controller::CMainOperation operation;
    CDlgTabCtrl host{operation};
    Log log;
    RecordingWindow window{log};
};

const std::vector<int> kChinesePages = {129, 145, 130, 157, 148};
const std::vector<int> kEnglishPages = {129, 145, 130, 148};

TEST_F(TabHostTest, CreatePagesShowsOnlyTheFirstPage) {
    Build(kChinesePages);
    EXPECT_EQ(host.CurrentPage(), 0);
    EXPECT_EQ(VisiblePages(), std::set<int>{129});
    EXPECT_TRUE(log.empty());
}

struct ClickCase {
    const char* name;
    int boardType;
    int from;
    int to;
    Log expected;
    int visible;
};

class TabClickTest : public TabHostTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(TabClickTest, PostsTheMessagesOfTheTabsLeftAndEntered) {
    const ClickCase& c = GetParam();
    Build(kChinesePages);
    operation.SetBoardType(static_cast<std::uint8_t>(c.boardType));
    host.OnTabClick(c.from);
    log.clear();
    host.OnTabClick(c.to);
    EXPECT_EQ(log, c.expected);
    EXPECT_EQ(host.CurrentPage(), c.to);
    EXPECT_EQ(VisiblePages(), std::set<int>{c.visible});
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, TabClickTest,
    ::testing::Values(
        ClickCase{"RegisterToConfigMainboard", 0, 0, 2, {"130:2048", "main:2049"}, 130},
        ClickCase{"RegisterToConfigFiber", 2, 0, 2, {"130:2048", "main:2049"}, 130},
        ClickCase{"MovementToConfig", 1, 1, 2, {"130:2048", "148:take0", "148:take1"}, 130},
        ClickCase{"MovementToRegister", 0, 1, 0, {"130:2048", "145:take0", "145:take1"}, 129},
        ClickCase{
            "RegisterToMovementMainboard", 0, 0, 1, {"main:2047", "145:show0", "145:show1"}, 145},
        ClickCase{"ConfigToMovementFiber", 1, 2, 1, {"main:2047", "148:show0", "148:show1"}, 145},
        ClickCase{"ConfigToCleaning", 0, 2, 3, {}, 157},
        ClickCase{"CleaningToRegister", 0, 3, 0, {}, 129}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabHostTest, ClickingTheCurrentTabChangesNothing) {
    Build(kChinesePages);
    host.OnTabClick(1);
    log.clear();
    host.OnTabClick(1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(VisiblePages(), std::set<int>{145});
}

TEST_F(TabHostTest, ClickOutsideThePagesSelectsNothing) {
    Build(kEnglishPages);
    host.OnTabClick(7);
    host.OnTabClick(-1);
    EXPECT_EQ(host.CurrentPage(), 0);
    EXPECT_EQ(VisiblePages(), std::set<int>{129});
    EXPECT_TRUE(log.empty());
}

TEST_F(TabHostTest, EnglishLayoutHasThePage148Fourth) {
    Build(kEnglishPages);
    ASSERT_EQ(host.Items().size(), 4u);
    EXPECT_EQ(host.Items()[3].templateNumber, kFiberMovementPageId);
    EXPECT_EQ(host.FindPage(kCleaningPageId), nullptr);
    operation.SetBoardType(1);
    host.OnTabClick(1);
    EXPECT_EQ(log, (Log{"main:2047", "148:show0", "148:show1"}));
}

TEST_F(TabHostTest, WithoutTheMovementPageOfTheBoardTypeNothingIsPosted) {
    Build({129, 145, 130});
    operation.SetBoardType(2);  // wants page 148, which is not there
    host.OnTabClick(1);
    host.OnTabClick(2);
    host.OnTabClick(0);
    host.OnTabClick(2);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(VisiblePages(), std::set<int>{130});
}

TEST_F(TabHostTest, HideShowAndFindWorkByTemplateNumber) {
    Build({129, 145, 145, 130});
    host.ShowPages(145);
    EXPECT_EQ(VisiblePages(), (std::set<int>{129, 145}));
    EXPECT_TRUE(host.Items()[2].page->Visible());
    host.HidePages(145);
    EXPECT_EQ(VisiblePages(), std::set<int>{129});
    EXPECT_EQ(host.FindPage(145), host.Items()[1].page);
    EXPECT_EQ(host.FindPage(999), nullptr);
}

TEST(TabHost, OwnsItsPagesAndClosesThemInOrder) {
    controller::CMainOperation operation;
    Log log;
    bool deleted[2] = {false, false};
    {
        CDlgTabCtrl host(operation);
        host.AddPage(MakePage(129, log, &deleted[0]), 129);
        host.AddPage(MakePage(130, log, &deleted[1]), 130);
        EXPECT_EQ(host.AddPage(nullptr, 145), nullptr);
        EXPECT_EQ(host.Items().size(), 2u);
        host.ClosePages();
        EXPECT_EQ(log, (Log{"129:close", "130:close"}));
        EXPECT_FALSE(deleted[0] || deleted[1]);
    }
    EXPECT_TRUE(deleted[0] && deleted[1]);
}

}  // namespace
}  // namespace velmor::ui
